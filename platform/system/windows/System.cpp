#include "platform/system/System.h"

#include <windows.h>

namespace vantix {

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    ::localtime_s(&local, &time);
    return local;
}

long CurrentProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

bool ProcessRuns(long id) {
    if (id <= 0)
        return false;
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
}

} // namespace vantix
