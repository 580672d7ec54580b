#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "settings/IniKeys.h"
#include "app/LanguageManager.h"
#include "core/Strings.h"
#include "tests/settings/ShellTestSupport.h"

using namespace vantix;
using vantix::test::WriteFile;
namespace fs = std::filesystem;

namespace {

// The real Serbian module and the test modules, copied into a fresh
// program directory.
struct LanguageManagerTest : ::testing::Test, test::ConfigurationFixture {
    void Install(const std::string& module, const std::string& as = "") {
        const fs::path modules = std::getenv("VANTIX_TEST_MODULES");
        const fs::path bin = std::getenv("VANTIX_BIN_DIR");
        const fs::path from = fs::exists(modules / module) ? modules / module : bin / module;
        fs::copy_file(from, dir.Path() / (as.empty() ? module : as));
    }
    void Configure(const std::string& language) {
        WriteFile(iniPath, "[Settings]\r\nPassword=1\r\nLanguage=" + language + "\r\n");
    }
    std::string Dir() const { return dir.Path().string(); }
};

TEST_F(LanguageManagerTest, WithoutModulesOnlyEnglishIsKnown) {
    LanguageManager languages;
    languages.Load(config, LanguageManager::kNameFunction, Dir());
    EXPECT_EQ(languages.GetLanguages(), (std::map<std::string, std::string>{{"English", ""}}));
    EXPECT_EQ(languages.GetCurrent(), "English");
    EXPECT_EQ(languages.GetStartLanguage(), "English");
    EXPECT_EQ(LoadString(171), "Bad password");
}

// Of two files of one name the first is used; the real Serbian module is
// loaded at start-up in ShellTest.
TEST_F(LanguageManagerTest, ScansModulesSkippingBrokenAndNamelessOnesAndLoadsTheFirstOfAName) {
    for (const char* module : {"vantix-srpski.so", "testski-b.so", "testski-a.so", "no-name.so", "english.so"})
        Install(module);
    WriteFile(dir.File("broken.so"), "not a shared library");
    WriteFile(dir.File("notes.txt"), "");
    Configure("Testski");
    {
        LanguageManager languages;
        languages.Load(config, LanguageManager::kNameFunction, Dir() + "/");
        EXPECT_EQ(languages.GetLanguages(), (std::map<std::string, std::string>{
                                                {"English", ""}, {"Srpski", "vantix-srpski.so"},
                                                {"Testski", "testski-a.so"}}));
        EXPECT_EQ(languages.GetStartLanguage(), "Testski");
        EXPECT_EQ(LoadString(171), "Testski A");
        EXPECT_EQ(LoadString(128).substr(0, 6), "Vantix") << "ids the module lacks stay English";
        languages.SetCurrent("Srpski");
        EXPECT_EQ(languages.GetStartLanguage(), "Testski");
    }
    EXPECT_EQ(LoadString(171), "Bad password") << "the module is gone with the manager";
    EXPECT_EQ(config.Get(ini::Language), "Srpski") << "written back at destruction";
}

TEST_F(LanguageManagerTest, AConfiguredLanguageWithoutModuleKeepsItsName) {
    Install("vantix-srpski.so");
    Configure("Klingon");
    {
        LanguageManager languages;
        languages.Load(config, LanguageManager::kNameFunction, Dir());
        EXPECT_EQ(languages.GetCurrent(), "Klingon");
        EXPECT_EQ(LoadString(171), "Bad password");
    }
    EXPECT_EQ(config.Get(ini::Language), "Klingon");
}

} // namespace
