// vantixctl as a user runs it: the user-area codec, reader commands against
// the simulator, watch, password and import, with their refusals and exit
// statuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cstdlib>
#include <optional>

#include "core/Hex.h"
#include "ftdi/UserArea.h"
#include "settings/IniFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PgServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

namespace vantix::test {
namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new PgServerEnvironment); // gtest owns it; started on first use

std::string Binary() { return std::string(std::getenv("VANTIX_BIN_DIR")) + "/vantixctl"; }

struct Result {
    int status;
    std::string out, err;
};

const std::string Area = "5B1234414243202020879B056AC00AFF";

// Each test with its own directory and simulator socket, so parallel runs never meet.
class Vantixctl : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("VANTIX_SIM_SOCKET", socket.c_str(), 1);
        unsetenv("VANTIX_SIM_READERS");
    }
    void TearDown() override {
        if (!server) return;
        server->Signal(SIGTERM);
        EXPECT_EQ(server->Wait(5s), 0) << "serve ends cleanly on SIGTERM";
    }

    // `args` as the shell splits them, `input` on stdin.
    Result Run(const std::string& args, const std::string& input = {}) {
        WriteFile(dir.File("in"), input);
        const std::string redirected = " <" + dir.File("in") + " >" + dir.File("out") + " 2>" + dir.File("err");
        const int raw = std::system((Binary() + " " + args + redirected).c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir.File("out")), ReadFile(dir.File("err"))};
    }

    // Standard output of a run that must succeed.
    std::string Ok(const std::string& args) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 0) << args << ": " << r.err;
        return r.out;
    }

    // A refusal: the status, one line on stderr, nothing on stdout.
    void ExpectRefused(const std::string& args, int status, const std::string& reason) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, status) << args << ": " << r.err;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_THAT(r.err, HasSubstr(reason)) << args;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }

    // Starts `vantixctl sim serve` and waits until it says it serves.
    void Serve(const std::string& readers = {}) {
        server.emplace(std::vector<std::string>{Binary(), "sim", "serve"},
                       std::map<std::string, std::string>{{"VANTIX_SIM_READERS", readers}}, dir.File("serve.log"));
        ASSERT_TRUE(WaitFor([&] { return ReadFile(dir.File("serve.log")) == "serving simulated readers on " + socket + "\n"; }))
            << ReadFile(dir.File("serve.log"));
    }

    TempDir dir;
    std::string socket = dir.File("sim.sock");
    std::optional<ChildProcess> server;
};

TEST_F(Vantixctl, DecodesAndEncodesOffline) {
    EXPECT_EQ(Ok("ua decode " + Area + " 0"),
              "name=ABC\nid=0x12\nec=0x34\nbeep=5\nprefixCode=8,7,9,11\nprefixMask=5\nsuffixCode=6,10,12,0\n"
              "suffixMask=10\nmediaIdFormat=2\nbothTracks=-1\nomitSentinel=-1\nsecondTrackBit=-1\n"
              "sendToKeyboard=1\nstoreToDatabase=1\nbytes=" + Area + "\ndeviceType=0\n");
    EXPECT_EQ(Ok("ua encode proximity name=ABC id=0x12 ec=52 beep=5 prefixCode=8,7,9,11 prefixMask=5 "
                 "suffixCode=6,10,12,0 suffixMask=10 mediaIdFormat=2 sendToKeyboard=1 storeToDatabase=1"),
              Area + "\n");
    EXPECT_EQ(Ok("ua encode 3 bothTracks=1 secondTrackBit=1 prefixMask=0xF3"), "8800002020202020200000F3000000FF\n");

    for (const auto& [args, status, reason] : std::initializer_list<std::tuple<std::string, int, std::string>>{
             {"ua decode 5B12 0", 1, "32 hex digits"},
             {"ua decode " + Area + " 7", 1, "unknown reader type"},
             {"ua encode 0 colour=red", 1, "unknown field \"colour\""},
             {"ua encode 0 beep=8", 1, "beep takes 0..7"},
             {"ua encode 1 prefixMask=16", 1, "prefixMask takes 0..15"},
             {"ua encode 1 mediaIdFormat=1", 1, "does not apply"},
             {"ua encode 0 name=TOOLONG", 1, "up to 6 characters"},
             {"ua encode 0 'name=A B'", 1, "without spaces"},
             {"ua encode 0 prefixCode=1,2,3", 1, "four key codes"},
             {"ua decode " + Area, 2, "usage"},
             {"ua frobnicate", 2, "usage"}})
        ExpectRefused(args, status, reason);
}

