#include "platform/d2xx/sim/BridgeLine.h"

#include <algorithm>

namespace FTDI {

void BridgeLine::SetLatency(int milliseconds, TimePoint now) {
    Advance(now);
    latencyMs_ = milliseconds;
    timerStart_ = now;
}

void BridgeLine::Send(const Bytes& bytes, TimePoint now) {
    // Start bit, eight data bits, stop bit.
    const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / baud_);
    TimePoint at = std::max(now, lineFree_);
    for (const std::uint8_t b : bytes) {
        at += byteTime;
        line_.push_back({b, at});
    }
    lineFree_ = at;
}

void BridgeLine::DeliverAtOnce(const Bytes& bytes) {
    for (const InFlight& f : line_)
        readable_.push_back(f.byte);
    line_.clear();
    readable_.insert(readable_.end(), bytes.begin(), bytes.end());
}

BridgeLine::TimePoint BridgeLine::FrontHandOver(std::size_t& count) const {
    // The first latency tick at or after the front byte's arrival...
    const auto period = std::chrono::milliseconds(latencyMs_);
    const auto since = line_.front().arrives - timerStart_;
    const auto ticks = since <= since.zero() ? 0 : (since + period - std::chrono::nanoseconds(1)) / period;
    const TimePoint tick = timerStart_ + ticks * period;
    // ...unless a full packet has gathered before it.
    if (line_.size() >= PacketBytes && line_[PacketBytes - 1].arrives < tick) {
        count = PacketBytes;
        return line_[PacketBytes - 1].arrives;
    }
    count = 0;
    while (count < line_.size() && count < PacketBytes && line_[count].arrives <= tick)
        ++count;
    return tick;
}

void BridgeLine::Advance(TimePoint now) {
    while (!line_.empty()) {
        std::size_t count = 0;
        if (FrontHandOver(count) > now)
            return;
        for (std::size_t i = 0; i < count; ++i)
            readable_.push_back(line_[i].byte);
        line_.erase(line_.begin(), line_.begin() + static_cast<std::ptrdiff_t>(count));
    }
}

std::size_t BridgeLine::Readable(TimePoint now) {
    Advance(now);
    return readable_.size();
}

std::size_t BridgeLine::Take(std::uint8_t* out, std::size_t size, TimePoint now) {
    Advance(now);
    const std::size_t n = std::min(size, readable_.size());
    std::copy_n(readable_.begin(), n, out);
    readable_.erase(readable_.begin(), readable_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

std::optional<BridgeLine::TimePoint> BridgeLine::NextHandOver() const {
    if (line_.empty())
        return std::nullopt;
    std::size_t count = 0;
    return FrontHandOver(count);
}

void BridgeLine::Reset(TimePoint now) {
    line_.clear();
    readable_.clear();
    latencyMs_ = DefaultLatencyMs;
    timerStart_ = now;
    lineFree_ = now;
}

} // namespace FTDI
