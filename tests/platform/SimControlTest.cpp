#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/Hex.h"
#include "ftdi/UserArea.h"
#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimCommands.h"
#include "platform/d2xx/sim/SimControlServer.h"
#include "tests/support/TempDir.h"

using namespace FTDI;
using vantix::test::TempDir;

namespace {

const std::string Area = "5B1234414243202020879B056AC00AFF";

std::string Ask(const std::string& path, const std::string& command) {
    const vantix::Result<std::string> reply = SimRequest(path, command);
    EXPECT_TRUE(reply) << reply.error();
    return reply ? *reply : std::string();
}

void SetEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

void UnsetEnv(const char* name) {
#if defined(_WIN32)
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
}

// What a crashed server leaves at path: a channel nobody serves.
void LeaveStaleChannel(const std::string& path) {
#if defined(_WIN32)
    // The port file of a server that is gone.
    std::string portFile;
    {
        SimulatedD2xx sim;
        SimControlServer server(sim);
        const vantix::Result<void> started = server.Start(path);
        ASSERT_TRUE(started) << started.error();
        portFile = vantix::test::ReadFile(path);
    }
    vantix::test::WriteFile(path, portFile);
#else
    // A socket file nobody listens on.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
#endif
}

} // namespace

TEST(SimCommands, PlugListAndUserArea) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    EXPECT_EQ(commands.Execute("plug FT01 TR-614 USB  reader ua=" + Area), "ok plugged FT01");
    EXPECT_EQ(commands.Execute("plug FT02 TR-613-2"), "ok plugged FT02");
    EXPECT_EQ(commands.Execute("list"),
              "ok 2\nFT01 " + Area + " 0 TR-614 USB reader\nFT02 FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF 0 TR-613-2");
    EXPECT_EQ(commands.Execute("ua FT02 00112233445566778899aabbccddeeff"), "ok 00112233445566778899AABBCCDDEEFF");
    EXPECT_EQ(commands.Execute("ua FT02"), "ok 00112233445566778899AABBCCDDEEFF");
    EXPECT_EQ(commands.Execute("unplug FT01"), "ok unplugged FT01");
    EXPECT_EQ(commands.Execute("list").substr(0, 5), "ok 1\n");
}

TEST(SimCommands, CardsAndBytesReachTheReadersQueue) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    commands.Execute("plug R1 TR-614");
    EXPECT_EQ(commands.Execute("card R1 00000249541F01"), "ok card F400000249541F01");
    EXPECT_EQ(commands.Execute("card R1 F400000249541F01"), "ok card F400000249541F01");
    EXPECT_EQ(sim.Waiting("R1"), 42u);
    EXPECT_EQ(commands.Execute("inject R1 01253b03"), "ok injected 4");
    EXPECT_EQ(sim.Waiting("R1"), 46u) << "on the line or readable";
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(sim.FT_Open(0, &handle), FT_OK);
    // "instant" delivers everything sent so far in one piece, at once.
    EXPECT_EQ(commands.Execute("inject R1 0203 instant"), "ok injected 2");
    DWORD readable = 0;
    ASSERT_EQ(sim.FT_GetQueueStatus(handle, &readable), FT_OK);
    EXPECT_EQ(readable, 48u);
    const unsigned char beep[3] = {0x01, 0x2A, 0x31};
    DWORD written = 0;
    sim.FT_Write(handle, beep, 3, &written);
    EXPECT_EQ(commands.Execute("written R1"), "ok 012A31");
    EXPECT_EQ(commands.Execute("fail FT_Read 4"), "ok next FT_Read fails with 4");
    char buffer[64];
    DWORD got = 0;
    EXPECT_EQ(sim.FT_Read(handle, buffer, 10, &got), FT_IO_ERROR);
    sim.FT_Close(handle);
}