TEST_F(Vantixctl, ListShowSetAgainstTheSimulator) {
    Serve("FT01|TR-614 Door|" + Area + ";X9|Some other bridge");
    EXPECT_EQ(Ok("sim plug FT02 TR-613-3 desk"), "ok plugged FT02\n");
    const std::string listed = Ok("--backend sim list");
    EXPECT_THAT(listed, HasSubstr("serial=FT01\ndescription=TR-614 Door\nname=ABC\n"));
    EXPECT_THAT(listed, HasSubstr("\n\nserial=FT02\ndescription=TR-613-3 desk\n"));
    EXPECT_THAT(listed, HasSubstr("deviceType=3\n"));

    EXPECT_THAT(Ok("--backend sim set FT02 name=DESK bothTracks=1 prefixMask=0x21 beep=6"), HasSubstr("name=DESK\n"));
    // The blank (0xFF) area changed only where asked; byte 15 stays 0xFF.
    EXPECT_EQ(Ok("sim ua FT02"), "ok EFFFFF4445534B2020FFFF21FFFFFFFF\n");
    const std::string shown = Ok("--backend sim show FT02");
    for (const char* field : {"name=DESK\n", "bothTracks=1\n", "prefixMask=33\n", "beep=6\n"})
        EXPECT_THAT(shown, HasSubstr(field));

    // A refused set writes nothing.
    ExpectRefused("--backend sim set FT01 name=OK beep=9", 1, "beep takes 0..7");
    ExpectRefused("--backend sim set NOPE beep=1", 1, "no reader NOPE");
    ExpectRefused("--backend sim show NOPE", 1, "no reader NOPE");
    ExpectRefused("--backend sim set X9 beep=1", 1, "not a known reader model");
    ExpectRefused("--backend sim set FT01", 2, "usage");
    EXPECT_EQ(Run("sim ua FT01").out, "ok " + Area + "\n");
    EXPECT_EQ(Run("sim ua X9").out, "ok FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\n");
}

// The simulator's commands themselves are the platform tests' matter; here
// only what the command line adds: its refusals and exit statuses.
TEST_F(Vantixctl, SimCommandsAndTheirRefusals) {
    ExpectRefused("sim list", 1, "no simulator answers");
    ExpectRefused("--backend sim list", 1, "no simulator answers");
    Serve();
    ExpectRefused("sim unplug NOPE", 1, "no reader NOPE");
    EXPECT_EQ(Run("sim").status, 2);
    // A second server on the same socket is refused; the first keeps serving.
    const Result r = Run("sim serve");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("already serves"));
    EXPECT_EQ(Run("sim list").out, "ok 0\n");
}

// A read on a watched reader: its JSON lines (8-bit text as UTF-8, quotes
// escaped) and its registration filed; SIGTERM wakes the 5 s monitor wait.
TEST_F(Vantixctl, WatchPrintsAndFilesAReadAndEndsOnSigterm) {
    const FTDI::UserArea ua("D\xC9SK", 3, 4, 7, 0, 1, 1, -1, -1, -1, 1, FTDI::KeyNotUsed, FTDI::KeyNotUsed,
                            FTDI::KeyNotUsed, 0, FTDI::KeyNewLine, FTDI::KeyNotUsed, FTDI::KeyNotUsed, FTDI::KeyNotUsed,
                            0, FTDI::DeviceTypeProximity);
    const std::string log = dir.File("watch.log");
    ChildProcess watch({Binary(), "--backend", "sim", "watch", "--regfile", dir.Path().string()},
                       {{"VANTIX_SIM_READERS", "WJ1|TR-614 \"desk\"|" + ToHex(ua.bytes, 16)}}, log);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(log).find("\"event\":\"added\"") != std::string::npos; }, 10s)) << ReadFile(log);
    Ok("sim card WJ1 F400000249541F01");
    ASSERT_TRUE(WaitFor([&] { return ReadFile(log).find("\"event\":\"registration\"") != std::string::npos; }, 10s))
        << ReadFile(log);
    watch.Signal(SIGTERM);
    EXPECT_EQ(watch.Wait(2s), 0);

    const auto lines = Lines(ReadFile(log));
    ASSERT_EQ(lines.size(), 4u) << ReadFile(log);
    EXPECT_THAT(lines[0], HasSubstr("{\"event\":\"added\",\"wParam\":0,\"serial\":\"WJ1\","
                                    "\"description\":\"TR-614 \\\"desk\\\"\",\"type\":0,"));
    EXPECT_THAT(lines[0], HasSubstr("\"name\":\"D\xC3\x89SK\",\"id\":3,\"ec\":4,\"beep\":7,\"mediaIdFormat\":0"));
    EXPECT_EQ(lines[1], "{\"event\":\"typed\",\"text\":\"\xC3\x89" "0249541F\\n\"}");
    EXPECT_THAT(lines[2], HasSubstr("{\"event\":\"registration\",\"serial\":\"WJ1\",\"mediaId\":\"0249541F\","
                                    "\"id\":3,\"ec\":4,\"dateTime\":\""));
    EXPECT_THAT(lines[2], HasSubstr("\"idText\":\"3\",\"ecText\":\"4\"}"));
    EXPECT_THAT(lines[3], HasSubstr("{\"event\":\"removed\",\"wParam\":1,\"serial\":\"WJ1\""));
    std::string filed;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        if (entry.path().extension() == ".vtxreg") filed = ReadFile(entry.path().string());
    EXPECT_THAT(filed, HasSubstr("\r\n0249541F,"));
    EXPECT_THAT(filed, HasSubstr(",3,4,WJ1\r\n"));

    ExpectRefused("--backend sim watch --regfile " + dir.File("missing"), 1, "--regfile");
    EXPECT_EQ(Run("--backend sim watch --bogus").status, 2);
    EXPECT_EQ(Run("--backend nonesuch watch").status, 1);
}

