#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <functional>
#include <filesystem>
#include <sys/stat.h>

#include "app/C_VantixApp.h"
#include "app/LanguageDialog.h"
#include "dialogs/PasswordDialogs.h"
#include "dialogs/StartupDialog.h"
#include "settings/IniKeys.h"
#include "core/Strings.h"
#include "tests/dialogs/DialogTestSupport.h"
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
        EXPECT_FALSE(app.MainWindow()->isVisible());
        EXPECT_TRUE(app.DevCheck());
        EXPECT_TRUE(app.DevCheckAction()->isChecked());
        EXPECT_TRUE(app.LanguageAction()->isEnabled());
        EXPECT_EQ(app.AboutAction()->text(), "&O programu Vantix...") << "texts from the language module";
        EXPECT_EQ(app.HelpFile(), QDir::currentPath() + "/help/Srpski/vantix.chm");

        app.DevCheckAction()->trigger();
        EXPECT_FALSE(app.DevCheck());
        app.Languages().SetCurrent("English");
        app.ExitInstance();
    }
    // The language is written last of the program's keys; the frame's keys
    // follow in the order it wrote them; the clicks default
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

mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
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
    const CV_Log2& log = static_cast<C_VantixFrame*>(app.MainWindow())->Panes().Log();
    QStringList texts;
    for (int row = 0; row < log.RowCount(); ++row)
        texts << log.Text(row, 1);
    EXPECT_EQ(texts.count(QString::fromStdString("Settings: " + ini + "; registration files: " + dir)), 1);
    EXPECT_EQ(texts.count(QString::fromStdString(ini) + " can be changed by other users of this computer; make it "
                                                        "writable by its owner only (chmod 600)."),
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
    Configuration settings(userIni);
    EXPECT_EQ(settings.Get(ini::Password), static_cast<int>(PasswordHash("first")));
    EXPECT_EQ(settings.Get(ini::Delay), 1) << "the settings were written back at exit";
    EXPECT_TRUE(fs::is_empty(programDir.Path())) << "nothing written beside the program";
    EXPECT_TRUE(stops.isEmpty());

    // Present but unusable: that is still a broken configuration, and no
    // first password replaces it.
    WriteFile(userIni, "[Settings]\r\nPassword=0\r\n");
    {
        C_VantixApp app(options);
        EXPECT_EQ(app.InitInstance(), C_VantixApp::StartResult::Failed);
        app.ExitInstance();
    }
    EXPECT_EQ(stops, QStringList{"Bad configuration file. Please reinstall application."});
    Lock();
}

using test::WhenModal;

void Answer(QDialog* prompt, const QString& password, bool ok) {
    prompt->findChild<QLineEdit*>()->setText(password);
    ok ? prompt->accept() : prompt->reject();
}

// The text of the message box that `action` opens before it returns,
// answered at once.
QString BoxShownBy(const std::function<void()>& action) {
    auto shown = std::make_shared<QString>();
    WhenModal<QMessageBox>([shown](QMessageBox* box) {
        *shown = box->text();
        box->accept();
    });
    action();
    return *shown;
}

struct PasswordDialogsTest : ::testing::Test, test::ConfigurationFixture {
    void SetUp() override {
        WriteFile(iniPath, "[Settings]\r\nPassword=" + std::to_string(static_cast<int>(PasswordHash("vantix"))) + "\r\n");
        Lock();
    }
    std::uint32_t Stored() { return static_cast<std::uint32_t>(IniFile(iniPath).GetInt("Settings", "Password", 0)); }
};

TEST_F(PasswordDialogsTest, TheGateAsksOnlyWhileLocked) {
    WhenModal<CD_Password>([](CD_Password* prompt) { Answer(prompt, "wrong", true); });
    EXPECT_EQ(BoxShownBy([&] { EXPECT_FALSE(EnsureUnlocked(config, nullptr)); }), "Bad password");
    EXPECT_FALSE(IsUnlocked());

    WhenModal<CD_Password>([](CD_Password* prompt) { Answer(prompt, "vantix", true); });
    EXPECT_TRUE(EnsureUnlocked(config, nullptr));
    EXPECT_TRUE(IsUnlocked());
    EXPECT_TRUE(EnsureUnlocked(config, nullptr)) << "no prompt while unlocked";
}

TEST_F(PasswordDialogsTest, TheChangeDialogStaysOpenUntilItsRulesHold) {
    CD_PasswordNew dialog(config);
    const auto tryOk = [&](const char* oldText, const char* newText, const char* confirm) {
        dialog.OldField()->setText(oldText);
        dialog.NewField()->setText(newText);
        dialog.ConfirmField()->setText(confirm);
        dialog.setResult(-1);
        const QString shown = BoxShownBy([&] { dialog.accept(); });
        EXPECT_EQ(dialog.result(), -1);
        return shown;
    };
    EXPECT_EQ(tryOk("bad", "a", "a"), "Bad password");
    EXPECT_EQ(tryOk("vantix", "a", "b"), "Bad new password");
    EXPECT_EQ(dialog.OldText(), "vantix") << "the texts stay";

    WhenModal<CD_PasswordNew>([](CD_PasswordNew* d) {
        d->OldField()->setText("vantix");
        d->NewField()->setText("next");
        d->ConfirmField()->setText("next");
        d->accept();
    });
    EXPECT_TRUE(ChangePassword(config, nullptr));
    EXPECT_TRUE(IsUnlocked());
    EXPECT_EQ(Stored(), PasswordHash("next"));

    // The first password of new settings: no old one to give, the same
    // rules for the new one, nothing stored by the dialog itself.
    QString shown;
    WhenModal<CD_PasswordNew>([&shown](CD_PasswordNew* d) {
        EXPECT_FALSE(d->OldField()->isVisibleTo(d));
        d->NewField()->setText("first");
        d->ConfirmField()->setText("frist");
        shown = BoxShownBy([d] { d->accept(); });
        EXPECT_TRUE(d->isVisible()) << "still open";
        d->ConfirmField()->setText("first");
        d->accept();
    });
    EXPECT_EQ(AskFirstPassword(config, nullptr), std::optional<std::string>("first"));
    EXPECT_EQ(shown, "Bad new password");
    EXPECT_EQ(Stored(), PasswordHash("next"));
}

TEST(LanguageDialogTest, SortsAndSelectsByCaseInsensitivePrefix) {
    CD_Language dialog({"Srpski", "English", "deutsch"}, "srp");
    QStringList shown;
    for (int i = 0; i < dialog.List()->count(); ++i)
        shown << dialog.List()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"deutsch", "English", "Srpski"}));
    EXPECT_EQ(dialog.SelectedText(), "Srpski");

    // The notice after a choice: none for the start language.
    EXPECT_EQ(RestartNoticeId("Srpski", "Srpski"), 0);
    EXPECT_EQ(RestartNoticeId("English", "Srpski"), 151);
    EXPECT_EQ(RestartNoticeId("Srpski", "English"), 165);
}

TEST(StartupDialogTest, ShowsTheStateAndAppliesTheChoice) {
    test::TempDir root;
    AutostartFolders folders{root.File("all"), root.File("user")};
    ASSERT_TRUE(CreateAutostartEntry(folders.currentUser, "/x/vantix"));
    CD_Startup dialog(folders, "/x/vantix");
    EXPECT_EQ(dialog.Choice(), StartupCurrentUser);
    dialog.SetChoice(StartupAllUsers);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(CurrentStartupChoice(folders), StartupAllUsers);
    EXPECT_FALSE(std::filesystem::exists(AutostartEntryPath(folders.currentUser)));
}

} // namespace
