#pragma once
#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace FTDI::x11 {

// Collects the X errors of one display connection instead of letting Xlib's
// default handler end the process. Xlib has a single error handler per
// process: the first trap installs one that hands the errors of trapped
// connections to their trap and passes every other error on to the handler
// that was installed before (the toolkit's, for its own connection).
class XErrorTrap {
public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // The errors recorded since the last call, described; empty when none.
    // Call XSync first for errors of requests that have no reply.
    std::string Take();

private:
    static int Handle(Display* display, XErrorEvent* error);

    Display* display_;
    std::vector<XErrorEvent> errors_; // the first few only
    unsigned long dropped_ = 0;
};

} // namespace FTDI::x11
