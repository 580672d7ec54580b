#pragma once

namespace FTDI {

// Whether the desktop runs a Wayland session ($XDG_SESSION_TYPE is "wayland"
// or $WAYLAND_DISPLAY is set). Key strokes sent through X11 then reach only
// the programs that run on XWayland, not native Wayland windows.
bool IsWaylandSession();
bool IsWaylandSession(const char* sessionType, const char* waylandDisplay);

} // namespace FTDI
