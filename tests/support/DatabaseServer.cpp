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
#include <utility>

#include "tests/support/Wait.h"

namespace vantix::test {

std::string DatabaseServer::MediaIds() const {
    std::string ids = Query("SELECT media_id FROM registrations ORDER BY id");
    for (char& c : ids)
        if (c == '\n') c = ',';
    return ids;
}

namespace {

// The state letter and parent of a /proc/.../stat entry; state 0 when gone.
std::pair<char, int> ProcState(const std::filesystem::path& stat) {
    std::ifstream in(stat);
    std::string text;
    char state = 0;
    int ppid = 0;
    const size_t close = std::getline(in, text) ? text.rfind(')') : std::string::npos;
    if (close == std::string::npos || std::sscanf(text.c_str() + close + 1, " %c %d", &state, &ppid) != 2) return {0, 0};
    return {state, ppid};
}

// Every thread of the process is stopped (or the process is gone, or a
// zombie: a backend that ended just then never runs again).
bool Stopped(pid_t pid) {
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        const char state = ProcState(task.path() / "stat").first;
        if (state != 0 && state != 'T' && state != 't' && state != 'Z' && state != 'X') return false;
    }
    return true;
}

} // namespace

void DatabaseServer::Suspend(bool stop) const {
    // The main process and everything below it, found through /proc.
    std::vector<pid_t> pids{static_cast<pid_t>(ServerPid())};
    for (size_t i = 0; i < pids.size(); ++i)
        for (const auto& entry : std::filesystem::directory_iterator("/proc"))
            if (ProcState(entry.path() / "stat").second == pids[i])
                pids.push_back(std::stoi(entry.path().filename().string()));
    for (pid_t pid : pids) ::kill(pid, stop ? SIGSTOP : SIGCONT);
    // A stop signal takes effect asynchronously: a busy machine may let the
    // server answer one more request unless we wait for it to be stopped.
    if (stop)
        for (pid_t pid : pids)
            if (!WaitFor([pid] { return Stopped(pid); })) {
                for (pid_t started : pids) ::kill(started, SIGCONT); // never leave it half stopped
                throw std::runtime_error("server process " + std::to_string(pid) + " did not stop");
            }
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
