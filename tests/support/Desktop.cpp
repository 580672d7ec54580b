#include "tests/support/Desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <stdexcept>

#include "tests/support/Wait.h"

namespace vantix::test {

namespace {

// Polls `ready` on its own connection until it holds or ten seconds pass.
template <class Ready>
bool WaitOnDisplay(const std::string& display, Ready ready) {
    ::Display* d = XOpenDisplay(display.c_str());
    const bool done = d && WaitFor([&] { return ready(d); }, std::chrono::seconds(10));
    if (d) XCloseDisplay(d);
    return done;
}

// An EWMH window manager announces itself on the root window.
bool WindowManagerRunning(::Display* d) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int rc = XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False), 0,
                                      1, False, XA_WINDOW, &type, &format, &count, &after, &data);
    if (data) XFree(data);
    return rc == Success && type == XA_WINDOW && count == 1;
}

bool TrayHostRunning(::Display* d) {
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(d));
    return XGetSelectionOwner(d, XInternAtom(d, selection.c_str(), False)) != None;
}

} // namespace

Desktop::Desktop(bool withTrayHost, const std::string& screen) : x_(screen) {
    const std::map<std::string, std::string> env{{"DISPLAY", x_.Display()}};
    windowManager_ = std::make_unique<ChildProcess>(std::vector<std::string>{"openbox", "--sm-disable"}, env, "/dev/null");
    if (!WaitOnDisplay(x_.Display(), WindowManagerRunning))
        throw std::runtime_error("openbox did not start (is it installed?)");
    if (!withTrayHost) return;
    trayHost_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width",
                                 "100", "--height", "24"},
        env, "/dev/null");
    if (!WaitOnDisplay(x_.Display(), TrayHostRunning))
        throw std::runtime_error("trayer did not start (is it installed?)");
}

// Members end in reverse order: the tray host and the window manager go
// before the server they live on.
Desktop::~Desktop() = default;

} // namespace vantix::test
