#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "core/Stop.h"

namespace FTDI {

// Wakes a waiting thread when a reader has received bytes. A notification
// that comes while nobody waits is kept for the next wait, so none is lost.
class DataSignal {
public:
    // Any thread.
    void Notify() {
        {
            std::lock_guard lock(mutex_);
            pending_ = true;
        }
        wake_.notify_all();
    }

    // Waits until notified since the last wait, the timeout passes or a stop
    // is requested. True when it was notified; the notification is used up.
    bool WaitFor(std::chrono::milliseconds timeout, const vantix::StopToken& stop) {
        bool notified = false;
        stop.Wait(mutex_, wake_, timeout, [&] {
            notified = notified || std::exchange(pending_, false);
            return notified;
        });
        return notified;
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;
};

} // namespace FTDI
