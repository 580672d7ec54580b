// Runs the real program binary from a copy in a temporary program directory.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using vantix::test::ChildProcess;

struct ProgramRunTest : ::testing::Test {
    vantix::test::TempDir programDir;
    vantix::test::TempDir runtime;
    std::string ini = programDir.File("Vantix.ini");

    void SetUp() override {
        fs::copy_file(fs::path(std::getenv("VANTIX_BIN_DIR")) / "vantix", programDir.Path() / "vantix");
    }
    std::unique_ptr<ChildProcess> Start(std::vector<std::string> args = {}) {
        args.insert(args.begin(), programDir.File("vantix"));
        return std::make_unique<ChildProcess>(
            args,
            std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", runtime.Path().string()},
                                               {"XDG_DATA_HOME", runtime.File("data")},
                                               {"QT_QPA_PLATFORM", "offscreen"}},
            runtime.File("vantix.log"));
    }
};

// The settings a session's end writes are checked by the end-to-end test.
TEST_F(ProgramRunTest, ASecondCopyExitsSilentlyAndTheFirstEndsCleanlyOnSigterm) {
    vantix::test::WriteFile(ini, "[Settings]\r\nPassword=1234\r\n");
    auto first = Start();
    // Start-up has passed the lock once the document type is registered.
    const auto mime = runtime.File("data/mime/packages/vantix-document.xml");
    ASSERT_TRUE(vantix::test::WaitFor([&] { return fs::exists(mime); }, 10s));

    EXPECT_EQ(Start()->Wait(10s), std::optional<int>(0));
    EXPECT_EQ(first->Wait(200ms), std::nullopt) << "the first copy keeps running";
    first->Signal(SIGTERM);
    EXPECT_EQ(first->Wait(10s), std::optional<int>(0));
}

TEST_F(ProgramRunTest, OptionsAreChecked) {
    EXPECT_EQ(Start({"--help"})->Wait(10s), std::optional<int>(0));
    EXPECT_EQ(Start({"--bogus"})->Wait(10s), std::optional<int>(2));
    EXPECT_FALSE(fs::exists(ini)) << "nothing written before start-up";
}

} // namespace
