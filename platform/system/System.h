#pragma once
#include <ctime>

namespace vantix {

// Calendar time in the local time zone.
std::tm LocalTime(std::time_t time);

// This process's id, and whether a process with the id runs (another
// user's included).
long CurrentProcessId();
bool ProcessRuns(long id);

} // namespace vantix
