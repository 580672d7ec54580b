#include "tests/support/Desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <chrono>
#include <functional>
#include <stdexcept>

#include "tests/support/Wait.h"

namespace vantix::test {

namespace {

// Polls `ready` on its own connection until it holds or ten seconds pass.
bool WaitOnDisplay(const std::string& display, const std::function<bool(::Display*)>& ready) {
    ::Display* connection = XOpenDisplay(display.c_str());
    if (!connection)
        return false;
    const bool done = WaitFor([&] { return ready(connection); }, std::chrono::seconds(10));
    XCloseDisplay(connection);
    return done;
}

// An EWMH window manager announces itself on the root window.
bool WindowManagerRunning(::Display* d) {
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int rc = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format,
                                      &count, &after, &data);
    const bool present = rc == Success && type == XA_WINDOW && count == 1;
    if (data)
        XFree(data);
    return present;
}

bool TrayHostRunning(::Display* d) {
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(d));
    return XGetSelectionOwner(d, XInternAtom(d, selection.c_str(), False)) != None;
}

} // namespace

Desktop::Desktop(bool withTrayHost, const std::string& screen) : x_(screen) {
    const std::map<std::string, std::string> env{{"DISPLAY", x_.Display()}};
    windowManager_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"openbox", "--sm-disable"}, env, "/dev/null");
    if (!WaitOnDisplay(x_.Display(), WindowManagerRunning))
        throw std::runtime_error("openbox did not start (is it installed?)");
    if (withTrayHost) {
        trayHost_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                                     "100", "--height", "24"},
            env, "/dev/null");
        if (!WaitOnDisplay(x_.Display(), TrayHostRunning))
            throw std::runtime_error("trayer did not start (is it installed?)");
    }
}

// The tray host and the window manager go before the server they live on.
Desktop::~Desktop() {
    trayHost_.reset();
    windowManager_.reset();
}

} // namespace vantix::test
