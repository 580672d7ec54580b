#include <gtest/gtest.h>

#include "app/Profile.h"
#include "app/IniKeys.h"
#include "frame/RegistrationCall.h"
#include "frame/RegistrationStrings.h"
#include "tests/frame/SampleRegistration.h"
#include "tests/support/TempDir.h"

using namespace vantix;

TEST(RegistrationCall, ExecFormsAreExactlyTheStoredProcedureTexts) {
    EXPECT_EQ(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Exec),
              "exec spVantixReg '0249541F', '2016-02-22', '2016-02-22 14:07:00', '999', 1, 12");
    RegistrationFields f;
    ASSERT_TRUE(ParseRegistrationLine("0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001", f));
    EXPECT_EQ(ImportRegistrationCall(f, CallSyntax::Exec),
              "exec spVantixReg '0249541F', '2016-02-22', '2016-02-22 14:07:00', '999', '1', '12'");
}

TEST(RegistrationCall, CallFormsKeepArgumentsAndQuoting) {
    EXPECT_EQ(LiveRegistrationCall(test::SampleRegistration(), CallSyntax::Call),
              "CALL spVantixReg('0249541F', '2016-02-22', '2016-02-22 14:07:00', '999', 1, 12)");
    RegistrationFields f;
    ASSERT_TRUE(ParseRegistrationLine("0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001", f));
    EXPECT_EQ(ImportRegistrationCall(f, CallSyntax::Call),
              "CALL spVantixReg('0249541F', '2016-02-22', '2016-02-22 14:07:00', '999', '1', '12')");
}

TEST(RegistrationCall, QuotesInValuesAreDoubled) {
    RegistrationFields f;
    ASSERT_TRUE(ParseRegistrationLine("x');DROP TABLE t;--,2016-02-22 14:07:00,2016-02-22,,1',12", f));
    EXPECT_EQ(ImportRegistrationCall(f, CallSyntax::Exec),
              "exec spVantixReg 'x'');DROP TABLE t;--', '2016-02-22', '2016-02-22 14:07:00', '999', '1''', '12'");
    EXPECT_EQ(QuoteSqlText("''"), "''''''");
}

TEST(RegistrationCall, SyntaxComesFromTheSettingsSection) {
    test::TempDir dir;
    Profile::SetAppPath(dir.File("Vantix.ini"));
    EXPECT_EQ(CallSyntaxFromProfile(), CallSyntax::Exec);
    Profile::Write(ini::CallSyntax, "CALL");
    EXPECT_EQ(CallSyntaxFromProfile(), CallSyntax::Call);
    Profile::Write(ini::CallSyntax, "nonsense");
    EXPECT_EQ(CallSyntaxFromProfile(), CallSyntax::Exec);
}

TEST(RegistrationStrings, FormatTextNeverReadsPastItsArguments) {
    EXPECT_EQ(FormatText("Imported %d of %d registrations.", {"4", "10"}), "Imported 4 of 10 registrations.");
    EXPECT_EQ(FormatText("%s %s %s 100%%", {"a"}), "a   100%");
}
