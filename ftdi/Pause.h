#pragma once
#include <chrono>
#include <stop_token>

namespace FTDI {

// Sleeps for the given time unless a stop is requested on the token, in which
// case it returns at once. Returns false when the stop was requested.
bool PauseFor(std::chrono::milliseconds duration, std::stop_token stop);

} // namespace FTDI
