#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>

namespace FTDI {

// Emulates the driver's receive queue over a source that only hands out
// what has arrived so far (libftdi's read returns at once, possibly empty).
class ReceiveQueue {
public:
    // Fills buf with up to size bytes; returns the count, or < 0 on error.
    using Source = std::function<int(std::uint8_t* buf, int size)>;

    explicit ReceiveQueue(Source source) : source_(std::move(source)) {}

    // Takes in what the source has; false when the source failed.
    bool Poll() {
        std::uint8_t chunk[512];
        for (;;) {
            const int got = source_(chunk, sizeof chunk);
            if (got < 0)
                return false;
            bytes_.insert(bytes_.end(), chunk, chunk + got);
            if (got < static_cast<int>(sizeof chunk))
                return true;
        }
    }

    std::size_t Size() const { return bytes_.size(); }

    // Hands out up to size buffered bytes in arrival order.
    std::size_t Take(std::uint8_t* out, std::size_t size) {
        const std::size_t n = std::min(size, bytes_.size());
        std::copy_n(bytes_.begin(), n, out);
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }

private:
    Source source_;
    std::deque<std::uint8_t> bytes_;
};

} // namespace FTDI
