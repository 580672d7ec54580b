#include <gtest/gtest.h>

#include <filesystem>

#include "settings/IniFile.h"
#include "tests/support/TempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {
// How every write() of this program goes: 0 as asked, 1 at most one byte at
// a time (as to a slow or nearly full device), -1 not at all (a full disk).
std::atomic<int> writes{0};
} // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    if (writes < 0)
        return errno = ENOSPC, -1;
    return ::syscall(SYS_write, fd, data, writes > 0 && size > 1 ? 1 : size);
}
#endif

using vantix::IniFile;
using vantix::test::ReadFile;
using vantix::test::TempDir;
using vantix::test::WriteFile;

namespace {

struct IniFileTest : ::testing::Test {
    TempDir dir;
    std::string path = dir.File("Vantix.ini");
    IniFile ini{path};
};

TEST(IniParseInt, FollowsTheWindowsProfileRules) {
    // Beyond 32 bits the value wraps as on Windows.
    const std::pair<const char*, int> cases[] = {
        {"42", 42}, {"-42", -42}, {"+7", 7}, {"   15", 15}, {"\t-3", -3}, {"12abc", 12}, {"abc", 0},
        {"", 0}, {"-", 0}, {"0x1F", 31}, {"0XffG", 255}, {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX},
        {"4294967296", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(IniFile::ParseInt(text), value) << text;
    IniFile::ParseInt("99999999999999999999999999"); // never overflows into a crash
}

TEST_F(IniFileTest, ReadsValuesWithCaseInsensitiveNamesQuotesAndDefaults) {
    WriteFile(path, "; comment\r\n[settings]\r\n  delay = 25 \r\nConnStr = \"Driver=x; a=b\" \r\nEmpty=\r\n");
    EXPECT_EQ(ini.GetInt("Settings", "Delay", 1), 25);
    EXPECT_EQ(ini.GetInt("SETTINGS", "DELAY", 1), 25);
    EXPECT_EQ(ini.GetInt("Settings", "Missing", 77), 77);
    EXPECT_EQ(ini.GetInt("Other", "Delay", 5), 5);
    EXPECT_EQ(ini.GetInt("Settings", "Empty", 9), 0) << "a present key without digits gives 0";
    EXPECT_EQ(ini.GetString("Settings", "ConnStr", "x"), "Driver=x; a=b");
    EXPECT_EQ(ini.GetString("Settings", "Missing", "dflt"), "dflt");
    EXPECT_TRUE(ini.HasKey("settings", "EMPTY"));
    // Quoted numbers, LF line ends.
    WriteFile(path, "[Settings]\nDelay=\"30\"\nSX='5'");
    EXPECT_EQ(ini.GetInt("Settings", "Delay", 1), 30);
    EXPECT_EQ(ini.GetInt("Settings", "SX", 1), 5) << "missing final line end";
}

TEST_F(IniFileTest, WritesSignedDecimalAndKeepsOtherContent) {
    WriteFile(path, "; keep me\r\n[Other]\r\nA=1\r\n\r\n[SETTINGS]\r\nDELAY=3\r\nX=y\r\n\r\n[Last]\r\nB=2\r\n");
    ASSERT_TRUE(ini.WriteInt("Settings", "Delay", -5));
    ASSERT_TRUE(ini.WriteInt("Settings", "Password", static_cast<int>(0x80000000u)));
    ASSERT_TRUE(ini.WriteString("New", "Key", "v"));
    EXPECT_EQ(ReadFile(path), "; keep me\r\n[Other]\r\nA=1\r\n\r\n[SETTINGS]\r\nDELAY=-5\r\nX=y\r\n"
                              "Password=-2147483648\r\n\r\n[Last]\r\nB=2\r\n[New]\r\nKey=v\r\n");
    EXPECT_EQ(ini.GetInt("settings", "password", 0), INT32_MIN);
}

#ifndef _WIN32 // mode bits and inodes are POSIX matters
TEST_F(IniFileTest, CreatesAMissingFileForItsOwnerOnlyAndReplacesItAtomicallyKeepingItsMode) {
    const auto fileStat = [&] { struct stat st {}; ::stat(path.c_str(), &st); return st; };
    const mode_t saved = ::umask(0);
    const bool written = ini.WriteInt("Settings", "DevCheck", 1);
    ::umask(saved);
    ASSERT_TRUE(written);
    EXPECT_EQ(ReadFile(path), "[Settings]\r\nDevCheck=1\r\n");
    const auto before = fileStat();
    EXPECT_EQ(before.st_mode & 07777, 0600u) << "whatever the umask";
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(ini.WriteInt("Settings", "DevCheck", 4));
    EXPECT_NE(before.st_ino, fileStat().st_ino) << "written to a new file and renamed over the old one";
    EXPECT_EQ(fileStat().st_mode & 0777, 0640u);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "Vantix.ini") << "no temporary file left behind";
}

TEST_F(IniFileTest, ShortWritesAreContinuedAndAFullDiskFailsWithoutTouchingTheFile) {
    WriteFile(path, "[Settings]\r\nDelay=3\r\n");
    writes = 1;
    const bool written = ini.WriteString("Settings", "ConnStr", "DSN=vantix");
    writes = -1;
    const bool full = ini.WriteInt("Settings", "Delay", 4);
    writes = 0;
    ASSERT_TRUE(written) << ini.LastWriteError();
    EXPECT_FALSE(full);
    EXPECT_EQ(ReadFile(path), "[Settings]\r\nDelay=3\r\nConnStr=DSN=vantix\r\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "Vantix.ini") << "the half-written temporary is removed";
}

TEST_F(IniFileTest, StaleTemporariesOfEndedWritersAreRemovedAtTheNextSave) {
    WriteFile(path, "[Settings]\r\nDelay=3\r\n");
    // Left by writers killed during a save; process 1 still runs and keeps its file.
    WriteFile(path + ".tmp999999999", "x");
    WriteFile(path + ".tmp1", "x");
    WriteFile(dir.File("Other.ini.tmp999999999"), "x");
    ASSERT_TRUE(ini.WriteInt("Settings", "Delay", 4));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp999999999"));
    EXPECT_TRUE(std::filesystem::exists(path + ".tmp1"));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Other.ini.tmp999999999")));
    EXPECT_EQ(ini.GetInt("Settings", "Delay", 0), 4);
}
#endif

TEST_F(IniFileTest, RefusesWritesThatWouldCorruptTheFile) {
    WriteFile(path, "[Settings]\r\nDelay=3\r\n");
    // A line break, a name that would read as a section, a comment or another key.
    for (const auto& [key, value] : {std::pair{"ConnStr", "a\r\nPassword=1"}, {"Bad\nKey", "1"}, {"", "1"},
                                     {"A=B", "1"}, {" [Other", "1"}, {";note", "1"}})
        EXPECT_FALSE(ini.WriteString("Settings", key, value)) << key;
    EXPECT_EQ(ReadFile(path), "[Settings]\r\nDelay=3\r\n");
}

TEST_F(IniFileTest, AFileThatCannotBeReadIsNeverReplacedAndTheFailuresAreRecorded) {
    // A directory in the file's place cannot be read as a file, even by root.
    std::filesystem::create_directory(path);
    EXPECT_EQ(ini.GetInt("Settings", "Delay", 8), 8);
    EXPECT_FALSE(ini.WriteInt("Settings", "Delay", 4));
    EXPECT_FALSE(ini.WriteString("Settings", "ConnStr", "x"));
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(ini.TakeFailedWrites(), (std::vector<std::string>{"Settings/Delay", "Settings/ConnStr"}));
    EXPECT_FALSE(ini.LastWriteError().empty());
    EXPECT_TRUE(ini.TakeFailedWrites().empty());
}

TEST_F(IniFileTest, DamagedFilesFallBackToDefaultsAndAByteOrderMarkIsKept) {
    // No sections at all.
    WriteFile(path, "Password=5\r\nDelay=3\r\n");
    EXPECT_EQ(ini.GetInt("Settings", "Password", 0), 0);
    // Duplicate keys and sections: the first wins.
    WriteFile(path, "[Settings]\r\nDelay=3\r\ndelay=4\r\n[Settings]\r\nDelay=5\r\nSX=9\r\n");
    EXPECT_EQ(ini.GetInt("Settings", "Delay", 1), 3);
    EXPECT_EQ(ini.GetInt("Settings", "SX", 1), 1);
    ASSERT_TRUE(ini.WriteInt("Settings", "Delay", 6));
    EXPECT_EQ(ini.GetInt("Settings", "Delay", 1), 6);
    // Binary garbage and broken lines are the ini fuzz target's.
    // A byte order mark does not hide the first section.
    WriteFile(path, "\xEF\xBB\xBF[Settings]\r\nPassword=11\r\n");
    EXPECT_EQ(ini.GetInt("Settings", "Password", 0), 11);
    ASSERT_TRUE(ini.WriteInt("Settings", "Password", 12));
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF[Settings]\r\nPassword=12\r\n") << "kept, so a second mark stays a mark";
}

} // namespace
