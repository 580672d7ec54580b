#include "tests/support/KeyWindow.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <stdexcept>

namespace vantix::test {

namespace {

using Clock = std::chrono::steady_clock;

char32_t CharacterOf(KeySym keysym) {
    if (keysym == XK_Return || keysym == XK_KP_Enter)
        return U'\n';
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return static_cast<char32_t>(keysym);
    if ((keysym & 0xFF000000) == 0x01000000)
        return static_cast<char32_t>(keysym & 0x00FFFFFF);
    return U'\uFFFD';
}

} // namespace

struct KeyWindow::Connection {
    std::unique_ptr<Display, int (*)(Display*)> display{nullptr, XCloseDisplay};
    Window window = 0;
    int xkbEvent = 0;
    // The key map as this client last fetched it, as toolkits keep theirs.
    std::unique_ptr<XkbDescRec, void (*)(XkbDescPtr)> map{nullptr, [](XkbDescPtr m) { XkbFreeKeyboard(m, 0, True); }};

    void FetchMap() { map.reset(XkbGetMap(d(), XkbAllClientInfoMask, XkbUseCoreKbd)); }

    Display* d() const { return display.get(); }

    // Reads one event if one comes before the deadline.
    bool Next(XEvent& event, Clock::time_point deadline) {
        while (!XPending(d())) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            pollfd pfd{ConnectionNumber(d()), POLLIN, 0};
            poll(&pfd, 1, static_cast<int>(std::min<long long>(left.count() + 1, 100)));
        }
        XNextEvent(d(), &event);
        return true;
    }
};

KeyWindow::KeyWindow(const std::string& display) : x_(std::make_unique<Connection>()) {
    x_->display.reset(XOpenDisplay(display.c_str()));
    if (!x_->display)
        throw std::runtime_error("cannot open " + display);
    Display* d = x_->d();
    int opcode = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(d, &opcode, &x_->xkbEvent, &errorBase, &major, &minor))
        throw std::runtime_error("no XKEYBOARD extension on " + display);
    XkbSelectEvents(d, XkbUseCoreKbd, XkbNewKeyboardNotifyMask | XkbMapNotifyMask,
                    XkbNewKeyboardNotifyMask | XkbMapNotifyMask);
    x_->FetchMap();
    x_->window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 400, 300, 0, 0, 0);
    XSelectInput(d, x_->window, KeyPressMask | ButtonPressMask | StructureNotifyMask);
    XMapWindow(d, x_->window);
    for (XEvent e; XNextEvent(d, &e), e.type != MapNotify;) {
    }
    XSetInputFocus(d, x_->window, RevertToParent, CurrentTime);
    XSync(d, False);
}

KeyWindow::~KeyWindow() = default;

void KeyWindow::SetOwnerProcess(pid_t pid, const std::string& host) {
    Display* d = x_->d();
    const long value = pid;
    XChangeProperty(d, x_->window, XInternAtom(d, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&value), 1);
    XChangeProperty(d, x_->window, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(host.data()), static_cast<int>(host.size()));
    XSync(d, False);
}

std::u32string KeyWindow::ReadLines(int lines, std::chrono::milliseconds timeout) {
    std::u32string text;
    const auto deadline = Clock::now() + timeout;
    XEvent e;
    while (lines > 0 && x_->Next(e, deadline)) {
        if (e.type == x_->xkbEvent || e.type == MappingNotify) {
            // A new or changed key map: fetched now, when this client gets
            // to the notice, whatever has changed on the server since.
            x_->FetchMap();
        } else if (e.type == ButtonPress) {
            clicks_.emplace_back(e.xbutton.x_root, e.xbutton.y_root);
        } else if (e.type == KeyPress) {
            KeySym keysym = NoSymbol;
            unsigned consumed = 0;
            if (x_->map)
                XkbTranslateKeyCode(x_->map.get(), static_cast<KeyCode>(e.xkey.keycode), e.xkey.state, &consumed,
                                    &keysym);
            keys_.push_back({keysym, e.xkey.state});
            if (IsModifierKey(keysym))
                continue;
            text += CharacterOf(keysym);
            if (text.back() == U'\n')
                --lines;
        }
    }
    return text;
}

} // namespace vantix::test
