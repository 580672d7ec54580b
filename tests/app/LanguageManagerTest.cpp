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

TEST_F(LanguageManagerTest, WithoutModulesOnlyEnglishIsKnownAndNothingIsWrittenWithoutALoad) {
    { LanguageManager unused; }
    EXPECT_FALSE(fs::exists(iniPath));
    LanguageManager languages;
    languages.Load(config, LanguageManager::kNameFunction, Dir());
    EXPECT_EQ(languages.GetLanguages(), (std::map<std::string, std::string>{{"English", ""}}));
    EXPECT_EQ(languages.GetCurrent(), "English");
    EXPECT_EQ(languages.GetStartLanguage(), "English");
    EXPECT_EQ(LoadString(171), "Bad password");
}

TEST_F(LanguageManagerTest, ScansModulesSkippingBrokenAndNamelessOnes) {
    Install("vantix-srpski.so");
    Install("testski-b.so");
    Install("testski-a.so");
    Install("no-name.so");
    Install("english.so");
    WriteFile(dir.File("broken.so"), "not a shared library");
    WriteFile(dir.File("notes.txt"), "");
    Configure("Srpski");
    {
        LanguageManager languages;
        languages.Load(config, LanguageManager::kNameFunction, Dir() + "/");
        EXPECT_EQ(languages.GetLanguages(), (std::map<std::string, std::string>{
                                                {"English", ""}, {"Srpski", "vantix-srpski.so"},
                                                {"Testski", "testski-a.so"}}));
        EXPECT_EQ(languages.GetStartLanguage(), "Srpski");
        EXPECT_EQ(LoadString(171), "Pogrešna lozinka");
        EXPECT_EQ(LoadString(128).substr(0, 6), "Vantix") << "ids the module lacks stay English";
        languages.SetCurrent("Testski");
        EXPECT_EQ(languages.GetStartLanguage(), "Srpski");
    }
    EXPECT_EQ(LoadString(171), "Bad password") << "the module is gone with the manager";
    EXPECT_EQ(config.Get(ini::Language), "Testski") << "written back at destruction";
}

TEST_F(LanguageManagerTest, TheFirstFileOfANameIsTheOneUsed) {
    Install("testski-b.so");
    Install("testski-a.so");
    Configure("Testski");
    LanguageManager languages;
    languages.Load(config, LanguageManager::kNameFunction, Dir());
    EXPECT_EQ(LoadString(171), "Testski A");
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
