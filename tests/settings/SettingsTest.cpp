#include <gtest/gtest.h>

#include "settings/IniKeys.h"
#include "settings/Profile.h"
#include "settings/Settings.h"
#include "tests/settings/ShellTestSupport.h"

using namespace vantix;
using vantix::test::ReadFile;
using vantix::test::WriteFile;

namespace {

struct SettingsTest : ::testing::Test, test::ProfileFixture {};

TEST_F(SettingsTest, AKeyIsReadFromTheFileOnce) {
    WriteFile(iniPath, "[Settings]\r\nPassword=17\r\n");
    Settings& settings = Settings::Instance();
    EXPECT_EQ(settings.GetInt("Password", 0), 17);
    WriteFile(iniPath, "[Settings]\r\nPassword=99\r\n");
    EXPECT_EQ(settings.GetInt("Password", 0), 17) << "a hand edit after the first read is not seen";
    EXPECT_EQ(settings.GetInt("Missing", 5), 5);
    EXPECT_EQ(settings.GetInt("Missing", 6), 5) << "the first default is cached too";
    EXPECT_EQ(settings.GetInt("password", 0), 99) << "cache keys are case-sensitive";
}

TEST_F(SettingsTest, SetIntStaysInTheCacheUntilFlush) {
    Settings& settings = Settings::Instance();
    EXPECT_EQ(settings.SetInt("Password", -3), -3);
    EXPECT_EQ(settings.GetInt("Password", 0), -3);
    EXPECT_EQ(ReadFile(iniPath), "");
    ASSERT_TRUE(settings.Flush());
    EXPECT_EQ(Profile::GetInt("Settings", "Password", 0), -3);
}

TEST_F(SettingsTest, FlushWritesEachCacheInKeyOrder) {
    Settings& settings = Settings::Instance();
    settings.SetRecord("R44", Settings::Record44{});
    settings.SetRecord("R12", Settings::Record12{1, 2});
    settings.SetString("Str", "text");
    settings.SetInt("Zeta", 1);
    settings.SetInt("Alpha", 2);
    ASSERT_TRUE(settings.Flush());
    EXPECT_EQ(ReadFile(iniPath), "[Settings]\r\nAlpha=2\r\nZeta=1\r\nStr=text\r\n"
                                 "R12=01020000000000000000000003\r\nR44=" +
                                     std::string(90, '0') + "\r\n");
}

TEST_F(SettingsTest, DestroyFlushesAndForgets) {
    Settings::Instance().SetInt("Password", 8);
    EXPECT_TRUE(Settings::Exists());
    ASSERT_TRUE(Settings::Destroy());
    EXPECT_FALSE(Settings::Exists());
    EXPECT_EQ(Profile::Get(ini::Password), 8);
    WriteFile(iniPath, "[Settings]\r\nPassword=9\r\n");
    EXPECT_EQ(Settings::Instance().GetInt("Password", 0), 9) << "a fresh object reads the file again";
    EXPECT_TRUE(Settings::Destroy());
}

TEST_F(SettingsTest, ProfileKeysUseTheirDefaults) {
    WriteFile(iniPath, "[Settings]\r\nDelay=20\r\n");
    EXPECT_EQ(Profile::Get(ini::Delay), 20);
    EXPECT_EQ(Profile::Get(ini::BeepPause), 100);
    EXPECT_EQ(Profile::Get(ini::RegSplitSize), 200);
    EXPECT_EQ(Profile::Get(ini::SX, 640), 640);
    EXPECT_EQ(Profile::Get(ini::Language), "English");
    ASSERT_TRUE(Profile::Write(ini::FilePath, "/x/y.vtxreg"));
    EXPECT_EQ(Profile::GetString("dialogimportregs", "filepath"), "/x/y.vtxreg");
}

TEST_F(SettingsTest, ValuesOutsideTheirRangeAreClampedWhenRead) {
    WriteFile(iniPath, "[Settings]\r\nBeepPause=2147483647\r\nDelay=-5\r\nSX=99999\r\nEY=-99999\r\n"
                       "DeviceSplitSize=-1\r\nRegSplitSize=0x7fffffff\r\n");
    EXPECT_EQ(Profile::Get(ini::BeepPause), 1000);
    EXPECT_EQ(Profile::Get(ini::Delay), 0);
    EXPECT_EQ(Profile::Get(ini::SX, 640), 32767);
    EXPECT_EQ(Profile::Get(ini::EY, 480), -32768);
    EXPECT_EQ(Profile::Get(ini::DeviceSplitSize), 0);
    EXPECT_EQ(Profile::Get(ini::RegSplitSize), 8192);
}

} // namespace
