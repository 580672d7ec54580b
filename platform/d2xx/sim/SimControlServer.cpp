#include "platform/d2xx/sim/SimControlServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "core/Trace.h"

namespace FTDI {

namespace {

constexpr std::size_t ReadChunk = 4096; // per client and round, so every client gets its turn
constexpr std::chrono::milliseconds FirstBackOff{50};
constexpr std::chrono::milliseconds LongestBackOff{1000};

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// Someone answers on the path: a live server, not a stale file.
bool Answers(const sockaddr_un& address) { return static_cast<bool>(ConnectUnix(address)); }

bool OutOfDescriptors(int error) { return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM; }

} // namespace

void SimControlSession::Receive(std::string_view bytes) {
    if (state_ != State::Open)
        return;
    input_.append(bytes);
    std::size_t start = 0;
    for (std::size_t end; state_ == State::Open && (end = input_.find('\n', start)) != std::string::npos;
         start = end + 1) {
        if (end - start > limits_.line)
            break;
        Answer(input_.substr(start, end - start));
    }
    // What is left is one line: unfinished, or too long.
    if (state_ == State::Open && input_.size() - start > limits_.line)
        Abort("line too long (at most " + std::to_string(limits_.line) + " bytes)");
    if (state_ == State::Open)
        input_.erase(0, start);
    else
        input_.clear();
}

void SimControlSession::EndOfInput() {
    if (state_ != State::Open)
        return;
    if (!input_.empty())
        Answer(std::exchange(input_, {}));
    if (state_ == State::Open)
        state_ = State::Draining;
}

void SimControlSession::Sent(std::size_t count) { output_.erase(0, count); }

void SimControlSession::Answer(const std::string& text) {
    std::string_view line = text;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos)
        return;
    if (output_.size() >= limits_.pendingOutput) {
        Abort("too many replies waiting (read them before sending more commands)");
        return;
    }
    output_ += commands_.Execute(std::string(line)) + "\n";
}

void SimControlSession::Abort(const std::string& reason) {
    state_ = State::Closing;
    output_ += "error " + reason + "\n";
}

struct SimControlServer::Client {
    Client(vantix::UniqueFd socket, SimCommands& commands, std::chrono::steady_clock::time_point now)
        : fd(std::move(socket)), session(commands), lastProgress(now) {}
    vantix::UniqueFd fd;
    SimControlSession session;
    // When a reply last went out, or began to wait.
    std::chrono::steady_clock::time_point lastProgress;
};

std::string DefaultSimSocketPath() {
    if (const char* path = std::getenv("VANTIX_SIM_SOCKET"); path && *path)
        return path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/vantix-sim.sock";
    return "/tmp/vantix-sim-" + std::to_string(getuid()) + ".sock";
}

SimControlServer::SimControlServer(SimulatedD2xx& sim) : commands_(sim) {}

SimControlServer::~SimControlServer() {
    if (thread_.joinable()) {
        const char wake = 1;
        while (write(wakeWrite_.Get(), &wake, 1) < 0 && errno == EINTR) {
        }
        thread_.join();
    }
    // Remove the socket only if it is still ours.
    struct stat info {};
    if (inode_ != 0 && lstat(path_.c_str(), &info) == 0 && info.st_ino == inode_)
        unlink(path_.c_str());
}

bool SimControlServer::Start(const std::string& path, std::string& error) {
    if (thread_.joinable()) {
        error = "the control channel is already open on " + path_;
        return false;
    }
    sockaddr_un address;
    if (!UnixAddress(path, address, error))
        return false;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        if (!S_ISSOCK(info.st_mode)) {
            error = path + " exists and is not a socket";
            return false;
        }
        if (Answers(address)) {
            error = "another process already serves simulated readers on " + path;
            return false;
        }
        unlink(path.c_str()); // left behind by a process that died
    }
    vantix::UniqueFd listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener) {
        error = SystemError("cannot create the control socket");
        return false;
    }
    if (bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) < 0) {
        error = errno == EADDRINUSE ? "another process already serves simulated readers on " + path
                                    : SystemError("cannot bind " + path);
        return false;
    }
    chmod(path.c_str(), 0600);
    if (lstat(path.c_str(), &info) == 0)
        inode_ = info.st_ino;
    path_ = path;
    if (listen(listener.Get(), 16) < 0) {
        error = SystemError("cannot listen on " + path);
        return false;
    }
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) < 0) {
        error = SystemError("cannot create the wake-up pipe");
        return false;
    }
    wakeRead_ = vantix::UniqueFd(wake[0]);
    wakeWrite_ = vantix::UniqueFd(wake[1]);
    listener_ = std::move(listener);
    thread_ = std::thread(&SimControlServer::Serve, this);
    return true;
}

