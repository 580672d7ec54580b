// The database link, the database worker and the import against real
// servers: PostgreSQL (exec and CALL forms) and MariaDB (CALL form).
#include <gmock/gmock.h>
#include <gtest/gtest.h>


#include <chrono>
#include <filesystem>
#include <functional>

#include "storage/CADODatabase.h"
#include "storage/DatabaseWorker.h"
#include "storage/OdbcCatalog.h"
#include "storage/RegistrationCall.h"
#include "storage/RegistrationImport.h"
#include "tests/storage/SampleRegistration.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MariaDbServer.h"
#include "tests/support/PgServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

using namespace vantix;
using testing::HasSubstr;
using testing::StartsWith;
using vantix::test::DatabaseServer;
using vantix::test::WaitFor;

namespace {

using Clock = std::chrono::steady_clock;

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new vantix::test::PgServerEnvironment); // gtest owns it

// Each test runs against both servers.
class Database : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { server().Clear(); }
    static DatabaseServer& server() {
        if (GetParam() == "MariaDB") return test::MariaDbServer::Shared();
        return test::PgServer::Shared();
    }
};

std::string ParamName(const testing::TestParamInfo<std::string>& info) { return info.param; }

std::string Line(const std::string& mediaId, const std::string& dateTime, const std::string& id = "1",
                 const std::string& code = "12") {
    return mediaId + "," + dateTime + "," + dateTime.substr(0, 10) + "," + dateTime.substr(11) + "," + id + "," + code +
           ",FT0001\r\n";
}

class Import : public Database {
protected:
    ImportResult RunImport(const std::string& content, int cancelAfterLines = -1) {
        test::WriteFile(path_, content);
        ImportRequest request{path_, {"2016-02-10 00:00:00", "2016-02-22 23:59:59"}, server().ConnectionString(),
                              CallSyntax::Call};
        int lines = 0;
        RegistrationImport import([&](int imported, int counted) { progress_.emplace_back(imported, counted); },
                                  [&] {
                                      if (afterLine_) afterLine_(lines + 1);
                                      return ++lines == cancelAfterLines;
                                  });
        return import.Run(request);
    }
    std::function<void(int)> afterLine_; // after each line read, with its number
    test::TempDir dir_;
    std::string path_ = dir_.File("Vantix-201602.vtxreg");
    std::vector<std::pair<int, int>> progress_;
};

} // namespace

// --- the connection ------------------------------------------------------------

TEST_P(Database, LiveCallsStoreTheRegistrationInTransactionsAndAFailureSaysWhy) {
    CADODatabase db;
    ASSERT_TRUE(db.Open(server().ConnectionString(), "", "")) << db.GetLastErrorText();
    const std::string call = LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call);
    ASSERT_TRUE(db.Execute(call)) << db.GetLastErrorText();
    EXPECT_EQ(server().Query("SELECT media_id, reg_date, reg_datetime, kind, reader_id, code FROM registrations"),
              "0249541F|2016-02-22|2016-02-22 14:07:00|999|1|12");
    // An empty string reconnects with the stored one.
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.GetConnectionString(), server().ConnectionString());
    EXPECT_EQ(db.BackslashEscapes(), GetParam() == "MariaDB");
    db.BeginTransaction();
    ASSERT_TRUE(db.Execute(call));
    db.RollbackTransaction();
    EXPECT_EQ(server().RowCount(), 1);
    db.BeginTransaction();
    ASSERT_TRUE(db.Execute(call));
    db.CommitTransaction();
    EXPECT_EQ(server().RowCount(), 2);

    // A failing statement records the error text without the password;
    // neither server knows "exec".
    EXPECT_FALSE(db.Execute(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Exec)));
    const std::string text = db.GetLastErrorText();
    EXPECT_THAT(text, StartsWith("Connection String = " + MaskPasswords(server().ConnectionString()) +
                                 "\nCADODataBase Error\n\tCode = "));
    EXPECT_THAT(text, testing::MatchesRegex("(.|\n)*\tCode = [0-9a-f]{8}\n\tCode meaning = SQLSTATE 42[0-9A-Z]{3}: "
                                            "[^\n]+\n\tSource = [^\n]+\n\tDescription = [^\n](.|\n)*\n"));
    EXPECT_THAT(text, testing::ContainsRegex("(Pwd|Password)=\\*\\*\\*;"));
    // The connection stays usable after a failed statement.
    EXPECT_TRUE(db.Execute(call));
    EXPECT_EQ(server().RowCount(), 3);
    db.Close();
    EXPECT_FALSE(db.IsOpen());
}

