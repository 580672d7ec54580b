#pragma once
#include <X11/XKBlib.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/Result.h"
#include "platform/input/KeyboardOutput.h"
#include "platform/input/x11/KeyTable.h"
#include "platform/input/x11/XErrorTrap.h"

namespace FTDI::x11 {

// Key strokes and clicks through XTEST on one display connection, for one
// thread. It follows the keyboard map, layout group and lock changes through
// XKB events, so a character costs no round trip to the server; characters
// the layout lacks are bound to spare key codes, which stay bound (the
// receiving program may look the key up late) until the code is needed for
// another character or the connection ends.
class Typist {
public:
    // The reason when the display cannot be used for typing.
    static vantix::Result<std::unique_ptr<Typist>> Open(const std::string& display);
    // Takes over a connection on which XTEST and XKB are ready; xkbEvent is
    // XKB's first event number.
    Typist(Display* display, int xkbEvent);
    ~Typist(); // gives the spare key codes back
    Typist(const Typist&) = delete;
    Typist& operator=(const Typist&) = delete;

    FocusTarget Focus();
    // Releases the modifier keys held down (another program's XTEST keys);
    // false when some stay down (held on a real keyboard).
    bool BeginLine();
    // '\n' is Enter.
    bool Type(char32_t character);
    // Presses the released modifiers again once the server has taken every
    // key; what went wrong with the line, empty when nothing did.
    std::string LineDone();
    bool Click(int x, int y);

private:
    struct CloseDisplay {
        void operator()(Display* d) const { XCloseDisplay(d); }
    };
    struct FreeMap {
        void operator()(XkbDescPtr map) const { XkbFreeKeyboard(map, 0, True); }
    };
    // A spare key code this connection bound, and the last line that used it.
    struct Binding {
        KeySym keysym;
        unsigned long lastLine;
    };

    Display* X() const { return display_.get(); }
    void FollowChanges();
    bool LoadMap();
    const KeyStroke* BindSpareCode(char32_t character);
    void GiveBackSpareCodes();

    std::unique_ptr<Display, CloseDisplay> display_;
    XErrorTrap trap_;
    const int xkbEvent_;
    const std::string host_;

    std::unique_ptr<XkbDescRec, FreeMap> map_; // null once the server's map changed
    int group_ = 0;
    unsigned lockedModifiers_ = 0;
    KeyTable table_;
    bool tableStale_ = true;
    std::map<KeyCode, Binding> bound_;

    unsigned long line_ = 0;
    std::vector<KeyCode> released_; // modifier keys released for this line
    std::u32string untypeable_;
    std::string refusal_;
};

} // namespace FTDI::x11
