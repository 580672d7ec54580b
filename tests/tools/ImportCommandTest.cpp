#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/PgServer.h"
#include "tests/support/TempDir.h"

using testing::HasSubstr;
using vantix::test::PgServer;
using vantix::test::ShellQuote;

namespace {

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new vantix::test::PgServerEnvironment); // gtest owns it

struct Outcome {
    int status;
    std::string out; // stdout and stderr together
};

Outcome Vantixctl(const std::string& arguments) {
    const std::string command = std::string(std::getenv("VANTIX_BIN_DIR")) + "/vantixctl import " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> chunk{};
    size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) out.append(chunk.data(), n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

class ImportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        PgServer::Shared().Clear();
        vantix::test::WriteFile(file_, "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n"
                                       "0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001\r\n"
                                       "0249541E,2016-03-01 08:00:00,2016-03-01,08:00:00,2,13,FT0001\r\n");
    }
    std::string Args(const std::string& conn) const {
        return ShellQuote(file_) + " --from '2016-02-01 00:00:00' --to '2016-02-29 23:59:59' --conn " + ShellQuote(conn);
    }
    vantix::test::TempDir dir_;
    std::string file_ = dir_.File("Vantix-201602.vtxreg");
};

} // namespace

TEST_F(ImportCommand, ReplaysTheWindowWithTheCallFormAndReportsAFailingExecForm) {
    Outcome o = Vantixctl(Args(PgServer::Shared().ConnectionString()) + " --call-syntax call");
    EXPECT_EQ(o.status, 0) << o.out;
    EXPECT_THAT(o.out, HasSubstr("Imported 1 of 2 registrations."));
    EXPECT_THAT(o.out, HasSubstr("1 / 2"));
    EXPECT_EQ(PgServer::Shared().Query("SELECT media_id FROM registrations"), "0249541F");
    PgServer::Shared().Clear();
    o = Vantixctl(Args(PgServer::Shared().ConnectionString())); // PostgreSQL knows no "exec"
    EXPECT_EQ(o.status, 1) << o.out;
    EXPECT_THAT(o.out, HasSubstr("CADODataBase Error"));
    EXPECT_THAT(o.out, HasSubstr("Imported 0 of 1 registrations."));
    EXPECT_EQ(PgServer::Shared().RowCount(), 0);
}

TEST_F(ImportCommand, BadUsageAndBadConnection) {
    EXPECT_EQ(Vantixctl("").status, 2);
    EXPECT_EQ(Vantixctl(ShellQuote(file_) + " --from 2016-02-01 --to '2016-02-29 23:59:59' --conn x").status, 2);
    EXPECT_EQ(Vantixctl(Args("x") + " --call-syntax odd").status, 2);
    const Outcome o = Vantixctl(Args("DSN=NoSuchSource;PWD={top;secret}"));
    EXPECT_EQ(o.status, 1);
    EXPECT_THAT(o.out, HasSubstr("Unable to connect to the database."));
    EXPECT_THAT(o.out, HasSubstr("PWD=***"));
    EXPECT_THAT(o.out, testing::Not(HasSubstr("secret")));
}
