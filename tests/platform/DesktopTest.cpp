// The XDG desktop: where the files go, the single-instance lock, autostart
// entries and the document type.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/desktop/Autostart.h"
#include "platform/desktop/DocumentType.h"
#include "platform/desktop/FileLocations.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/desktop/xdg/Xdg.h"
#include "tests/support/TempDir.h"

using namespace vantix;
using vantix::test::ReadFile;
using vantix::test::TempDir;
using vantix::test::WriteFile;
namespace fs = std::filesystem;

namespace {

// A program directory and a home of their own, without XDG overrides.
struct DesktopTest : ::testing::Test {
    TempDir program, home;
    std::string dir = program.Path().string() + "/";
    std::string h = home.Path().string();
    AutostartFolders folders{h + "/etc/xdg/autostart", h + "/.config/autostart"};
    const std::string exe = "/opt/Vantix dir/vantix";

    void SetUp() override {
        ::setenv("HOME", h.c_str(), 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS"})
            ::unsetenv(name);
    }
    bool AllUsers() const { return fs::exists(AutostartEntryPath(folders.allUsers)); }
    bool CurrentUser() const { return fs::exists(AutostartEntryPath(folders.currentUser)); }
};

mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(DesktopTest, AWritableProgramDirectoryKeepsEverythingAnInstalledCopyUsesTheXdgDirectories) {
    FileLocations files = FileLocations::For(program.Path().string());
    EXPECT_TRUE(files.portable);
    EXPECT_EQ(files.iniFile, dir + "Vantix.ini");
    EXPECT_EQ(files.dataDirectory, dir);
    EXPECT_EQ(files.moduleDirectories, std::vector<std::string>{dir});
    EXPECT_TRUE(files.CreateDirectories());
    EXPECT_TRUE(fs::is_empty(program.Path())) << "nothing is created in the portable layout";

    // An installed tree: its module directory beside the program directory
    // tells it, even where the user may write (root).
    const std::string bin = dir + "usr/bin/";
    const std::string modules = FileLocations::InstalledModuleDirectory(bin);
    ASSERT_EQ(modules.rfind(dir + "usr/lib/", 0), 0u) << modules;
    fs::create_directories(bin);
    fs::create_directories(modules);
    files = FileLocations::For(bin);
    EXPECT_FALSE(files.portable);
    EXPECT_EQ(files.iniFile, h + "/.config/Vantix/Vantix.ini");
    EXPECT_EQ(files.dataDirectory, h + "/.local/share/Vantix/");
    EXPECT_EQ(files.moduleDirectories, (std::vector<std::string>{bin, modules + "/"}));

    ::setenv("XDG_CONFIG_HOME", (h + "/cfg").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (h + "/data").c_str(), 1);
    files = FileLocations::PerUser(dir, h + "/lib/vantix");
    EXPECT_EQ(files.iniFile, h + "/cfg/Vantix/Vantix.ini");
    EXPECT_EQ(files.dataDirectory, h + "/data/Vantix/");
    EXPECT_EQ(files.moduleDirectories, (std::vector<std::string>{dir, h + "/lib/vantix/"}));
    EXPECT_EQ(FileLocations::PerUser(dir, dir).moduleDirectories, std::vector<std::string>{dir}) << "scanned once";

    if (::geteuid() != 0) { // root may write anywhere
        fs::permissions(program.Path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(FileLocations::For(dir).portable);
        fs::permissions(program.Path(), fs::perms::owner_all);
    }
}

TEST_F(DesktopTest, PerUserDirectoriesAreCreatedPrivate) {
    const mode_t saved = ::umask(0);
    fs::create_directory(h + "/.config");
    ::chmod((h + "/.config").c_str(), 0755);
    const FileLocations files = FileLocations::PerUser(dir, "");
    const auto created = files.CreateDirectories();
    EXPECT_TRUE(created) << created.error();
    EXPECT_EQ(Mode(h + "/.config/Vantix"), 0700u);
    EXPECT_EQ(Mode(h + "/.config"), 0755u) << "an existing directory keeps its mode";
    EXPECT_EQ(Mode(h + "/.local"), 0700u);
    EXPECT_EQ(Mode(h + "/.local/share/Vantix"), 0700u);
    EXPECT_TRUE(files.CreateDirectories()) << "again: nothing to do";

    WriteFile(h + "/file", "");
    ::setenv("XDG_DATA_HOME", (h + "/file/data").c_str(), 1);
    const auto refused = FileLocations::PerUser(dir, "").CreateDirectories();
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find(h + "/file"), std::string::npos) << refused.error();
    ::umask(saved);
}

TEST_F(DesktopTest, OneInstanceHoldsTheLockUntilItEnds) {
    {
        SingleInstanceLock first(program.Path().string());
        ASSERT_EQ(first.GetState(), SingleInstanceLock::State::Acquired);
        // Another process's view is app_program_run_test's second copy.
        EXPECT_EQ(SingleInstanceLock(program.Path().string()).GetState(), SingleInstanceLock::State::HeldElsewhere);
    }
    EXPECT_EQ(SingleInstanceLock(program.Path().string()).GetState(), SingleInstanceLock::State::Acquired);
    EXPECT_NE(SingleInstanceLock::LockPath("/run").find(SingleInstanceLock::kGuid), std::string::npos);
    SingleInstanceLock missing("/nonexistent/dir");
    EXPECT_EQ(missing.GetState(), SingleInstanceLock::State::Failed) << "reported, not fatal";
    EXPECT_FALSE(missing.Error().empty());
}

TEST_F(DesktopTest, AutostartFoldersFollowTheEnvironment) {
    EXPECT_EQ(AutostartFolders::FromEnvironment().allUsers, "/etc/xdg/autostart");
    EXPECT_EQ(AutostartFolders::FromEnvironment().currentUser, h + "/.config/autostart");
    ::setenv("XDG_CONFIG_HOME", "/cfg/home", 1);
    ::setenv("XDG_CONFIG_DIRS", "/cfg/sys:/other", 1);
    EXPECT_EQ(AutostartFolders::FromEnvironment().currentUser, "/cfg/home/autostart");
    EXPECT_EQ(AutostartFolders::FromEnvironment().allUsers, "/cfg/sys/autostart");
}

TEST_F(DesktopTest, StartupChoicesCreateMoveAndRemoveEntriesButLeaveAnExistingOne) {
    EXPECT_EQ(CurrentStartupChoice(folders), StartupNever);
    EXPECT_TRUE(ApplyStartupChoice(folders, StartupCurrentUser, exe).empty());
    EXPECT_TRUE(CurrentUser() && !AllUsers());
    EXPECT_EQ(CurrentStartupChoice(folders), StartupCurrentUser);
    const std::string entry = ReadFile(AutostartEntryPath(folders.currentUser));
    EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("Exec=\"/opt/Vantix dir/vantix\"\n"), std::string::npos);

