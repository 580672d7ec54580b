#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tests/support/Wait.h"

extern char** environ;

namespace vantix::test {

ChildProcess::ChildProcess(std::vector<std::string> argv, const std::map<std::string, std::string>& env,
                           const std::string& log) {
    // Ours, with `env` in place of any entry of the same name.
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        if (const std::string entry = *e; !env.count(entry.substr(0, entry.find('='))))
            environment.push_back(entry);
    for (const auto& [key, value] : env)
        environment.push_back(key + "=" + value);
    const auto pointers = [](std::vector<std::string>& texts) {
        std::vector<char*> out;
        for (std::string& t : texts)
            out.push_back(t.data());
        out.push_back(nullptr);
        return out;
    };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int rc = posix_spawnp(&pid_, argv[0].c_str(), &actions, nullptr, pointers(argv).data(),
                                pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0]);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        Signal(SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

void ChildProcess::Signal(int signal) const { ::kill(pid_, signal); }

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    int status = 0;
    if (!WaitFor([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout))
        return std::nullopt;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run: " + command);
    std::array<char, 4096> chunk{};
    for (size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;) output.append(chunk.data(), n);
    const int status = ::pclose(pipe);
    if (status != 0) throw std::runtime_error("failed (" + std::to_string(status) + "): " + command + "\n" + output);
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace vantix::test
