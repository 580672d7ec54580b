// The database, connection-string, import and progress dialogs as users
// meet them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "dialogs/CD_DatabaseMR.h"
#include "dialogs/CD_ImportReg.h"
#include "dialogs/CD_Progress.h"
#include "dialogs/ConnectionStringDialog.h"
#include "dialogs/ImportRegistrations.h"
#include "settings/Configuration.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/PgServer.h"
#include "tests/support/TempDir.h"

namespace vantix {
namespace {

using testing::HasSubstr;

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::PgServerEnvironment); // gtest owns it

const TimeWindow kFebruary{"2016-02-01 00:00:00", "2016-02-29 23:59:59"};

class ImportDialogForTest : public CD_ImportReg {
public:
    explicit ImportDialogForTest(Configuration& config) : CD_ImportReg(config) {}
    QStringList errors;

protected:
    void ShowFileError(const QString& text) override { errors << text; }
};

CD_Progress* VisibleProgress() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<CD_Progress*>(w); progress && progress->isVisible())
            return progress;
    return nullptr;
}

class StorageDialogs : public ::testing::Test {
protected:
    // A registration file of `lines` February lines for the shared server,
    // emptied first.
    ImportRequest February(int lines) {
        std::string content;
        for (int i = 0; i < lines; ++i)
            content += "0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001\r\n";
        const std::string file = dir_.File("Vantix-201602.vtxreg");
        test::WriteFile(file, content);
        test::PgServer::Shared().Clear();
        return {file, kFebruary, test::PgServer::Shared().ConnectionString(), CallSyntax::Call};
    }

    test::TempDir dir_;
    Configuration config_{dir_.File("Vantix.ini")};
};

TEST_F(StorageDialogs, DatabaseSwitchEnablesTheStringAndOnlyOkStoresIt) {
    {
        CD_DatabaseMR cancelled;
        cancelled.show();
        EXPECT_FALSE(cancelled.ConnectionEdit()->isEnabled());
        cancelled.UseBox()->click();
        EXPECT_TRUE(cancelled.ConnectionEdit()->isEnabled());
        EXPECT_TRUE(cancelled.BuildButton()->isEnabled());
        cancelled.ConnectionEdit()->setPlainText("DSN=other;");
        cancelled.reject();
        EXPECT_EQ(cancelled.connectionString, "");
    }
    CD_DatabaseMR dialog;
    dialog.useDatabase = 1;
    dialog.connectionString = "DSN=vantix;";
    dialog.show();
    EXPECT_EQ(dialog.ConnectionEdit()->toPlainText(), "DSN=vantix;");
    dialog.UseBox()->click();
    EXPECT_FALSE(dialog.ConnectionEdit()->isEnabled());
    EXPECT_FALSE(dialog.BuildButton()->isEnabled());
    dialog.accept();
    EXPECT_EQ(dialog.useDatabase, 0);
    EXPECT_EQ(dialog.connectionString, "DSN=vantix;") << "OK with the box unticked keeps the string";
}

TEST_F(StorageDialogs, TheBuilderStartsFromTheTypedStringAndOnlyOkReplacesIt) {
    CD_DatabaseMR dialog;
    dialog.useDatabase = 1;
    dialog.connectionString = "DSN=old;";
    dialog.show();
    dialog.ConnectionEdit()->setPlainText("Driver={PostgreSQL Unicode};Server=db;");
    const auto build = [&dialog](bool ok) {
        QString seen;
        test::WhenModal<ConnectionStringDialog>([&seen, ok](ConnectionStringDialog* builder) {
            seen = QString::fromStdString(builder->ConnectionString());
            builder->UseSource("DSN", "elsewhere");
            ok ? builder->accept() : builder->reject();
        });
        QTest::mouseClick(dialog.BuildButton(), Qt::LeftButton);
        return seen;
    };
    EXPECT_EQ(build(false), "Driver=PostgreSQL Unicode;Server=db;");
    EXPECT_EQ(dialog.ConnectionEdit()->toPlainText(), "Driver={PostgreSQL Unicode};Server=db;");
    build(true);
    EXPECT_EQ(dialog.ConnectionEdit()->toPlainText(), "DSN=elsewhere;Server=db;");
}

