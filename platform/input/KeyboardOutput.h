#pragma once

namespace FTDI {

// Synthesised key strokes and mouse clicks, as if the user had typed or
// clicked. The pauses between characters are the caller's business.
class KeyboardOutput {
public:
    virtual ~KeyboardOutput() = default;

    // Whether some window has the keyboard focus (nothing is typed otherwise).
    virtual bool HasFocusedWindow() = 0;
    // One character as itself, whatever the keyboard layout.
    virtual void TypeCharacter(char32_t character) = 0;
    // The Enter key (a line feed of the typed line).
    virtual void PressEnter() = 0;
    // One left click at an absolute screen position; the pointer stays there.
    virtual void ClickAt(int x, int y) = 0;
    // Called after the last key of a typed line.
    virtual void LineDone() {}
};

} // namespace FTDI
