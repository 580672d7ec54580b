#pragma once
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/d2xx/sim/SimCommands.h"
#include "platform/d2xx/sim/ControlTransport.h"

namespace FTDI {

// What one client can make the control channel hold.
struct SimControlLimits {
    std::size_t line = 64 * 1024;
    // Replies the client has not read yet; a command that arrives while this
    // much waits ends the session.
    std::size_t pendingOutput = 256 * 1024;
};

// One connection's side of the control language: bytes in, reply lines out.
// Each non-blank line gets its reply; a line may end in CR LF. A line over
// the limit, or a command while too many replies wait, ends the session with
// an "error" reply after the replies already queued.
class SimControlSession {
public:
    enum class State {
        Open,     // reading commands
        Draining, // the client sent everything: its replies go out, then close
        Closing,  // a limit was broken: what is queued goes out if it can, then close
    };

    explicit SimControlSession(SimCommands& commands, SimControlLimits limits = {})
        : commands_(commands), limits_(limits) {}

    // Bytes from the client; every complete line is answered.
    void Receive(std::string_view bytes);
    // The client sends nothing more; a last line without its end is answered.
    void EndOfInput();
    // Reply bytes not yet sent, and their removal once sent.
    const std::string& Output() const { return output_; }
    void Sent(std::size_t count);
    State GetState() const { return state_; }

private:
    void Answer(const std::string& line);
    // Queues the reason after the replies already queued and stops reading.
    void Abort(const std::string& reason);

    SimCommands& commands_;
    const SimControlLimits limits_;
    State state_ = State::Open;
    std::string input_;
    std::string output_;
};

// Serves the control language on the control channel (ControlTransport.h)
// from its own thread, to several clients at once. Sockets are non-blocking and every
// client has its own buffers with limits, so a client that stops reading
// (or floods) is cut off without delaying anyone else. Out of descriptors
// (or socket handles), the server stops accepting for a while instead of
// spinning.
class SimControlServer {
public:
    static constexpr std::size_t MaxClients = 32;
    // A client whose replies could not be sent for this long is cut off.
    static constexpr std::chrono::milliseconds StallTimeout{10000};

    explicit SimControlServer(SimulatedD2xx& sim);
    ~SimControlServer();
    SimControlServer(const SimControlServer&) = delete;
    SimControlServer& operator=(const SimControlServer&) = delete;

    // Opens the channel at path (replacing a stale one) and starts serving.
    // The reason when a live process serves the path or it cannot be used.
    vantix::Result<void> Start(const std::string& path);
    const std::string& Path() const { return path_; }

private:
    struct Client;
    void Serve();
    void Accept(std::chrono::steady_clock::time_point now);
    // Reads, answers and writes what the client's poll events allow; false
    // when the connection is done with.
    bool Service(Client& client, const ControlPoller::Entry& events, std::chrono::steady_clock::time_point now);

    SimCommands commands_;
    std::string path_;
    ControlListener listener_;
    ControlPoller poller_;
    // Out of descriptors: no accepting before this time.
    std::chrono::steady_clock::time_point acceptPausedUntil_{};
    std::chrono::milliseconds acceptBackOff_{0};
    std::vector<std::unique_ptr<Client>> clients_; // the serving thread's own
    std::thread thread_;
};

// A simulator whose control channel is open for its whole life: what the
// "sim" backend hands to the program.
class ServedSimulatedD2xx : public SimulatedD2xx {
public:
    ServedSimulatedD2xx() : server_(*this) {}
    vantix::Result<void> Start(const std::string& path) { return server_.Start(path); }

private:
    SimControlServer server_;
};

// The "sim" backend: readers from VANTIX_SIM_READERS, channel on path.
vantix::Result<std::unique_ptr<ServedSimulatedD2xx>> CreateServedSimulator(const std::string& path);

} // namespace FTDI
