#include "ftdi/ReadAssembly.h"

#include <utility>

#include "ftdi/CardData.h"

namespace FTDI {

namespace {

constexpr char RecordStart = '\x01';
constexpr char RecordEnd = '\x03';

bool Stale(bool pending, std::chrono::steady_clock::time_point grown, std::chrono::steady_clock::time_point now,
           std::chrono::milliseconds maxAge) {
    return pending && now - grown > maxAge;
}

} // namespace

AssembledReads ProximityFrames::Add(const std::uint8_t* bytes, std::size_t size, TimePoint now) {
    if (size != 0) {
        pending_.append(reinterpret_cast<const char*>(bytes), size);
        grown_ = now;
    }
    AssembledReads out;
    std::size_t at = 0;
    while (pending_.size() - at >= ProximityFrameSize) {
        std::string identifier = IdentifierFromFrame(pending_.data() + at);
        if (IsValidIdentifier(identifier)) {
            out.reads.push_back(std::move(identifier));
            at += ProximityFrameSize;
        } else {
            ++at;
            ++out.dropped;
        }
    }
    pending_.erase(0, at);
    return out;
}

AssembledReads ProximityFrames::DropStale(TimePoint now, std::chrono::milliseconds maxAge) {
    AssembledReads out;
    if (Stale(!pending_.empty(), grown_, now, maxAge)) {
        out.dropped = pending_.size();
        pending_.clear();
    }
    return out;
}

AssembledReads MagneticRecords::Add(const std::uint8_t* bytes, std::size_t size, TimePoint now) {
    AssembledReads out;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c == RecordStart) {
            out.dropped += partial_.size();
            partial_.assign(1, RecordStart);
        } else if (partial_.empty() || c == '\0') {
            ++out.dropped; // outside a record, or a NUL nobody could type
        } else if (c == RecordEnd) {
            held_.push_back(partial_ + RecordEnd);
            partial_.clear();
        } else if (partial_.size() < MaxRecordBytes) {
            partial_ += c;
        } else {
            out.dropped += partial_.size() + 1;
            partial_.clear();
        }
    }
    if (size != 0)
        grown_ = now;
    if (partial_.empty())
        out.reads = std::exchange(held_, {});
    return out;
}

AssembledReads MagneticRecords::DropStale(TimePoint now, std::chrono::milliseconds maxAge) {
    AssembledReads out;
    if (Stale(!partial_.empty(), grown_, now, maxAge)) {
        out.dropped = partial_.size();
        partial_.clear();
        out.reads = std::exchange(held_, {});
    }
    return out;
}

} // namespace FTDI
