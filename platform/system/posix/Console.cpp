#include "platform/system/Console.h"

#include <csignal>
#include <pthread.h>
#include <termios.h>
#include <unistd.h>

namespace vantix {

namespace {

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

volatile std::sig_atomic_t interrupted = 0;
struct sigaction previousInterrupt {};

void OnInterrupt(int) { interrupted = 1; }

} // namespace

StopRequests::StopRequests() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopRequests::~StopRequests() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void StopRequests::Wait() {
    const sigset_t set = StopSignals();
    int signal = 0;
    sigwait(&set, &signal);
}

InterruptFlag::InterruptFlag() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    interrupted = 0;
    sigaction(SIGINT, &action, &previousInterrupt);
}

InterruptFlag::~InterruptFlag() { sigaction(SIGINT, &previousInterrupt, nullptr); }

bool InterruptFlag::Raised() const { return interrupted != 0; }

bool InputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

std::optional<std::string> ReadHiddenLine() {
    termios saved{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    auto line = ReadInputLine();
    if (terminal)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    return line;
}

} // namespace vantix
