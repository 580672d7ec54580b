#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/Result.h"

namespace FTDI {

// The transport of the simulator's control channel. Callers name the
// channel by one path: on Linux the Unix-domain socket itself; on Windows
// (and Wine) a file holding the loopback TCP port the server listens on.
// One backend per system: sim/posix/ and sim/windows/.

// The path used when none is given: VANTIX_SIM_SOCKET, else a per-user
// place of the system.
std::string DefaultSimSocketPath();

// One stream socket, closed with the object. The handle is a descriptor or
// a SOCKET; both fit, and their invalid values meet at all bits set.
class ControlSocket {
public:
    static constexpr std::uintptr_t None = ~std::uintptr_t{0};

    ControlSocket() = default;
    explicit ControlSocket(std::uintptr_t handle) : handle_(handle) {}
    ~ControlSocket() { Reset(); }
    ControlSocket(ControlSocket&& other) noexcept : handle_(std::exchange(other.handle_, None)) {}
    ControlSocket& operator=(ControlSocket&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, None);
        }
        return *this;
    }
    ControlSocket(const ControlSocket&) = delete;
    ControlSocket& operator=(const ControlSocket&) = delete;

    explicit operator bool() const { return handle_ != None; }
    std::uintptr_t Get() const { return handle_; }
    void Reset();

private:
    std::uintptr_t handle_ = None;
};

// What one send or receive did.
struct Transfer {
    enum Status {
        Moved,      // count bytes went
        WouldBlock, // nothing now (or a client's timeout passed)
        Closed,     // the peer closed its side (receive only)
        Reset,      // the peer went away without reading everything
        Failed,
    };
    Status status = Failed;
    std::size_t count = 0;
    std::string error; // the system's text, when not Moved
};

// Receives or sends at most size bytes without SIGPIPE; on a non-blocking
// socket it never waits.
Transfer Receive(const ControlSocket& socket, char* buffer, std::size_t size);
Transfer Send(const ControlSocket& socket, const char* data, std::size_t size);

// A client's blocking connection to the channel at path; every send and
// receive on it gives up after timeout. The reason (naming path) when
// nobody serves it.
vantix::Result<ControlSocket> ConnectControl(const std::string& path, std::chrono::milliseconds timeout);
// No more bytes from this side; the peer reads end of input.
void ShutdownSend(const ControlSocket& socket);

// The server's listening socket at path, non-blocking. Listen replaces what
// a dead server left at path, refuses a path a live server answers on or
// that is not ours to replace, and the destructor removes the path if it
// still is the one this listener made.
class ControlListener {
public:
    ControlListener() = default;
    ~ControlListener();
    ControlListener(const ControlListener&) = delete;
    ControlListener& operator=(const ControlListener&) = delete;

    vantix::Result<void> Listen(const std::string& path);
    const ControlSocket& Socket() const { return socket_; }

    // A waiting connection (non-blocking), or an empty socket: none waits,
    // or outOfDescriptors is set when the system has no handle left for it.
    ControlSocket Accept(bool& outOfDescriptors);

private:
    ControlSocket socket_;
    std::string path_;
    std::string mark_; // what tells that path_ is still ours
};

// Waits for several sockets at once, and can be woken from another thread.
class ControlPoller {
public:
    struct Entry {
        const ControlSocket* socket = nullptr; // null: not watched this round
        bool read = false;
        bool write = false;
        // Results
        bool readable = false; // data, end of input or a waiting connection
        bool writable = false;
        bool hangUp = false;  // closed or failed: a receive tells which
        bool invalid = false; // not an open socket
    };

    ControlPoller();
    ~ControlPoller();
    ControlPoller(const ControlPoller&) = delete;
    ControlPoller& operator=(const ControlPoller&) = delete;

    // The reason when the wake-up channel cannot be made.
    vantix::Result<void> Open();
    // Any thread: the current or next Wait returns with woken set.
    void Wake();
    // Waits until an entry is ready, Wake is called or the timeout passes
    // (negative: no timeout). True when Wake was called; the reason when
    // waiting failed.
    vantix::Result<bool> Wait(std::vector<Entry>& entries, int timeoutMs);

private:
    ControlSocket wakeRead_;
    ControlSocket wakeWrite_; // may be the same socket as wakeRead_ (then empty)
};

} // namespace FTDI
