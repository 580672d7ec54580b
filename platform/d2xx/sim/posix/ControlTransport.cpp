// The control channel on a Unix-domain stream socket.
#include "platform/d2xx/sim/ControlTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace FTDI {

namespace {

int Fd(const ControlSocket& socket) { return static_cast<int>(socket.Get()); }
ControlSocket Own(int fd) { return fd < 0 ? ControlSocket() : ControlSocket(static_cast<std::uintptr_t>(fd)); }

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// The address of the socket, or the reason when the path is empty or does
// not fit.
vantix::Result<sockaddr_un> UnixAddress(const std::string& path) {
    sockaddr_un address;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return vantix::Fail("the socket path \"" + path + "\" is empty or longer than " +
                            std::to_string(sizeof address.sun_path - 1) + " characters");
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return address;
}

ControlSocket Connect(const sockaddr_un& address) {
    ControlSocket socket = Own(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket && connect(Fd(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0)
        return {};
    return socket;
}

Transfer Failure() {
    Transfer result;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        result.status = Transfer::WouldBlock;
    else if (errno == ECONNRESET || errno == EPIPE)
        result.status = Transfer::Reset;
    result.error = std::strerror(errno);
    return result;
}

} // namespace

std::string DefaultSimSocketPath() {
    if (const char* path = std::getenv("VANTIX_SIM_SOCKET"); path && *path)
        return path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/vantix-sim.sock";
    return "/tmp/vantix-sim-" + std::to_string(getuid()) + ".sock";
}

void ControlSocket::Reset() {
    if (handle_ != None)
        ::close(static_cast<int>(handle_));
    handle_ = None;
}

Transfer Receive(const ControlSocket& socket, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = recv(Fd(socket), buffer, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Failure();
        return n == 0 ? Transfer{Transfer::Closed, 0, {}} : Transfer{Transfer::Moved, static_cast<std::size_t>(n), {}};
    }
}

Transfer Send(const ControlSocket& socket, const char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = send(Fd(socket), data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Failure();
        return {Transfer::Moved, static_cast<std::size_t>(n), {}};
    }
}

vantix::Result<ControlSocket> ConnectControl(const std::string& path, std::chrono::milliseconds timeout) {
    const vantix::Result<sockaddr_un> address = UnixAddress(path);
    if (!address)
        return vantix::Fail(address.error());
    ControlSocket socket = Connect(*address);
    if (!socket)
        return vantix::Fail("no simulator answers on " + path + ": " + std::strerror(errno));
    const timeval limit{static_cast<time_t>(timeout.count() / 1000),
                        static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
    setsockopt(Fd(socket), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(Fd(socket), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    return socket;
}

void ShutdownSend(const ControlSocket& socket) { shutdown(Fd(socket), SHUT_WR); }

ControlListener::~ControlListener() {
    // Remove the socket only if it is still ours.
    struct stat info {};
    if (!mark_.empty() && lstat(path_.c_str(), &info) == 0 && std::to_string(info.st_ino) == mark_)
        unlink(path_.c_str());
}

vantix::Result<void> ControlListener::Listen(const std::string& path) {
    const vantix::Result<sockaddr_un> address = UnixAddress(path);
    if (!address)
        return vantix::Fail(address.error());
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode))
            return vantix::Fail(path + " exists and is not a socket");
        if (Connect(*address))
            return vantix::Fail("another process already serves simulated readers on " + path);
        unlink(path.c_str()); // left behind by a process that died
    }
    ControlSocket listener = Own(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener)
        return vantix::Fail(SystemError("cannot create the control socket"));
    if (bind(Fd(listener), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) < 0)
        return vantix::Fail(errno == EADDRINUSE ? "another process already serves simulated readers on " + path
                                                : SystemError("cannot bind " + path));
    chmod(path.c_str(), 0600);
    path_ = path;
    if (lstat(path.c_str(), &info) == 0)
        mark_ = std::to_string(info.st_ino);
    if (listen(Fd(listener), 16) < 0)
        return vantix::Fail(SystemError("cannot listen on " + path));
    socket_ = std::move(listener);
    return {};
}

ControlSocket ControlListener::Accept(bool& outOfDescriptors) {
    ControlSocket accepted = Own(accept4(Fd(socket_), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    outOfDescriptors = !accepted && (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM);
    return accepted;
}

ControlPoller::ControlPoller() = default;
ControlPoller::~ControlPoller() = default;

vantix::Result<void> ControlPoller::Open() {
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) < 0)
        return vantix::Fail(SystemError("cannot create the wake-up pipe"));
    wakeRead_ = Own(wake[0]);
    wakeWrite_ = Own(wake[1]);
    return {};
}

void ControlPoller::Wake() {
    const char wake = 1;
    while (write(Fd(wakeWrite_), &wake, 1) < 0 && errno == EINTR) {
    }
}

vantix::Result<bool> ControlPoller::Wait(std::vector<Entry>& entries, int timeoutMs) {
    std::vector<pollfd> fds{{Fd(wakeRead_), POLLIN, 0}};
    for (const Entry& entry : entries)
        fds.push_back({entry.socket ? Fd(*entry.socket) : -1,
                       static_cast<short>((entry.read ? POLLIN : 0) | (entry.write ? POLLOUT : 0)), 0});
    int ready;
    while ((ready = poll(fds.data(), fds.size(), timeoutMs)) < 0 && errno == EINTR) {
    }
    if (ready < 0)
        return vantix::Fail(SystemError("poll failed"));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const short events = fds[i + 1].revents;
        entries[i].readable = events & POLLIN;
        entries[i].writable = events & POLLOUT;
        entries[i].hangUp = events & (POLLHUP | POLLERR);
        entries[i].invalid = events & POLLNVAL;
    }
    return fds[0].revents != 0;
}

} // namespace FTDI
