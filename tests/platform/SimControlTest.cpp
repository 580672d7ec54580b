// The simulator's command language and its control channel, including
// clients that misbehave: over-long lines, replies never read, too many
// connections, no descriptors left.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include "platform/system/posix/UniqueFd.h"
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimCommands.h"
#include "platform/d2xx/sim/SimControlServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

using namespace FTDI;
using Clock = std::chrono::steady_clock;
using State = SimControlSession::State;

namespace {

const std::string TooManyReplies = "error too many replies waiting (read them before sending more commands)";

void SetEnv(const char* name, const std::string& value) {
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

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
    ControlSocket Connect() {
        vantix::Result<ControlSocket> socket = ConnectControl(path, std::chrono::seconds(10));
        EXPECT_TRUE(socket) << socket.error();
        return socket ? std::move(socket).value() : ControlSocket();
    }

    vantix::test::TempDir dir;
    std::string path = dir.File("sim.sock");
    SimulatedD2xx sim;
    SimControlServer server{sim};
};

#if !defined(_WIN32)
// Some clients below misbehave at the socket level, with Unix descriptors.
int Fd(const ControlSocket& socket) { return static_cast<int>(socket.Get()); }

// Everything the peer sends until it closes (or resets) the connection.
std::string ReadToEnd(const ControlSocket& socket) {
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
    std::string text;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd wait{Fd(socket), POLLIN, 0};
        if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            ADD_FAILURE() << "the connection did not end in time";
            return text;
        }
        char buffer[65536];
        const ssize_t n = recv(Fd(socket), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || errno == ECONNRESET)
            return text;
    }
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Lowers the descriptor limit and takes every descriptor left below it;
// gives them back and restores the limit at the end of its scope.
class DescriptorsExhausted {
public:
    DescriptorsExhausted() {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 256);
        setrlimit(RLIMIT_NOFILE, &low);
        for (vantix::UniqueFd fd; (fd = vantix::UniqueFd(open("/dev/null", O_RDONLY | O_CLOEXEC)));)
            taken_.push_back(std::move(fd));
        EXPECT_EQ(errno, EMFILE);
    }
    ~DescriptorsExhausted() {
        taken_.clear();
        setrlimit(RLIMIT_NOFILE, &saved_);
    }

private:
    rlimit saved_{};
    std::vector<vantix::UniqueFd> taken_;
};
#endif

} // namespace

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
    sim.FT_Close(handle);

    EXPECT_EQ(commands.Execute("line R1 latency=2 baud=19200"), "ok line R1 baud=19200 latency=2");
    EXPECT_EQ(sim.LineOf("R1"), std::make_pair(19200, 2));
    const std::string stray = commands.Execute("stray R1 300");
    ASSERT_EQ(stray.rfind("ok stray ", 0), 0u) << stray;
    for (std::size_t i = 9; i < stray.size(); i += 2)
        EXPECT_TRUE(stray.compare(i, 2, "01") != 0 && stray.compare(i, 2, "03") != 0) << "no record framing in noise";
    EXPECT_EQ(sim.Waiting("R1"), 2u + 300u);
    EXPECT_EQ(commands.Execute("unplug R1"), "ok unplugged R1");
    EXPECT_TRUE(sim.PluggedSerials().empty());
}

// The channel's defences against input and clients that misbehave.
TEST(SimCommands, RefusesBadInputWithAReason) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    commands.Execute("plug R1 TR-614");
    for (const char* bad : {"", "dance", "plug", "plug ABCDEFGHIJKLMNOP TR-614", "plug R2 x ua=00",
                            "unplug NOPE", "card R1 123", "card R1 XX000249541F01", "card NOPE 00000249541F01",
                            "inject R1 0", "inject R1 zz", "fail FT_Nothing", "fail FT_Read 0", "fail FT_Read -1",
                            "ua R1 00", "ua NOPE", "written NOPE", "list extra", "card R1 00000249541F01 later",
                            "inject R1 01 fast", "stray R1 0", "stray R1 x", "stray NOPE 3", "line NOPE",
                            "line R1 baud=12", "line R1 latency=256", "line R1 speed=9600"}) {
        const std::string reply = commands.Execute(bad);
        EXPECT_EQ(reply.rfind("error ", 0), 0u) << bad << " -> " << reply;
        EXPECT_EQ(reply.find('\n'), std::string::npos) << bad;
    }
    EXPECT_EQ(sim.PluggedSerials().size(), 1u);
    EXPECT_EQ(sim.Waiting("R1"), 0u);

    for (const char* bad : {"A1", "A1|x|00", "|x", "A1|x|" "5B1234414243202020879B056AC00AFF|more"}) {
        const auto refused = ParseSimReaders(bad);
        ASSERT_FALSE(refused) << bad;
        EXPECT_FALSE(refused.error().empty());
    }
}

