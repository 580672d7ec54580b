#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "frame/CADODatabase.h"
#include "frame/OdbcCatalog.h"
#include "frame/RegistrationCall.h"
#include "frame/RegistrationImport.h"
#include "tests/frame/SampleRegistration.h"
#include "tests/support/PgServer.h"
#include "tests/support/TempDir.h"

using namespace vantix;
using testing::HasSubstr;
using testing::StartsWith;
using vantix::test::PgServer;

namespace {

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new vantix::test::PgServerEnvironment); // gtest owns it

class Database : public ::testing::Test {
protected:
    void SetUp() override { server().Clear(); }
    static PgServer& server() { return PgServer::Shared(); }
};

std::string Line(const std::string& mediaId, const std::string& dateTime, int id = 1, int code = 12) {
    return mediaId + "," + dateTime + "," + dateTime.substr(0, 10) + "," + dateTime.substr(11) + "," +
           std::to_string(id) + "," + std::to_string(code) + ",FT0001\r\n";
}

class Import : public Database {
protected:
    ImportResult RunImport(const std::string& content, int cancelAfterLines = -1) {
        test::WriteFile(path_, content);
        ImportRequest request{path_, {"2016-02-10 00:00:00", "2016-02-22 23:59:59"}, server().ConnectionString(),
                              CallSyntax::Call};
        int lines = 0;
        RegistrationImport import([&](int imported, int counted) { progress_.emplace_back(imported, counted); },
                                  [&] { return ++lines == cancelAfterLines; });
        return import.Run(request);
    }
    test::TempDir dir_;
    std::string path_ = dir_.File("Vantix-201602.vtxreg");
    std::vector<std::pair<int, int>> progress_;
};

} // namespace

TEST_F(Database, LiveCallStoresTheRegistration) {
    CADODatabase db;
    ASSERT_TRUE(db.Open(server().ConnectionString(), "", "")) << db.GetLastErrorText();
    ASSERT_TRUE(db.Execute(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call))) << db.GetLastErrorText();
    EXPECT_EQ(server().Query("SELECT media_id, reg_date, reg_datetime, kind, reader_id, code FROM registrations"),
              "0249541F|2016-02-22|2016-02-22 14:07:00|999|1|12");
}

TEST_F(Database, OpenReconnectsAndAnEmptyStringReusesTheStoredOne) {
    CADODatabase db;
    ASSERT_TRUE(db.Open(server().ConnectionString()));
    ASSERT_TRUE(db.Open());
    EXPECT_EQ(db.GetConnectionString(), server().ConnectionString());
    EXPECT_TRUE(db.Execute(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call)));
    db.Close();
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(server().RowCount(), 1);
}

TEST_F(Database, FailingStatementRecordsTheErrorText) {
    CADODatabase db;
    ASSERT_TRUE(db.Open(server().ConnectionString()));
    // PostgreSQL has no exec: the default form fails there.
    EXPECT_FALSE(db.Execute(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Exec)));
    const std::string text = db.GetLastErrorText();
    EXPECT_THAT(text, StartsWith("Connection String = " + MaskPasswords(server().ConnectionString()) +
                                 "\nCADODataBase Error\n\tCode = "));
    EXPECT_THAT(text, testing::MatchesRegex("(.|\n)*\tCode = [0-9a-f]{8}\n\tCode meaning = SQLSTATE 42601: "
                                            "Syntax error\n\tSource = [^\n]+\n\tDescription = [^\n](.|\n)*\n"));
    EXPECT_THAT(text, HasSubstr("exec"));
    // The connection stays usable after a failed statement.
    EXPECT_TRUE(db.Execute(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call)));
}

TEST_F(Database, FailedOpenRecordsTheDriverManagersError) {
    CADODatabase db;
    EXPECT_FALSE(db.Open("DSN=NoSuchSource;"));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_THAT(db.GetLastErrorText(), StartsWith("Connection String = DSN=NoSuchSource;\nCADODataBase Error\n"));
    EXPECT_THAT(db.GetLastErrorText(), HasSubstr("Code meaning = SQLSTATE IM002"));
    EXPECT_THAT(db.GetLastErrorText(), HasSubstr("Source = [unixODBC][Driver Manager]"));
    EXPECT_FALSE(db.Execute("SELECT 1"));
    EXPECT_THROW(db.BeginTransaction(), ComError);
}

TEST_F(Database, RollbackDropsAndCommitKeeps) {
    CADODatabase db;
    ASSERT_TRUE(db.Open(server().ConnectionString()));
    db.BeginTransaction();
    ASSERT_TRUE(db.Execute(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call)));
    db.RollbackTransaction();
    EXPECT_EQ(server().RowCount(), 0);
    db.BeginTransaction();
    ASSERT_TRUE(db.Execute(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call)));
    db.CommitTransaction();
    EXPECT_EQ(server().RowCount(), 1);
}

TEST(OdbcCatalog, ListsThePostgreSqlDriver) {
    std::vector<std::string> names;
    for (const auto& driver : ListOdbcDrivers()) names.push_back(driver.name);
    EXPECT_THAT(names, testing::Contains("PostgreSQL Unicode"));
}

