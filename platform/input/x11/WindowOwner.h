#pragma once
#include <X11/Xlib.h>

#include <string>
#include <sys/types.h>

namespace FTDI::x11 {

// Whether a window belongs to the given process: the first window on the way
// from it up to the root that carries _NET_WM_PID decides (toolkits set it on
// their top-level windows; a window manager's frame around them does not),
// and WM_CLIENT_MACHINE, when set, must name this host. Windows without
// either are not the process's. X errors (a window destroyed meanwhile) are
// the caller's to collect.
bool BelongsToProcess(Display* display, Window window, pid_t pid, const std::string& host);

// This machine's name, as toolkits write it into WM_CLIENT_MACHINE.
std::string HostName();

} // namespace FTDI::x11
