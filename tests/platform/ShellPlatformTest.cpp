#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/desktop/Autostart.h"
#include "platform/desktop/DocumentType.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/desktop/xdg/Xdg.h"
#include "tests/support/TempDir.h"

using namespace vantix;
using vantix::test::ReadFile;
using vantix::test::TempDir;
using vantix::test::WriteFile;
namespace fs = std::filesystem;

namespace {

TEST(SingleInstanceLockTest, OneHolderAtATimeAndReleasedWithTheObject) {
    TempDir dir;
    {
        SingleInstanceLock first(dir.Path().string());
        ASSERT_EQ(first.GetState(), SingleInstanceLock::State::Acquired);
        SingleInstanceLock second(dir.Path().string());
        EXPECT_EQ(second.GetState(), SingleInstanceLock::State::HeldElsewhere);
        // Another process's view is app_program_run_test's second copy.
    }
    SingleInstanceLock again(dir.Path().string());
    EXPECT_EQ(again.GetState(), SingleInstanceLock::State::Acquired);
    EXPECT_NE(SingleInstanceLock::LockPath("/run").find(SingleInstanceLock::kGuid), std::string::npos);
    // A missing directory is reported, not fatal.
    SingleInstanceLock missing("/nonexistent/dir");
    EXPECT_EQ(missing.GetState(), SingleInstanceLock::State::Failed);
    EXPECT_FALSE(missing.Error().empty());
}

TEST(XdgTest, ExecArgumentQuotesAndEscapes) {
    EXPECT_EQ(xdg::ExecArgument("/opt/vantix/vantix"), "\"/opt/vantix/vantix\"");
    EXPECT_EQ(xdg::ExecArgument("/a b/$x\"%"), "\"/a b/\\\\$x\\\\\"%%\"");
    EXPECT_EQ(xdg::ExecArgument("/a\\b"), "\"/a\\\\\\\\b\"");
    EXPECT_EQ(xdg::ExecArgument("/a\nb"), "");
}

struct AutostartTest : ::testing::Test {
    TempDir root;
    AutostartFolders folders{root.File("etc/xdg/autostart"), root.File("home/.config/autostart")};
    const std::string exe = "/opt/Vantix dir/vantix";

    bool AllUsers() const { return fs::exists(AutostartEntryPath(folders.allUsers)); }
    bool CurrentUser() const { return fs::exists(AutostartEntryPath(folders.currentUser)); }
};

TEST_F(AutostartTest, FoldersFollowTheEnvironment) {
    ::setenv("XDG_CONFIG_HOME", "/cfg/home", 1);
    ::setenv("XDG_CONFIG_DIRS", "/cfg/sys:/other", 1);
    const auto env = AutostartFolders::FromEnvironment();
    EXPECT_EQ(env.currentUser, "/cfg/home/autostart");
    EXPECT_EQ(env.allUsers, "/cfg/sys/autostart");
    ::unsetenv("XDG_CONFIG_DIRS");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(AutostartFolders::FromEnvironment().allUsers, "/etc/xdg/autostart");
    EXPECT_EQ(AutostartFolders::FromEnvironment().currentUser, "/home/u/.config/autostart");
}

TEST_F(AutostartTest, ChoicesCreateMoveAndRemoveEntries) {
    EXPECT_EQ(CurrentStartupChoice(folders), StartupNever);
    EXPECT_TRUE(ApplyStartupChoice(folders, StartupCurrentUser, exe).empty());
    EXPECT_TRUE(CurrentUser());
    EXPECT_FALSE(AllUsers());
    EXPECT_EQ(CurrentStartupChoice(folders), StartupCurrentUser);
    const std::string entry = ReadFile(AutostartEntryPath(folders.currentUser));
    EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"/opt/Vantix dir/vantix\"\n"), std::string::npos);

    // All users when only the user's entry exists: moved.
    EXPECT_TRUE(ApplyStartupChoice(folders, StartupAllUsers, exe).empty());
    EXPECT_TRUE(AllUsers());
    EXPECT_FALSE(CurrentUser());
    EXPECT_EQ(CurrentStartupChoice(folders), StartupAllUsers);

    EXPECT_TRUE(ApplyStartupChoice(folders, StartupNever, exe).empty());
    EXPECT_FALSE(AllUsers());
    EXPECT_FALSE(CurrentUser());
    EXPECT_TRUE(ApplyStartupChoice(folders, 7, exe).empty()) << "anything else means never";
}

TEST_F(AutostartTest, AnExistingEntryIsLeftAsItIsAndAFileForAFolderFails) {
    fs::create_directories(folders.currentUser);
    fs::create_directories(folders.allUsers);
    WriteFile(AutostartEntryPath(folders.currentUser), "mine");
    WriteFile(AutostartEntryPath(folders.allUsers), "theirs");
    EXPECT_EQ(CurrentStartupChoice(folders), StartupAllUsers) << "both exist: all users shown";
    EXPECT_TRUE(ApplyStartupChoice(folders, StartupCurrentUser, exe).empty());
    EXPECT_FALSE(AllUsers());
    EXPECT_EQ(ReadFile(AutostartEntryPath(folders.currentUser)), "mine");
    // A file in place of the folder is a failure.
    fs::remove_all(folders.allUsers);
    WriteFile(folders.allUsers, "a file, not a folder");
    const auto failures = ApplyStartupChoice(folders, StartupAllUsers, exe);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_FALSE(failures.front().empty());
}

TEST(DocumentTypeTest, RegistersTheVtxTypeUnderTheDataDirectoryOnce) {
    TempDir data;
    auto changed = RegisterDocumentType(data.Path().string(), "/opt/vantix/vantix");
    ASSERT_TRUE(changed) << changed.error();
    EXPECT_TRUE(*changed);
    const auto files = xdg::DocumentTypeFiles::ForDataDir(data.Path().string());
    const std::string mime = ReadFile(files.mimePackage);
    EXPECT_NE(mime.find("<mime-type type=\"application/x-vantix-document\">"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.vtx\"/>"), std::string::npos);
    const std::string desktop = ReadFile(files.desktopEntry);
    EXPECT_NE(desktop.find("Exec=\"/opt/vantix/vantix\" %f\n"), std::string::npos);
    EXPECT_NE(desktop.find("MimeType=application/x-vantix-document;\n"), std::string::npos);

    EXPECT_FALSE(*RegisterDocumentType(data.Path().string(), "/opt/vantix/vantix"))
        << "unchanged files are not rewritten";
    EXPECT_TRUE(*RegisterDocumentType(data.Path().string(), "/elsewhere/vantix"))
        << "a moved program updates its entry";
}

} // namespace
