#include "platform/d2xx/sim/UnixSocket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace FTDI {

bool UnixAddress(const std::string& path, sockaddr_un& address, std::string& error) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error = "the socket path \"" + path + "\" is empty or longer than " +
                std::to_string(sizeof address.sun_path - 1) + " characters";
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

vantix::UniqueFd ConnectUnix(const sockaddr_un& address) {
    vantix::UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd && connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0)
        return {};
    return fd;
}

bool SendAll(int fd, const std::string& text) {
    std::size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace FTDI
