#pragma once
#include <string>
#include <sys/types.h>

namespace vantix::test {

// A private Xvfb server on a free display number, ready when constructed and
// killed when destroyed. Throws std::runtime_error when it cannot start.
class XServer {
public:
    explicit XServer(const std::string& screen = "1024x768x24");
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    // ":N", for XOpenDisplay or $DISPLAY.
    const std::string& Display() const { return display_; }

    // Real pointer input through XTEST, as a user's mouse would give it.
    bool MovePointer(int x, int y) const;
    bool ClickLeft() const;

private:
    pid_t pid_ = -1;
    std::string display_;
};

} // namespace vantix::test
