// Runs the real program binary from a copy in a temporary program directory.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

using vantix::test::TempDir;
using vantix::test::WriteFile;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct ProgramRunTest : ::testing::Test {
    TempDir programDir;
    TempDir runtime;
    std::string ini = programDir.File("Vantix.ini");

    void SetUp() override {
        fs::copy_file(fs::path(std::getenv("VANTIX_BIN_DIR")) / "vantix", programDir.Path() / "vantix");
    }

    pid_t Start(std::vector<std::string> args = {}) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
            ::setenv("XDG_DATA_HOME", runtime.File("data").c_str(), 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::chdir(runtime.Path().c_str());
            const std::string exe = programDir.File("vantix");
            std::vector<char*> argv{const_cast<char*>(exe.c_str())};
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(exe.c_str(), argv.data());
            ::_exit(127);
        }
        return pid;
    }

    // The exit status, or -1 when the process still runs after the timeout.
    static int WaitFor(pid_t pid, std::chrono::milliseconds timeout) {
        int status = 0;
        if (!vantix::test::WaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, timeout))
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

TEST_F(ProgramRunTest, ASecondCopyExitsSilentlyAndTheFirstEndsCleanlyOnSigterm) {
    WriteFile(ini, "[Settings]\r\nPassword=1234\r\n");
    const pid_t first = Start();
    // Start-up has passed the lock once the document type is registered.
    const auto mime = runtime.File("data/mime/packages/vantix-document.xml");
    ASSERT_TRUE(vantix::test::WaitFor([&] { return fs::exists(mime); }, 10s));

    const pid_t second = Start();
    EXPECT_EQ(WaitFor(second, 10s), 0);
    EXPECT_EQ(WaitFor(first, 200ms), -1) << "the first copy keeps running";

    // The settings a session's end writes are checked by the end-to-end test.
    ::kill(first, SIGTERM);
    EXPECT_EQ(WaitFor(first, 10s), 0);
}

TEST_F(ProgramRunTest, OptionsAreChecked) {
    EXPECT_EQ(WaitFor(Start({"--help"}), 10s), 0);
    EXPECT_EQ(WaitFor(Start({"--bogus"}), 10s), 2);
    EXPECT_FALSE(fs::exists(ini)) << "nothing written before start-up";
}

} // namespace