TEST_F(StorageDialogs, BuilderListsDriversAndTestsTheConnectionWithTheDriversReason) {
    ConnectionStringDialog builder(test::PgServer::Shared().ConnectionString(), nullptr);
    EXPECT_FALSE(builder.Drivers()->findItems("PostgreSQL Unicode", Qt::MatchExactly).isEmpty());
    EXPECT_TRUE(builder.TestConnection()) << builder.TestResult()->text().toStdString();
    EXPECT_EQ(builder.TestResult()->text(), "The connection succeeded.");
    builder.Pairs()->item(1, 1)->setText("127.0.0.2x"); // Server
    EXPECT_FALSE(builder.TestConnection());
    EXPECT_THAT(builder.TestResult()->text().toStdString(), HasSubstr("CADODataBase Error"));

    // Nothing listens on port 1: the driver says the connection was refused.
    ConnectionStringDialog refused("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=vantix;", nullptr);
    EXPECT_FALSE(refused.TestConnection());
    EXPECT_THAT(refused.TestResult()->text().toStdString(), HasSubstr("refused"));
}

TEST_F(StorageDialogs, ANewPairRowIsInViewAndTabMovesFromKeyToValue) {
    ConnectionStringDialog builder("Driver={PostgreSQL Unicode};Server=db;Port=5432;Database=vantix;UID=u;", nullptr);
    builder.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&builder));
    QTableWidget* pairs = builder.Pairs();
    QTest::mouseClick(builder.findChild<QPushButton*>("addPair"), Qt::LeftButton);
    const int row = pairs->rowCount() - 1;
    EXPECT_TRUE(pairs->viewport()->rect().contains(pairs->visualItemRect(pairs->item(row, 1))))
        << "the whole new row shows";

    QPointer<QWidget> keyEditor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit*>(keyEditor));
    QTest::keyClicks(keyEditor, "SSLmode");
    QTest::keyClick(keyEditor, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyEditor.isNull(); }, 2000)) << "the key's editor closes";
    QWidget* valueEditor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit*>(valueEditor)) << "the value is edited next";
    ASSERT_TRUE(pairs->isAncestorOf(valueEditor));
    QTest::keyClicks(valueEditor, "disable");
    QTest::keyClick(valueEditor, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pairs->item(row, 1)->text() == "disable"; }, 2000));
    EXPECT_THAT(builder.ConnectionString(), HasSubstr("SSLmode=disable"));
}

TEST_F(StorageDialogs, ImportDialogOffersTheRememberedPathAndGivesTheWindowsBounds) {
    config_.Write(ini::FilePath, "/remembered/Vantix-201602.vtxreg");
    CD_ImportReg dialog(config_);
    dialog.show();
    EXPECT_EQ(dialog.PathEdit()->text(), "/remembered/Vantix-201602.vtxreg");
    EXPECT_EQ(dialog.FromDateEdit()->date(), QDate::currentDate().addDays(-30));
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

TEST_F(StorageDialogs, TheFileBrowserStartsAtTheRememberedFileElseInTheProgramFolder) {
    const std::filesystem::path month = dir_.Path() / "2016";
    std::filesystem::create_directory(month);
    auto browsedFolder = [this](const std::string& remembered) {
        config_.Write(ini::FilePath, remembered);
        CD_ImportReg dialog(config_);
        dialog.show();
        QString folder;
        test::WhenModal<QFileDialog>([&folder](QFileDialog* browser) {
            folder = browser->directory().absolutePath();
            browser->reject();
        });
        QTest::mouseClick(dialog.findChild<QPushButton*>("browse"), Qt::LeftButton);
        return folder.toStdString();
    };
    EXPECT_EQ(browsedFolder((month / "Vantix-201602.vtxreg").string()), month.string());
    EXPECT_EQ(browsedFolder("/no/such/folder/Vantix-201602.vtxreg"), dir_.Path().string());
    EXPECT_EQ(browsedFolder(""), dir_.Path().string());
}

TEST_F(StorageDialogs, ImportWithProgressDisablesTheOwnerAndCancelRollsBack) {
    const ImportRequest request = February(300);
    QWidget owner;
    owner.show();
    bool ownerWasDisabled = false;
    QTimer::singleShot(0, [&] {
        ownerWasDisabled = !owner.isEnabled();
        if (CD_Progress* progress = VisibleProgress())
            QTest::mouseClick(progress->findChild<QPushButton*>("cancel"), Qt::LeftButton);
    });
    const ImportResult result = RunImportWithProgress(&owner, request);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(result.outcome, ImportResult::Outcome::Cancelled); // what a cancel rolls back: DatabaseTest

    ImportRequest unreachable = request;
    unreachable.connectionString = "DSN=NoSuchSource;";
    const ImportResult failed = RunImportWithProgress(&owner, unreachable);
    EXPECT_EQ(failed.outcome, ImportResult::Outcome::Failed);
    EXPECT_TRUE(owner.isEnabled());
}

} // namespace
} // namespace vantix
