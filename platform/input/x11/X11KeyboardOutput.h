#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "core/Result.h"
#include "platform/input/KeyboardOutput.h"

namespace FTDI {

namespace x11 {
class Typist;
}

// Key strokes and clicks on an X display (XTEST, with the key map read
// through XKB). Each thread that uses it gets its own display connection,
// since an X connection must not be shared between threads without locking.
// This header stays free of Xlib, whose macros clash with Qt.
class X11KeyboardOutput : public KeyboardOutput {
public:
    // display: an X display name, empty for $DISPLAY.
    explicit X11KeyboardOutput(std::string display = {});
    ~X11KeyboardOutput() override;

    // False (with the reason) when the display cannot be used for typing.
    vantix::Result<void> Available() const;

    FocusTarget Focus() override;
    bool BeginLine() override;
    bool TypeCharacter(char32_t character) override;
    bool PressEnter() override;
    std::string LineDone() override;
    void ClickAt(int x, int y) override;

private:
    x11::Typist* ThisThreadTypist();

    std::string display_;
    std::mutex mutex_;
    std::unordered_map<std::thread::id, std::unique_ptr<x11::Typist>> typists_;
};

} // namespace FTDI