TEST(SimCommands, LineSettingsAndStrayBytes) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    commands.Execute("plug R1 TR-614");
    EXPECT_EQ(commands.Execute("line R1"), "ok line R1 baud=9600 latency=16");
    EXPECT_EQ(commands.Execute("line R1 latency=2 baud=19200"), "ok line R1 baud=19200 latency=2");
    EXPECT_EQ(sim.LineOf("R1"), std::make_pair(19200, 2));
    const std::string stray = commands.Execute("stray R1 300");
    ASSERT_EQ(stray.rfind("ok stray ", 0), 0u) << stray;
    const std::string hex = stray.substr(9);
    ASSERT_EQ(hex.size(), 600u);
    for (std::size_t i = 0; i < hex.size(); i += 2)
        EXPECT_TRUE(hex.substr(i, 2) != "01" && hex.substr(i, 2) != "03") << "no record framing in noise";
    EXPECT_EQ(sim.Waiting("R1"), 300u);
}

TEST(SimCommands, RefusesBadInputWithAReason) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    commands.Execute("plug R1 TR-614");
    for (const char* bad : {"", "dance", "plug", "plug ABCDEFGHIJKLMNOP TR-614", "plug R2 x ua=00",
                            "unplug NOPE", "card R1 123", "card NOPE 00000249541F01", "inject R1 0",
                            "inject R1 zz", "fail FT_Nothing", "fail FT_Read 0", "fail FT_Read -1",
                            "ua R1 00", "ua NOPE", "written NOPE", "list extra", "card R1 00000249541F01 later",
                            "inject R1 01 fast", "stray R1 0", "stray R1 x", "stray NOPE 3", "line NOPE",
                            "line R1 baud=12", "line R1 latency=256", "line R1 speed=9600"}) {
        const std::string reply = commands.Execute(bad);
        EXPECT_EQ(reply.rfind("error ", 0), 0u) << bad << " -> " << reply;
        EXPECT_EQ(reply.find('\n'), std::string::npos) << bad;
    }
    EXPECT_EQ(sim.PluggedSerials().size(), 1u);
    EXPECT_EQ(sim.Waiting("R1"), 0u);
}

TEST(SimReaders, ParsesTheEnvironmentList) {
    const auto parsed = ParseSimReaders("A1|TR-614 door;B2|TR-613-3 desk|" + Area + ";");
    ASSERT_TRUE(parsed) << parsed.error();
    const std::vector<SimReader>& readers = *parsed;
    ASSERT_EQ(readers.size(), 2u);
    EXPECT_EQ(readers[0].description, "TR-614 door");
    EXPECT_FALSE(readers[0].userArea);
    ASSERT_TRUE(readers[1].userArea);
    EXPECT_EQ((*readers[1].userArea)[0], 0x5B);
    for (const char* bad : {"A1", "A1|x|00", "|x", "A1|x|" "5B1234414243202020879B056AC00AFF|more"}) {
        const auto refused = ParseSimReaders(bad);
        ASSERT_FALSE(refused) << bad;
        EXPECT_FALSE(refused.error().empty());
    }
}

class SimChannel : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("sim.sock");
};

TEST_F(SimChannel, ServesSeveralCommandsPerConnectionAndCleansUp) {
    {
        SimulatedD2xx sim;
        SimControlServer server(sim);
        const vantix::Result<void> started = server.Start(path);
        ASSERT_TRUE(started) << started.error();
        EXPECT_EQ(Ask(path, "plug S1 TR-614\r\n\nlist"), "ok plugged S1\nok 1\nS1 FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF 0 TR-614");
        EXPECT_EQ(sim.PluggedSerials(), std::vector<std::string>{"S1"});
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "the channel goes with its server";
    const vantix::Result<std::string> reply = SimRequest(path, "list");
    ASSERT_FALSE(reply);
    EXPECT_NE(reply.error().find(path), std::string::npos);
}

TEST_F(SimChannel, RefusesASecondServerButReplacesAStaleSocket) {
    SimulatedD2xx sim;
    LeaveStaleChannel(path);
    const vantix::Result<std::string> reply = SimRequest(path, "list");
    ASSERT_FALSE(reply) << "nobody serves a stale channel";
    EXPECT_NE(reply.error().find(path), std::string::npos) << reply.error();
    SimControlServer first(sim);
    const vantix::Result<void> started = first.Start(path);
    ASSERT_TRUE(started) << started.error();
    SimControlServer second(sim);
    const vantix::Result<void> refused = second.Start(path);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("already serves"), std::string::npos) << refused.error();
    EXPECT_EQ(Ask(path, "list"), "ok 0") << "the first server keeps its socket";

    const std::string file = dir.File("plain");
    vantix::test::WriteFile(file, "keep me");
    SimControlServer third(sim);
    EXPECT_FALSE(third.Start(file));
    EXPECT_EQ(vantix::test::ReadFile(file), "keep me");
}

