// The real vantix binary on simulated readers under Xvfb, with faults
// injected from outside: the end of a session right after a read and in the
// middle of a burst, a database that hangs (a locked table, a stopped
// server), storage that fills up or turns read-only, a reader whose serial
// number holds a comma. (A read-only remount cannot be tested here: Linux
// refuses it while the program holds its file open for writing.) Nothing read may be lost, and nothing may wait.
#include <gtest/gtest.h>

#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "tests/e2e/RunningProgram.h"
#include "tests/support/PgServer.h"
#include "tests/support/XServer.h"

namespace {

using namespace vantix::test;
using Clock = std::chrono::steady_clock;

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new PgServerEnvironment); // gtest owns it

// A run of the program on the display of this test program, with a reader
// FT01 that stores (does not type) its reads with one beep each.
struct Program : RunningProgram {
    explicit Program(const fs::path& dir, const std::string& settings = {}, const std::string& serial = "FT01")
        : RunningProgram(dir, Display(), "proximity name=DOOR beep=7 sendToKeyboard=0 storeToDatabase=1",
                         "BeepPause=0\r\n" + settings, serial) {}
    static const std::string& Display() {
        static XServer server; // one for the whole program, ended at its exit
        return server.Display();
    }
};

// The lines hold the cards first..first+count-1, whole and in order.
void ExpectCards(const std::vector<std::string>& lines, int count, int first = 0) {
    ASSERT_EQ(static_cast<int>(lines.size()), count);
    for (int i = 0; i < count; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%08X,", first + i);
        EXPECT_EQ(lines[i].substr(0, 9), id) << "line " << i;
        EXPECT_TRUE(lines[i].ends_with(",0,0,FT01\r")) << "whole line " << i << ": " << lines[i];
    }
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = Missing({"Xvfb", "xdotool"}); !missing.empty()) GTEST_SKIP() << missing;
    }
    TempDir work;
};

} // namespace

TEST_F(Faults, TheEndOfASessionRightAfterAReadOrInABurstLosesNothing) {
    {
        Program program(work.Path() / "one");
        program.Cards(0, 1);
        ASSERT_TRUE(WaitFor([&] { return program.Reads() == 1; }, 10s));
        ASSERT_TRUE(program.Terminate().has_value());
        EXPECT_EQ(program.ExitStatus(), 0);
        ExpectCards(program.Lines(), 1);
    }
    {
        Program program(work.Path() / "burst");
        std::thread burst([&] { program.Cards(0, 40); });
        ASSERT_TRUE(WaitFor([&] { return program.Reads() >= 5; }, 20s));
        const int readBefore = program.Reads();
        ASSERT_TRUE(program.Terminate().has_value());
        burst.join();
        const auto lines = program.Lines();
        EXPECT_GE(static_cast<int>(lines.size()), readBefore);
        ExpectCards(lines, static_cast<int>(lines.size()));
    }
}

TEST_F(Faults, ADatabaseThatHangsNeverDelaysTheFileOrTheEnd) {
    auto& server = PgServer::Shared();
    const std::string settings = "UseMRDB=1\r\nCallSyntax=call\r\nConnStr=" + server.ConnectionString() + "\r\n";
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "stopped server" : "locked table");
        server.Clear();
        Program program(work.Path() / (stopped ? "stopped" : "locked"), settings);
        program.Cards(0, 1);
        ASSERT_TRUE(WaitFor([&] { return server.RowCount() == 1; }, 20s)) << program.Log();

        std::optional<ChildProcess> lock; // a session of its own holds the table
        if (stopped) {
            server.Suspend(true);
        } else {
            lock.emplace(std::vector<std::string>{"sh", "-c", server.HoldLockCommand(60)}, std::map<std::string, std::string>{}, "/dev/null");
            ASSERT_TRUE(WaitFor([&] { return server.Locked(); }, 10s));
        }
        for (int i = 1; i <= 3; ++i) {
            program.Cards(i, 1);
            const auto read = Clock::now();
            ASSERT_TRUE(WaitFor([&] { return program.Reads() == i + 1; }, 10s));
            EXPECT_TRUE(WaitFor([&] { return static_cast<int>(program.Lines().size()) == i + 1; }, 2s))
                << "card " << i << " filed on time";
            EXPECT_LT(Clock::now() - read, 3s);
        }
        const auto took = program.Terminate();
        stopped ? server.Suspend(false) : server.ReleaseLock();
        ASSERT_TRUE(took.has_value());
        EXPECT_LT(*took, 5s) << "the end does not wait for the database";
        ExpectCards(program.Lines(), 4);
    }
}

TEST_F(Faults, LinesWaitWhileTheStorageIsFullAndFollowInOrder) {
    const fs::path mountPoint = work.Path() / "mnt";
    fs::create_directories(mountPoint);
    // Room for the program (a sanitizer build is several times larger) and a few lines.
    const auto size = std::to_string(fs::file_size(BinDir() / "vantix") / (1 << 20) + 16) + "m";
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << "); needs CAP_SYS_ADMIN";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mountPoint};

    Program program(mountPoint / "program");
    program.Cards(0, 1);
    ASSERT_TRUE(WaitFor([&] { return program.Lines().size() == 1; }, 10s));

    // Full: a filler takes every byte left.
    const std::string filler = (mountPoint / "filler").string();
    [[maybe_unused]] const int full = std::system(("dd if=/dev/zero of=" + filler + " bs=64k >/dev/null 2>&1").c_str());
    program.Cards(1, 3);
    ASSERT_TRUE(WaitFor([&] { return program.Reads() == 4; }, 10s));
    fs::remove(filler);
    EXPECT_TRUE(WaitFor([&] { return program.Lines().size() == 4; }, 5s)) << "written as soon as there is room";

    program.Cards(4, 1);
    EXPECT_TRUE(WaitFor([&] { return program.Lines().size() == 5; }, 5s));
    ASSERT_TRUE(program.Terminate().has_value());
    ExpectCards(program.Lines(), 5);
}

TEST_F(Faults, AReaderSerialNumberCannotForgeFieldsOrLines) {
    Program program(work.Path() / "hostile", {}, "A,B");
    program.Cards(0, 1);
    ASSERT_TRUE(WaitFor([&] { return program.Lines().size() == 1; }, 10s)) << program.Log();
    const std::string line = program.Lines().front();
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 6) << line;
    EXPECT_TRUE(line.ends_with(",0,0,A_B\r")) << line;
    ASSERT_TRUE(program.Terminate().has_value());
}
