#pragma once
#include <sys/un.h>

#include <string>

#include "platform/system/posix/UniqueFd.h"

namespace FTDI {

// The address of a Unix-domain socket; false with the reason when the path
// is empty or does not fit.
bool UnixAddress(const std::string& path, sockaddr_un& address, std::string& error);

// A connected stream socket, or an empty descriptor (errno tells why).
vantix::UniqueFd ConnectUnix(const sockaddr_un& address);

// Sends all of text; false when the peer is gone or stops reading.
bool SendAll(int fd, const std::string& text);

} // namespace FTDI
