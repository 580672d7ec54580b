// The bytes a reader sends: proximity frames and magnetic records in pieces
// of any size, through the assemblers and through one engine pass over the
// simulator. The first input byte picks the device type (0 proximity, 1..3
// magnetic), the second seeds the piece sizes; the rest is the line.
// Invariants:
// - no crash, no undefined behaviour, whatever the bytes and their pieces;
// - a proximity read is always a valid identifier;
// - a magnetic read is one whole record: 0x01 first, 0x03 last, neither
//   anywhere else;
// - where the pieces are cut never changes what is read: the same line in
//   one piece and in many gives the same reads in the same order;
// - what the engine types never holds a 0x01 or 0x03, and a registration's
//   media ID is eight hexadecimal digits.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ftdi/CardData.h"
#include "ftdi/FTDIHelper.h"
#include "ftdi/ReadAssembly.h"
#include "fuzz/FuzzCheck.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"

using namespace FTDI;

namespace {

using TimePoint = std::chrono::steady_clock::time_point;

// A whole record between one start and one end byte.
bool IsWholeRecord(const std::string& read) {
    return read.size() >= 2 && read.front() == '\x01' && read.back() == '\x03' &&
           read.find_first_of("\x01\x03", 1) == read.size() - 1;
}

// Every read of a line given in pieces whose sizes come from the seed; the
// clock never moves, so nothing is given up before the end.
template <class Assembler>
std::vector<std::string> ReadsInPieces(const std::uint8_t* line, std::size_t size, std::uint32_t seed) {
    Assembler assembler;
    const TimePoint now{};
    std::vector<std::string> reads;
    auto take = [&reads](AssembledReads&& assembled) {
        reads.insert(reads.end(), assembled.reads.begin(), assembled.reads.end());
    };
    for (std::size_t at = 0; at < size;) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t piece = seed == 0 ? size : std::min<std::size_t>(size - at, 1 + (seed >> 8) % 70);
        take(assembler.Add(line + at, piece, now));
        at += piece;
    }
    take(assembler.DropStale(now + std::chrono::hours(1), std::chrono::milliseconds(100)));
    return reads;
}

// The smallest consumer the engine needs; it keeps the registrations.
class Consumer : public FTDIHelper<Consumer> {
public:
    using FTDIHelper::FTDIHelper;
    ~Consumer() override { Stop(); }
    void PostToConsumer(unsigned message, std::uintptr_t, std::intptr_t slot) {
        if (message == MsgRegistration)
            mediaIds.push_back(Copy<MessageRegistration>(slot).mediaId);
    }
    bool DeviceCheckEnabled() { return false; }
    int AskDeviceType(const std::string&) { return -1; }
    std::vector<std::string> mediaIds;
};

const char* DescriptionOf(int type) {
    static const char* const models[] = {"TR-614", "TR-613-1", "TR-613-2", "TR-613-3"};
    return models[type];
}

// One engine pass over the line; `assembled` is what the assemblers read.
void CheckEngine(int type, const std::uint8_t* line, std::size_t size, std::size_t assembled) {
    SimulatedD2xx d2xx;
    // Keyboard and database on, every prefix and suffix masked; for the
    // two-track reader both tracks are sent.
    SimulatedD2xx::UserAreaBytes area{0x03, 0x01, 0x0C, 'F', 'U', 'Z', 'Z', ' ', ' ',
                                      0xCC, 0xCC, 0xFF, 0xCC, 0xCC, 0xFF, 0xFF};
    if (type == DeviceTypeTwoTracks)
        area[0] |= 0x80;
    d2xx.Plug("FUZZ01", DescriptionOf(type), area);
    OutputSettings settings;
    settings.intercharacterDelay = 0;
    settings.beepPause = 0;
    RecordingKeyboardOutput keyboard;
    EngineTimings timings;
    timings.callPause = std::chrono::milliseconds(0);
    Consumer engine(d2xx, settings, keyboard, timings);
    engine.MonitorPass();
    VANTIX_FUZZ_CHECK(engine.DeviceCount() == 1, "the reader is added");
    d2xx.Inject("FUZZ01", SimulatedD2xx::Bytes(line, line + size), SimulatedD2xx::Delivery::Instant);
    // A read takes at most 999 bytes and a pass a few reads.
    for (int pass = 0; pass < 64 && d2xx.Waiting("FUZZ01") > 0; ++pass)
        engine.ReadAll();
    VANTIX_FUZZ_CHECK(d2xx.Waiting("FUZZ01") == 0, "the engine reads everything waiting");

    for (const char32_t c : keyboard.Typed())
        VANTIX_FUZZ_CHECK(c != 0x01 && c != 0x03, "no start or end byte is typed");
    // Records that complete before a record still under way may wait for it,
    // so the engine can be behind the assemblers above, never ahead.
    const std::size_t typedLines = keyboard.Lines().size();
    if (type == DeviceTypeProximity) {
        VANTIX_FUZZ_CHECK(typedLines == assembled, "every frame is typed once");
        VANTIX_FUZZ_CHECK(engine.mediaIds.size() == assembled, "every frame is registered once");
    } else {
        VANTIX_FUZZ_CHECK(typedLines <= assembled, "no record is typed twice");
        VANTIX_FUZZ_CHECK(engine.mediaIds.empty(), "a magnetic read is never registered");
    }
    for (const std::string& mediaId : engine.mediaIds)
        VANTIX_FUZZ_CHECK(mediaId.size() == 8 && mediaId.find_first_not_of("0123456789ABCDEF") == std::string::npos,
                          "a media ID is eight hexadecimal digits");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const int type = data[0] % 4;
    const std::uint32_t seed = data[1];
    const std::uint8_t* line = data + 2;
    const std::size_t lineSize = size - 2;

    std::vector<std::string> whole;
    if (type == DeviceTypeProximity) {
        whole = ReadsInPieces<ProximityFrames>(line, lineSize, 0);
        for (const std::string& identifier : whole)
            VANTIX_FUZZ_CHECK(IsValidIdentifier(identifier), "a proximity read is a valid identifier");
        VANTIX_FUZZ_CHECK(ReadsInPieces<ProximityFrames>(line, lineSize, seed | 1) == whole,
                          "the pieces do not change the reads");
    } else {
        whole = ReadsInPieces<MagneticRecords>(line, lineSize, 0);
        for (const std::string& record : whole)
            VANTIX_FUZZ_CHECK(IsWholeRecord(record), "a magnetic read is one whole record");
        VANTIX_FUZZ_CHECK(ReadsInPieces<MagneticRecords>(line, lineSize, seed | 1) == whole,
                          "the pieces do not change the reads");
    }
    CheckEngine(type, line, lineSize, whole.size());
    return 0;
}
