#include <gtest/gtest.h>

#include <filesystem>

#include "settings/Configuration.h"
#include "settings/IniKeys.h"
#include "tests/settings/ShellTestSupport.h"

using namespace vantix;
using vantix::test::ReadFile;
using vantix::test::WriteFile;

namespace {

struct ConfigurationTest : ::testing::Test, test::ConfigurationFixture {};

TEST_F(ConfigurationTest, ACachedKeyIsReadFromTheFileOnce) {
    WriteFile(iniPath, "[Settings]\r\nPassword=17\r\n");
    EXPECT_EQ(config.CachedInt("Password", 0), 17);
    WriteFile(iniPath, "[Settings]\r\nPassword=99\r\n");
    EXPECT_EQ(config.CachedInt("Password", 0), 17) << "a hand edit after the first read is not seen";
    EXPECT_EQ(config.CachedInt("Missing", 5), 5);
    EXPECT_EQ(config.CachedInt("Missing", 6), 5) << "the first default is cached too";
    EXPECT_EQ(config.CachedInt("password", 0), 99) << "cache keys are case-sensitive";
    ASSERT_TRUE(config.Flush());
    WriteFile(iniPath, "[Settings]\r\nPassword=42\r\n");
    EXPECT_EQ(config.CachedInt("Password", 0), 17) << "nor after a flush";
}

TEST_F(ConfigurationTest, ChangesStayInTheCacheUntilAFlushWritesEachCacheInKeyOrder) {
    config.SetCachedRecord("R44", Configuration::Record44{});
    config.SetCachedRecord("R12", Configuration::Record12{0xFF, 2}); // its checksum byte wraps
    config.SetCachedString("Str", "text");
    config.SetCachedInt("Zeta", -3);
    config.SetCachedInt("Alpha", 2);
    EXPECT_EQ(config.CachedInt("Zeta", 0), -3);
    EXPECT_EQ(ReadFile(iniPath), "");
    ASSERT_TRUE(config.Flush());
    EXPECT_EQ(ReadFile(iniPath), "[Settings]\r\nAlpha=2\r\nZeta=-3\r\nStr=text\r\n"
                                 "R12=FF020000000000000000000001\r\nR44=" +
                                     std::string(90, '0') + "\r\n");
}

TEST_F(ConfigurationTest, FlushSaysWhenAnyKindOfValueCouldNotBeWritten) {
    std::filesystem::create_directory(iniPath); // neither readable nor replaceable as a file
    for (int kind = 0; kind < 4; ++kind) {
        Configuration unwritable(iniPath);
        if (kind == 0) unwritable.SetCachedInt("I", 1);
        if (kind == 1) unwritable.SetCachedString("S", "s");
        if (kind == 2) unwritable.SetCachedRecord("R", Configuration::Record12{});
        if (kind == 3) unwritable.SetCachedRecord("R", Configuration::Record44{});
        EXPECT_FALSE(unwritable.Flush()) << "kind " << kind;
    }
}

TEST_F(ConfigurationTest, KeysAreReadWithTheirDefaultsClampedToTheirRangeAndWrittenAtOnce) {
    WriteFile(iniPath, "[Settings]\r\nDelay=20\r\n");
    EXPECT_EQ(config.Get(ini::Delay), 20);
    EXPECT_EQ(config.Get(ini::BeepPause), 100) << "the key's default";
    EXPECT_EQ(config.Get(ini::SX, 640), 640) << "the caller's default";
    EXPECT_EQ(config.Get(ini::Language), "English");
    ASSERT_TRUE(config.Write(ini::FilePath, "/x/y.vtxreg"));
    EXPECT_EQ(IniFile(iniPath).GetString("dialogimportregs", "filepath", ""), "/x/y.vtxreg");
    WriteFile(iniPath, "[Settings]\r\nDelay=30\r\n");
    EXPECT_EQ(config.Get(ini::Delay), 30) << "only the cache holds values back";
    WriteFile(iniPath, "[Settings]\r\nBeepPause=2147483647\r\nDelay=-5\r\nSX=99999\r\nEY=-99999\r\n"
                       "DeviceSplitSize=-1\r\nRegSplitSize=0x7fffffff\r\n");
    EXPECT_EQ(config.Get(ini::BeepPause), 1000);
    EXPECT_EQ(config.Get(ini::Delay), 0);
    EXPECT_EQ(config.Get(ini::SX, 640), 32767);
    EXPECT_EQ(config.Get(ini::EY, 480), -32768);
    EXPECT_EQ(config.Get(ini::DeviceSplitSize), 0);
    EXPECT_EQ(config.Get(ini::RegSplitSize), 8192);
}

} // namespace
