#pragma once
#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantix::test {

// A child process with extra environment variables and its output in a log
// file, ended (SIGTERM) with the object unless it has been waited for.
class ChildProcess {
public:
    ChildProcess(std::vector<std::string> argv, const std::map<std::string, std::string>& env, const std::string& log);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void Signal(int signal) const;
    // The exit status (128 + the signal for a killed one), or nothing when
    // the process still runs after `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
};

// Whether a program of that name is found on $PATH.
bool OnPath(const std::string& program);

// Standard output of a shell command; throws std::runtime_error when it
// fails. The final line ends are removed.
std::string RunCommand(const std::string& command);

// 'text' for a POSIX shell.
std::string ShellQuote(const std::string& text);

} // namespace vantix::test
