#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/d2xx/DataSignal.h"

namespace FTDI {

// The driver's receive queue, filled by a thread of its own from a source
// that waits for what the device sends (libftdi's read returns after at most
// one latency period, possibly empty). So a reader pass never waits for USB,
// and whoever asked is woken as soon as bytes arrive.
class ReceiveQueue {
public:
    // Fills buf with up to size bytes; returns the count, or < 0 on error.
    using Source = std::function<int(std::uint8_t* buf, int size)>;

    explicit ReceiveQueue(Source source) : source_(std::move(source)) {}
    ~ReceiveQueue() { Stop(); }
    ReceiveQueue(const ReceiveQueue&) = delete;
    ReceiveQueue& operator=(const ReceiveQueue&) = delete;

    // Starts gathering, unless it runs already or the source has failed.
    void Start();
    // Ends gathering once the source call under way returns; what was
    // gathered stays.
    void Stop();
    // Notified after each delivery and when the source fails; null: nobody.
    void SetSignal(DataSignal* signal);

    // False once the source has failed (the device is gone).
    bool Healthy() const;
    std::size_t Size() const;
    // Hands out up to size gathered bytes in arrival order.
    std::size_t Take(std::uint8_t* out, std::size_t size);

private:
    void Run();

    Source source_;
    mutable std::mutex mutex_;
    std::deque<std::uint8_t> bytes_;
    DataSignal* signal_ = nullptr;
    bool failed_ = false;
    bool stopping_ = false;
    std::thread thread_;
    std::mutex lifecycle_; // Start and Stop
};

// Pauses a queue's gathering for one scope (while the device is reset or its
// EEPROM is used), when it was running.
class ReceivePause {
public:
    ReceivePause(ReceiveQueue& queue, bool running) : queue_(queue), running_(running) {
        if (running_)
            queue_.Stop();
    }
    ~ReceivePause() {
        if (running_)
            queue_.Start();
    }
    ReceivePause(const ReceivePause&) = delete;
    ReceivePause& operator=(const ReceivePause&) = delete;

private:
    ReceiveQueue& queue_;
    bool running_;
};

} // namespace FTDI
