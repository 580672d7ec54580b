#include "tests/dialogs/XServer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantix::test {

namespace {

// Runs `action` on a fresh connection to `display` and flushes it.
template <class Action>
bool WithDisplay(const std::string& display, Action action) {
    ::Display* connection = XOpenDisplay(display.c_str());
    if (!connection) return false;
    action(connection);
    XSync(connection, False);
    XCloseDisplay(connection);
    return true;
}

} // namespace

XServer::XServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // -noreset: the pointer must stay where a closed connection left it.
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 5000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
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
