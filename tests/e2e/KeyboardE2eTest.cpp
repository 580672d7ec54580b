#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <chrono>

#include "platform/d2xx/SimulatedD2xx.h"
#include "platform/input/XdoKeyboardOutput.h"
#include "tests/ftdi/RecordingConsumer.h"
#include "tests/support/XServer.h"

using namespace FTDI;
using namespace std::chrono_literals;

namespace {

// A plain X window holding the focus, reading back what reaches it.
class FocusWindow {
public:
    explicit FocusWindow(const std::string& display) : dpy_(XOpenDisplay(display.c_str())) {
        if (!dpy_)
            throw std::runtime_error("cannot open " + display);
        window_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 400, 300, 0, 0, 0);
        XSelectInput(dpy_, window_, KeyPressMask | ButtonPressMask | StructureNotifyMask);
        XMapWindow(dpy_, window_);
        for (XEvent e;;) {
            XNextEvent(dpy_, &e);
            if (e.type == MapNotify)
                break;
        }
        XSetInputFocus(dpy_, window_, RevertToParent, CurrentTime);
        XSync(dpy_, False);
    }
    ~FocusWindow() { XCloseDisplay(dpy_); }

    // Binds a Latin-1 character to a spare key code, as a keyboard layout
    // that has the key would.
    void BindSpareKey(KeySym keysym) {
        int min = 0, max = 0, perCode = 0;
        XDisplayKeycodes(dpy_, &min, &max);
        KeySym* map = XGetKeyboardMapping(dpy_, static_cast<::KeyCode>(min), max - min + 1, &perCode);
        for (int code = max; code >= min; --code) {
            bool empty = true;
            for (int i = 0; i < perCode; ++i)
                empty = empty && map[(code - min) * perCode + i] == NoSymbol;
            if (empty) {
                XChangeKeyboardMapping(dpy_, code, 1, &keysym, 1);
                break;
            }
        }
        XFree(map);
        XSync(dpy_, False);
    }

    void DropFocus() {
        XSetInputFocus(dpy_, PointerRoot, RevertToParent, CurrentTime);
        XSync(dpy_, False);
    }

    // Characters received until Enter (as '\n') or the timeout; clicks are
    // noted as their root position.
    std::u32string ReadLine(std::chrono::milliseconds timeout, std::vector<std::pair<int, int>>& clicks) {
        std::u32string text;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            if (!XPending(dpy_)) {
                pollfd pfd{ConnectionNumber(dpy_), POLLIN, 0};
                poll(&pfd, 1, 50);
                continue;
            }
            XEvent e;
            XNextEvent(dpy_, &e);
            if (e.type == MappingNotify) {
                XRefreshKeyboardMapping(&e.xmapping);
            } else if (e.type == ButtonPress) {
                clicks.emplace_back(e.xbutton.x_root, e.xbutton.y_root);
            } else if (e.type == KeyPress) {
                char buffer[8];
                KeySym keysym = NoSymbol;
                XLookupString(&e.xkey, buffer, sizeof buffer, &keysym, nullptr);
                if (IsModifierKey(keysym))
                    continue;
                if (keysym == XK_Return) {
                    text += U'\n';
                    return text;
                }
                text += static_cast<char32_t>(keysym); // Latin-1 keysyms are their code points
            }
        }
        return text;
    }

private:
    Display* dpy_;
    Window window_;
};

SimulatedD2xx::UserAreaBytes Area() {
    // Name "éA%z" typed as PF1..PF4 (a Latin-1 byte, shifted and plain keys);
    // the media ID; Enter as SF1.
    const UserArea ua("\xE9" "A%z", 0, 0, 7, 0, 1, 1, -1, -1, -1, 0, 1, 2, 3, 0,
                      KeyNewLine, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0, DeviceTypeProximity);
    return vantix::test::AreaBytes(ua);
}

} // namespace

TEST(KeyboardIntoARealWindow, ACardReadIsTypedIntoTheFocusedWindow) {
    vantix::test::XServer server;
    FocusWindow window(server.Display());
    window.BindSpareKey(XK_eacute);

    SimulatedD2xx sim;
    OutputSettings settings;
    settings.beepPause = 0;
    settings.intercharacterDelay = 2;
    settings.clickBefore = 1;
    settings.clickBeforeX = 120;
    settings.clickBeforeY = 80;
    XdoKeyboardOutput keyboard(server.Display());
    vantix::test::RecordingConsumer engine(sim, settings, keyboard, vantix::test::FastTimings());

    sim.Plug("X1", "TR-614", Area());
    engine.Start();
    ASSERT_TRUE(engine.WaitFor(MsgDeviceAdded, 1, 5s));
    sim.PresentCard("X1", "F400000249541F01");
    std::vector<std::pair<int, int>> clicks;
    EXPECT_EQ(window.ReadLine(10s, clicks), U"\u00E9" U"A%z0249541F\n");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], std::make_pair(120, 80));
    ASSERT_TRUE(engine.WaitFor(MsgRegistration, 1, 5s));

    // Without a focused window nothing is typed (the registration still comes).
    window.DropFocus();
    settings.clickBefore = 0;
    sim.PresentCard("X1", "F400000249541F01");
    ASSERT_TRUE(engine.WaitFor(MsgRegistration, 2, 5s));
    EXPECT_EQ(window.ReadLine(300ms, clicks), U"");
    engine.Stop();
}