    EXPECT_TRUE(ApplyStartupChoice(folders, StartupAllUsers, exe).empty());
    EXPECT_TRUE(AllUsers() && !CurrentUser()) << "moved";
    EXPECT_EQ(CurrentStartupChoice(folders), StartupAllUsers);
    EXPECT_TRUE(ApplyStartupChoice(folders, StartupNever, exe).empty());
    EXPECT_FALSE(AllUsers() || CurrentUser());
    EXPECT_TRUE(ApplyStartupChoice(folders, 7, exe).empty()) << "anything else means never";

    // An existing entry is left as it is; a file in place of a folder fails.
    WriteFile(AutostartEntryPath(folders.currentUser), "mine");
    WriteFile(AutostartEntryPath(folders.allUsers), "theirs");
    EXPECT_EQ(CurrentStartupChoice(folders), StartupAllUsers) << "both exist: all users shown";
    EXPECT_TRUE(ApplyStartupChoice(folders, StartupCurrentUser, exe).empty());
    EXPECT_FALSE(AllUsers());
    EXPECT_EQ(ReadFile(AutostartEntryPath(folders.currentUser)), "mine");
    fs::remove_all(folders.allUsers);
    WriteFile(folders.allUsers, "a file, not a folder");
    const auto failures = ApplyStartupChoice(folders, StartupAllUsers, exe);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_FALSE(failures.front().empty());
}

TEST_F(DesktopTest, TheVtxTypeIsRegisteredUnderTheDataDirectoryOnce) {
    auto changed = RegisterDocumentType(h, "/opt/vantix/vantix");
    ASSERT_TRUE(changed) << changed.error();
    EXPECT_TRUE(*changed);
    const auto files = xdg::DocumentTypeFiles::ForDataDir(h);
    const std::string mime = ReadFile(files.mimePackage);
    EXPECT_NE(mime.find("<mime-type type=\"application/x-vantix-document\">"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.vtx\"/>"), std::string::npos);
    const std::string desktop = ReadFile(files.desktopEntry);
    EXPECT_NE(desktop.find("Exec=\"/opt/vantix/vantix\" %f\n"), std::string::npos);
    EXPECT_NE(desktop.find("MimeType=application/x-vantix-document;\n"), std::string::npos);
    EXPECT_FALSE(*RegisterDocumentType(h, "/opt/vantix/vantix")) << "unchanged files are not rewritten";
    EXPECT_TRUE(*RegisterDocumentType(h, "/elsewhere/vantix")) << "a moved program updates its entry";
}

} // namespace
