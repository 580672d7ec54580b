#include "platform/input/DesktopSession.h"

#include <cstdlib>
#include <cstring>

namespace FTDI {

bool IsWaylandSession(const char* sessionType, const char* waylandDisplay) {
    return (sessionType && std::strcmp(sessionType, "wayland") == 0) || (waylandDisplay && *waylandDisplay);
}

bool IsWaylandSession() { return IsWaylandSession(std::getenv("XDG_SESSION_TYPE"), std::getenv("WAYLAND_DISPLAY")); }

} // namespace FTDI
