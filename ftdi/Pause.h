#pragma once
#include <chrono>

#include "core/Stop.h"

namespace FTDI {

// Sleeps for the given time unless a stop is requested on the token, in which
// case it returns at once. Returns false when the stop was requested.
bool PauseFor(std::chrono::milliseconds duration, const vantix::StopToken& stop);

} // namespace FTDI
