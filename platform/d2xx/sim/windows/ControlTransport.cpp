// The control channel on Windows (and Wine): a loopback TCP port chosen by
// the system, written to the file at the channel's path so that clients
// find it through the same path a Unix-domain socket would have.
#include "platform/d2xx/sim/ControlTransport.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace FTDI {

namespace {

std::string SystemText(int code) {
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return (message.empty() ? "error" : message) + " (" + std::to_string(code) + ")";
}

std::string SocketError(const std::string& what) { return what + ": " + SystemText(WSAGetLastError()); }

// Winsock is started once for the process and stays up until it ends.
vantix::Result<void> WinsockReady() {
    static const int status = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (status != 0)
        return vantix::Fail("cannot start Winsock: " + SystemText(status));
    return {};
}

SOCKET Handle(const ControlSocket& socket) { return static_cast<SOCKET>(socket.Get()); }

ControlSocket NewSocket(int type) {
    return ControlSocket(static_cast<std::uintptr_t>(
        WSASocketW(AF_INET, type, 0, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT)));
}

bool SetBlocking(const ControlSocket& socket, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(Handle(socket), FIONBIO, &nonBlocking) == 0;
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

std::uint16_t PortOf(const ControlSocket& socket) {
    sockaddr_in address{};
    int size = sizeof address;
    if (getsockname(Handle(socket), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ntohs(address.sin_port);
}

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// The port file's whole content.
std::string PortText(std::uint16_t port) { return "vantix-sim-port " + std::to_string(port) + "\n"; }

enum class PortFile { Missing, Port, Foreign };

// What is at path: nothing, a port file (its port in port), or something else.
PortFile ReadPortFile(const std::string& path, std::uint16_t& port) {
    std::ifstream file(std::filesystem::path(Wide(path)), std::ios::binary);
    if (!file)
        return GetFileAttributesW(Wide(path).c_str()) == INVALID_FILE_ATTRIBUTES ? PortFile::Missing
                                                                                  : PortFile::Foreign;
    std::ostringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    std::istringstream words(text);
    std::string name;
    unsigned long number = 0;
    if (!(words >> name >> number) || name != "vantix-sim-port" || number == 0 || number > 65535 ||
        text != PortText(static_cast<std::uint16_t>(number)))
        return PortFile::Foreign;
    port = static_cast<std::uint16_t>(number);
    return PortFile::Port;
}

// Writes the file through a temporary one, so a client never reads half of it.
vantix::Result<void> WritePortFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    {
        std::ofstream file(std::filesystem::path(Wide(temporary)), std::ios::binary | std::ios::trunc);
        if (!(file << text) || !file.flush())
            return vantix::Fail("cannot write " + temporary);
    }
    if (!MoveFileExW(Wide(temporary).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const std::string reason = "cannot replace " + path + ": " + SystemText(static_cast<int>(GetLastError()));
        DeleteFileW(Wide(temporary).c_str());
        return vantix::Fail(reason);
    }
    return {};
}

// A blocking connection to the loopback port, or the reason. Connecting is
// bounded by timeout: a refused loopback connection can take Windows a
// second or more to report.
vantix::Result<ControlSocket> ConnectPort(std::uint16_t port, std::chrono::milliseconds timeout) {
    ControlSocket socket = NewSocket(SOCK_STREAM);
    if (!socket)
        return vantix::Fail(SocketError("cannot create a socket"));
    const sockaddr_in address = Loopback(port);
    SetBlocking(socket, false);
    if (connect(Handle(socket), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            return vantix::Fail(SocketError("cannot connect to port " + std::to_string(port)));
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(Handle(socket), &writable);
        FD_SET(Handle(socket), &failed);
        timeval limit{static_cast<long>(timeout.count() / 1000), static_cast<long>(timeout.count() % 1000 * 1000)};
        const int ready = select(0, nullptr, &writable, &failed, &limit);
        if (ready <= 0 || FD_ISSET(Handle(socket), &failed)) {
            int code = WSAETIMEDOUT;
            int size = sizeof code;
            if (ready > 0)
                getsockopt(Handle(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &size);
            return vantix::Fail("cannot connect to port " + std::to_string(port) + ": " + SystemText(code));
        }
    }
    SetBlocking(socket, true);
    return socket;
}

Transfer Failure() {
    const int code = WSAGetLastError();
    Transfer result;
    if (code == WSAEWOULDBLOCK || code == WSAETIMEDOUT)
        result.status = Transfer::WouldBlock;
    else if (code == WSAECONNRESET || code == WSAECONNABORTED || code == WSAESHUTDOWN)
        result.status = Transfer::Reset;
    result.error = SystemText(code);
    return result;
}

int Chunk(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, INT_MAX)); }

} // namespace

std::string DefaultSimSocketPath() {
    if (const char* path = std::getenv("VANTIX_SIM_SOCKET"); path && *path)
        return path;
    for (const char* folder : {"LOCALAPPDATA", "TEMP"})
        if (const char* place = std::getenv(folder); place && *place)
            return std::string(place) + "\\vantix-sim.port";
    return "vantix-sim.port";
}

void ControlSocket::Reset() {
    if (handle_ != None)
        closesocket(static_cast<SOCKET>(handle_));
    handle_ = None;
}

Transfer Receive(const ControlSocket& socket, char* buffer, std::size_t size) {
    const int n = recv(Handle(socket), buffer, Chunk(size), 0);
    if (n == SOCKET_ERROR)
        return Failure();
    return n == 0 ? Transfer{Transfer::Closed, 0, {}} : Transfer{Transfer::Moved, static_cast<std::size_t>(n), {}};
}

Transfer Send(const ControlSocket& socket, const char* data, std::size_t size) {
    const int n = send(Handle(socket), data, Chunk(size), 0);
    if (n == SOCKET_ERROR)
        return Failure();
    return {Transfer::Moved, static_cast<std::size_t>(n), {}};
}

vantix::Result<ControlSocket> ConnectControl(const std::string& path, std::chrono::milliseconds timeout) {
    if (auto ready = WinsockReady(); !ready)
        return vantix::Fail(ready.error());
    std::uint16_t port = 0;
    switch (ReadPortFile(path, port)) {
    case PortFile::Missing:
        return vantix::Fail("no simulator answers on " + path + ": the port file does not exist");
    case PortFile::Foreign:
        return vantix::Fail("no simulator answers on " + path + ": it is not a simulator's port file");
    case PortFile::Port:
        break;
    }
    vantix::Result<ControlSocket> connected = ConnectPort(port, timeout);
    // A port file left by a server that died names a port nobody serves.
    if (!connected)
        return vantix::Fail("no simulator answers on " + path + " (" + connected.error() + ")");
    ControlSocket socket = std::move(connected).value();
    const DWORD limit = static_cast<DWORD>(timeout.count());
    setsockopt(Handle(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
    setsockopt(Handle(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&limit), sizeof limit);
    return socket;
}

void ShutdownSend(const ControlSocket& socket) { shutdown(Handle(socket), SD_SEND); }

ControlListener::~ControlListener() {
    // Remove the port file only if it still names our port.
    std::uint16_t port = 0;
    if (!mark_.empty() && ReadPortFile(path_, port) == PortFile::Port && PortText(port) == mark_)
        DeleteFileW(Wide(path_).c_str());
}

vantix::Result<void> ControlListener::Listen(const std::string& path) {
    if (auto ready = WinsockReady(); !ready)
        return ready;
    if (path.empty())
        return vantix::Fail("the control channel's path is empty");
    std::uint16_t oldPort = 0;
    switch (ReadPortFile(path, oldPort)) {
    case PortFile::Foreign:
        return vantix::Fail(path + " exists and is not a simulator's port file");
    case PortFile::Port:
        if (ConnectPort(oldPort, std::chrono::seconds(2)))
            return vantix::Fail("another process already serves simulated readers on " + path);
        break; // left behind by a process that died: replaced below
    case PortFile::Missing:
        break;
    }
    ControlSocket listener = NewSocket(SOCK_STREAM);
    if (!listener)
        return vantix::Fail(SocketError("cannot create the control socket"));
    // No other program may take over the port while we listen.
    const BOOL exclusive = TRUE;
    setsockopt(Handle(listener), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
               sizeof exclusive);
    const sockaddr_in address = Loopback(0);
    if (bind(Handle(listener), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(Handle(listener), 16) != 0 || !SetBlocking(listener, false))
        return vantix::Fail(SocketError("cannot listen on a loopback port"));
    const std::string text = PortText(PortOf(listener));
    if (auto written = WritePortFile(path, text); !written)
        return written;
    path_ = path;
    mark_ = text;
    socket_ = std::move(listener);
    return {};
}

ControlSocket ControlListener::Accept(bool& outOfDescriptors) {
    ControlSocket accepted(static_cast<std::uintptr_t>(accept(Handle(socket_), nullptr, nullptr)));
    if (!accepted) {
        const int code = WSAGetLastError();
        outOfDescriptors = code == WSAEMFILE || code == WSAENOBUFS;
        return accepted;
    }
    outOfDescriptors = false;
    SetBlocking(accepted, false);
    return accepted;
}

// The wake-up channel is one UDP socket on the loopback that sends to itself.
ControlPoller::ControlPoller() = default;
ControlPoller::~ControlPoller() = default;

vantix::Result<void> ControlPoller::Open() {
    if (auto ready = WinsockReady(); !ready)
        return ready;
    ControlSocket wake = NewSocket(SOCK_DGRAM);
    sockaddr_in address = Loopback(0);
    if (!wake || bind(Handle(wake), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return vantix::Fail(SocketError("cannot create the wake-up socket"));
    address = Loopback(PortOf(wake));
    if (connect(Handle(wake), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        !SetBlocking(wake, false))
        return vantix::Fail(SocketError("cannot create the wake-up socket"));
    wakeRead_ = std::move(wake);
    return {};
}

void ControlPoller::Wake() {
    const char wake = 1;
    send(Handle(wakeRead_), &wake, 1, 0);
}

vantix::Result<bool> ControlPoller::Wait(std::vector<Entry>& entries, int timeoutMs) {
    std::vector<WSAPOLLFD> fds{{Handle(wakeRead_), POLLRDNORM, 0}};
    std::vector<std::size_t> watched; // entry of each further fd
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].readable = entries[i].writable = entries[i].hangUp = entries[i].invalid = false;
        const SHORT events = static_cast<SHORT>((entries[i].read ? POLLRDNORM : 0) | (entries[i].write ? POLLWRNORM : 0));
        if (entries[i].socket && events != 0) {
            fds.push_back({Handle(*entries[i].socket), events, 0});
            watched.push_back(i);
        }
    }
    if (WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs) == SOCKET_ERROR)
        return vantix::Fail(SocketError("WSAPoll failed"));
    const bool woken = fds[0].revents != 0;
    if (woken) {
        char drain[16];
        while (recv(Handle(wakeRead_), drain, sizeof drain, 0) > 0) {
        }
    }
    for (std::size_t k = 0; k < watched.size(); ++k) {
        const SHORT events = fds[k + 1].revents;
        Entry& entry = entries[watched[k]];
        entry.readable = events & POLLRDNORM;
        entry.writable = events & POLLWRNORM;
        entry.hangUp = events & (POLLHUP | POLLERR);
        entry.invalid = events & POLLNVAL;
    }
    return woken;
}

} // namespace FTDI
