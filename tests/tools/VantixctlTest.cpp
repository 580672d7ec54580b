#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

using vantix::test::ReadFile;
using vantix::test::TempDir;

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string Binary() { return std::string(std::getenv("VANTIX_BIN_DIR")) + "/vantixctl"; }

// vantixctl as a user runs it, against the simulator on socket.
class Vantixctl : public ::testing::Test {
protected:
    void SetUp() override {
        socket = dir.File("sim.sock");
        setenv("VANTIX_SIM_SOCKET", socket.c_str(), 1);
        unsetenv("VANTIX_SIM_READERS");
    }

    void TearDown() override {
        if (server > 0) {
            kill(server, SIGTERM);
            int status = 0;
            waitpid(server, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "serve ends cleanly on SIGTERM";
        }
    }

    // Starts `vantixctl sim serve` and waits for its "serving" line.
    void Serve(const std::string& readers = {}) {
        if (!readers.empty())
            setenv("VANTIX_SIM_READERS", readers.c_str(), 1);
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        server = fork();
        ASSERT_GE(server, 0);
        if (server == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(Binary().c_str(), "vantixctl", "sim", "serve", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        ASSERT_EQ(line, "serving simulated readers on " + socket);
    }

    Result Run(const std::vector<std::string>& args) {
        std::string command = Binary();
        for (const auto& a : args)
            command += " '" + a + "'";
        command += " >" + dir.File("out") + " 2>" + dir.File("err");
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir.File("out")), ReadFile(dir.File("err"))};
    }

    // A refusal: the status, one line on stderr, nothing on stdout.
    void ExpectRefused(const std::vector<std::string>& args, int status, const std::string& reason) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, status) << args.back() << ": " << r.err;
        EXPECT_EQ(r.out, "") << args.back();
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }

    TempDir dir;
    std::string socket;
    pid_t server = -1;
};

const std::string Area = "5B1234414243202020879B056AC00AFF";

} // namespace

TEST_F(Vantixctl, DecodesAndEncodesOffline) {
    Result r = Run({"ua", "decode", Area, "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "name=ABC\nid=0x12\nec=0x34\nbeep=5\nprefixCode=8,7,9,11\nprefixMask=5\nsuffixCode=6,10,12,0\n"
              "suffixMask=10\nmediaIdFormat=2\nbothTracks=-1\nomitSentinel=-1\nsecondTrackBit=-1\n"
              "sendToKeyboard=1\nstoreToDatabase=1\nbytes=" + Area + "\ndeviceType=0\n");
    r = Run({"ua", "encode", "proximity", "name=ABC", "id=0x12", "ec=52", "beep=5", "prefixCode=8,7,9,11",
             "prefixMask=5", "suffixCode=6,10,12,0", "suffixMask=10", "mediaIdFormat=2", "sendToKeyboard=1",
             "storeToDatabase=1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Area + "\n");
    r = Run({"ua", "encode", "3", "bothTracks=1", "secondTrackBit=1", "prefixMask=0xF3"});
    EXPECT_EQ(r.out, "8800002020202020200000F3000000FF\n");
}

TEST_F(Vantixctl, RefusesBadOfflineInput) {
    ExpectRefused({"ua", "decode", "5B12", "0"}, 1, "32 hex digits");
    ExpectRefused({"ua", "decode", Area, "7"}, 1, "unknown reader type");
    ExpectRefused({"ua", "encode", "0", "colour=red"}, 1, "unknown field \"colour\"");
    ExpectRefused({"ua", "encode", "0", "beep=8"}, 1, "beep takes 0..7");
    ExpectRefused({"ua", "encode", "1", "prefixMask=16"}, 1, "prefixMask takes 0..15");
    ExpectRefused({"ua", "encode", "1", "mediaIdFormat=1"}, 1, "does not apply");
    ExpectRefused({"ua", "encode", "0", "name=TOOLONG"}, 1, "up to 6 characters");
    ExpectRefused({"ua", "encode", "0", "name=A B"}, 1, "without spaces");
    ExpectRefused({"ua", "encode", "0", "prefixCode=1,2,3"}, 1, "four key codes");
    ExpectRefused({"ua", "decode", Area}, 2, "usage");
    ExpectRefused({"ua", "frobnicate"}, 2, "usage");
}

TEST_F(Vantixctl, ListShowSetAgainstTheSimulator) {
    Serve("FT01|TR-614 Door|" + Area);
    Result r = Run({"sim", "plug", "FT02", "TR-613-3", "desk"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ok plugged FT02\n");

    r = Run({"--backend", "sim", "list"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("serial=FT01\ndescription=TR-614 Door\nname=ABC\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n\nserial=FT02\ndescription=TR-613-3 desk\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("deviceType=3\n"), std::string::npos);

    r = Run({"--backend", "sim", "set", "FT02", "name=DESK", "bothTracks=1", "prefixMask=0x21", "beep=6"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("name=DESK\n"), std::string::npos) << r.out;
    r = Run({"sim", "ua", "FT02"});
    // The blank (0xFF) area changed only where asked; byte 15 stays 0xFF.
    EXPECT_EQ(r.out, "ok EFFFFF4445534B2020FFFF21FFFFFFFF\n");
    r = Run({"--backend", "sim", "show", "FT02"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("name=DESK\n"), std::string::npos);
    EXPECT_NE(r.out.find("bothTracks=1\n"), std::string::npos);
    EXPECT_NE(r.out.find("prefixMask=33\n"), std::string::npos);
    EXPECT_NE(r.out.find("beep=6\n"), std::string::npos);
}

TEST_F(Vantixctl, RefusedSetWritesNothing) {
    Serve("FT01|TR-614 Door|" + Area + ";X9|Some other bridge");
    ExpectRefused({"--backend", "sim", "set", "FT01", "name=OK", "beep=9"}, 1, "beep takes 0..7");
    ExpectRefused({"--backend", "sim", "set", "NOPE", "beep=1"}, 1, "no reader NOPE");
    ExpectRefused({"--backend", "sim", "show", "NOPE"}, 1, "no reader NOPE");
    ExpectRefused({"--backend", "sim", "set", "X9", "beep=1"}, 1, "not a known reader model");
    ExpectRefused({"--backend", "sim", "set", "FT01"}, 2, "usage");
    EXPECT_EQ(Run({"sim", "ua", "FT01"}).out, "ok " + Area + "\n");
    EXPECT_EQ(Run({"sim", "ua", "X9"}).out, "ok FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\n");
}

// The simulator's commands themselves are the platform tests' matter; here
// only what the command line adds: its refusals and exit statuses.
TEST_F(Vantixctl, SimCommandsAndTheirRefusals) {
    ExpectRefused({"sim", "list"}, 1, "no simulator answers");
    ExpectRefused({"--backend", "sim", "list"}, 1, "no simulator answers");
    Serve();
    ExpectRefused({"sim", "unplug", "NOPE"}, 1, "no reader NOPE");
    EXPECT_EQ(Run({"sim"}).status, 2);
    // A second server on the same socket is refused; the first keeps serving.
    const Result r = Run({"sim", "serve"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("already serves"), std::string::npos) << r.err;
    EXPECT_EQ(Run({"sim", "list"}).out, "ok 0\n");
}
