#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/input/KeyboardOutput.h"
#include "platform/input/windows/InputApi.h"

namespace FTDI {

// Key strokes and clicks through SendInput. A character the keyboard layout
// of the foreground window has goes as its key, with Shift or AltGr as the
// layout needs, so that programs reading keys (not only characters) see what
// a keyboard would send; any other character goes as Unicode input.
class SendInputKeyboardOutput : public KeyboardOutput {
public:
    explicit SendInputKeyboardOutput(std::unique_ptr<windows::InputApi> api = windows::SystemInputApi());

    FocusTarget Focus() override;
    // Releases the modifier keys the user holds; they are pressed again by
    // LineDone.
    bool BeginLine() override;
    bool TypeCharacter(char32_t character) override;
    bool PressEnter() override;
    std::string LineDone() override;
    void ClickAt(int x, int y) override;

private:
    bool Type(char32_t character);
    void ReleaseHeldModifiers(std::vector<INPUT>& inputs);
    // One SendInput call, so that the user's own keys cannot come in between;
    // false, with the line marked as cut short, when the system took fewer.
    bool Send(std::vector<INPUT>& inputs);

    const std::unique_ptr<windows::InputApi> api_;
    std::mutex mutex_;
    // The line being typed.
    std::vector<int> released_; // virtual keys, in the order they were released
    std::u32string untypeable_;
    std::string sendProblem_; // the first SendInput of the line that fell short
    int dropped_ = 0;         // characters not sent since then
};

} // namespace FTDI
