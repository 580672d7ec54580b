#include "platform/input/x11/XErrorTrap.h"

#include <map>
#include <mutex>
#include <utility>

namespace FTDI::x11 {

namespace {

constexpr std::size_t KeptErrors = 4;

// Xlib's handler is process-wide, so the traps it serves are too.
struct Registry {
    std::mutex mutex;
    std::map<Display*, XErrorTrap*> traps;
    XErrorHandler previous = nullptr;
    bool installed = false;
};

Registry& Traps() {
    static Registry registry;
    return registry;
}

} // namespace

XErrorTrap::XErrorTrap(Display* display) : display_(display) {
    Registry& registry = Traps();
    std::lock_guard lock(registry.mutex);
    if (!registry.installed) {
        registry.previous = XSetErrorHandler(&XErrorTrap::Handle);
        registry.installed = true;
    }
    registry.traps[display] = this;
}

XErrorTrap::~XErrorTrap() {
    Registry& registry = Traps();
    std::lock_guard lock(registry.mutex);
    registry.traps.erase(display_);
}

int XErrorTrap::Handle(Display* display, XErrorEvent* error) {
    Registry& registry = Traps();
    XErrorHandler previous;
    {
        std::lock_guard lock(registry.mutex);
        const auto it = registry.traps.find(display);
        if (it != registry.traps.end()) {
            XErrorTrap& trap = *it->second;
            if (trap.errors_.size() < KeptErrors)
                trap.errors_.push_back(*error);
            else
                ++trap.dropped_;
            return 0;
        }
        previous = registry.previous;
    }
    return previous ? previous(display, error) : 0;
}

std::string XErrorTrap::Take() {
    std::vector<XErrorEvent> errors;
    unsigned long dropped;
    {
        std::lock_guard lock(Traps().mutex);
        errors.swap(errors_);
        dropped = std::exchange(dropped_, 0);
    }
    std::string text;
    for (const XErrorEvent& e : errors) {
        char name[128] = "";
        XGetErrorText(display_, e.error_code, name, sizeof name);
        text += (text.empty() ? "" : "; ") + std::string("X error ") + name + " in request " +
                std::to_string(e.request_code) + "." + std::to_string(e.minor_code);
    }
    if (dropped != 0)
        text += "; " + std::to_string(dropped) + " more X errors";
    return text;
}

} // namespace FTDI::x11
