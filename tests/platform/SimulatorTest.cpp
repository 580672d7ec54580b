#include <gtest/gtest.h>

#include <chrono>

#include "platform/d2xx/sim/SimulatedD2xx.h"

using namespace FTDI;

namespace {

using namespace std::chrono_literals;
using TimePoint = BridgeLine::TimePoint;

BridgeLine::Bytes Bytes(const std::string& s) { return BridgeLine::Bytes(s.begin(), s.end()); }

} // namespace

TEST(BridgeLine, HandsAFrameOverInPiecesAtTheLatencyTicks) {
    const TimePoint t0{};
    BridgeLine line(t0); // ticks at 16, 32, ... ms
    line.Send(Bytes(std::string(21, 'F')), t0 + 5ms);
    // 1.04 ms a byte at 9600 8N1: the last byte is across after 21.9 ms.
    EXPECT_EQ(line.LineIdleAt() - (t0 + 5ms), std::chrono::nanoseconds(21 * 1041666));
    EXPECT_EQ(line.Readable(t0 + 15ms), 0u);
    EXPECT_EQ(line.Readable(t0 + 16ms), 10u) << "what arrived by the first tick";
    EXPECT_EQ(line.NextHandOver(), t0 + 32ms);
    EXPECT_EQ(line.Readable(t0 + 31ms), 10u);
    EXPECT_EQ(line.Readable(t0 + 32ms), 21u);
    EXPECT_EQ(line.NextHandOver(), std::nullopt);
    std::uint8_t out[32];
    EXPECT_EQ(line.Take(out, sizeof out, t0 + 32ms), 21u);
    EXPECT_EQ(line.Unread(), 0u);
}

TEST(BridgeLine, AFullPacketLeavesAtOnceAndTheTimerCanBeShortened) {
    const TimePoint t0{};
    BridgeLine line(t0);
    line.SetBaud(115200); // 86.8 us a byte
    line.Send(Bytes(std::string(100, 'x')), t0);
    EXPECT_EQ(line.Readable(t0 + 5ms), 0u);
    EXPECT_EQ(line.Readable(t0 + 6ms), BridgeLine::PacketBytes) << "62 bytes are a full packet by 5.4 ms";
    EXPECT_EQ(line.Readable(t0 + 15ms), BridgeLine::PacketBytes);
    EXPECT_EQ(line.Readable(t0 + 16ms), 100u);

    line.SetLatency(2, t0 + 20ms);
    line.SetBaud(9600);
    line.Send(Bytes("abcdef"), t0 + 20ms);
    EXPECT_EQ(line.Readable(t0 + 22ms), 100u + 1);
    EXPECT_EQ(line.Readable(t0 + 24ms), 100u + 3);
    // Bytes delivered at once come behind those still on the line.
    line.DeliverAtOnce(Bytes("XY"));
    std::uint8_t out[128];
    const std::size_t n = line.Take(out, sizeof out, t0 + 24ms);
    EXPECT_EQ(std::string(out + 100, out + n), "abcdefXY");
}

TEST(Simulator, TheProgramSetsTheLatencyTimerAndPluggingInResetsIt) {
    SimulatedD2xx sim;
    sim.Plug("W1", "TR-614");
    FT_HANDLE h = nullptr;
    ASSERT_EQ(sim.FT_Open(0, &h), FT_OK);
    EXPECT_EQ(sim.LineOf("W1"), std::make_pair(9600, 16));
    ASSERT_EQ(sim.FT_SetLatencyTimer(h, 2), FT_OK);
    EXPECT_EQ(sim.FT_SetLatencyTimer(h, 0), FT_INVALID_PARAMETER);
    EXPECT_EQ(sim.LineOf("W1"), std::make_pair(9600, 2));
    sim.Unplug("W1");
    sim.Plug("W1", "TR-614");
    EXPECT_EQ(sim.LineOf("W1"), std::make_pair(9600, 16));
    sim.FT_Close(h);
}
