#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

TEST(PasswordCommandTest, CreatesAFirstIni) {
    TempDir dir;
    const std::string ini = dir.File("Vantix.ini");
    ASSERT_EQ(Vantixctl("password --ini " + ini, "vantix"), 0);
    EXPECT_EQ(IniFile(ini).GetInt("Settings", "Password", 0), Crc("vantix"));
}

TEST(PasswordCommandTest, RefusesBadInput) {
    TempDir dir;
    const std::string ini = dir.File("Vantix.ini");
    EXPECT_EQ(Vantixctl("password --ini " + ini, ""), 1);
    EXPECT_EQ(Vantixctl("password --ini " + ini, "\n"), 1);
    EXPECT_EQ(Vantixctl("password --ini " + dir.File("missing/Vantix.ini"), "x\n"), 1);
    EXPECT_EQ(Vantixctl("password", "x\n"), 2);
    EXPECT_EQ(Vantixctl("password --ini " + ini + " extra", "x\n"), 2);
    EXPECT_FALSE(std::filesystem::exists(ini));
}

} // namespace
