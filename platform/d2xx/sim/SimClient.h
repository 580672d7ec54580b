#pragma once
#include <memory>
#include <string>

#include "platform/d2xx/D2xx.h"

namespace FTDI {

// Sends command lines to a simulator's control channel and returns all reply
// lines (without the last line end), or the reason when nobody serves the
// path.
vantix::Result<std::string> SimRequest(const std::string& path, const std::string& commands);

// The readers of a simulator served by another process, reached through its
// control channel: listing, opening and the user area. Reader data stays
// with that process (read, write and queue status are not supported).
vantix::Result<std::unique_ptr<D2xx>> CreateSimClientD2xx(const std::string& path);

} // namespace FTDI
