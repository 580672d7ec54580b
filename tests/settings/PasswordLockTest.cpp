#include <gtest/gtest.h>

#include <filesystem>
#include <zlib.h>

#include "settings/IniKeys.h"
#include "settings/PasswordLock.h"
#include "core/Ids.h"
#include "core/Text.h"
#include "tests/settings/ShellTestSupport.h"

using namespace vantix;
using vantix::test::WriteFile;

namespace {

int HashOf(const std::string& bytes) {
    return static_cast<int>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

struct PasswordLockTest : ::testing::Test, test::ConfigurationFixture {
    void Store(const std::string& password) {
        WriteFile(iniPath, "[Settings]\r\nPassword=" + std::to_string(HashOf(password)) + "\r\n");
    }
    void SetUp() override { Lock(); }
};

TEST(PasswordHashTest, IsZlibCrc32OfTheAnsiBytes) {
    EXPECT_EQ(PasswordHash(""), 0u);
    EXPECT_EQ(PasswordHash("123456789"), 0xCBF43926u); // the CRC-32 check value
    // Windows hashes the ANSI code page bytes: é is 0xE9, € is 0x80.
    EXPECT_EQ(ToWindows1252("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
    EXPECT_EQ(PasswordHash("\xE2\x82\xAC"), static_cast<std::uint32_t>(HashOf("\x80")));
    EXPECT_EQ(ToWindows1252("\xE6\x97\xA5"), "?") << "characters the code page lacks";
    EXPECT_EQ(ToWindows1252("\xE9t\xE9"), "\xE9t\xE9") << "bytes that are not UTF-8 pass through";
}

TEST_F(PasswordLockTest, StartsLockedAndUnlocksOnlyWithTheRightNonEmptyPassword) {
    Store("vantix");
    EXPECT_TRUE(IsPasswordConfigured(config));
    EXPECT_FALSE(IsUnlocked());
    EXPECT_FALSE(CheckPassword(config, "Vantix", true));
    EXPECT_FALSE(IsUnlocked());
    EXPECT_TRUE(CheckPassword(config, "vantix", false));
    EXPECT_FALSE(IsUnlocked()) << "without apply the lock stays";
    EXPECT_TRUE(CheckPassword(config, "vantix", true));
    EXPECT_TRUE(IsUnlocked());
    EXPECT_FALSE(CheckPassword(config, "wrong", true));
    EXPECT_FALSE(IsUnlocked()) << "a wrong password with apply locks";
    CheckPassword(config, "vantix", true);
    Lock();
    EXPECT_FALSE(IsUnlocked());
    // An empty password never unlocks nor is set: its hash is the zero of no password.
    EXPECT_FALSE(CheckPassword(config, "", true));
    EXPECT_FALSE(SetPassword(config, ""));
    EXPECT_FALSE(IsUnlocked());
    EXPECT_TRUE(CheckPassword(config, "vantix", false));
    Configuration none(dir.File("None.ini"));
    EXPECT_FALSE(IsPasswordConfigured(none));
    EXPECT_FALSE(CheckPassword(none, "", true));
}

TEST_F(PasswordLockTest, AChangeChecksOldThenNewAndIsWrittenAtOnceOrChangesNothing) {
    Store("old");
    EXPECT_EQ(ValidatePasswordChange(config, "bad", "a", "a"), str::kBadPassword);
    EXPECT_EQ(ValidatePasswordChange(config, "old", "", ""), str::kBadNewPassword);
    EXPECT_EQ(ValidatePasswordChange(config, "old", "a", ""), str::kBadNewPassword);
    EXPECT_EQ(ValidatePasswordChange(config, "old", "abc", "abC"), str::kBadNewPassword);
    EXPECT_EQ(ValidatePasswordChange(config, "old", "abc", "abc"), 0);
    CheckPassword(config, "old", true);
    EXPECT_EQ(ValidatePasswordChange(config, "wrong", "abc", "abc"), str::kBadPassword);
    EXPECT_TRUE(IsUnlocked()) << "a wrong old password does not lock";

    // The new password is written at once and unlocks, or nothing changes.
    Lock();
    ASSERT_TRUE(SetPassword(config, "n\xC3\xA9w"));
    EXPECT_TRUE(IsUnlocked());
    EXPECT_EQ(IniFile(iniPath).GetInt("Settings", "Password", 0), HashOf("n\xE9w"));
    EXPECT_FALSE(CheckPassword(config, "old", false));
    Lock();
    std::filesystem::remove(iniPath);
    std::filesystem::create_directory(iniPath); // unreadable in a file's place
    EXPECT_FALSE(SetPassword(config, "newer"));
    EXPECT_FALSE(IsUnlocked());
    EXPECT_TRUE(CheckPassword(config, "n\xC3\xA9w", false)) << "the cached hash is the stored one again";
}

} // namespace
