#pragma once
#include <string>

namespace FTDI {

// Where key strokes would go right now.
enum class FocusTarget {
    NoWindow,    // no window has the keyboard focus
    OtherWindow, // a window of another program
    OwnWindow,   // a window of this process: card data must not be typed there
};

// Synthesised key strokes and mouse clicks, as if the user had typed or
// clicked. The pauses between characters are the caller's business.
//
// A line is typed as BeginLine, the characters, LineDone. Between the two the
// output may hold the keyboard in a state of its own (modifiers the user held
// released), which LineDone restores.
class KeyboardOutput {
public:
    virtual ~KeyboardOutput() = default;

    virtual FocusTarget Focus() = 0;
    // Prepares a line; false when it cannot be typed at all (LineDone says why).
    virtual bool BeginLine() { return true; }
    // One character as itself, whatever the keyboard layout and the modifiers
    // the user holds. False when it could not be sent.
    virtual bool TypeCharacter(char32_t character) = 0;
    // The Enter key (a line feed of the typed line).
    virtual bool PressEnter() = 0;
    // Ends the line once every key has been delivered. Returns what went wrong
    // with it (characters that could not be typed, errors of the window
    // system), in English; empty when the whole line went out.
    virtual std::string LineDone() { return {}; }
    // One left click at an absolute screen position; the pointer stays there.
    virtual void ClickAt(int x, int y) = 0;
};

} // namespace FTDI
