#include "platform/system/System.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace vantix {

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    ::localtime_r(&time, &local);
    return local;
}

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool ProcessRuns(long id) {
    return id > 0 && (::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
}

} // namespace vantix
