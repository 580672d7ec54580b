#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/desktop/FileLocations.h"
#include "tests/support/TempDir.h"

using vantix::FileLocations;
using vantix::test::TempDir;
using vantix::test::WriteFile;
namespace fs = std::filesystem;

namespace {

struct FileLocationsTest : ::testing::Test {
    TempDir program;
    TempDir home;
    std::string dir = program.Path().string() + "/";

    void SetUp() override {
        ::setenv("HOME", home.Path().c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_DATA_HOME");
    }
};

mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST_F(FileLocationsTest, AWritableProgramDirectoryKeepsEverything) {
    const FileLocations files = FileLocations::For(program.Path().string());
    EXPECT_TRUE(files.portable);
    EXPECT_EQ(files.iniFile, dir + "Vantix.ini");
    EXPECT_EQ(files.dataDirectory, dir);
    EXPECT_EQ(files.moduleDirectories, std::vector<std::string>{dir});
    EXPECT_TRUE(files.CreateDirectories());
    EXPECT_TRUE(fs::is_empty(program.Path())) << "nothing is created in the portable layout";
}

TEST_F(FileLocationsTest, AnInstalledCopyUsesTheUsersXdgDirectories) {
    const std::string h = home.Path().string();
    // An installed tree: its module directory beside the program directory
    // tells it, even where the user may write (root).
    const std::string bin = dir + "usr/bin/";
    const std::string modules = FileLocations::InstalledModuleDirectory(bin);
    ASSERT_EQ(modules.rfind(dir + "usr/lib/", 0), 0u) << modules;
    fs::create_directories(bin);
    fs::create_directories(modules);
    FileLocations files = FileLocations::For(bin);
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

TEST_F(FileLocationsTest, PerUserDirectoriesAreCreatedPrivate) {
    const mode_t saved = ::umask(0);
    const std::string h = home.Path().string();
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

} // namespace