TEST(DatabaseLink, FailedOpenRecordsTheDriverManagersErrorAndMasksThePassword) {
    CADODatabase db;
    EXPECT_FALSE(db.Open("DSN=NoSuchSource;PWD={top;secret}}};"));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_THAT(db.GetLastErrorText(), StartsWith("Connection String = DSN=NoSuchSource;PWD=***;\nCADODataBase Error\n"));
    EXPECT_THAT(db.GetLastErrorText(), testing::Not(HasSubstr("secret")));
    EXPECT_THAT(db.GetLastErrorText(), HasSubstr("Code meaning = SQLSTATE IM002"));
    EXPECT_THAT(db.GetLastErrorText(), HasSubstr("Source = [unixODBC][Driver Manager]"));
    EXPECT_FALSE(db.Execute("SELECT 1"));
    EXPECT_THROW(db.BeginTransaction(), ComError);
}

TEST_P(Database, ACallOnALockedTableEndsWithTheStatementTimeout) {
    CADODatabase db;
    ASSERT_TRUE(db.Open(server().ConnectionString()));
    test::ChildProcess lock({"sh", "-c", server().HoldLockCommand(30)}, {}, "/dev/null");
    ASSERT_TRUE(WaitFor([&] { return server().Locked(); }, std::chrono::seconds(10)));
    const auto start = Clock::now();
    EXPECT_FALSE(db.Execute(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call)));
    const auto took = Clock::now() - start;
    server().ReleaseLock();
    EXPECT_GE(took, std::chrono::seconds(CADODatabase::kStatementTimeoutSeconds - 1));
    EXPECT_LT(took, std::chrono::seconds(CADODatabase::kStatementTimeoutSeconds + 3));
}

TEST_P(Database, ConnectingToAServerThatDoesNotAnswerEndsWithTheLoginTimeout) {
    server().Suspend(true);
    CADODatabase db;
    const auto start = Clock::now();
    const bool opened = db.Open(server().ConnectionString());
    const auto took = Clock::now() - start;
    server().Suspend(false);
    EXPECT_FALSE(opened);
    EXPECT_LT(took, std::chrono::seconds(CADODatabase::kLoginTimeoutSeconds + 3));
}

// --- the worker of live registrations ---------------------------------------------

TEST_P(Database, WorkerCallsInOrderAndAFailureDropsTheRestOfItsSession) {
    std::atomic<int> wakes{0};
    DatabaseWorker worker([&] { ++wakes; });
    const std::string conn = server().ConnectionString();
    for (const char* id : {"00000001", "00000002"})
        worker.Submit({conn, CallSyntax::Call, test::SampleRegistration(id), 1});
    worker.Submit({conn, CallSyntax::Call, test::SampleRegistration("FAIL"), 1});
    worker.Submit({conn, CallSyntax::Call, test::SampleRegistration("00000004"), 1});
    ASSERT_TRUE(worker.WaitIdle(std::chrono::seconds(20)));
    EXPECT_EQ(server().MediaIds(), "00000001,00000002") << "nothing after the failure";
    const auto failures = worker.TakeFailures();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_FALSE(failures[0].connecting);
    EXPECT_THAT(failures[0].errorText, HasSubstr("refused media id FAIL"));
    EXPECT_EQ(wakes.load(), 3);

    // The next session works again, on a new connection.
    worker.Submit({conn, CallSyntax::Call, test::SampleRegistration("00000005"), 2});
    ASSERT_TRUE(worker.WaitIdle(std::chrono::seconds(20)));
    EXPECT_EQ(server().MediaIds(), "00000001,00000002,00000005");
    EXPECT_TRUE(worker.TakeFailures().empty());
}

