#pragma once
#include <cstddef>
#include <memory>
#include <mutex>

#include "ftdi/Exception.h"

namespace FTDI {

// A ring of N preallocated slots. Put overwrites the oldest slot once the ring
// has gone round; there is no full test. Put and Copy take the ring's own
// mutex so a reader copying a slot never sees it half rewritten.
template <class T, std::size_t N>
class CircularBuffer {
public:
    CircularBuffer() : slots_(std::make_unique<T[]>(N)) {}
    virtual ~CircularBuffer() = default;
    CircularBuffer(const CircularBuffer&) = delete;
    CircularBuffer& operator=(const CircularBuffer&) = delete;

    // Copies the message into the next slot and returns its index.
    std::size_t Put(const T& message) {
        std::lock_guard lock(mutex_);
        last_ = (last_ + 1) % static_cast<long>(N);
        slots_[last_] = message;
        return static_cast<std::size_t>(last_);
    }

    // A copy of the slot, taken under the ring's mutex.
    T Copy(std::size_t index) const {
        std::lock_guard lock(mutex_);
        CheckIndex(index);
        return slots_[index];
    }

    static constexpr std::size_t Size() { return N; }

private:
    void CheckIndex(std::size_t index) const {
        if (index >= N)
            throw Exception("CircularBuffer::Get() - index too large.");
        if (last_ < 0)
            throw Exception("CircularBuffer::Get() - no elements.");
    }

    std::unique_ptr<T[]> slots_;
    long last_ = -1;
    mutable std::mutex mutex_;
};

} // namespace FTDI
