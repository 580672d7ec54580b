#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "tests/ftdi/RecordingConsumer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "tools/WatchSession.h"

using namespace FTDI;
using namespace std::chrono_literals;
using namespace vantixctl;
using vantix::test::Lines;

namespace {

bool Has(const std::string& line, const std::string& part) { return line.find(part) != std::string::npos; }

// Reader passes until the reader's line has delivered everything and it was read.
void ReadUntilDelivered(WatchConsumer& consumer, const SimulatedD2xx& sim, const std::string& serial) {
    vantix::test::WaitFor([&] { return sim.Waiting(serial) == 0; }, 5s, [&] { consumer.ReadAll(); });
    EXPECT_EQ(sim.Waiting(serial), 0u);
}

} // namespace

TEST(WatchSession, PrintsDevicesTypedLinesAndRegistrationsAsJsonLinesAndFilesTheRegistrations) {
    SimulatedD2xx sim;
    const UserArea ua("D\xC9SK", 3, 4, 7, 0, 1, 1, -1, -1, -1, 1, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0,
                      KeyNewLine, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0, DeviceTypeProximity);
    sim.Plug("WJ1", "TR-614 \"desk\"", vantix::test::AreaBytes(ua));
    sim.PresentCard("WJ1", "F400000249541F01");
    OutputSettings settings;
    settings.beepPause = 0;
    settings.intercharacterDelay = 0;
    std::ostringstream out;
    vantix::test::TempDir dir;
    vantix::C_RegFile regFile(dir.Path().string());
    {
        JsonLinePrinter printer(out);
        TypedLineReporter keyboard(printer, nullptr);
        WatchConsumer consumer(sim, settings, keyboard, printer, &regFile);
        consumer.MonitorPass();
        ReadUntilDelivered(consumer, sim, "WJ1");
        consumer.RemoveAll(0);
    }
    const std::string file = vantix::test::ReadFile(regFile.FileName());
    EXPECT_NE(file.find("\r\n0249541F,"), std::string::npos) << file;
    EXPECT_NE(file.find(",3,4,WJ1\r\n"), std::string::npos) << file;
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 4u) << out.str();
    EXPECT_TRUE(Has(lines[0], "{\"event\":\"added\",\"wParam\":0,\"serial\":\"WJ1\","
                              "\"description\":\"TR-614 \\\"desk\\\"\",\"type\":0,"));
    EXPECT_TRUE(Has(lines[0], "\"name\":\"D\xC3\x89SK\",\"id\":3,\"ec\":4,\"beep\":7,\"mediaIdFormat\":0"));
    EXPECT_EQ(lines[1], "{\"event\":\"typed\",\"text\":\"\xC3\x89" "0249541F\\n\"}");
    EXPECT_TRUE(Has(lines[2], "{\"event\":\"registration\",\"serial\":\"WJ1\",\"mediaId\":\"0249541F\","
                              "\"id\":3,\"ec\":4,\"dateTime\":\""));
    EXPECT_TRUE(Has(lines[2], "\"idText\":\"3\",\"ecText\":\"4\"}"));
    EXPECT_TRUE(Has(lines[3], "{\"event\":\"removed\",\"wParam\":0,\"serial\":\"WJ1\""));
}

namespace {

struct RunResult {
    int status = -1;
    std::string out;
    std::chrono::steady_clock::duration afterSigterm{};
};

// Runs vantixctl with the arguments; when `terminateOnce` is given, sends
// SIGTERM as soon as that text has appeared in its output.
RunResult RunVantixctl(std::vector<std::string> args, const std::string& terminateOnce = {}) {
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    const std::string program = std::string(std::getenv("VANTIX_BIN_DIR")) + "/vantixctl";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    RunResult run;
    std::optional<std::chrono::steady_clock::time_point> terminated;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        run.out.append(buffer, static_cast<std::size_t>(n));
        if (!terminateOnce.empty() && !terminated && Has(run.out, terminateOnce)) {
            terminated = std::chrono::steady_clock::now();
            kill(pid, SIGTERM);
        }
        if (std::chrono::steady_clock::now() > deadline)
            kill(pid, SIGKILL);
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (terminated)
        run.afterSigterm = std::chrono::steady_clock::now() - *terminated;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

TEST(WatchCommand, EndsCleanlyOnSigtermAndRefusesWhatItCannotDo) {
    // Our own simulator socket, so parallel test runs never meet.
    vantix::test::TempDir dir;
    setenv("VANTIX_SIM_SOCKET", dir.File("sim.sock").c_str(), 1);
    setenv("VANTIX_SIM_READERS", "WC1|TR-614", 1);
    const RunResult watched = RunVantixctl({"--backend", "sim", "watch"}, "\"event\":\"added\"");
    unsetenv("VANTIX_SIM_READERS");
    EXPECT_EQ(watched.status, 0) << watched.out;
    EXPECT_TRUE(Has(watched.out, "\"event\":\"removed\",\"wParam\":1")) << watched.out;
    EXPECT_LT(watched.afterSigterm, 2s); // the 5 s monitor wait is woken

    const RunResult regfile = RunVantixctl({"--backend", "sim", "watch", "--regfile", dir.File("missing")});
    EXPECT_EQ(regfile.status, 1);
    EXPECT_TRUE(Has(regfile.out, "--regfile")) << regfile.out;
    EXPECT_EQ(RunVantixctl({"--backend", "sim", "watch", "--bogus"}).status, 2);
    EXPECT_EQ(RunVantixctl({"--backend", "nonesuch", "watch"}).status, 1);
}