TEST(OdbcCatalog, ConnectionStringsSplitAndJoin) {
    const auto pairs = SplitConnectionString("Driver={PostgreSQL Unicode};Server= db ;Pwd={a;b}}c};Bare;Port=5432");
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[0], (ConnectionPair{"Driver", "PostgreSQL Unicode"}));
    EXPECT_EQ(pairs[1], (ConnectionPair{"Server", "db"}));
    EXPECT_EQ(pairs[2], (ConnectionPair{"Pwd", "a;b}c"}));
    EXPECT_EQ(pairs[3], (ConnectionPair{"Port", "5432"}));
    EXPECT_EQ(JoinConnectionString(pairs), "Driver=PostgreSQL Unicode;Server=db;Pwd={a;b}}c};Port=5432;");
    EXPECT_EQ(SplitConnectionString(JoinConnectionString(pairs)), pairs);
}

TEST_F(Import, ReplaysTheWindowAndCountsEveryRegistrationLine) {
    std::string file = "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n";
    for (int day = 19; day <= 28; ++day) // the 19th to the 22nd lie in the window
        file += Line("000000" + std::to_string(day), "2016-02-" + std::to_string(day) + " 12:00:00");
    file += "0249541F,2016-02-22 14:07:00,A016-02-22,14:07:00,1,12,FT0001\r\n"; // date starts with a letter
    file += "\r\n";
    const ImportResult result = RunImport(file);
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Finished);
    EXPECT_TRUE(result.errorText.empty()) << result.errorText;
    EXPECT_EQ(result.summary, "Imported 4 of 10 registrations.");
    EXPECT_EQ(server().Query("SELECT string_agg(media_id, ',' ORDER BY id) FROM registrations"),
              "00000019,00000020,00000021,00000022");
    EXPECT_EQ(progress_.size(), 13u); // after every line, the header and the skipped ones too
    EXPECT_EQ(progress_.back(), std::make_pair(4, 10));
}

TEST_F(Import, UpperBoundIsIncludedAndValuesAreStoredVerbatim) {
    const ImportResult result = RunImport(Line("O'Brien", "2016-02-22 23:59:59", 0, 255) +
                                          Line("0249541F", "2016-02-10 00:00:00") +
                                          Line("0249541F", "2016-02-09 23:59:00"));
    EXPECT_EQ(result.summary, "Imported 2 of 3 registrations.");
    EXPECT_EQ(server().Query("SELECT media_id || '|' || reader_id || '|' || code FROM registrations ORDER BY id"),
              "O'Brien|0|255\n0249541F|1|12");
}

TEST_F(Import, CancelLeavesTheTableUnchanged) {
    const ImportResult result = RunImport(Line("00000001", "2016-02-20 10:00:00") +
                                          Line("00000002", "2016-02-20 11:00:00") +
                                          Line("00000003", "2016-02-20 12:00:00"),
                                          2);
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Cancelled);
    EXPECT_EQ(result.imported, 2);
    EXPECT_TRUE(result.summary.empty());
    EXPECT_TRUE(result.errorText.empty());
    EXPECT_EQ(server().RowCount(), 0);
}

TEST_F(Import, FailedStatementCommitsThoseBeforeIt) {
    const ImportResult result = RunImport(Line("00000001", "2016-02-20 10:00:00") +
                                          Line("00000002", "2016-02-20 11:00:00") +
                                          Line("FAIL", "2016-02-20 12:00:00") +
                                          Line("00000004", "2016-02-20 13:00:00"));
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Stopped);
    EXPECT_THAT(result.errorText, HasSubstr("CADODataBase Error"));
    EXPECT_THAT(result.errorText, HasSubstr("refused media id FAIL"));
    EXPECT_EQ(result.summary, "Imported 2 of 3 registrations.");
    EXPECT_EQ(server().Query("SELECT string_agg(media_id, ',' ORDER BY id) FROM registrations"),
              "00000001,00000002");
}

TEST_F(Import, ConnectionFailureEndsTheRunWithAnError) {
    test::WriteFile(path_, Line("00000001", "2016-02-20 10:00:00"));
    RegistrationImport import(nullptr, nullptr);
    const ImportResult result = import.Run({path_, {"2016-02-01 00:00:00", "2016-02-29 23:59:59"},
                                            "Driver={No Such Driver};", CallSyntax::Call});
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Failed);
    EXPECT_THAT(result.errorText, StartsWith("Unable to connect to the database."));
    EXPECT_THAT(result.errorText, HasSubstr("CADODataBase Error"));
    EXPECT_TRUE(result.summary.empty());
}

TEST_F(Import, MissingFileEndsTheRunWithTheFileError) {
    RegistrationImport import(nullptr, nullptr);
    const ImportResult result = import.Run({dir_.File("gone.vtxreg"), {"2016-02-01 00:00:00", "2016-02-29 23:59:59"},
                                            server().ConnectionString(), CallSyntax::Call});
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Failed);
    EXPECT_THAT(result.errorText, HasSubstr("gone.vtxreg"));
    EXPECT_EQ(server().RowCount(), 0);
}