void SimControlServer::Serve() {
    using Clock = std::chrono::steady_clock;
    std::vector<pollfd> fds;
    for (;;) {
        const Clock::time_point now = Clock::now();
        const bool accepting = now >= acceptPausedUntil_;
        Clock::time_point wakeAt = accepting ? Clock::time_point::max() : acceptPausedUntil_;
        fds.assign({{wakeRead_.Get(), POLLIN, 0}, {accepting ? listener_.Get() : -1, POLLIN, 0}});
        for (const auto& client : clients_) {
            short events = client->session.GetState() == SimControlSession::State::Open ? POLLIN : 0;
            if (!client->session.Output().empty()) {
                events |= POLLOUT;
                wakeAt = std::min(wakeAt, client->lastProgress + StallTimeout);
            }
            fds.push_back({client->fd.Get(), events, 0});
        }
        int timeout = -1;
        if (wakeAt != Clock::time_point::max())
            timeout = static_cast<int>(
                std::max<Clock::rep>(0, std::chrono::ceil<std::chrono::milliseconds>(wakeAt - now).count()));
        if (poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno == EINTR)
                continue;
            vantix::Trace(SystemError("sim control: poll failed, the channel stops"));
            return;
        }
        if (fds[0].revents)
            return;
        const Clock::time_point after = Clock::now();
        std::size_t kept = 0;
        for (std::size_t i = 0; i < clients_.size(); ++i) {
            if (!Service(*clients_[i], fds[i + 2].revents, after))
                continue;
            if (kept != i)
                clients_[kept] = std::move(clients_[i]);
            ++kept;
        }
        if (kept < clients_.size()) {
            clients_.resize(kept);
            acceptPausedUntil_ = {}; // descriptors were freed
        }
        if (fds[1].revents & POLLIN)
            Accept(after);
    }
}

void SimControlServer::Accept(std::chrono::steady_clock::time_point now) {
    vantix::UniqueFd accepted(accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!accepted) {
        // The connection waits in the backlog; trying again at once would
        // only spin until a descriptor is free.
        if (OutOfDescriptors(errno)) {
            if (acceptBackOff_.count() == 0)
                vantix::Trace(SystemError("sim control: cannot accept a client, waiting for a free descriptor"));
            acceptBackOff_ = std::min(acceptBackOff_.count() == 0 ? FirstBackOff : 2 * acceptBackOff_, LongestBackOff);
            acceptPausedUntil_ = now + acceptBackOff_;
        }
        return;
    }
    acceptBackOff_ = {};
    if (clients_.size() >= MaxClients) {
        const std::string refusal = "error too many clients (at most " + std::to_string(MaxClients) + ")\n";
        send(accepted.Get(), refusal.data(), refusal.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        return;
    }
    clients_.push_back(std::make_unique<Client>(std::move(accepted), commands_, now));
}

bool SimControlServer::Service(Client& client, short events, std::chrono::steady_clock::time_point now) {
    SimControlSession& session = client.session;
    if (events & POLLNVAL)
        return false;
    if ((events & (POLLIN | POLLHUP | POLLERR)) && session.GetState() == SimControlSession::State::Open) {
        const bool waited = !session.Output().empty();
        char buffer[ReadChunk];
        const ssize_t n = recv(client.fd.Get(), buffer, sizeof buffer, 0);
        if (n > 0)
            session.Receive({buffer, static_cast<std::size_t>(n)});
        else if (n == 0)
            session.EndOfInput();
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (!waited)
            client.lastProgress = now;
    }
    while (!session.Output().empty()) {
        const std::string& output = session.Output();
        const ssize_t n = send(client.fd.Get(), output.data(), output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            session.Sent(static_cast<std::size_t>(n));
            client.lastProgress = now;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        return false; // the client is gone
    }
    if (session.Output().empty())
        return session.GetState() == SimControlSession::State::Open;
    return now - client.lastProgress < StallTimeout;
}

std::unique_ptr<ServedSimulatedD2xx> CreateServedSimulator(const std::string& path, std::string& error) {
    std::vector<SimReader> readers;
    if (const char* text = std::getenv("VANTIX_SIM_READERS");
        text && !ParseSimReaders(text, readers, error)) {
        error = "VANTIX_SIM_READERS: " + error;
        return nullptr;
    }
    auto sim = std::make_unique<ServedSimulatedD2xx>();
    for (const auto& reader : readers)
        sim->Plug(reader.serial, reader.description, reader.userArea);
    if (!sim->Start(path, error))
        return nullptr;
    return sim;
}

} // namespace FTDI
