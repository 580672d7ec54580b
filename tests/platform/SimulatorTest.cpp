// The simulator: its line timing, its command language and its control
// channel. Hostile input to a session is the sim_control fuzz target's; here
// a client that misbehaves only has to leave the channel to the others.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimCommands.h"
#include "platform/d2xx/sim/SimControlServer.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "tests/support/TempDir.h"

using namespace FTDI;
using namespace std::chrono_literals;
using State = SimControlSession::State;
using TimePoint = BridgeLine::TimePoint;

namespace {

BridgeLine::Bytes Bytes(const std::string& s) { return BridgeLine::Bytes(s.begin(), s.end()); }

// A channel path in a fresh directory and, once started, a server on it.
class SimChannel : public ::testing::Test {
protected:
    void Serve() {
        const vantix::Result<void> started = server.Start(path);
        ASSERT_TRUE(started) << started.error();
    }
    std::string Ask(const std::string& command) {
        const vantix::Result<std::string> reply = SimRequest(path, command);
        EXPECT_TRUE(reply) << reply.error();
        return reply ? *reply : std::string();
    }

    vantix::test::TempDir dir;
    std::string path = dir.File("sim.sock");
    SimulatedD2xx sim;
    SimControlServer server{sim};
};

} // namespace

TEST(BridgeLine, HandsBytesOverAtTheLatencyTicksOrAsFullPackets) {
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
    std::uint8_t out[128];
    EXPECT_EQ(line.Take(out, sizeof out, t0 + 32ms), 21u);
    EXPECT_EQ(line.Unread(), 0u);

    line.SetBaud(115200); // 86.8 us a byte
    line.Send(Bytes(std::string(100, 'x')), t0 + 32ms);
    EXPECT_EQ(line.Readable(t0 + 37ms), 0u);
    EXPECT_EQ(line.Readable(t0 + 38ms), BridgeLine::PacketBytes) << "62 bytes are a full packet by 5.4 ms";
    EXPECT_EQ(line.Readable(t0 + 48ms), 100u);
    // A shorter timer hands over sooner; bytes delivered at once come behind
    // those still on the line.
    line.SetLatency(2, t0 + 52ms);
    line.SetBaud(9600);
    line.Send(Bytes("abcdef"), t0 + 52ms);
    EXPECT_EQ(line.Readable(t0 + 54ms), 100u + 1);
    EXPECT_EQ(line.Readable(t0 + 56ms), 100u + 3);
    line.DeliverAtOnce(Bytes("XY"));
    const std::size_t n = line.Take(out, sizeof out, t0 + 56ms);
    EXPECT_EQ(std::string(out + 100, out + n), "abcdefXY");
}

// Plugging and cards are driven through vantixctl and the end-to-end tests;
// the fault-making commands are not, yet they are what keeps the simulator
// as unkind as a real reader.
TEST(SimCommands, FaultCommandsReachTheReader) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    commands.Execute("plug R1 TR-614");
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(sim.FT_Open(0, &handle), FT_OK);
    EXPECT_EQ(commands.Execute("inject R1 0203 instant"), "ok injected 2");
    DWORD readable = 0;
    ASSERT_EQ(sim.FT_GetQueueStatus(handle, &readable), FT_OK);
    EXPECT_EQ(readable, 2u) << "instant bytes are readable at once";
    EXPECT_EQ(commands.Execute("fail FT_Read 4"), "ok next FT_Read fails with 4");
    char buffer[8];
    DWORD got = 0;
    EXPECT_EQ(sim.FT_Read(handle, buffer, sizeof buffer, &got), FT_IO_ERROR);
    // The program sets the latency timer; plugging in again resets it.
    EXPECT_EQ(sim.LineOf("R1"), std::make_pair(9600, 16));
    ASSERT_EQ(sim.FT_SetLatencyTimer(handle, 2), FT_OK);
    EXPECT_EQ(sim.FT_SetLatencyTimer(handle, 0), FT_INVALID_PARAMETER);
    EXPECT_EQ(sim.LineOf("R1"), std::make_pair(9600, 2));
    sim.FT_Close(handle);
    sim.Unplug("R1");
    sim.Plug("R1", "TR-614");
    EXPECT_EQ(sim.LineOf("R1"), std::make_pair(9600, 16));

    EXPECT_EQ(commands.Execute("line R1 latency=2 baud=19200"), "ok line R1 baud=19200 latency=2");
    EXPECT_EQ(sim.LineOf("R1"), std::make_pair(19200, 2));
    const std::string stray = commands.Execute("stray R1 300");
    ASSERT_EQ(stray.rfind("ok stray ", 0), 0u) << stray;
    for (std::size_t i = 9; i < stray.size(); i += 2)
        EXPECT_TRUE(stray.compare(i, 2, "01") != 0 && stray.compare(i, 2, "03") != 0) << "no record framing in noise";
    EXPECT_EQ(sim.Waiting("R1"), 300u) << "the bytes from before the replug are gone";
    EXPECT_EQ(commands.Execute("unplug R1"), "ok unplugged R1");
    EXPECT_TRUE(sim.PluggedSerials().empty());
}

// The limit on replies left unread is the sim_control fuzz target's invariant.
TEST(SimControlSession, AnOverlongLineEndsTheSessionWithTheReasonBeforeItEnds) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    SimControlSession session(commands, {16, 1000});
    session.Receive("list\n" + std::string(17, 'a'));
    EXPECT_EQ(session.Output(), "ok 0\nerror line too long (at most 16 bytes)\n");
    EXPECT_EQ(session.GetState(), State::Closing);
    session.Receive("\nplug X TR-614\n");
    EXPECT_TRUE(sim.PluggedSerials().empty()) << "nothing after the long line is carried out";
}

TEST_F(SimChannel, AChannelGoesWithItsServerAndAStaleOneIsReplaced) {
    const std::string listed = "ok 1\nS1 FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF 0 TR-614";
    {
        SimControlServer first(sim);
        ASSERT_TRUE(first.Start(path));
        EXPECT_EQ(Ask("plug S1 TR-614\r\n\nlist"), "ok plugged S1\n" + listed);
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "the channel goes with its server";
    const vantix::Result<std::string> reply = SimRequest(path, "list");
    ASSERT_FALSE(reply) << "nobody serves a stale channel";
    EXPECT_NE(reply.error().find(path), std::string::npos) << reply.error();
#if defined(_WIN32)
    // The port file of a server that is gone.
    {
        SimControlServer gone(sim);
        ASSERT_TRUE(gone.Start(path));
        vantix::test::WriteFile(dir.File("port"), vantix::test::ReadFile(path));
    }
    vantix::test::WriteFile(path, vantix::test::ReadFile(dir.File("port")));
#else
    // A socket file nobody listens on.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
#endif
    // A second server on a live channel is refused by vantixctl's tests.
    Serve(); // replaces the stale channel
    // A client that neither sends nor reads holds up no one.
    const auto idle = ConnectControl(path, std::chrono::seconds(10));
    ASSERT_TRUE(idle) << idle.error();
    EXPECT_EQ(Ask("list"), listed);
}