TEST_P(Database, WorkerThatHangsOnAStoppedServerDoesNotHoldUpItsOwner) {
    auto worker = std::make_unique<DatabaseWorker>();
    const std::string conn = server().ConnectionString();
    worker->Submit({conn, CallSyntax::Call, test::SampleRegistration("00000001"), 1});
    ASSERT_TRUE(worker->WaitIdle(std::chrono::seconds(20)));
    server().Suspend(true);
    worker->Submit({conn, CallSyntax::Call, test::SampleRegistration("00000002"), 1});
    EXPECT_FALSE(worker->WaitIdle(std::chrono::milliseconds(300)));
    EXPECT_EQ(worker->Current().phase, DatabaseWorker::Phase::Calling);
    const auto start = Clock::now();
    worker.reset();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    server().Suspend(false);
}

// --- the import ------------------------------------------------------------------

TEST_P(Import, ReplaysTheWindowAndCountsEveryRegistrationLine) {
    std::string file = "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n";
    for (int day = 19; day <= 28; ++day) // the 19th to the 22nd lie in the window
        file += Line("000000" + std::to_string(day), "2016-02-" + std::to_string(day) + " 12:00:00");
    file += "0249541F,2016-02-22 14:07:00,A016-02-22,14:07:00,1,12,FT0001\r\n"; // date starts with a letter
    file += "\r\n";
    const ImportResult result = RunImport(file);
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Finished);
    EXPECT_TRUE(result.errorText.empty()) << result.errorText;
    EXPECT_EQ(result.summary, "Imported 4 of 10 registrations.");
    EXPECT_EQ(server().MediaIds(), "00000019,00000020,00000021,00000022");
    EXPECT_EQ(progress_.size(), 13u); // after every line, the header and the skipped ones too
    EXPECT_EQ(progress_.back(), std::make_pair(4, 10));
}

TEST_P(Import, HostileValuesAreStoredAsTheyStand) {
    // Quotes, backslashes (an escape on MariaDB), a NUL, Latin-1 and UTF-8,
    // the upper bound itself and the lower bound.
    const ImportResult result = RunImport(Line("O'Brien", "2016-02-22 23:59:59", "0", "255") +
                                          Line("end\\", "2016-02-10 00:00:00") +
                                          Line(std::string("nul\0byte", 8), "2016-02-15 10:00:00") +
                                          Line("Caf\xE9", "2016-02-15 11:00:00") +
                                          Line("Caf\xC3\xA9", "2016-02-15 12:00:00") +
                                          Line("0249541F", "2016-02-09 23:59:00"));
    EXPECT_TRUE(result.errorText.empty()) << result.errorText;
    EXPECT_EQ(result.summary, "Imported 5 of 6 registrations.");
    EXPECT_EQ(server().Query("SELECT media_id, reader_id, code FROM registrations ORDER BY id"),
              "O'Brien|0|255\nend\\|1|12\nnul_byte|1|12\nCaf\xC3\xA9|1|12\nCaf\xC3\xA9|1|12");
}

TEST_P(Import, CancelLeavesTheTableUnchanged) {
    const ImportResult result = RunImport(Line("00000001", "2016-02-20 10:00:00") +
                                          Line("00000002", "2016-02-20 11:00:00") +
                                          Line("00000003", "2016-02-20 12:00:00"),
                                          2);
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Cancelled);
    EXPECT_EQ(result.summary + result.errorText, "");
    EXPECT_EQ(server().RowCount(), 0);
}

