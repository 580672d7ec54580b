#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <filesystem>
#include <sys/stat.h>

#include "app/C_VantixApp.h"
#include "settings/IniKeys.h"
#include "core/Strings.h"
#include "tests/settings/ShellTestSupport.h"
#include "settings/PasswordLock.h"
#include "frame/C_VantixFrame.h"
#include "views/CV_Log2.h"
#include "views/PaneLayout.h"

using namespace vantix;
using vantix::test::ReadFile;
using vantix::test::TempDir;
using vantix::test::WriteFile;
namespace fs = std::filesystem;

namespace {

struct AppStartTest : ::testing::Test {
    TempDir programDir;
    TempDir runtime;
    std::string ini = programDir.File("Vantix.ini");
    QStringList stops;

    void SetUp() override { ::setenv("XDG_DATA_HOME", runtime.File("data").c_str(), 1); }
    // What a file holds, read as the program reads it.
    static Configuration Saved(const std::string& path) { return Configuration(path); }
    StartOptions Options() {
        StartOptions options;
        options.programDirectory = programDir.Path().string();
        options.lockDirectory = runtime.Path().string();
        options.showStop = [this](const QString& text) { stops << text; };
        return options;
    }
};

TEST_F(AppStartTest, ABadConfigurationStopsStartUpAndLeavesZeros) {
    for (const std::string content : {"", "[Other]\r\nPassword=5\r\n", "[Settings]\r\nPassword=0\r\n",
                                      "[Settings]\r\nPassword=abc\r\nDevCheck=1\r\n"}) {
        WriteFile(ini, content);
        stops.clear();
        {
            C_VantixApp app(Options());
            EXPECT_EQ(app.InitInstance(), C_VantixApp::StartResult::Failed);
            app.ExitInstance();
            EXPECT_EQ(app.MainWindow(), nullptr);
        }
        EXPECT_EQ(stops, QStringList{"Bad configuration file. Please reinstall application."});
        EXPECT_EQ(IniFile(ini).GetString("Settings", "Password", "missing"), "0") << content;
        EXPECT_EQ(IniFile(ini).GetString("Settings", "DevCheck", "missing"), "0") << content;
        EXPECT_EQ(IniFile(ini).GetString("Settings", "Language", "missing"), "missing") << "no language was loaded";
    }
}

TEST_F(AppStartTest, StartsHiddenWithItsSettingsAndWritesThemBackInOrder) {
    fs::copy_file(fs::path(std::getenv("VANTIX_BIN_DIR")) / "vantix-srpski.so",
                  programDir.Path() / "vantix-srpski.so");
    WriteFile(ini, "[Settings]\r\nPassword=1234\r\nDevCheck=1\r\nLanguage=Srpski\r\n");
    {
        C_VantixApp app(Options());
        ASSERT_EQ(app.InitInstance(), C_VantixApp::StartResult::Started);
        EXPECT_EQ(app.ProgramDirectory(), programDir.Path().string() + "/");
        EXPECT_EQ(app.Config().Path(), ini);
        QMainWindow* frame = app.MainWindow();
        ASSERT_NE(frame, nullptr);
        EXPECT_FALSE(frame->isVisible());
        EXPECT_EQ(frame->size(), QSize(540, 540));
        EXPECT_EQ(frame->frameGeometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());
        EXPECT_TRUE(frame->acceptDrops());

        EXPECT_TRUE(app.DevCheck());
        EXPECT_TRUE(app.DevCheckAction()->isChecked());
        EXPECT_TRUE(app.LanguageAction()->isEnabled());
        EXPECT_EQ(app.AboutAction()->text(), "&O programu Vantix...") << "texts from the language module";
        EXPECT_EQ(app.HelpFile(), QDir::currentPath() + "/help/Srpski/vantix.chm");
        app.HelpAction()->trigger(); // missing file: nothing happens, nothing shown

        app.DevCheckAction()->trigger();
        EXPECT_FALSE(app.DevCheck());
        EXPECT_FALSE(app.DevCheckAction()->isChecked());
        app.Languages().SetCurrent("English");
        app.ExitInstance();
        EXPECT_EQ(Saved(ini).Get(ini::DevCheck), 0);
        EXPECT_EQ(Saved(ini).Get(ini::Language), "English") << "the language is written last";
    }
    // The frame's keys follow in the order it wrote them; the clicks default
    // to the middle of the (800 x 800 offscreen) screen.
    EXPECT_EQ(ReadFile(ini), "[Settings]\r\nPassword=1234\r\nDevCheck=0\r\nLanguage=English\r\n"
                             "DeviceSplitSize=100\r\nRegSplitSize=200\r\nSX=400\r\nSY=400\r\nEX=400\r\nEY=400\r\n"
                             "M1=0\r\nM2=0\r\nUseMRDB=0\r\nConnStr=\r\nDelay=1\r\n");
    EXPECT_EQ(LoadString(171), "Bad password");
    EXPECT_TRUE(fs::exists(runtime.File("data/mime/packages/vantix-document.xml")));
}

TEST_F(AppStartTest, SettingsThatCannotBeSavedAtExitAreReportedWhileTheUserIsThere) {
    for (const bool userPresent : {true, false}) {
        WriteFile(ini, "[Settings]\r\nPassword=1234\r\n");
        C_VantixApp app(Options());
        ASSERT_EQ(app.InitInstance(), C_VantixApp::StartResult::Started);
        // Gone and unreadable, as on a storage that failed meanwhile.
        fs::remove(ini);
        fs::create_directory(ini);
        stops.clear();
        app.ExitInstance(userPresent);
        ASSERT_EQ(stops.size(), userPresent ? 1 : 0) << "no message box at a session's end";
        if (userPresent) {
            EXPECT_TRUE(stops[0].startsWith("The settings could not be saved to " + QString::fromStdString(ini)));
            EXPECT_TRUE(stops[0].contains("Settings/DeviceSplitSize")) << stops[0].toStdString();
            EXPECT_TRUE(stops[0].contains("Settings/Language"));
        }
        fs::remove(ini);
    }
}

TEST_F(AppStartTest, ASecondInstanceLeavesQuietlyAndWritesNothing) {
    WriteFile(ini, "[Settings]\r\nPassword=1234\r\n");
    C_VantixApp first(Options());
    ASSERT_EQ(first.InitInstance(), C_VantixApp::StartResult::Started);
    {
        StartOptions other = Options();
        other.programDirectory = runtime.Path().string();
        C_VantixApp second(other);
        EXPECT_EQ(second.InitInstance(), C_VantixApp::StartResult::AlreadyRunning);
        second.ExitInstance();
    }
    EXPECT_TRUE(stops.isEmpty());
    EXPECT_FALSE(fs::exists(runtime.File("Vantix.ini")));
    EXPECT_EQ(first.Config().Path(), ini) << "the first instance keeps its settings";
    first.ExitInstance();
}

TEST_F(AppStartTest, ADamagedIniStillStartsWithDefaults) {
    std::string content = "\x01\xff garbage\r\n[Settings]\r\nPassword=77abc\r\nDevCheck=zz\r\nLanguage=\xff\xfe\r\n";
    content += std::string(100000, 'q') + "=" + std::string(100000, 'v'); // no final line end
    WriteFile(ini, content);
    {
        C_VantixApp app(Options());
        ASSERT_EQ(app.InitInstance(), C_VantixApp::StartResult::Started);
        EXPECT_FALSE(app.DevCheck());
        EXPECT_EQ(app.Languages().GetCurrent(), "\xff\xfe");
        EXPECT_FALSE(app.LanguageAction()->isEnabled());
        app.ExitInstance();
    }
    EXPECT_TRUE(stops.isEmpty());
    EXPECT_EQ(Saved(ini).Get(ini::Password), 77);
    EXPECT_EQ(Saved(ini).Get(ini::DevCheck, 9), 0);
}

mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

std::vector<std::string> LogTexts(const C_VantixApp& app) {
    std::vector<std::string> texts;
    const CV_Log2& log = static_cast<C_VantixFrame*>(app.MainWindow())->Panes().Log();
    for (int row = 0; row < log.RowCount(); ++row)
        texts.push_back(log.Text(row, 1).toStdString());
    return texts;
}

TEST_F(AppStartTest, ThePortableLayoutKeepsEverythingInTheProgramDirectory) {
    WriteFile(ini, "[Settings]\r\nPassword=1234\r\n");
    ::chmod(ini.c_str(), 0666);
    C_VantixApp app(Options());
    ASSERT_EQ(app.InitInstance(), C_VantixApp::StartResult::Started);
    const std::string dir = programDir.Path().string() + "/";
    EXPECT_TRUE(app.Files().portable);
    EXPECT_EQ(app.Files().dataDirectory, dir);
    EXPECT_EQ(app.Files().moduleDirectories, std::vector<std::string>{dir});
    const std::vector<std::string> log = LogTexts(app);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Settings: " + ini + "; registration files: " + dir), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         ini + " can be changed by other users of this computer; make it writable by its owner "
                               "only (chmod 600)."),
              1);
    app.ExitInstance();
    EXPECT_EQ(Mode(ini), 0666u) << "an existing file keeps its mode";
}

