#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/d2xx/SimulatedD2xx.h"
#include "tests/ftdi/RecordingConsumer.h"
#include "tests/support/TempDir.h"
#include "tools/WatchSession.h"

using namespace FTDI;
using namespace std::chrono_literals;
using namespace vantixctl;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

bool Has(const std::string& line, const std::string& part) { return line.find(part) != std::string::npos; }

} // namespace

TEST(WatchSession, PrintsDevicesTypedLinesAndRegistrationsAsJsonLines) {
    SimulatedD2xx sim;
    const UserArea ua("D\xC9SK", 3, 4, 7, 0, 1, 1, -1, -1, -1, 1, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0,
                      KeyNewLine, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0, DeviceTypeProximity);
    sim.Plug("WJ1", "TR-614 \"desk\"", vantix::test::AreaBytes(ua));
    sim.PresentCard("WJ1", "F400000249541F01");
    OutputSettings settings;
    settings.beepPause = 0;
    settings.intercharacterDelay = 0;
    std::ostringstream out;
    {
        JsonLinePrinter printer(out);
        TypedLineReporter keyboard(printer, nullptr);
        WatchConsumer consumer(sim, settings, keyboard, printer);
        consumer.MonitorPass();
        consumer.ReadAll();
        consumer.RemoveAll(0);
    }
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

TEST(WatchSession, WritesEveryRegistrationToTheMonthlyFile) {
    vantix::test::TempDir dir;
    SimulatedD2xx sim;
    const UserArea ua("DESK", 3, 4, 7, 0, 0, 1, -1, -1, -1, KeyNotUsed, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0,
                      KeyNotUsed, KeyNotUsed, KeyNotUsed, KeyNotUsed, 0, DeviceTypeProximity);
    sim.Plug("WJ2", "TR-614", vantix::test::AreaBytes(ua));
    sim.PresentCard("WJ2", "F400000249541F01");
    OutputSettings settings;
    settings.beepPause = 0;
    std::ostringstream out;
    vantix::C_RegFile regFile(dir.Path().string());
    {
        JsonLinePrinter printer(out);
        TypedLineReporter keyboard(printer, nullptr);
        WatchConsumer consumer(sim, settings, keyboard, printer, &regFile);
        consumer.MonitorPass();
        consumer.ReadAll();
    }
    const std::string file = vantix::test::ReadFile(regFile.FileName());
    EXPECT_NE(file.find("\r\n0249541F,"), std::string::npos) << file;
    EXPECT_NE(file.find(",3,4,WJ2\r\n"), std::string::npos) << file;
}

namespace {

struct RunResult {
    int status = -1;
    std::string out;
    std::chrono::steady_clock::duration stopping{}; // from SIGTERM to the end
};

// Runs vantixctl with the arguments; when `terminateOnceExists` names a file,
// sends SIGTERM as soon as the program has created it.
RunResult RunVantixctl(std::vector<std::string> args, const std::string& terminateOnceExists = {}) {
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
    std::chrono::steady_clock::time_point terminated;
    if (!terminateOnceExists.empty()) {
        for (const auto end = std::chrono::steady_clock::now() + 10s;
             !std::filesystem::exists(terminateOnceExists) && std::chrono::steady_clock::now() < end;)
            std::this_thread::sleep_for(10ms);
        terminated = std::chrono::steady_clock::now();
        kill(pid, SIGTERM);
    }
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        run.out.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.stopping = std::chrono::steady_clock::now() - terminated;
    return run;
}

} // namespace

TEST(WatchCommand, EndsCleanlyOnSigtermAndRefusesWhatItCannotDo) {
    // Our own simulator socket, so parallel test runs never meet.
    vantix::test::TempDir dir;
    setenv("VANTIX_SIM_SOCKET", dir.File("sim.sock").c_str(), 1);
    const RunResult watch = RunVantixctl({"--backend", "sim", "watch"}, dir.File("sim.sock"));
    EXPECT_EQ(watch.status, 0) << watch.out;
    EXPECT_LT(watch.stopping, 2s); // the 5 s monitor wait is woken

    const RunResult regfile = RunVantixctl({"--backend", "sim", "watch", "--regfile", dir.File("missing")});
    EXPECT_EQ(regfile.status, 1);
    EXPECT_TRUE(Has(regfile.out, "--regfile")) << regfile.out;
    EXPECT_EQ(RunVantixctl({"--backend", "sim", "watch", "--bogus"}).status, 2);
    EXPECT_EQ(RunVantixctl({"--backend", "nonesuch", "watch"}).status, 1);
}
