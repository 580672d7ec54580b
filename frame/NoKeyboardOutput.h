#pragma once
#include "platform/input/KeyboardOutput.h"

namespace vantix {

// Keyboard output where none is possible (no X display): no window ever has
// the focus, so the device link types nothing and goes on reading cards.
class NoKeyboardOutput : public FTDI::KeyboardOutput {
public:
    FTDI::FocusTarget Focus() override { return FTDI::FocusTarget::NoWindow; }
    bool TypeCharacter(char32_t) override { return false; }
    bool PressEnter() override { return false; }
    void ClickAt(int, int) override {}
};

} // namespace vantix
