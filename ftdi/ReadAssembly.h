#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace FTDI {

// What a reader's bytes have given so far: the card reads completed, in
// order, and how many bytes were given up because they belong to none.
struct AssembledReads {
    std::vector<std::string> reads;
    std::size_t dropped = 0;
};

// Proximity frames out of the pieces a bridge delivers them in. A piece that
// is not yet a whole frame waits for the rest; bytes that cannot begin a
// valid frame (stray bytes, a frame failing the check) are skipped one at a
// time until a valid frame starts, so a good frame is never lost with them.
class ProximityFrames {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    // Adds the bytes of one read; the reads are the identifiers (16 digits,
    // most significant byte first) of the valid frames completed.
    AssembledReads Add(const std::uint8_t* bytes, std::size_t size, TimePoint now);
    // Gives up a fragment that has not grown for longer than maxAge.
    AssembledReads DropStale(TimePoint now, std::chrono::milliseconds maxAge);
    // Bytes kept for the next read.
    std::size_t Pending() const { return pending_.size(); }

private:
    std::string pending_;
    TimePoint grown_{};
};

// Magnetic records (0x01 ... 0x03) out of the pieces a bridge delivers them
// in. Each complete record becomes one read, start and end byte included. A
// record under way waits for its end; a new start byte gives up an
// unfinished record before it. Records are handed on once no further record
// is under way, so the tracks of one swipe go together.
class MagneticRecords {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    // Longer than any track: a record growing beyond it is noise.
    static constexpr std::size_t MaxRecordBytes = 4096;

    AssembledReads Add(const std::uint8_t* bytes, std::size_t size, TimePoint now);
    // Gives up a record under way that has not grown for longer than maxAge,
    // and hands on the complete records that waited for it.
    AssembledReads DropStale(TimePoint now, std::chrono::milliseconds maxAge);
    std::size_t Pending() const { return partial_.size(); }

private:
    std::string partial_;
    std::vector<std::string> held_;
    TimePoint grown_{};
};

} // namespace FTDI