int Crc(const std::string& text) {
    return static_cast<int>(crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(Vantixctl, PasswordCreatesAFirstIniForItsOwnerOnly) {
    const std::string ini = dir.File("Vantix.ini");
    const mode_t saved = ::umask(0);
    EXPECT_EQ(Run("password --ini " + ini, "vantix").status, 0);
    // Without --ini: the program's own file, here beside a portable copy.
    const std::filesystem::path copy = dir.Path() / "portable";
    std::filesystem::create_directory(copy);
    std::filesystem::copy_file(Binary(), copy / "vantixctl");
    EXPECT_EQ(std::system(("echo other | " + (copy / "vantixctl").string() + " password > /dev/null").c_str()), 0);
    ::umask(saved);
    EXPECT_EQ(IniFile(ini).GetInt("Settings", "Password", 0), Crc("vantix"));
    EXPECT_EQ(Mode(ini), 0600u);
    const std::string portableIni = (copy / "Vantix.ini").string();
    EXPECT_EQ(IniFile(portableIni).GetInt("Settings", "Password", 0), Crc("other"));
    EXPECT_EQ(Mode(portableIni), 0600u);
}

TEST_F(Vantixctl, PasswordRefusesBadInputAndOtherwiseStoresTheHashFromStdinKeepingTheRest) {
    const std::string ini = dir.File("Vantix.ini");
    EXPECT_EQ(Run("password --ini " + ini, "").status, 1);
    EXPECT_EQ(Run("password --ini " + ini, "\n").status, 1);
    EXPECT_EQ(Run("password --ini " + dir.File("missing/Vantix.ini"), "x\n").status, 1);
    EXPECT_EQ(Run("password --ini " + ini + " extra", "x\n").status, 2);
    EXPECT_FALSE(std::filesystem::exists(ini));

    WriteFile(ini, "; installed\r\n[Settings]\r\nDelay=5\r\nPassword=1\r\n");
    EXPECT_EQ(Run("password --ini " + ini, "s3cret\r\n").status, 0);
    EXPECT_EQ(ReadFile(ini), "; installed\r\n[Settings]\r\nDelay=5\r\nPassword=" + std::to_string(Crc("s3cret")) + "\r\n");
}

class ImportCommand : public Vantixctl {
protected:
    void SetUp() override {
        Vantixctl::SetUp();
        PgServer::Shared().Clear();
        WriteFile(file_, "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n"
                         "0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001\r\n"
                         "0249541E,2016-03-01 08:00:00,2016-03-01,08:00:00,2,13,FT0001\r\n");
    }
    // The import of February; stdout and stderr together.
    Result Import(const std::string& conn, const std::string& more = {}) {
        Result r = Run("import " + ShellQuote(file_) + " --from '2016-02-01 00:00:00' --to '2016-02-29 23:59:59' --conn " +
                       ShellQuote(conn) + more);
        r.out += r.err;
        return r;
    }
    std::string file_ = dir.File("Vantix-201602.vtxreg");
};

TEST_F(ImportCommand, ReplaysTheWindowWithTheCallFormAndReportsAFailingExecForm) {
    Result o = Import(PgServer::Shared().ConnectionString(), " --call-syntax call");
    EXPECT_EQ(o.status, 0) << o.out;
    EXPECT_THAT(o.out, HasSubstr("Imported 1 of 2 registrations."));
    EXPECT_THAT(o.out, HasSubstr("1 / 2"));
    EXPECT_EQ(PgServer::Shared().Query("SELECT media_id FROM registrations"), "0249541F");
    PgServer::Shared().Clear();
    o = Import(PgServer::Shared().ConnectionString()); // PostgreSQL knows no "exec"
    EXPECT_EQ(o.status, 1) << o.out;
    EXPECT_THAT(o.out, HasSubstr("CADODataBase Error"));
    EXPECT_THAT(o.out, HasSubstr("Imported 0 of 1 registrations."));
    EXPECT_EQ(PgServer::Shared().RowCount(), 0);
}

TEST_F(ImportCommand, BadUsageAndBadConnection) {
    EXPECT_EQ(Run("import").status, 2);
    EXPECT_EQ(Run("import " + ShellQuote(file_) + " --from 2016-02-01 --to '2016-02-29 23:59:59' --conn x").status, 2);
    EXPECT_EQ(Import("x", " --call-syntax odd").status, 2);
    const Result o = Import("DSN=NoSuchSource;PWD={top;secret}");
    EXPECT_EQ(o.status, 1);
    EXPECT_THAT(o.out, HasSubstr("Unable to connect to the database."));
    EXPECT_THAT(o.out, HasSubstr("PWD=***"));
    EXPECT_THAT(o.out, testing::Not(HasSubstr("secret")));
}

} // namespace
} // namespace vantix::test
