// Xlib's macros (None, Bool, Status...) clash with Qt: no Qt headers here.
#include "platform/input/x11/X11KeyboardOutput.h"

#include "core/Trace.h"
#include "platform/input/x11/Typist.h"

namespace FTDI {

X11KeyboardOutput::X11KeyboardOutput(std::string display) : display_(std::move(display)) {
    // Other threads of the program use Xlib too (one connection each).
    XInitThreads();
}

X11KeyboardOutput::~X11KeyboardOutput() = default;

vantix::Result<void> X11KeyboardOutput::Available() const {
    if (auto typist = x11::Typist::Open(display_); !typist)
        return vantix::Fail(typist.error());
    return {};
}

x11::Typist* X11KeyboardOutput::ThisThreadTypist() {
    std::lock_guard lock(mutex_);
    const auto [it, opened] = typists_.try_emplace(std::this_thread::get_id());
    if (opened) {
        if (auto typist = x11::Typist::Open(display_))
            it->second = std::move(typist).value();
        else
            vantix::Trace("Keyboard output: " + typist.error() + "\n");
    }
    return it->second.get();
}

FocusTarget X11KeyboardOutput::Focus() {
    x11::Typist* typist = ThisThreadTypist();
    return typist ? typist->Focus() : FocusTarget::NoWindow;
}

bool X11KeyboardOutput::BeginLine() {
    x11::Typist* typist = ThisThreadTypist();
    return typist && typist->BeginLine();
}

bool X11KeyboardOutput::TypeCharacter(char32_t character) {
    x11::Typist* typist = ThisThreadTypist();
    return typist && typist->Type(character);
}

bool X11KeyboardOutput::PressEnter() { return TypeCharacter(U'\n'); }

std::string X11KeyboardOutput::LineDone() {
    x11::Typist* typist = ThisThreadTypist();
    return typist ? typist->LineDone() : "cannot open the X display";
}

void X11KeyboardOutput::ClickAt(int x, int y) {
    x11::Typist* typist = ThisThreadTypist();
    if (typist && !typist->Click(x, y))
        vantix::TraceF("Keyboard output: the click at %d,%d failed\n", x, y);
}

} // namespace FTDI
