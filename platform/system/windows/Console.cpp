#include "platform/system/Console.h"

#include <windows.h>

#include <atomic>

namespace vantix {

namespace {

// The console's control handler runs on a thread of its own; an event
// wakes whoever waits.
HANDLE stopEvent = nullptr;
std::atomic<bool> interrupted{false};

BOOL WINAPI OnStop(DWORD) {
    ::SetEvent(stopEvent);
    return TRUE; // handled: the process ends when the waiter returns
}

BOOL WINAPI OnInterrupt(DWORD type) {
    if (type != CTRL_C_EVENT)
        return FALSE;
    interrupted = true;
    return TRUE;
}

} // namespace

StopRequests::StopRequests() {
    stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(OnStop, TRUE);
}

StopRequests::~StopRequests() {
    ::SetConsoleCtrlHandler(OnStop, FALSE);
    ::CloseHandle(stopEvent);
    stopEvent = nullptr;
}

void StopRequests::Wait() { ::WaitForSingleObject(stopEvent, INFINITE); }

InterruptFlag::InterruptFlag() {
    interrupted = false;
    ::SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

InterruptFlag::~InterruptFlag() { ::SetConsoleCtrlHandler(OnInterrupt, FALSE); }

bool InterruptFlag::Raised() const { return interrupted; }

bool InputIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

std::optional<std::string> ReadHiddenLine() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    const bool console = ::GetConsoleMode(input, &saved) != 0;
    if (console)
        ::SetConsoleMode(input, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    auto line = ReadInputLine();
    if (console)
        ::SetConsoleMode(input, saved);
    return line;
}

} // namespace vantix
