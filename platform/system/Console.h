#pragma once
#include <optional>
#include <string>

namespace vantix {

// Ctrl-C, Ctrl-Break and termination requests (SIGTERM; a closed console
// window on Windows) taken as a request to stop, for a command that runs
// until told otherwise. Create it before any thread starts: on POSIX
// systems the signals are blocked for every thread and only Wait sees them.
class StopRequests {
public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // Returns when a request has come.
    void Wait();
};

// Ctrl-C as a flag that a long operation polls; the previous handling comes
// back with the object's end. One at a time.
class InterruptFlag {
public:
    InterruptFlag();
    ~InterruptFlag();
    InterruptFlag(const InterruptFlag&) = delete;
    InterruptFlag& operator=(const InterruptFlag&) = delete;

    bool Raised() const;
};

// Whether standard input is a terminal (a person types), not a pipe or file.
bool InputIsTerminal();

// One line from standard input without its line end (LF or CR LF);
// nullopt at the end of input.
std::optional<std::string> ReadInputLine();

// One line from standard input without its line end, with the terminal's
// echo off while it is typed; nullopt at the end of input.
std::optional<std::string> ReadHiddenLine();

} // namespace vantix
