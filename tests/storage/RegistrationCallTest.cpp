#include <gtest/gtest.h>

#include "settings/IniKeys.h"
#include "settings/Configuration.h"
#include "core/FormatText.h"
#include "storage/OdbcCatalog.h"
#include "storage/RegistrationCall.h"
#include "tests/storage/SampleRegistration.h"
#include "tests/support/TempDir.h"

using namespace vantix;

TEST(RegistrationCall, ExecAndCallFormsAreExactlyTheStoredProcedureTexts) {
    RegistrationFields f;
    ASSERT_TRUE(ParseRegistrationLine("0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001", f));
    const std::string args = "'0249541F', '2016-02-22', '2016-02-22 14:07:00', '999', ";
    EXPECT_EQ(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Exec), "exec spVantixReg " + args + "1, 12");
    EXPECT_EQ(ImportRegistrationCall(f, CallSyntax::Exec), "exec spVantixReg " + args + "'1', '12'");
    EXPECT_EQ(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call), "CALL spVantixReg(" + args + "1, 12)");
    EXPECT_EQ(ImportRegistrationCall(f, CallSyntax::Call), "CALL spVantixReg(" + args + "'1', '12')");
}

TEST(RegistrationCall, NoValueCanEndItsLiteralOrTheLine) {
    RegistrationFields f;
    ASSERT_TRUE(ParseRegistrationLine("x');DROP TABLE t;--,2016-02-22 14:07:00,2016-02-22,,1',12", f));
    EXPECT_EQ(ImportRegistrationCall(f, CallSyntax::Exec),
              "exec spVantixReg 'x'');DROP TABLE t;--', '2016-02-22', '2016-02-22 14:07:00', '999', '1''', '12'");
    EXPECT_EQ(QuoteSqlText("''"), "''''''");
    // A backslash ends a literal only where it is an escape.
    EXPECT_EQ(QuoteSqlText("a\\"), "'a\\'");
    EXPECT_EQ(QuoteSqlText("a\\", true), "'a\\\\'");
    EXPECT_EQ(QuoteSqlText("a\\'", true), "'a\\\\'''");
    // What would change a registration line is replaced as in the file.
    EXPECT_EQ(QuoteSqlText(std::string("a,b\rc\nd\0e", 9)), "'a_b_c_d_e'");
}

TEST(ConnectionStrings, SplitJoinAndMaskPasswords) {
    const auto pairs = SplitConnectionString("Driver={PostgreSQL Unicode};Server= db ;Pwd={a;b}}c};Bare;Port=5432");
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[0], (ConnectionPair{"Driver", "PostgreSQL Unicode"}));
    EXPECT_EQ(pairs[1], (ConnectionPair{"Server", "db"}));
    EXPECT_EQ(pairs[2], (ConnectionPair{"Pwd", "a;b}c"}));
    EXPECT_EQ(pairs[3], (ConnectionPair{"Port", "5432"}));
    EXPECT_EQ(JoinConnectionString(pairs), "Driver=PostgreSQL Unicode;Server=db;Pwd={a;b}}c};Port=5432;");
    EXPECT_EQ(SplitConnectionString(JoinConnectionString(pairs)), pairs);

    EXPECT_EQ(MaskPasswords("Driver={x};Pwd={a;b}}c};Port=1"), "Driver={x};Pwd=***;Port=1");
    EXPECT_EQ(MaskPasswords("UID=u;PASSWORD = s3cret;pwd=;x=PWD=y"), "UID=u;PASSWORD = ***;pwd=***;x=PWD=y");
    EXPECT_EQ(MaskPasswords("Connection String = DSN=a;PwD=p\nDescription = bad PWD=q here"),
              "Connection String = DSN=a;PwD=***\nDescription = bad PWD=***");
    EXPECT_EQ(MaskPasswords("Pwd={never closed"), "Pwd=***");
    EXPECT_EQ(MaskPasswords("OldPwd=keep;Passwords=keep"), "OldPwd=keep;Passwords=keep");
}

TEST(RegistrationCall, SyntaxComesFromTheSettingsSection) {
    test::TempDir dir;
    Configuration config(dir.File("Vantix.ini"));
    EXPECT_EQ(CallSyntaxFrom(config), CallSyntax::Exec);
    config.Write(ini::CallSyntax, "CALL");
    EXPECT_EQ(CallSyntaxFrom(config), CallSyntax::Call);
    config.Write(ini::CallSyntax, "nonsense");
    EXPECT_EQ(CallSyntaxFrom(config), CallSyntax::Exec);
}

TEST(RegistrationStrings, FormatTextNeverReadsPastItsArguments) {
    EXPECT_EQ(FormatText("Imported %d of %d registrations.", {"4", "10"}), "Imported 4 of 10 registrations.");
    EXPECT_EQ(FormatText("%s %s %s 100%%", {"a"}), "a   100%");
}
