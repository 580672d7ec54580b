#include "platform/d2xx/libftdi/ReceiveQueue.h"

#include <algorithm>

namespace FTDI {

void ReceiveQueue::Start() {
    std::lock_guard lifecycle(lifecycle_);
    std::lock_guard lock(mutex_);
    if (thread_.joinable() || failed_)
        return;
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
}

void ReceiveQueue::Stop() {
    std::lock_guard lifecycle(lifecycle_);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    if (thread_.joinable())
        thread_.join();
}

void ReceiveQueue::SetSignal(DataSignal* signal) {
    std::lock_guard lock(mutex_);
    signal_ = signal;
    if (signal_ && (!bytes_.empty() || failed_))
        signal_->Notify();
}

bool ReceiveQueue::Healthy() const {
    std::lock_guard lock(mutex_);
    return !failed_;
}

std::size_t ReceiveQueue::Size() const {
    std::lock_guard lock(mutex_);
    return bytes_.size();
}

std::size_t ReceiveQueue::Take(std::uint8_t* out, std::size_t size) {
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min(size, bytes_.size());
    std::copy_n(bytes_.begin(), n, out);
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void ReceiveQueue::Run() {
    std::uint8_t chunk[512];
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        const int got = source_(chunk, sizeof chunk);
        std::lock_guard lock(mutex_);
        if (got < 0)
            failed_ = true;
        else
            bytes_.insert(bytes_.end(), chunk, chunk + got);
        // Notified under the lock: SetSignal(nullptr) returning means the
        // old signal is no longer used.
        if (signal_ && got != 0)
            signal_->Notify();
        if (failed_)
            return;
    }
}

} // namespace FTDI
