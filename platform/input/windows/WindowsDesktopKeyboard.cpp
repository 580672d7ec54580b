#include "platform/input/DesktopKeyboard.h"
#include "platform/input/windows/SendInputKeyboardOutput.h"

namespace FTDI {

// SendInput needs nothing to be opened first: an interactive session always
// has it (blocked input shows when a line is typed).
vantix::Result<std::unique_ptr<KeyboardOutput>> CreateDesktopKeyboardOutput() {
    return std::unique_ptr<KeyboardOutput>(std::make_unique<SendInputKeyboardOutput>());
}

bool DesktopKeyboardReachesOnlyXWayland() { return false; }

} // namespace FTDI