TEST_F(AppStartTest, AnInstalledCopyAsksForAFirstPasswordAndKeepsTheUsersFilesPrivate) {
    ::setenv("XDG_CONFIG_HOME", runtime.File("config").c_str(), 1);
    const std::string userIni = runtime.File("config/Vantix/Vantix.ini");
    StartOptions options = Options();
    options.files = FileLocations::PerUser(options.programDirectory, "");
    int asked = 0;
    options.askFirstPassword = [&]() -> std::optional<std::string> {
        ++asked;
        return std::nullopt;
    };
    {
        C_VantixApp app(options);
        EXPECT_EQ(app.InitInstance(), C_VantixApp::StartResult::Failed) << "declined";
        app.ExitInstance();
    }
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(stops.isEmpty());
    EXPECT_FALSE(fs::exists(userIni)) << "the next start asks again";

    options.askFirstPassword = [&]() -> std::optional<std::string> { return "first"; };
    const mode_t saved = ::umask(0);
    {
        C_VantixApp app(options);
        ASSERT_EQ(app.InitInstance(), C_VantixApp::StartResult::Started);
        EXPECT_EQ(app.Files().dataDirectory, runtime.File("data") + "/Vantix/");
        EXPECT_TRUE(IsUnlocked()) << "the one who chose the password";
        app.ExitInstance();
    }
    ::umask(saved);
    EXPECT_EQ(Mode(userIni), 0600u);
    EXPECT_EQ(Mode(runtime.File("config/Vantix")), 0700u);
    EXPECT_EQ(Saved(userIni).Get(ini::Password), static_cast<int>(PasswordHash("first")));
    EXPECT_EQ(Saved(userIni).Get(ini::Delay), 1) << "the settings were written back at exit";
    EXPECT_TRUE(fs::is_empty(programDir.Path())) << "nothing written beside the program";
    EXPECT_TRUE(stops.isEmpty());

    // Present but unusable: that is still a broken configuration.
    WriteFile(userIni, "[Settings]\r\nPassword=0\r\n");
    {
        C_VantixApp app(options);
        EXPECT_EQ(app.InitInstance(), C_VantixApp::StartResult::Failed);
        app.ExitInstance();
    }
    EXPECT_EQ(stops, QStringList{"Bad configuration file. Please reinstall application."});
    Lock();
}

} // namespace
