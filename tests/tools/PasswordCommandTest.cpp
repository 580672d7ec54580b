#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <zlib.h>

#include "settings/IniFile.h"
#include "tests/support/TempDir.h"

using vantix::IniFile;
using vantix::test::ReadFile;
using vantix::test::TempDir;
using vantix::test::WriteFile;

namespace {

// Runs vantixctl with the given stdin; returns its exit status.
int Vantixctl(const std::string& args, const std::string& input) {
    TempDir dir;
    WriteFile(dir.File("in"), input);
    const std::string command = std::string(std::getenv("VANTIX_BIN_DIR")) + "/vantixctl " + args + " < " +
                                dir.File("in") + " > /dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Crc(const std::string& text) {
    return static_cast<int>(crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
}

TEST(PasswordCommandTest, StoresTheHashFromStdinKeepingTheRest) {
    TempDir dir;
    const std::string ini = dir.File("Vantix.ini");
    WriteFile(ini, "; installed\r\n[Settings]\r\nDelay=5\r\nPassword=1\r\n");
    ASSERT_EQ(Vantixctl("password --ini " + ini, "s3cret\r\n"), 0);
    EXPECT_EQ(ReadFile(ini), "; installed\r\n[Settings]\r\nDelay=5\r\nPassword=" + std::to_string(Crc("s3cret")) +
                                 "\r\n");
}

mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(PasswordCommandTest, CreatesAFirstIniForItsOwnerOnly) {
    TempDir dir;
    const std::string ini = dir.File("Vantix.ini");
    const mode_t saved = ::umask(0);
    EXPECT_EQ(Vantixctl("password --ini " + ini, "vantix"), 0);
    // Without --ini: the program's own file, here beside a portable copy.
    const std::filesystem::path copy = dir.Path() / "portable";
    std::filesystem::create_directory(copy);
    std::filesystem::copy_file(std::string(std::getenv("VANTIX_BIN_DIR")) + "/vantixctl", copy / "vantixctl");
    EXPECT_EQ(std::system(("echo other | " + (copy / "vantixctl").string() + " password > /dev/null").c_str()), 0);
    ::umask(saved);
    EXPECT_EQ(IniFile(ini).GetInt("Settings", "Password", 0), Crc("vantix"));
    EXPECT_EQ(Mode(ini), 0600u);
    const std::string portableIni = (copy / "Vantix.ini").string();
    EXPECT_EQ(IniFile(portableIni).GetInt("Settings", "Password", 0), Crc("other"));
    EXPECT_EQ(Mode(portableIni), 0600u);
}

TEST(PasswordCommandTest, RefusesBadInput) {
    TempDir dir;
    const std::string ini = dir.File("Vantix.ini");
    EXPECT_EQ(Vantixctl("password --ini " + ini, ""), 1);
    EXPECT_EQ(Vantixctl("password --ini " + ini, "\n"), 1);
    EXPECT_EQ(Vantixctl("password --ini " + dir.File("missing/Vantix.ini"), "x\n"), 1);
    EXPECT_EQ(Vantixctl("password --ini " + ini + " extra", "x\n"), 2);
    EXPECT_FALSE(std::filesystem::exists(ini));
}

} // namespace
