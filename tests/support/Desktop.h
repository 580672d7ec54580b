#pragma once
#include <memory>
#include <string>

#include "tests/support/ChildProcess.h"
#include "tests/support/XServer.h"

namespace vantix::test {

// A private desktop as users have it: Xvfb on a free display, the openbox
// window manager and, when asked for, a tray host (trayer). Each is running
// and ready when the constructor returns; throws std::runtime_error when one
// cannot start.
class Desktop {
public:
    explicit Desktop(bool withTrayHost, const std::string& screen = "1280x1024x24");
    ~Desktop();

    const XServer& X() const { return x_; }
    const std::string& Display() const { return x_.Display(); }

private:
    XServer x_;
    std::unique_ptr<ChildProcess> windowManager_;
    std::unique_ptr<ChildProcess> trayHost_;
};

} // namespace vantix::test
