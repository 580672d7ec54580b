// The database, connection-string, import and progress dialogs as users
// meet them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

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
    QTest::mouseClick(builder.findChild<QPushButton*>("addPair"), Qt::LeftButton); // a pair of the user's own
    builder.Pairs()->item(builder.Pairs()->rowCount() - 1, 0)->setText("SSLmode");
    builder.Pairs()->item(builder.Pairs()->rowCount() - 1, 1)->setText("disable");
    EXPECT_THAT(builder.ConnectionString(), HasSubstr("SSLmode=disable"));

    // Nothing listens on port 1: the driver says the connection was refused.
    ConnectionStringDialog refused("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=vantix;", nullptr);
    EXPECT_FALSE(refused.TestConnection());
    EXPECT_THAT(refused.TestResult()->text().toStdString(), HasSubstr("refused"));
}

TEST_F(StorageDialogs, ImportDialogTrimsChecksAndRemembersThePathForTheNextImport) {
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

    // The next import offers it, and gives the chosen window's bounds.
    CD_ImportReg next(config_);
    next.show();
    EXPECT_EQ(next.PathEdit()->text().toStdString(), file);
    next.fromDate = QDate(2016, 2, 1);
    next.fromTime = QTime(0, 0, 0);
    next.toDate = QDate(2016, 2, 22);
    next.toTime = QTime(23, 59, 59);
    EXPECT_EQ(next.From(), "2016-02-01 00:00:00");
    EXPECT_EQ(next.To(), "2016-02-22 23:59:59");
}

TEST_F(StorageDialogs, ImportWithProgressDisablesTheOwnerAndCancelRollsBack) {
    std::string lines;
    for (int i = 0; i < 300; ++i)
        lines += "0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001\r\n";
    test::WriteFile(dir_.File("Vantix-201602.vtxreg"), lines);
    test::PgServer::Shared().Clear();
    ImportRequest request{dir_.File("Vantix-201602.vtxreg"), {"2016-02-01 00:00:00", "2016-02-29 23:59:59"},
                          test::PgServer::Shared().ConnectionString(), CallSyntax::Call};
    QWidget owner;
    owner.show();
    bool ownerWasDisabled = false;
    QTimer::singleShot(0, [&] {
        ownerWasDisabled = !owner.isEnabled();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<CD_Progress*>(w); progress && progress->isVisible())
                QTest::mouseClick(progress->findChild<QPushButton*>("cancel"), Qt::LeftButton);
    });
    // What a cancel rolls back: DatabaseTest.
    EXPECT_EQ(RunImportWithProgress(&owner, request).outcome, ImportResult::Outcome::Cancelled);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(owner.isEnabled());

    request.connectionString = "DSN=NoSuchSource;";
    EXPECT_EQ(RunImportWithProgress(&owner, request).outcome, ImportResult::Outcome::Failed);
    EXPECT_TRUE(owner.isEnabled());
}

} // namespace
} // namespace vantix
