// Frames and records out of the pieces a bridge delivers them in.
#include <gtest/gtest.h>

#include <random>

#include "ftdi/CardData.h"
#include "ftdi/ReadAssembly.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"

using namespace FTDI;
using namespace std::chrono_literals;
using namespace std::string_literals;
using TimePoint = std::chrono::steady_clock::time_point;
using Reads = std::vector<std::string>;

namespace {

const TimePoint T0{};

template <class Assembler>
AssembledReads Add(Assembler& assembler, const std::string& bytes, TimePoint now = T0) {
    return assembler.Add(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), now);
}

std::string Frame(const std::string& identifier) {
    return SimulatedD2xx::ProximityFrame(*SimulatedD2xx::CompleteIdentifier(identifier));
}

// The stream cut at random places, fed piece by piece.
template <class Assembler>
AssembledReads AddInRandomPieces(Assembler& assembler, const std::string& stream, std::mt19937& random) {
    AssembledReads all;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t size = std::min<std::size_t>(stream.size() - at, 1 + random() % 30);
        AssembledReads some = Add(assembler, stream.substr(at, size));
        all.reads.insert(all.reads.end(), some.reads.begin(), some.reads.end());
        all.dropped += some.dropped;
        at += size;
    }
    return all;
}

} // namespace

TEST(ProximityFrames, AnyCutOfAStreamGivesEveryValidFrameOnceInOrder) {
    std::mt19937 random(11);
    std::string badCrc = Frame("00000249541F01");
    badCrc[15] = '5'; // CRC byte F4 -> F5
    const std::string noises[] = {"", "\xFFxyz", badCrc, SimulatedD2xx::ProximityFrame("0000000000000000")};
    for (int round = 0; round < 200; ++round) {
        Reads expected;
        std::string stream;
        std::size_t noise = 0;
        for (int card = 0; card < 5; ++card) {
            // Stray bytes, a frame failing the check, an all-zero frame.
            const std::string& before = noises[random() % 4];
            stream += before;
            noise += before.size();
            char serial[15];
            std::snprintf(serial, sizeof serial, "%012X01", static_cast<unsigned>(random()));
            expected.push_back(*SimulatedD2xx::CompleteIdentifier(serial));
            stream += Frame(serial);
        }
        ProximityFrames frames;
        const AssembledReads got = AddInRandomPieces(frames, stream, random);
        ASSERT_EQ(got.reads, expected) << "round " << round;
        EXPECT_EQ(got.dropped, noise);
        EXPECT_EQ(frames.Pending(), 0u);
    }
}

TEST(MagneticRecords, EachRecordIsOneReadWhateverTheCuts) {
    std::mt19937 random(5);
    const Reads swipe = {"\x01%B4111111111111111^DOE/JOHN^2512101?\x03", "\x01;4111111111111111=2512101?\x03",
                         "\x01;0042?\x03"};
    const std::string stream = "\r\n" + swipe[0] + swipe[1] + swipe[2] + "\r\n";
    for (int round = 0; round < 200; ++round) {
        MagneticRecords records;
        const AssembledReads got = AddInRandomPieces(records, stream, random);
        ASSERT_EQ(got.reads, swipe) << "round " << round;
        EXPECT_EQ(got.dropped, 4u) << "the line ends outside the records";
    }
}

TEST(MagneticRecords, RecordsWaitForTheRecordUnderWayAndGoTogether) {
    MagneticRecords records;
    EXPECT_TRUE(Add(records, "\x01%A\x03\x01;B", T0).reads.empty());
    EXPECT_EQ(Add(records, "\x03", T0 + 5ms).reads, (Reads{"\x01%A\x03", "\x01;B\x03"}));

    // A record under way that stops growing is given up; the complete one
    // before it is handed on then.
    Add(records, "\x01%C\x03\x01;DEF", T0 + 10ms);
    EXPECT_TRUE(records.DropStale(T0 + 110ms, 100ms).reads.empty()) << "kept while exactly at its age limit";
    const AssembledReads stale = records.DropStale(T0 + 111ms, 100ms);
    EXPECT_EQ(stale.reads, Reads{"\x01%C\x03"});
    EXPECT_EQ(stale.dropped, 5u);
}

TEST(MagneticRecords, BrokenRecordsNoiseAndNulsNeverBecomeData) {
    MagneticRecords records;
    // A start byte gives up the unfinished record before it; an end byte
    // outside a record and a NUL inside one are dropped.
    const AssembledReads got = Add(records, "\x03junk\x01%LOST\x01%KE\0PT\x03"s);
    EXPECT_EQ(got.reads, Reads{"\x01%KEPT\x03"});
    EXPECT_EQ(got.dropped, 5u + 6u + 1u);
    // A record without end does not grow without bound.
    const AssembledReads endless =
        Add(records, "\x01" + std::string(MagneticRecords::MaxRecordBytes + 10, 'x') + "\x01%OK\x03");
    EXPECT_EQ(endless.reads, Reads{"\x01%OK\x03"});
    EXPECT_EQ(records.Pending(), 0u);
}
