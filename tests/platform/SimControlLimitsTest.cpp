// The control channel against clients that misbehave: over-long lines,
// replies never read, too many connections, no descriptors left.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>

#include "platform/system/posix/UniqueFd.h"
#endif

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimControlServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

using namespace FTDI;
using vantix::test::Lines;
using Clock = std::chrono::steady_clock;
using State = SimControlSession::State;

namespace {

ControlSocket Connect(const std::string& path) {
    vantix::Result<ControlSocket> socket = ConnectControl(path, std::chrono::seconds(10));
    EXPECT_TRUE(socket) << socket.error();
    return socket ? std::move(socket).value() : ControlSocket();
}

#if !defined(_WIN32)
// Some clients below misbehave at the socket level, with Unix descriptors.
int Fd(const ControlSocket& socket) { return static_cast<int>(socket.Get()); }

// Everything the peer sends until it closes (or resets) the connection.
std::string ReadToEnd(const ControlSocket& socket, Clock::duration within = std::chrono::seconds(10)) {
    const Clock::time_point deadline = Clock::now() + within;
    const int fd = Fd(socket);
    std::string text;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd wait{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0) {
            ADD_FAILURE() << "the connection did not end in time";
            return text;
        }
        char buffer[65536];
        const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
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

// Lowers the process's descriptor limit and takes every descriptor left
// below it; gives them back and restores the limit at the end of its scope.
class DescriptorsExhausted {
public:
    DescriptorsExhausted() {
        getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 256);
        setrlimit(RLIMIT_NOFILE, &low);
        for (;;) {
            vantix::UniqueFd fd(open("/dev/null", O_RDONLY | O_CLOEXEC));
            if (!fd)
                break;
            taken_.push_back(std::move(fd));
        }
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

TEST(SimControlSession, AnOverlongLineEndsTheSessionWithTheReason) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    // Unfinished, and finished within one piece.
    for (const std::string& tooLong : {std::string(17, 'a'), std::string(17, 'a') + "\nplug X TR-614\n"}) {
        SimControlSession session(commands, {16, 1000});
        session.Receive("list\n" + tooLong);
        EXPECT_EQ(session.Output(), "ok 0\nerror line too long (at most 16 bytes)\n");
        EXPECT_EQ(session.GetState(), State::Closing);
        session.Receive("plug Y TR-614\n");
        session.EndOfInput();
        EXPECT_EQ(session.Output(), "ok 0\nerror line too long (at most 16 bytes)\n");
    }
    EXPECT_TRUE(sim.PluggedSerials().empty()) << "nothing after the long line is carried out";
}

TEST(SimControlSession, ACommandWhileTooManyRepliesWaitEndsTheSession) {
    SimulatedD2xx sim;
    SimCommands commands(sim);
    SimControlSession reader(commands, {1024, 20});
    for (int i = 0; i < 50; ++i) {
        reader.Receive("list\n");
        reader.Sent(reader.Output().size());
    }
    EXPECT_EQ(reader.GetState(), State::Open) << "a client that reads its replies is never cut off";

    SimControlSession flooder(commands, {1024, 20});
    flooder.Receive("plug A TR-614\nplug B TR-614\nplug C TR-614\n");
    EXPECT_EQ(flooder.Output(), "ok plugged A\nok plugged B\n"
                                "error too many replies waiting (read them before sending more commands)\n");
    EXPECT_EQ(flooder.GetState(), State::Closing);
    EXPECT_EQ(sim.PluggedSerials(), (std::vector<std::string>{"A", "B"}));
}

class SimControlHostileClients : public ::testing::Test {
protected:
    void SetUp() override {
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

TEST_F(SimControlHostileClients, ClientsOverTheLimitAreRefusedUntilOneLeaves) {
    std::vector<ControlSocket> idle;
    for (std::size_t i = 0; i < SimControlServer::MaxClients; ++i)
        idle.push_back(Connect(path));
    EXPECT_EQ(Ask("list"), "error too many clients (at most 32)");
    idle.pop_back();
    // The server sees the departure on its next round; ask until it has.
    EXPECT_TRUE(vantix::test::WaitFor([&] { return Ask("list") == "ok 0"; }, std::chrono::seconds(10)));
}

#if !defined(_WIN32)
TEST_F(SimControlHostileClients, AClientThatNeverReadsDelaysNoOneAndIsCutOff) {
    ControlSocket flooder = Connect(path);
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
        for (;;) {
            const ssize_t n = send(Fd(flooder), commands.data() + sent % commands.size(),
                                   commands.size() - sent % commands.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += static_cast<std::size_t>(n);
            progress = true;
        }
        ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK) << std::strerror(errno);
        EXPECT_EQ(Ask("list"), "ok 0") << "another client is answered at once";
        stuckRounds = progress ? 0 : stuckRounds + 1;
    }
    ASSERT_EQ(stuckRounds, 3) << "the server kept taking commands it could not answer";

    // Read at last: every reply of the commands carried out, then the reason.
    const std::vector<std::string> lines = Lines(ReadToEnd(flooder));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "error too many replies waiting (read them before sending more commands)");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i)
        ASSERT_EQ(lines[i], "ok 0") << "reply " << i;
    EXPECT_LT(lines.size() - 1, sent / 5) << "commands after the limit are not carried out";
    EXPECT_EQ(Ask("list"), "ok 0");
}

TEST_F(SimControlHostileClients, OutOfDescriptorsTheServerWaitsWithoutSpinningAndThenAnswers) {
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
