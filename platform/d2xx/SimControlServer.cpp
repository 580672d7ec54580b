#include "platform/d2xx/SimControlServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace FTDI {

namespace {

constexpr std::size_t MaxLine = 64 * 1024;

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// Someone answers on the path: a live server, not a stale file.
bool Answers(const sockaddr_un& address) { return static_cast<bool>(ConnectUnix(address)); }

} // namespace

std::string DefaultSimSocketPath() {
    if (const char* path = std::getenv("VANTIX_SIM_SOCKET"); path && *path)
        return path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/vantix-sim.sock";
    return "/tmp/vantix-sim-" + std::to_string(getuid()) + ".sock";
}

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
    vantix::UniqueFd listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
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
    struct Client {
        vantix::UniqueFd fd;
        std::string pending;
    };
    std::map<int, Client> clients;
    std::vector<pollfd> fds;
    for (;;) {
        fds.assign({{wakeRead_.Get(), POLLIN, 0}, {listener_.Get(), POLLIN, 0}});
        for (const auto& [fd, client] : clients)
            fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents)
            return;
        if (fds[1].revents & POLLIN) {
            vantix::UniqueFd accepted(accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (accepted) {
                // A client that stops reading must not stall the simulator.
                const timeval timeout{1, 0};
                setsockopt(accepted.Get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
                const int fd = accepted.Get();
                clients.emplace(fd, Client{std::move(accepted), {}});
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            Client& client = clients.at(fds[i].fd);
            char buffer[4096];
            const ssize_t n = recv(fds[i].fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            bool keep = n > 0;
            if (keep)
                client.pending.append(buffer, static_cast<std::size_t>(n));
            else if (!client.pending.empty())
                client.pending += '\n'; // a last command without its line end
            std::size_t end;
            while ((end = client.pending.find('\n')) != std::string::npos) {
                std::string line = client.pending.substr(0, end);
                client.pending.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (line.find_first_not_of(" \t") == std::string::npos)
                    continue;
                if (!SendAll(fds[i].fd, commands_.Execute(line) + "\n"))
                    keep = false;
            }
            if (client.pending.size() > MaxLine) {
                SendAll(fds[i].fd, "error line too long\n");
                keep = false;
            }
            if (!keep)
                clients.erase(fds[i].fd);
        }
    }
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
