#pragma once
#include <sys/types.h>

#include <memory>
#include <string>
#include <thread>

#include "platform/d2xx/SimCommands.h"
#include "platform/d2xx/UnixSocket.h"

namespace FTDI {

// The control socket's path: VANTIX_SIM_SOCKET, else
// $XDG_RUNTIME_DIR/vantix-sim.sock, else /tmp/vantix-sim-<uid>.sock.
std::string DefaultSimSocketPath();

// Serves the control language on a Unix-domain stream socket from its own
// thread. Each connection may send several command lines; each gets its
// reply lines back.
class SimControlServer {
public:
    explicit SimControlServer(SimulatedD2xx& sim) : commands_(sim) {}
    ~SimControlServer();
    SimControlServer(const SimControlServer&) = delete;
    SimControlServer& operator=(const SimControlServer&) = delete;

    // Binds the socket (replacing a stale one) and starts serving. False with
    // the reason when a live process serves the path or it cannot be used.
    bool Start(const std::string& path, std::string& error);
    const std::string& Path() const { return path_; }

private:
    void Serve();

    SimCommands commands_;
    std::string path_;
    vantix::UniqueFd listener_;
    vantix::UniqueFd wakeRead_;
    vantix::UniqueFd wakeWrite_;
    ino_t inode_ = 0;
    std::thread thread_;
};

// A simulator whose control channel is open for its whole life: what the
// "sim" backend hands to the program.
class ServedSimulatedD2xx : public SimulatedD2xx {
public:
    ServedSimulatedD2xx() : server_(*this) {}
    bool Start(const std::string& path, std::string& error) { return server_.Start(path, error); }

private:
    SimControlServer server_;
};

// The "sim" backend: readers from VANTIX_SIM_READERS, channel on path.
std::unique_ptr<ServedSimulatedD2xx> CreateServedSimulator(const std::string& path, std::string& error);

} // namespace FTDI
