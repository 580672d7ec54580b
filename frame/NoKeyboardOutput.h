#pragma once
#include "platform/input/KeyboardOutput.h"

namespace vantix {

// Keyboard output where none is possible (no X display): no window ever has
// the focus, so the device link types nothing and goes on reading cards.
class NoKeyboardOutput : public FTDI::KeyboardOutput {
public:
    bool HasFocusedWindow() override { return false; }
    void TypeCharacter(char32_t) override {}
    void PressEnter() override {}
    void ClickAt(int, int) override {}
};

} // namespace vantix
