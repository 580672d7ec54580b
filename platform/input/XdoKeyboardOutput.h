#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "platform/input/KeyboardOutput.h"

namespace FTDI {

// Key strokes and clicks on an X display through libxdo (XTEST). Each thread
// that uses it gets its own display connection, since an X connection must
// not be shared between threads without locking.
class XdoKeyboardOutput : public KeyboardOutput {
public:
    // display: an X display name, empty for $DISPLAY.
    explicit XdoKeyboardOutput(std::string display = {});
    ~XdoKeyboardOutput() override;

    // False (with the reason) when the display cannot be opened.
    bool Available(std::string& error);

    bool HasFocusedWindow() override;
    void TypeCharacter(char32_t character) override;
    void PressEnter() override;
    void ClickAt(int x, int y) override;
    void LineDone() override;

private:
    struct Connection;
    Connection* ThisThreadConnection();

    std::string display_;
    std::mutex mutex_;
    std::unordered_map<std::thread::id, std::unique_ptr<Connection>> connections_;
};

} // namespace FTDI
