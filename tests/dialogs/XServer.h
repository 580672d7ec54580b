#pragma once
#include <string>
#include <sys/types.h>

namespace vantix::test {

// A private Xvfb server for one test; killed with the object.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool Running() const { return !display_.empty(); }
    // ":N", for DISPLAY.
    const std::string& Display() const { return display_; }

    // Real pointer input through XTEST, as a user's mouse would give it.
    bool MovePointer(int x, int y) const;
    bool ClickLeft() const;

private:
    pid_t pid_ = -1;
    std::string display_;
};

} // namespace vantix::test
