#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include "settings/Configuration.h"
#include "dialogs/CD_DatabaseMR.h"
#include "dialogs/CD_ImportReg.h"
#include "dialogs/CD_Progress.h"
#include "dialogs/ConnectionStringDialog.h"
#include "dialogs/ImportRegistrations.h"
#include "tests/support/PgServer.h"
#include "tests/support/TempDir.h"

using namespace vantix;
using testing::HasSubstr;

namespace {

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new vantix::test::PgServerEnvironment); // gtest owns it

// Closes the next modal dialog (the connection-string builder) with `accept`
// after letting `edit` change it.
void AnswerNextModal(bool accept, std::function<void(QDialog*)> edit = nullptr) {
    QTimer::singleShot(0, [accept, edit] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (edit) edit(dialog);
        accept ? dialog->accept() : dialog->reject();
    });
}

class ImportDialogForTest : public CD_ImportReg {
public:
    explicit ImportDialogForTest(Configuration& config) : CD_ImportReg(config) {}
    QStringList errors;

protected:
    void ShowFileError(const QString& text) override { errors << text; }
};

class StorageDialogs : public ::testing::Test {
protected:
    test::TempDir dir_;
    Configuration config_{dir_.File("Vantix.ini")};
};

} // namespace

TEST_F(StorageDialogs, DatabaseDialogEnablesEditAndBuildWithTheCheckBox) {
    CD_DatabaseMR dialog;
    dialog.useDatabase = 1;
    dialog.connectionString = "DSN=vantix;";
    dialog.show();
    EXPECT_TRUE(dialog.UseBox()->isChecked());
    EXPECT_TRUE(dialog.ConnectionEdit()->isEnabled());
    EXPECT_TRUE(dialog.BuildButton()->isEnabled());
    EXPECT_EQ(dialog.ConnectionEdit()->toPlainText(), "DSN=vantix;");

    dialog.UseBox()->click();
    EXPECT_FALSE(dialog.ConnectionEdit()->isEnabled());
    EXPECT_FALSE(dialog.BuildButton()->isEnabled());
    dialog.accept();
    EXPECT_EQ(dialog.useDatabase, 0);
    EXPECT_EQ(dialog.connectionString, "DSN=vantix;") << "OK with the box unticked keeps the string";
}

TEST_F(StorageDialogs, DatabaseDialogCancelKeepsTheFields) {
    CD_DatabaseMR dialog;
    dialog.show();
    EXPECT_FALSE(dialog.ConnectionEdit()->isEnabled());
    dialog.UseBox()->click();
    EXPECT_TRUE(dialog.ConnectionEdit()->isEnabled());
    dialog.ConnectionEdit()->setPlainText("DSN=other;");
    dialog.reject();
    EXPECT_EQ(dialog.connectionString, "");
}

TEST_F(StorageDialogs, BuildStartsFromTheStringAndCancelLeavesItUnchanged) {
    CD_DatabaseMR dialog;
    dialog.useDatabase = 1;
    dialog.connectionString = "Driver={PostgreSQL Unicode};Server=db;";
    dialog.show();
    QStringList seen;
    AnswerNextModal(false, [&](QDialog* d) {
        auto* builder = qobject_cast<ConnectionStringDialog*>(d);
        ASSERT_NE(builder, nullptr);
        seen << QString::fromStdString(builder->ConnectionString());
        builder->UseSource("DSN", "elsewhere");
    });
    QTest::mouseClick(dialog.BuildButton(), Qt::LeftButton);
    EXPECT_EQ(seen, QStringList{"Driver=PostgreSQL Unicode;Server=db;"});
    EXPECT_EQ(dialog.ConnectionEdit()->toPlainText(), "Driver={PostgreSQL Unicode};Server=db;");

    AnswerNextModal(true, [](QDialog* d) { qobject_cast<ConnectionStringDialog*>(d)->UseSource("DSN", "elsewhere"); });
    QTest::mouseClick(dialog.BuildButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.ConnectionEdit()->toPlainText(), "DSN=elsewhere;Server=db;");
}

TEST_F(StorageDialogs, BuilderListsDriversAndTestsTheConnection) {
    ConnectionStringDialog builder(test::PgServer::Shared().ConnectionString(), nullptr);
    EXPECT_FALSE(builder.Drivers()->findItems("PostgreSQL Unicode", Qt::MatchExactly).isEmpty());
    EXPECT_TRUE(builder.TestConnection()) << builder.TestResult()->text().toStdString();
    EXPECT_EQ(builder.TestResult()->text(), "The connection succeeded.");
    builder.Pairs()->item(1, 1)->setText("127.0.0.2x"); // Server
    EXPECT_FALSE(builder.TestConnection());
    EXPECT_THAT(builder.TestResult()->text().toStdString(), HasSubstr("CADODataBase Error"));
}

