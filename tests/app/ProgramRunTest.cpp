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
    vantix::test::TempDir otherDir;
    vantix::test::TempDir runtime;
    std::string ini = programDir.File("Vantix.ini");

    void SetUp() override {
        for (const auto* dir : {&programDir, &otherDir})
            fs::copy_file(fs::path(std::getenv("VANTIX_BIN_DIR")) / "vantix", dir->Path() / "vantix");
    }
    std::unique_ptr<ChildProcess> Start(std::vector<std::string> args = {}, const vantix::test::TempDir* dir = nullptr) {
        args.insert(args.begin(), (dir ? *dir : programDir).File("vantix"));
        return std::make_unique<ChildProcess>(
            args,
            std::map<std::string, std::string>{{"XDG_RUNTIME_DIR", runtime.Path().string()},
                                               {"XDG_DATA_HOME", runtime.File("data")},
                                               {"QT_QPA_PLATFORM", "offscreen"}},
            runtime.File("vantix.log"));
    }
};

// The settings a session's end writes are checked by the end-to-end test.
TEST_F(ProgramRunTest, OptionsAreCheckedASecondCopyExitsSilentlyAndTheFirstEndsCleanlyOnSigterm) {
    vantix::test::WriteFile(ini, "[Settings]\r\nPassword=1234\r\n");
    EXPECT_EQ(Start({"--help"})->Wait(10s), std::optional<int>(0));
    EXPECT_EQ(Start({"--bogus"})->Wait(10s), std::optional<int>(2));
    // Start-up has passed the lock once the document type is registered.
    const auto mime = runtime.File("data/mime/packages/vantix-document.xml");
    EXPECT_FALSE(fs::exists(runtime.File("data"))) << "no start-up with the options";
    auto first = Start();
    ASSERT_TRUE(vantix::test::WaitFor([&] { return fs::exists(mime); }, 10s));

    EXPECT_EQ(Start({}, &otherDir)->Wait(10s), std::optional<int>(0)) << "a copy from another directory too";
    EXPECT_FALSE(fs::exists(otherDir.File("Vantix.ini"))) << "the second copy writes no settings";
    EXPECT_EQ(first->Wait(200ms), std::nullopt) << "the first copy keeps running";
    first->Signal(SIGTERM);
    EXPECT_EQ(first->Wait(10s), std::optional<int>(0));
}

} // namespace