TEST_P(Import, FailedStatementKeepsAndCountsOnlyWhatWasCommitted) {
    const ImportResult result = RunImport(Line("00000001", "2016-02-20 10:00:00") +
                                          Line("00000002", "2016-02-20 11:00:00") +
                                          Line("FAIL", "2016-02-20 12:00:00") +
                                          Line("00000004", "2016-02-20 13:00:00"));
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Stopped);
    EXPECT_THAT(result.errorText, testing::ContainsRegex("CADODataBase Error(.|\n)*refused media id FAIL"));
    EXPECT_EQ(result.summary, "Imported 2 of 3 registrations.");
    EXPECT_EQ(server().MediaIds(), "00000001,00000002");
}

TEST_P(Import, ATooLongLineIsSkippedAndReported) {
    const ImportResult result = RunImport(Line("00000001", "2016-02-20 10:00:00") +
                                          Line(std::string(RegFileReader::kMaxLineLength, '7'), "2016-02-20 11:00:00") +
                                          Line("00000003", "2016-02-20 12:00:00"));
    EXPECT_EQ(result.summary, "Imported 2 of 2 registrations.");
    EXPECT_EQ(result.overlong, 1);
    EXPECT_EQ(result.errorText, "1 lines longer than 65536 bytes were skipped.");
    EXPECT_TRUE(server().MediaIds() == "00000001,00000003");
}

TEST_P(Import, AStatementThatFailsWhenReplayedKeepsNothingAndSaysWhy) {
    // The first line goes in and the second fails. Before the lines ahead of
    // the failure are replayed, the first has become one the server refuses.
    afterLine_ = [&](int line) {
        if (line != 1) return;
        test::WriteFile(path_ + ".new", Line("FAIL", "2016-02-20 10:00:00"));
        std::filesystem::rename(path_ + ".new", path_);
    };
    const ImportResult result = RunImport(Line("00000001", "2016-02-20 10:00:00") + Line("FAIL", "2016-02-20 11:00:00"));
    EXPECT_EQ(result.summary, "Imported 0 of 2 registrations.");
    EXPECT_EQ(server().RowCount(), 0);
    const std::string& text = result.errorText;
    EXPECT_NE(text.find("refused media id FAIL"), text.rfind("refused media id FAIL")) << "both failures: " << text;
}

TEST(ImportRun, ConnectionFailureOrAMissingFileEndsTheRunWithAnError) {
    test::TempDir dir;
    test::WriteFile(dir.File("a.vtxreg"), Line("00000001", "2016-02-20 10:00:00"));
    RegistrationImport import(nullptr, nullptr);
    ImportResult result = import.Run({dir.File("a.vtxreg"), {"2016-02-01 00:00:00", "2016-02-29 23:59:59"},
                                      "Driver={No Such Driver};Pwd=secret", CallSyntax::Call});
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Failed);
    EXPECT_THAT(result.errorText, StartsWith("Unable to connect to the database."));
    EXPECT_THAT(result.errorText, HasSubstr("Pwd=***"));
    EXPECT_TRUE(result.summary.empty());

    result = import.Run({dir.File("gone.vtxreg"), {"2016-02-01 00:00:00", "2016-02-29 23:59:59"},
                         test::PgServer::Shared().ConnectionString(), CallSyntax::Call});
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Failed);
    EXPECT_THAT(result.errorText, HasSubstr("gone.vtxreg"));
}

TEST(OdbcCatalog, ListsTheInstalledDrivers) {
    std::vector<std::string> names;
    for (const auto& driver : ListOdbcDrivers()) names.push_back(driver.name);
    EXPECT_THAT(names, testing::IsSupersetOf({"PostgreSQL Unicode", "MariaDB Unicode"}));
}

INSTANTIATE_TEST_SUITE_P(Servers, Database, testing::Values("PostgreSQL", "MariaDB"), ParamName);
INSTANTIATE_TEST_SUITE_P(Servers, Import, testing::Values("PostgreSQL", "MariaDB"), ParamName);