TEST_F(StorageDialogs, ImportDialogDefaultsAndRememberedPath) {
    config_.Write(ini::FilePath, "/remembered/Vantix-201602.vtxreg");
    CD_ImportReg dialog(config_);
    dialog.show();
    EXPECT_EQ(dialog.PathEdit()->text(), "/remembered/Vantix-201602.vtxreg");
    EXPECT_EQ(dialog.FromDateEdit()->date(), QDate::currentDate().addDays(-30));
    EXPECT_EQ(dialog.FromTimeEdit()->time(), QTime(0, 0, 0));
    EXPECT_EQ(dialog.ToDateEdit()->date(), QDate::currentDate());
    EXPECT_EQ(dialog.ToTimeEdit()->time(), QTime(23, 59, 59));
    dialog.fromDate = QDate(2016, 2, 1);
    dialog.fromTime = QTime(0, 0, 0);
    dialog.toDate = QDate(2016, 2, 22);
    dialog.toTime = QTime(23, 59, 59);
    EXPECT_EQ(dialog.From(), "2016-02-01 00:00:00");
    EXPECT_EQ(dialog.To(), "2016-02-22 23:59:59");
}

TEST_F(StorageDialogs, ImportDialogTrimsChecksAndRemembersThePath) {
    const std::string file = dir_.File("Vantix-201602.vtxreg");
    test::WriteFile(file, "");
    ImportDialogForTest dialog(config_);
    dialog.show();

    dialog.PathEdit()->setText("   ");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible()) << "empty path: nothing happens";
    EXPECT_TRUE(dialog.errors.isEmpty());

    dialog.PathEdit()->setText(QString::fromStdString(dir_.File("missing.vtxreg")));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(dialog.errors.size(), 1);
    EXPECT_THAT(dialog.errors[0].toStdString(), HasSubstr("missing.vtxreg"));
    EXPECT_EQ(config_.Get(ini::FilePath), "") << "a failed path is not remembered";

    dialog.PathEdit()->setText(QString::fromStdString("  " + file + " "));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.filePath.toStdString(), file);
    EXPECT_EQ(config_.Get(ini::FilePath), file);
}

TEST_F(StorageDialogs, ProgressReportsOneCancelPerClickBeforeAPoll) {
    QWidget owner;
    owner.show();
    CD_Progress progress;
    progress.Create(&owner);
    EXPECT_FALSE(owner.isEnabled());
    auto* cancel = progress.findChild<QPushButton*>("cancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_TRUE(cancel->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(progress.PollCancel());
    EXPECT_FALSE(progress.PollCancel());
    EXPECT_TRUE(progress.isVisible()) << "Cancel only asks; the owner of the run closes the window";
    progress.Destroy();
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(StorageDialogs, ImportWithProgressDisablesTheOwnerAndCancelRollsBack) {
    test::PgServer& server = test::PgServer::Shared();
    server.Clear();
    std::string content;
    for (int i = 0; i < 300; ++i) content += "0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001\r\n";
    const std::string file = dir_.File("Vantix-201602.vtxreg");
    test::WriteFile(file, content);
    QWidget owner;
    owner.show();
    bool ownerWasDisabled = false;
    QTimer::singleShot(0, [&] {
        ownerWasDisabled = !owner.isEnabled();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<CD_Progress*>(w); progress && progress->isVisible())
                QTest::mouseClick(progress->findChild<QPushButton*>("cancel"), Qt::LeftButton);
    });
    const ImportResult result = RunImportWithProgress(
        &owner, {file, {"2016-02-01 00:00:00", "2016-02-29 23:59:59"}, server.ConnectionString(), CallSyntax::Call});
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Cancelled);
    EXPECT_LT(result.counted, 300);
    EXPECT_EQ(server.RowCount(), 0);
}

TEST_F(StorageDialogs, ImportWithProgressEnablesTheOwnerAfterAFailedConnection) {
    QWidget owner;
    owner.show();
    const ImportResult result =
        RunImportWithProgress(&owner, {dir_.File("x.vtxreg"), {"2016-02-01 00:00:00", "2016-02-29 23:59:59"},
                                       "DSN=NoSuchSource;", CallSyntax::Call});
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Failed);
    EXPECT_THAT(result.errorText, HasSubstr("Unable to connect to the database."));
    EXPECT_TRUE(owner.isEnabled());
}
