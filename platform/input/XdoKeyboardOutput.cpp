// libxdo pulls in Xlib, whose macros (None, Bool, Status...) clash with Qt:
// this file must not include Qt headers.
#include "platform/input/XdoKeyboardOutput.h"

#include <X11/Xlib.h>

extern "C" {
#include <xdo.h>
}

#include "ftdi/Trace.h"

namespace FTDI {

namespace {

// Delay libxdo keeps between press and release of a character it must first
// bind to a spare key code: the receiving client has to read the new mapping
// before it is undone (libxdo's own recommended value).
constexpr useconds_t RemappedKeyDelayUs = 12000;

// Latin-1 characters are their own keysyms; the rest of Unicode has keysyms
// 0x01000000 + code point.
KeySym KeysymOf(char32_t c) {
    if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF))
        return static_cast<KeySym>(c);
    return static_cast<KeySym>(0x01000000u | c);
}

} // namespace

struct XdoKeyboardOutput::Connection {
    explicit Connection(const std::string& display)
        : xdo(xdo_new(display.empty() ? nullptr : display.c_str())) {}
    ~Connection() {
        if (xdo)
            xdo_free(xdo);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool InKeymap(char32_t c) const {
        for (int i = 0; i < xdo->charcodes_len; ++i)
            if (static_cast<char32_t>(xdo->charcodes[i].key) == c && xdo->charcodes[i].code != 0)
                return true;
        return false;
    }

    xdo_t* xdo;
};

XdoKeyboardOutput::XdoKeyboardOutput(std::string display) : display_(std::move(display)) {
    // Other threads of the program may use Xlib too (one connection each).
    XInitThreads();
}

XdoKeyboardOutput::~XdoKeyboardOutput() = default;

XdoKeyboardOutput::Connection* XdoKeyboardOutput::ThisThreadConnection() {
    std::lock_guard lock(mutex_);
    auto& connection = connections_[std::this_thread::get_id()];
    if (!connection) {
        connection = std::make_unique<Connection>(display_);
        if (!connection->xdo)
            Trace("Ne mogu da otvorim X ekran za unos sa tastature\n");
    }
    return connection->xdo ? connection.get() : nullptr;
}

bool XdoKeyboardOutput::Available(std::string& error) {
    if (ThisThreadConnection())
        return true;
    error = "cannot open the X display " + (display_.empty() ? std::string("$DISPLAY") : display_);
    return false;
}

bool XdoKeyboardOutput::HasFocusedWindow() {
    Connection* c = ThisThreadConnection();
    if (!c)
        return false;
    // Window 1 is PointerRoot (no window manager): not a real focus target, and
    // asking libxdo for a "sane" window there ends the process on BadWindow.
    Window window = 0;
    return xdo_get_focused_window(c->xdo, &window) == XDO_SUCCESS && window > 1;
}

void XdoKeyboardOutput::TypeCharacter(char32_t character) {
    Connection* c = ThisThreadConnection();
    if (!c)
        return;
    // By keysym name rather than xdo_enter_text_window, which calls
    // setlocale() and so races with every other thread of the process.
    const char* name = XKeysymToString(KeysymOf(character));
    const useconds_t delay = c->InKeymap(character) ? 0 : RemappedKeyDelayUs;
    if (!name || xdo_send_keysequence_window(c->xdo, CURRENTWINDOW, name, delay) != XDO_SUCCESS)
        TraceF("Ne mogu da posaljem znak U+%04X\n", static_cast<unsigned>(character));
}

void XdoKeyboardOutput::PressEnter() {
    Connection* c = ThisThreadConnection();
    if (c && xdo_send_keysequence_window(c->xdo, CURRENTWINDOW, "Return", 0) != XDO_SUCCESS)
        Trace("Ne mogu da posaljem Enter\n");
}

void XdoKeyboardOutput::ClickAt(int x, int y) {
    Connection* c = ThisThreadConnection();
    if (!c)
        return;
    if (xdo_move_mouse(c->xdo, x, y, 0) != XDO_SUCCESS ||
        xdo_click_window(c->xdo, CURRENTWINDOW, 1) != XDO_SUCCESS)
        TraceF("Ne mogu da kliknem na %d,%d\n", x, y);
}

void XdoKeyboardOutput::LineDone() {
    if (Connection* c = ThisThreadConnection())
        XFlush(c->xdo->xdpy);
}

} // namespace FTDI
