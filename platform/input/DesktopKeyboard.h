#pragma once
#include <memory>

#include "core/Result.h"
#include "platform/input/KeyboardOutput.h"

namespace FTDI {

// The keyboard and mouse output of the desktop this program runs on, or why
// there is none (no display, the window system lacks what typing needs).
vantix::Result<std::unique_ptr<KeyboardOutput>> CreateDesktopKeyboardOutput();

// True where the key strokes reach only some of the desktop's windows: X11
// key strokes in a Wayland session reach only the programs on XWayland.
bool DesktopKeyboardReachesOnlyXWayland();

} // namespace FTDI
