#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace FTDI {

// One reader's serial line into its USB bridge, delivering bytes the way an
// FT232R does: they cross the line one after another (ten bits each, 8N1),
// gather in the bridge, and are handed to the host in pieces, when the
// bridge's latency timer expires or a full USB packet (62 bytes) has
// gathered. Time is passed in, so the line can run on any clock.
class BridgeLine {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Bytes = std::vector<std::uint8_t>;

    static constexpr int DefaultBaud = 9600;
    static constexpr int DefaultLatencyMs = 16;
    static constexpr std::size_t PacketBytes = 62;

    // The latency timer runs from timerStart.
    explicit BridgeLine(TimePoint timerStart) : timerStart_(timerStart), lineFree_(timerStart) {}

    int Baud() const { return baud_; }
    int LatencyMs() const { return latencyMs_; }
    // Applies to bytes sent from now on.
    void SetBaud(int baud) { baud_ = baud; }
    // Restarts the timer at now, as the chip does.
    void SetLatency(int milliseconds, TimePoint now);

    // The reader sends bytes; they start across the line at now, or behind
    // the bytes still crossing it.
    void Send(const Bytes& bytes, TimePoint now);
    // Bytes handed over at once, behind everything sent before.
    void DeliverAtOnce(const Bytes& bytes);

    // Bytes the host can read at now.
    std::size_t Readable(TimePoint now);
    // Takes up to size readable bytes in order.
    std::size_t Take(std::uint8_t* out, std::size_t size, TimePoint now);
    // Everything not taken yet: readable, in the bridge or on the line.
    std::size_t Unread() const { return readable_.size() + line_.size(); }
    // The next moment more bytes become readable, if any are on their way.
    std::optional<TimePoint> NextHandOver() const;
    // When the last byte sent so far has crossed the line.
    TimePoint LineIdleAt() const { return lineFree_; }
    // A reader unplugged loses what it had sent; the timer starts again.
    void Reset(TimePoint now);

private:
    struct InFlight {
        std::uint8_t byte;
        TimePoint arrives; // at the bridge
    };

    // When the bytes at the front are handed over, and how many.
    TimePoint FrontHandOver(std::size_t& count) const;
    void Advance(TimePoint now);

    int baud_ = DefaultBaud;
    int latencyMs_ = DefaultLatencyMs;
    TimePoint timerStart_;
    TimePoint lineFree_;
    std::deque<InFlight> line_;
    std::deque<std::uint8_t> readable_;
};

} // namespace FTDI
