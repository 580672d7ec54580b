#include "platform/input/DesktopKeyboard.h"

#include <cstdlib>

#include "platform/input/DesktopSession.h"
#include "platform/input/x11/X11KeyboardOutput.h"

namespace FTDI {

vantix::Result<std::unique_ptr<KeyboardOutput>> CreateDesktopKeyboardOutput() {
    if (const char* display = std::getenv("DISPLAY"); !display || !*display)
        return vantix::Fail("no X display: $DISPLAY is not set");
    auto keyboard = std::make_unique<X11KeyboardOutput>();
    if (auto available = keyboard->Available(); !available)
        return vantix::Fail(available.error());
    return std::unique_ptr<KeyboardOutput>(std::move(keyboard));
}

bool DesktopKeyboardReachesOnlyXWayland() { return IsWaylandSession(); }

} // namespace FTDI
