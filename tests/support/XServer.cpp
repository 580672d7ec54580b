#include "tests/support/XServer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

namespace vantix::test {

namespace {

// Runs `action` on a fresh connection to `display` and flushes it.
template <class Action>
bool WithDisplay(const std::string& display, Action action) {
    ::Display* connection = XOpenDisplay(display.c_str());
    if (!connection)
        return false;
    action(connection);
    XSync(connection, False);
    XCloseDisplay(connection);
    return true;
}

} // namespace

XServer::XServer(const std::string& screen) {
    int ready[2];
    if (pipe(ready) != 0 || (pid_ = fork()) < 0)
        throw std::runtime_error("cannot start Xvfb");
    if (pid_ == 0) {
        // Xvfb writes the display number it chose to this descriptor once it
        // accepts connections.
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    char buffer[16];
    ssize_t n = 0;
    for (pollfd pfd{ready[0], POLLIN, 0}; number.find('\n') == std::string::npos && poll(&pfd, 1, 10000) > 0 &&
                                          (n = read(ready[0], buffer, sizeof buffer)) > 0;)
        number.append(buffer, static_cast<std::size_t>(n));
    close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        throw std::runtime_error("Xvfb did not start (is it installed?)");
    }
    display_ = ":" + number.substr(0, number.find('\n'));
}

XServer::~XServer() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

bool XServer::MovePointer(int x, int y) const {
    return WithDisplay(display_, [x, y](::Display* d) { XTestFakeMotionEvent(d, 0, x, y, CurrentTime); });
}

bool XServer::ClickLeft() const {
    return WithDisplay(display_, [](::Display* d) {
        XTestFakeButtonEvent(d, 1, True, CurrentTime);
        XTestFakeButtonEvent(d, 1, False, CurrentTime);
    });
}

} // namespace vantix::test
