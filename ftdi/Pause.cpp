#include "ftdi/Pause.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace FTDI {

bool PauseFor(std::chrono::milliseconds duration, const vantix::StopToken& stop) {
    if (!stop.StopPossible()) {
        std::this_thread::sleep_for(duration);
        return true;
    }
    if (duration.count() > 0 && !stop.StopRequested()) {
        std::mutex mutex;
        std::condition_variable wake;
        stop.Wait(mutex, wake, duration, [] { return false; });
    }
    return !stop.StopRequested();
}

} // namespace FTDI
