#include "ftdi/Pause.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace FTDI {

bool PauseFor(std::chrono::milliseconds duration, std::stop_token stop) {
    if (!stop.stop_possible()) {
        std::this_thread::sleep_for(duration);
        return true;
    }
    if (duration.count() > 0 && !stop.stop_requested()) {
        std::mutex mutex;
        std::condition_variable_any wake;
        std::unique_lock lock(mutex);
        wake.wait_for(lock, stop, duration, [] { return false; });
    }
    return !stop.stop_requested();
}

} // namespace FTDI
