#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <zlib.h>

#include "app/AboutDialog.h"
#include "app/AppInfo.h"
#include "app/LanguageDialog.h"
#include "dialogs/PasswordDialogs.h"
#include "settings/PasswordLock.h"
#include "dialogs/StartupDialog.h"
#include "tests/settings/ShellTestSupport.h"

using namespace vantix;
using vantix::test::WriteFile;

namespace {

// Runs action on the next modal window that opens (a dialog's exec or a
// message box), from the event loop that window runs.
void OnNextModal(std::function<void(QWidget*)> action, QWidget* notThis = nullptr) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, action, notThis] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != notThis) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start(5);
}

void Answer(QWidget* modal, const QString& password, bool ok) {
    modal->findChild<QLineEdit*>()->setText(password);
    auto* dialog = qobject_cast<QDialog*>(modal);
    ok ? dialog->accept() : dialog->reject();
}

struct PasswordDialogsTest : ::testing::Test, test::ProfileFixture {
    void SetUp() override {
        const std::string pw = "vantix";
        WriteFile(iniPath, "[Settings]\r\nPassword=" +
                               std::to_string(static_cast<int>(crc32(0, reinterpret_cast<const Bytef*>(pw.data()),
                                                                     static_cast<uInt>(pw.size())))) +
                               "\r\n");
        Lock();
    }
};

TEST_F(PasswordDialogsTest, TheGateAsksOnlyWhileLocked) {
    OnNextModal([](QWidget* m) { Answer(m, "vantix", false); });
    EXPECT_FALSE(EnsureUnlocked(nullptr)) << "Cancel";
    EXPECT_FALSE(IsUnlocked());

    bool badShown = false;
    OnNextModal([&](QWidget* m) {
        OnNextModal([&](QWidget* box) {
            badShown = qobject_cast<QMessageBox*>(box)->text() == "Bad password";
            qobject_cast<QDialog*>(box)->accept();
        }, m);
        Answer(m, "wrong", true);
    });
    EXPECT_FALSE(EnsureUnlocked(nullptr));
    EXPECT_TRUE(badShown);

    OnNextModal([](QWidget* m) { Answer(m, "vantix", true); });
    EXPECT_TRUE(EnsureUnlocked(nullptr));
    EXPECT_TRUE(IsUnlocked());
    EXPECT_TRUE(EnsureUnlocked(nullptr)) << "no prompt while unlocked";
}

TEST_F(PasswordDialogsTest, TheChangeDialogStaysOpenUntilItsRulesHold) {
    CD_PasswordNew dialog;
    QString shown;
    const auto tryOk = [&](const char* oldText, const char* newText, const char* confirm) {
        dialog.OldField()->setText(oldText);
        dialog.NewField()->setText(newText);
        dialog.ConfirmField()->setText(confirm);
        dialog.setResult(-1);
        shown.clear();
        OnNextModal([&](QWidget* box) {
            shown = qobject_cast<QMessageBox*>(box)->text();
            qobject_cast<QDialog*>(box)->accept();
        });
        dialog.accept();
        return dialog.result();
    };
    EXPECT_EQ(tryOk("bad", "a", "a"), -1);
    EXPECT_EQ(shown, "Bad password");
    EXPECT_EQ(tryOk("vantix", "a", "b"), -1);
    EXPECT_EQ(shown, "Bad new password");
    EXPECT_EQ(tryOk("vantix", "", ""), -1);
    EXPECT_EQ(shown, "Bad new password");
    EXPECT_EQ(dialog.OldText(), "vantix") << "the texts stay";

    OnNextModal([](QWidget* m) {
        auto* d = qobject_cast<CD_PasswordNew*>(m);
        d->OldField()->setText("vantix");
        d->NewField()->setText("next");
        d->ConfirmField()->setText("next");
        d->accept();
    });
    EXPECT_TRUE(ChangePassword(nullptr));
    EXPECT_TRUE(IsUnlocked());
    EXPECT_EQ(static_cast<std::uint32_t>(Profile::GetInt("Settings", "Password", 0)), PasswordHash("next"));

    // The first password of new settings: no old one to give, the same
    // rules for the new one, nothing stored by the dialog itself.
    OnNextModal([&](QWidget* m) {
        auto* d = qobject_cast<CD_PasswordNew*>(m);
        EXPECT_FALSE(d->OldField()->isVisibleTo(d));
        d->NewField()->setText("first");
        d->ConfirmField()->setText("frist");
        OnNextModal([&](QWidget* box) {
            shown = qobject_cast<QMessageBox*>(box)->text();
            qobject_cast<QDialog*>(box)->accept();
        }, d);
        d->accept();
        EXPECT_TRUE(d->isVisible()) << "still open";
        d->ConfirmField()->setText("first");
        d->accept();
    });
    EXPECT_EQ(AskFirstPassword(nullptr), std::optional<std::string>("first"));
    EXPECT_EQ(shown, "Bad new password");
    EXPECT_EQ(static_cast<std::uint32_t>(Profile::GetInt("Settings", "Password", 0)), PasswordHash("next"));
}

TEST(LanguageDialogTest, SortsAndSelectsByCaseInsensitivePrefix) {
    CD_Language dialog({"Srpski", "English", "deutsch"}, "srp");
    QStringList shown;
    for (int i = 0; i < dialog.List()->count(); ++i)
        shown << dialog.List()->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"deutsch", "English", "Srpski"}));
    EXPECT_EQ(dialog.SelectedText(), "Srpski");

    CD_Language none({"Srpski", "English"}, "Klingon");
    EXPECT_EQ(none.SelectedText(), "");
    auto* ok = none.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled()) << "nothing to store while nothing is selected";
    none.List()->setCurrentRow(0);
    EXPECT_TRUE(ok->isEnabled());
}

TEST(LanguageDialogTest, RestartNoticeRules) {
    EXPECT_EQ(RestartNoticeId("Srpski", "Srpski"), 0);
    EXPECT_EQ(RestartNoticeId("English", "Srpski"), 151);
    EXPECT_EQ(RestartNoticeId("Srpski", "English"), 165);
    EXPECT_EQ(RestartNoticeId("srpski", "Srpski"), 165) << "compared case-sensitively";
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

TEST(AboutTest, ShowsTheVersionWithItsBuild) {
    EXPECT_EQ(VersionText("2, 7, 1, 8"), "2.7.1 (Build 8)");
    EXPECT_EQ(VersionText("10,0, 3 ,12"), "10.0.3 (Build 12)");
    CAboutDlg dialog;
    EXPECT_EQ(dialog.VersionLabel(), "Version 2.7.1 (Build 8)");
}

TEST(HelpTest, UsesTheFirstWordOfTheLanguage) {
    EXPECT_EQ(HelpFilePath("/work", "English"), "/work/help/English/vantix.chm");
    EXPECT_EQ(HelpFilePath("/work", "Srpski latinica"), "/work/help/Srpski/vantix.chm");
}

} // namespace
