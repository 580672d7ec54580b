#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/desktop/Autostart.h"
#include "platform/desktop/DocumentType.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/system/SharedLibrary.h"
#include "settings/IniFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/Wait.h"

using namespace vantix;
using vantix::test::ReadFile;
using vantix::test::TempDir;

namespace {

TEST(WindowsSingleInstance, TheNamedMutexAdmitsOneCopyAtATime) {
    const std::string scope = SingleInstanceLock::DefaultDirectory();
    {
        SingleInstanceLock first(scope);
        ASSERT_EQ(first.GetState(), SingleInstanceLock::State::Acquired) << first.Error();
        EXPECT_EQ(SingleInstanceLock(scope).GetState(), SingleInstanceLock::State::HeldElsewhere);
        EXPECT_EQ(SingleInstanceLock(scope).GetState(), SingleInstanceLock::State::HeldElsewhere)
            << "a refused copy must not keep the place";
    }
    EXPECT_EQ(SingleInstanceLock(scope).GetState(), SingleInstanceLock::State::Acquired) << "free once the holder ends";
    EXPECT_NE(SingleInstanceLock::LockPath("Local").find(SingleInstanceLock::kGuid), std::string::npos);
}

TEST(WindowsStartup, ShortcutsAreCreatedMovedAndRemoved) {
    TempDir root;
    const AutostartFolders folders{root.File("All Users Startup"), root.File("My Startup")};
    const std::string exe = "C:\\Program Files\\Vantix\\vantix.exe";
    EXPECT_EQ(CurrentStartupChoice(folders), StartupNever);

    EXPECT_TRUE(ApplyStartupChoice(folders, StartupCurrentUser, exe).empty());
    const std::string link = AutostartEntryPath(folders.currentUser);
    EXPECT_EQ(link.substr(link.size() - 10), "Vantix.lnk");
    const std::string bytes = ReadFile(link);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0x4C) << "a shell link starts with its header size";
    EXPECT_NE(bytes.find("vantix.exe"), std::string::npos) << "the target is recorded";
    EXPECT_EQ(CurrentStartupChoice(folders), StartupCurrentUser);

    EXPECT_TRUE(ApplyStartupChoice(folders, StartupAllUsers, exe).empty());
    EXPECT_EQ(CurrentStartupChoice(folders), StartupAllUsers);
    EXPECT_FALSE(std::filesystem::exists(link));

    EXPECT_TRUE(ApplyStartupChoice(folders, StartupNever, exe).empty());
    EXPECT_EQ(CurrentStartupChoice(folders), StartupNever);
    EXPECT_FALSE(AutostartFolders::FromEnvironment().currentUser.empty());
}

TEST(WindowsSettingsFile, AReaderSeesTheOldOrTheNewFileNeverAMixture) {
    TempDir dir;
    const std::string path = dir.File("Vantix.ini");
    IniFile ini(path);
    const std::string small(10, 'a'), large(200000, 'b');
    ASSERT_TRUE(ini.WriteString("Settings", "Text", small));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0}, reads{0};
    std::thread reader([&] {
        // Reads as fast as a busy program would, leaving the writer a
        // moment between two reads (a file open for reading cannot be
        // replaced under Wine).
        while (!vantix::test::WaitFor([&] { return done.load(); }, std::chrono::milliseconds(1))) {
            const std::string text = IniFile(path).GetString("Settings", "Text", "");
            if (text != small && text != large && !text.empty())
                ++torn;
            ++reads;
        }
    });
    int written = 0;
    for (int i = 0; i < 40; ++i)
        written += ini.WriteString("Settings", "Text", i % 2 ? small : large) ? 1 : 0;
    done = true;
    reader.join();
    EXPECT_EQ(written, 40) << ini.LastWriteError();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "Vantix.ini") << "no temporary file left behind";
}

TEST(WindowsDocumentType, TheVtxClassIsRegisteredForTheUserOnce) {
    const std::string root = "Software\\VantixTest" + std::to_string(::GetCurrentProcessId()) + "\\Classes";
    const auto first = RegisterDocumentType(root, "C:\\Vantix\\vantix.exe");
    ASSERT_TRUE(first) << first.error();
    EXPECT_TRUE(*first);
    wchar_t value[256];
    DWORD size = sizeof value;
    const std::wstring command = std::wstring(root.begin(), root.end()) + L"\\Vantix.Document\\shell\\open\\command";
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, command.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), L"\"C:\\Vantix\\vantix.exe\" \"%1\"");
    EXPECT_FALSE(*RegisterDocumentType(root, "C:\\Vantix\\vantix.exe")) << "nothing changed, nothing written";
    EXPECT_TRUE(*RegisterDocumentType(root, "D:\\Vantix\\vantix.exe")) << "a moved program updates its command";
    const std::wstring top = L"Software\\VantixTest" + std::to_wstring(::GetCurrentProcessId());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, top.c_str());
}

TEST(WindowsModules, AMissingModuleIsReportedWithTheSystemsReason) {
    const auto module = SharedLibrary::Open("C:\\nowhere\\vantix-missing.dll");
    ASSERT_FALSE(module);
    EXPECT_NE(module.error().find("vantix-missing.dll"), std::string::npos) << module.error();
    EXPECT_GT(module.error().size(), std::string("C:\\nowhere\\vantix-missing.dll: ").size());
}

} // namespace