TEST(SimControlSession, AnOverlongLineOrRepliesLeftUnreadEndTheSessionWithTheReason) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    // Unfinished, and finished within one piece.
    for (const std::string& tooLong : {std::string(17, 'a'), std::string(17, 'a') + "\nplug X TR-614\n"}) {
        SimControlSession session(commands, {16, 1000});
        session.Receive("list\n" + tooLong);
        session.Receive("plug Y TR-614\n");
        session.EndOfInput();
        EXPECT_EQ(session.Output(), "ok 0\nerror line too long (at most 16 bytes)\n");
        EXPECT_EQ(session.GetState(), State::Closing);
    }
    EXPECT_TRUE(sim.PluggedSerials().empty()) << "nothing after the long line is carried out";

    SimControlSession reader(commands, {1024, 20});
    for (int i = 0; i < 50; ++i) {
        reader.Receive("list\n");
        reader.Sent(reader.Output().size());
    }
    EXPECT_EQ(reader.GetState(), State::Open) << "a client that reads its replies is never cut off";
    SimControlSession flooder(commands, {1024, 20});
    flooder.Receive("plug A TR-614\nplug B TR-614\nplug C TR-614\n");
    EXPECT_EQ(flooder.Output(), "ok plugged A\nok plugged B\n" + TooManyReplies + "\n");
    EXPECT_EQ(flooder.GetState(), State::Closing);
    EXPECT_EQ(sim.PluggedSerials(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(SimChannel, ServesSeveralCommandsPerConnectionAndCleansUp) {
    {
        SimulatedD2xx own;
        SimControlServer first(own);
        ASSERT_TRUE(first.Start(path));
        EXPECT_EQ(Ask("plug S1 TR-614\r\n\nlist"), "ok plugged S1\nok 1\nS1 FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF 0 TR-614");
        EXPECT_EQ(own.PluggedSerials(), std::vector<std::string>{"S1"});
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
    EXPECT_EQ(Ask("list"), "ok 0");

    const std::string file = dir.File("plain");
    vantix::test::WriteFile(file, "keep me");
    SimControlServer third(sim);
    EXPECT_FALSE(third.Start(file));
    EXPECT_EQ(vantix::test::ReadFile(file), "keep me");
}

// The backend on a good list is what the end-to-end tests run.
TEST_F(SimChannel, TheSimBackendRefusesABrokenReaderListNamingTheVariable) {
    SetEnv("VANTIX_SIM_SOCKET", path);
    SetEnv("VANTIX_SIM_READERS", "broken");
    const auto refused = CreateD2xx(BackendSimulator);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("VANTIX_SIM_READERS"), std::string::npos) << refused.error();
    SetEnv("VANTIX_SIM_READERS", "");
    SetEnv("VANTIX_SIM_SOCKET", "");
}

TEST_F(SimChannel, ClientsOverTheLimitAreRefusedUntilOneLeaves) {
    Serve();
    std::vector<ControlSocket> idle;
    for (std::size_t i = 0; i < SimControlServer::MaxClients; ++i)
        idle.push_back(Connect());
    EXPECT_EQ(Ask("list"), "error too many clients (at most 32)");
    idle.pop_back();
    // The server sees the departure on its next round; ask until it has.
    EXPECT_TRUE(vantix::test::WaitFor([&] { return Ask("list") == "ok 0"; }, std::chrono::seconds(10)));
}

#if !defined(_WIN32)
TEST_F(SimChannel, AClientThatNeverReadsDelaysNoOneAndIsCutOff) {
    Serve();
    ControlSocket flooder = Connect();
    std::string commands;
    for (int i = 0; i < 200; ++i)
        commands += "list\n";
    // Send until the server stops taking the flooder's commands: its sends
    // make no progress while other clients are served.
    int stuckRounds = 0;
    std::size_t sent = 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
    while (stuckRounds < 3 && Clock::now() < deadline) {
        bool progress = false;
        for (ssize_t n; (n = send(Fd(flooder), commands.data() + sent % commands.size(),
                                  commands.size() - sent % commands.size(), MSG_DONTWAIT | MSG_NOSIGNAL)) > 0;) {
            sent += static_cast<std::size_t>(n);
            progress = true;
        }
        ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << std::strerror(errno);
        EXPECT_EQ(Ask("list"), "ok 0") << "another client is answered at once";
        stuckRounds = progress ? 0 : stuckRounds + 1;
    }
    ASSERT_EQ(stuckRounds, 3) << "the server kept taking commands it could not answer";

    // Read at last: every reply of the commands carried out, then the reason.
    const std::vector<std::string> lines = vantix::test::Lines(ReadToEnd(flooder));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), TooManyReplies);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        ASSERT_EQ(lines[i], "ok 0") << "reply " << i;
    EXPECT_LT(lines.size() - 1, sent / 5) << "commands after the limit are not carried out";
    EXPECT_EQ(Ask("list"), "ok 0");
}

TEST_F(SimChannel, OutOfDescriptorsTheServerWaitsWithoutSpinningAndThenAnswers) {
    Serve();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size());
    ControlSocket client(static_cast<std::uintptr_t>(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)));
    ASSERT_TRUE(client);
    {
        DescriptorsExhausted exhausted;
        // The connection waits in the backlog: the server cannot accept it.
        ASSERT_EQ(connect(Fd(client), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(send(Fd(client), "list\n", 5, MSG_NOSIGNAL), 5);
        const double cpuBefore = ProcessCpuSeconds();
        pollfd wait{Fd(client), POLLIN, 0};
        EXPECT_EQ(poll(&wait, 1, 500), 0) << "no reply can come while no descriptor is free";
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        EXPECT_LT(cpu, 0.1) << "the server spun for " << cpu << " s of CPU in 0.5 s";
    }
    shutdown(Fd(client), SHUT_WR);
    EXPECT_EQ(ReadToEnd(client), "ok 0\n") << "the waiting client is served once descriptors are free";
}
#endif
