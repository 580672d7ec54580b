// The real vantix binary on simulated readers under Xvfb, with faults
// injected from outside: the end of a session right after a read and in the
// middle of a burst, a database that hangs (a locked table, a stopped
// server), storage that fills up or turns read-only, a reader whose serial
// number holds a comma. (A read-only remount cannot be tested here: Linux
// refuses it while the program holds its file open for writing.) Nothing read may be lost, and nothing may wait.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/PgServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"
#include "tests/support/XServer.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using vantix::test::ReadFile;
using vantix::test::WaitFor;
using vantix::test::RunCommand;
using vantix::test::ShellQuote;

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new vantix::test::PgServerEnvironment); // gtest owns it

const fs::path& BinDir() {
    static const fs::path bin = std::getenv("VANTIX_BIN_DIR");
    return bin;
}

std::string Ctl() { return (BinDir() / "vantixctl").string(); }

const std::string& Display() {
    static vantix::test::XServer server; // one for the whole program, ended at its exit
    return server.Display();
}

// One run of the program in a program directory of its own, with a reader
// FT01 that stores (does not type) its reads with one beep each.
class Program {
public:
    explicit Program(const fs::path& programDir, const std::string& settings = {},
                     const std::string& serial = "FT01")
        : dir_(programDir), serial_(serial) {
        fs::create_directories(dir_);
        fs::copy_file(BinDir() / "vantix", dir_ / "vantix", fs::copy_options::overwrite_existing);
        const std::string ini = (dir_ / "Vantix.ini").string();
        RunCommand("printf 'vantix\\n' | " + Ctl() + " password --ini " + ini + " >/dev/null");
        RunCommand("printf '%s' " + ShellQuote("BeepPause=0\r\n" + settings) + " >> " + ini);
        const std::string userArea = RunCommand(Ctl() + " ua encode proximity name=DOOR beep=7 sendToKeyboard=0 "
                                                        "storeToDatabase=1");
        fs::create_directories(work_.Path() / "runtime");
        fs::permissions(work_.Path() / "runtime", fs::perms::owner_all);
        socket_ = work_.File("sim.sock");
        log_ = work_.File("vantix.log");
        const std::map<std::string, std::string> env{{"DISPLAY", Display()},
                                                     {"QT_QPA_PLATFORM", "xcb"},
                                                     {"VANTIX_SIM_SOCKET", socket_},
                                                     {"VANTIX_SIM_READERS", serial_ + "|TR-614 Door|" + userArea},
                                                     {"XDG_RUNTIME_DIR", (work_.Path() / "runtime").string()},
                                                     {"XDG_DATA_HOME", work_.File("data")}};
        process_.emplace(std::vector<std::string>{(dir_ / "vantix").string(), "--backend", "sim"}, env, log_);
        if (!WaitFor([&] { return Sim("list").find(serial_) != std::string::npos; }, 20s))
            throw std::runtime_error("vantix did not start: " + ReadFile(log_));
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    std::string Sim(const std::string& command) const {
        try {
            return RunCommand(Ctl() + " sim --socket " + socket_ + " " + command + " 2>&1");
        } catch (const std::exception&) {
            return {};
        }
    }
    // Cards with the media IDs 00000000, 00000001, ... from `first` on.
    void Cards(int first, int count) const {
        for (int i = first; i < first + count; ++i) {
            char id[16];
            std::snprintf(id, sizeof id, "0000%08X01", i);
            Sim(std::string("card ") + serial_ + " " + id);
        }
    }
    // Beeps the reader has been sent: one per read card.
    int Reads() const {
        const std::string written = Sim("written " + serial_);
        int beeps = 0;
        for (size_t at = written.find("012A31"); at != std::string::npos; at = written.find("012A31", at + 6))
            ++beeps;
        return beeps;
    }
    // The lines of this month's registration file after the header.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().extension() == ".vtxreg") {
                std::istringstream in(ReadFile(entry.path().string()));
                for (std::string line; std::getline(in, line);)
                    if (line.rfind("MediaID,", 0) != 0)
                        lines.push_back(line);
            }
        return lines;
    }
    // Sends SIGTERM; how long the program took to end, or nothing.
    std::optional<Clock::duration> Terminate(std::chrono::seconds limit = 20s) {
        const auto start = Clock::now();
        process_->Signal(SIGTERM);
        const std::optional<int> status = process_->Wait(limit);
        if (!status)
            return std::nullopt;
        exitStatus_ = *status;
        return Clock::now() - start;
    }
    int ExitStatus() const { return exitStatus_; }
    std::string Log() const { return ReadFile(log_); }

private:
    vantix::test::TempDir work_;
    fs::path dir_;
    std::string serial_;
    std::string socket_;
    std::string log_;
    std::optional<vantix::test::ChildProcess> process_;
    int exitStatus_ = -1;
};

std::string MediaId(int i) {
    char id[16];
    std::snprintf(id, sizeof id, "%08X", i);
    return id;
}

// The lines hold the cards first..first+count-1, whole and in order.
void ExpectCards(const std::vector<std::string>& lines, int count, int first = 0) {
    ASSERT_EQ(static_cast<int>(lines.size()), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(lines[i].substr(0, 9), MediaId(first + i) + ",") << "line " << i;
        EXPECT_TRUE(lines[i].ends_with(",0,0,FT01\r")) << "whole line " << i << ": " << lines[i];
    }
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool"})
            if (!vantix::test::OnPath(tool))
                GTEST_SKIP() << "needs " << tool;
    }
    vantix::test::TempDir work;
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
    auto& server = vantix::test::PgServer::Shared();
    const std::string settings = "UseMRDB=1\r\nCallSyntax=call\r\nConnStr=" + server.ConnectionString() + "\r\n";
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "stopped server" : "locked table");
        server.Clear();
        Program program(work.Path() / (stopped ? "stopped" : "locked"), settings);
        program.Cards(0, 1);
        ASSERT_TRUE(WaitFor([&] { return server.RowCount() == 1; }, 20s)) << program.Log();

        pid_t lockPid = -1;
        if (stopped) {
            server.Suspend(true);
        } else {
            lockPid = std::stoi(RunCommand("sh -c " + ShellQuote(server.HoldLockCommand(60) + " >/dev/null 2>&1 & echo $!")));
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
        if (stopped) {
            server.Suspend(false);
        } else {
            server.ReleaseLock();
            ::kill(lockPid, SIGTERM);
        }
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
