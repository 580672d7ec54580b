#pragma once
#include <chrono>
#include <thread>

namespace vantix::test {

// Polls `done` until it holds or `limit` passes; true if it held. Between two
// polls runs `between`: a short nap by default, an event pump for Qt tests.
template <class Done, class Between>
bool WaitFor(Done&& done, std::chrono::milliseconds limit, Between&& between) {
    for (const auto end = std::chrono::steady_clock::now() + limit; !done(); between())
        if (std::chrono::steady_clock::now() >= end)
            return done();
    return true;
}

template <class Done>
bool WaitFor(Done&& done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    return WaitFor(done, limit, [] { std::this_thread::sleep_for(std::chrono::milliseconds(2)); });
}

} // namespace vantix::test
