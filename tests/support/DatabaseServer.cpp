#include "tests/support/DatabaseServer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <signal.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <vector>
#include <cstdio>
#include <stdexcept>

namespace vantix::test {

std::string DatabaseServer::MediaIds() const {
    std::string ids = Query("SELECT media_id FROM registrations ORDER BY id");
    for (char& c : ids)
        if (c == '\n') c = ',';
    return ids;
}

void DatabaseServer::Suspend(bool stop) const {
    // The main process and everything below it, found through /proc.
    std::vector<pid_t> pids{static_cast<pid_t>(ServerPid())};
    for (size_t i = 0; i < pids.size(); ++i)
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string text;
            if (!std::getline(stat, text)) continue;
            const size_t close = text.rfind(')');
            int ppid = 0;
            char state = 0;
            if (close != std::string::npos && std::sscanf(text.c_str() + close + 1, " %c %d", &state, &ppid) == 2 &&
                ppid == pids[i])
                pids.push_back(std::stoi(entry.path().filename().string()));
        }
    for (pid_t pid : pids) ::kill(pid, stop ? SIGSTOP : SIGCONT);
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run: " + command);
    std::array<char, 4096> chunk{};
    size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) output.append(chunk.data(), n);
    const int status = ::pclose(pipe);
    if (status != 0) throw std::runtime_error("failed (" + std::to_string(status) + "): " + command + "\n" + output);
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("no free port");
    }
    const int port = ntohs(addr.sin_port);
    ::close(fd);
    return port;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace vantix::test