TEST_F(SimChannel, ClientBackendListsAndWritesTheUserArea) {
    SimulatedD2xx sim;
    sim.Plug("P1", "TR-614 gate");
    sim.Plug("P2", "TR-613-1 desk");
    SimControlServer server(sim);
    const vantix::Result<void> started = server.Start(path);
    ASSERT_TRUE(started) << started.error();
    auto connected = CreateSimClientD2xx(path);
    ASSERT_TRUE(connected) << connected.error();
    const std::unique_ptr<D2xx>& client = *connected;
    DWORD count = 0;
    ASSERT_EQ(client->FT_CreateDeviceInfoList(&count), FT_OK);
    ASSERT_EQ(count, 2u);
    FT_DEVICE_LIST_INFO_NODE nodes[2];
    ASSERT_EQ(client->FT_GetDeviceInfoList(nodes, &count), FT_OK);
    EXPECT_STREQ(nodes[1].SerialNumber, "P2");
    EXPECT_STREQ(nodes[1].Description, "TR-613-1 desk");
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(client->FT_Open(1, &handle), FT_OK);
    unsigned char area[16];
    ASSERT_TRUE(vantix::FromHex(Area, area, 16));
    ASSERT_EQ(client->FT_EE_UAWrite(handle, area, 16), FT_OK);
    EXPECT_EQ(*sim.UserAreaOf("P2"), (SimulatedD2xx::UserAreaBytes{0x5B, 0x12, 0x34, 'A', 'B', 'C', ' ', ' ', ' ',
                                                                   0x87, 0x9B, 0x05, 0x6A, 0xC0, 0x0A, 0xFF}));
    unsigned char back[16] = {};
    DWORD got = 0;
    ASSERT_EQ(client->FT_EE_UARead(handle, back, 16, &got), FT_OK);
    EXPECT_EQ(std::memcmp(back, area, 16), 0);
    sim.Unplug("P2");
    sim.Plug("P2", "TR-613-1 desk"); // still known: its area stays
    EXPECT_EQ(client->FT_Close(handle), FT_OK);
}

TEST_F(SimChannel, SimBackendStartsWithTheEnvironmentsReaders) {
    SetEnv("VANTIX_SIM_SOCKET", path);
    SetEnv("VANTIX_SIM_READERS", "E1|TR-617 entry|" + Area + ";E2|TR-613-3");
    {
        const auto created = CreateD2xx(BackendSimulator);
        ASSERT_TRUE(created) << created.error();
        D2xx* d2xx = created->get();
        DWORD count = 0;
        ASSERT_EQ(d2xx->FT_CreateDeviceInfoList(&count), FT_OK);
        EXPECT_EQ(count, 2u);
        EXPECT_EQ(Ask(path, "ua E1"), "ok " + Area);
        EXPECT_EQ(Ask(path, "card E2 00000249541F01"), "ok card F400000249541F01");
    }
    SetEnv("VANTIX_SIM_READERS", "broken");
    const auto refused = CreateD2xx(BackendSimulator);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("VANTIX_SIM_READERS"), std::string::npos) << refused.error();
    UnsetEnv("VANTIX_SIM_READERS");
    UnsetEnv("VANTIX_SIM_SOCKET");
}
