#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/Stop.h"

using namespace std::chrono_literals;

// A stop that comes at any moment of a waiter's wait (before it, while it
// blocks, while it wakes) ends the wait long before its timeout, and the
// stopping thread is never held up. With std::stop_token waits in the
// Windows build some rounds hung.
TEST(Stop, EndsAWaitWhateverMomentItComes) {
    for (int round = 0; round < 1000; ++round) {
        vantix::StopSource source;
        std::mutex mutex;
        std::condition_variable wake;
        std::chrono::steady_clock::duration waited{};
        std::thread waiter([&] {
            const auto start = std::chrono::steady_clock::now();
            source.Token().Wait(mutex, wake, 10s, [] { return false; });
            waited = std::chrono::steady_clock::now() - start;
        });
        std::atomic<int> spin{0};
        while (spin.fetch_add(1) < round % 64 * 100) {
        }
        source.RequestStop();
        waiter.join();
        ASSERT_LT(waited, 5s) << "round " << round;
    }
}

TEST(Stop, AWaitEndsByItsConditionOrTimeoutWithoutAStop) {
    const vantix::StopToken never;
    std::mutex mutex;
    std::condition_variable wake;
    EXPECT_FALSE(never.Wait(mutex, wake, 0ms, [] { return false; }));
    vantix::StopSource source;
    bool ready = false;
    std::thread setter([&] {
        std::lock_guard lock(mutex);
        ready = true;
        wake.notify_all();
    });
    EXPECT_TRUE(source.Token().Wait(mutex, wake, std::nullopt, [&] { return ready; }));
    setter.join();
}
