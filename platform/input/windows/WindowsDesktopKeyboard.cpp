#include "platform/input/DesktopKeyboard.h"
#include "platform/input/windows/SendInputKeyboardOutput.h"

namespace FTDI {

namespace {

// A service (or a program started without a user's desktop) runs in a window
// station that has no keyboard: whatever it sends goes nowhere.
bool OnInteractiveDesktop() {
    USEROBJECTFLAGS flags{};
    DWORD size = 0;
    return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, &size) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

} // namespace

vantix::Result<std::unique_ptr<KeyboardOutput>> CreateDesktopKeyboardOutput() {
    if (!OnInteractiveDesktop())
        return vantix::Fail("not running on a user's desktop (a service, or a session without a desktop): "
                            "key strokes would reach no window");
    return std::unique_ptr<KeyboardOutput>(std::make_unique<SendInputKeyboardOutput>());
}

bool DesktopKeyboardReachesOnlyXWayland() { return false; }

} // namespace FTDI
