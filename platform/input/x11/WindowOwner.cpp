#include "platform/input/x11/WindowOwner.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include <memory>
#include <optional>

namespace FTDI::x11 {

namespace {

struct XFreeDeleter {
    void operator()(void* data) const {
        if (data)
            XFree(data);
    }
};
using XData = std::unique_ptr<unsigned char, XFreeDeleter>;

// The property's items, or nothing when the window lacks it.
std::optional<std::pair<XData, unsigned long>> Property(Display* display, Window window, Atom name, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, 64, False, type, &actualType, &format, &items, &after,
                           &data) != Success)
        return std::nullopt;
    XData owned(data);
    if (actualType != type || items == 0)
        return std::nullopt;
    return std::make_pair(std::move(owned), items);
}

} // namespace

std::string HostName() {
    char name[256] = "";
    gethostname(name, sizeof name - 1);
    return name;
}

bool BelongsToProcess(Display* display, Window window, pid_t pid, const std::string& host) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    const Window root = DefaultRootWindow(display);
    while (window != 0 && window != root) {
        if (const auto value = Property(display, window, pidAtom, XA_CARDINAL)) {
            // 32-bit properties arrive as longs.
            const long owner = *reinterpret_cast<const long*>(value->first.get());
            if (owner != pid)
                return false;
            const auto machine = Property(display, window, XA_WM_CLIENT_MACHINE, XA_STRING);
            return !machine ||
                   std::string(reinterpret_cast<const char*>(machine->first.get()), machine->second) == host;
        }
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count))
            return false;
        XData freeChildren(reinterpret_cast<unsigned char*>(children));
        window = parent;
    }
    return false;
}

} // namespace FTDI::x11
