// The database and import dialogs as users meet them: what a failed test
// says, the pair table, where the builder and the file browser start, the
// progress total; and the program's message boxes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/AboutDialog.h"
#include "settings/Configuration.h"
#include "dialogs/CD_DatabaseMR.h"
#include "dialogs/CD_ImportReg.h"
#include "dialogs/CD_Progress.h"
#include "dialogs/ConnectionStringDialog.h"
#include "dialogs/ImportRegistrations.h"
#include "dialogs/Prompter.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/PgServer.h"
#include "tests/support/TempDir.h"

namespace vantix {
namespace {

using testing::HasSubstr;

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::PgServerEnvironment); // gtest owns it

class StorageDetails : public ::testing::Test {
protected:
    test::TempDir dir_;
    Configuration config_{dir_.File("Vantix.ini")};
};

TEST_F(StorageDetails, AFailedConnectionTestShowsTheDriversReason) {
    // Nothing listens on port 1: the driver says the connection was refused.
    ConnectionStringDialog builder("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=vantix;", nullptr);
    EXPECT_FALSE(builder.TestConnection());
    EXPECT_THAT(builder.TestResult()->text().toStdString(), HasSubstr("refused"));
}

TEST_F(StorageDetails, ANewPairRowIsInViewAndTabMovesFromKeyToValue) {
    ConnectionStringDialog builder("Driver={PostgreSQL Unicode};Server=db;Port=5432;Database=vantix;UID=u;", nullptr);
    builder.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&builder));
    QTableWidget* pairs = builder.Pairs();
    auto* add = builder.findChild<QPushButton*>("addPair");
    ASSERT_NE(add, nullptr);
    QTest::mouseClick(add, Qt::LeftButton);
    const int row = pairs->rowCount() - 1;
    EXPECT_EQ(row, 5);
    EXPECT_TRUE(pairs->viewport()->rect().contains(pairs->visualItemRect(pairs->item(row, 1))))
        << "the whole new row shows";

    QPointer<QWidget> keyEditor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit*>(keyEditor));
    QTest::keyClicks(keyEditor, "SSLmode");
    QTest::keyClick(keyEditor, Qt::Key_Tab);
    EXPECT_EQ(pairs->item(row, 0)->text(), "SSLmode");
    EXPECT_EQ(pairs->currentRow(), row);
    EXPECT_EQ(pairs->currentColumn(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyEditor.isNull(); }, 2000)) << "the key's editor closes";
    QWidget* valueEditor = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit*>(valueEditor)) << "the value is edited next";
    ASSERT_TRUE(pairs->isAncestorOf(valueEditor));
    QTest::keyClicks(valueEditor, "disable");
    QTest::keyClick(valueEditor, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pairs->item(row, 1)->text() == "disable"; }, 2000));
    EXPECT_THAT(builder.ConnectionString(), HasSubstr("SSLmode=disable"));
}

TEST_F(StorageDetails, TheBuilderStartsFromTheTextTypedIntoTheDatabaseBox) {
    CD_DatabaseMR dialog;
    dialog.useDatabase = 1;
    dialog.connectionString = "DSN=old;";
    dialog.show();
    dialog.ConnectionEdit()->setPlainText("Driver=PostgreSQL Unicode;Server=typed;");
    QString seen;
    test::WhenModal<ConnectionStringDialog>([&seen](ConnectionStringDialog* builder) {
        seen = QString::fromStdString(builder->ConnectionString());
        builder->reject();
    });
    QTest::mouseClick(dialog.BuildButton(), Qt::LeftButton);
    EXPECT_EQ(seen, "Driver=PostgreSQL Unicode;Server=typed;");
    EXPECT_EQ(dialog.ConnectionEdit()->toPlainText(), "Driver=PostgreSQL Unicode;Server=typed;")
        << "a cancelled build keeps the typed text";
}

TEST_F(StorageDetails, TheFileBrowserStartsAtTheRememberedFileElseInTheProgramFolder) {
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

TEST_F(StorageDetails, ImportProgressShowsTheFilesTotal) {
    test::PgServer& server = test::PgServer::Shared();
    server.Clear();
    std::string content = "MediaID,DateTime,Date,Time,ID,Code,Serial\r\n";
    for (int i = 0; i < 40; ++i) content += "0249541F,2016-02-22 14:07:00,2016-02-22,14:07:00,1,12,FT0001\r\n";
    const std::string file = dir_.File("Vantix-201602.vtxreg");
    test::WriteFile(file, content);
    QWidget owner;
    owner.show();
    QStringList statuses;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<CD_Progress*>(w); progress && progress->isVisible())
                for (QLabel* label : progress->findChildren<QLabel*>())
                    if (!label->text().isEmpty() && (statuses.isEmpty() || statuses.back() != label->text()))
                        statuses << label->text();
    });
    poll.start(0);
    const ImportResult result = RunImportWithProgress(
        &owner, {file, {"2016-02-01 00:00:00", "2016-02-29 23:59:59"}, server.ConnectionString(), CallSyntax::Call});
    EXPECT_EQ(result.imported, 40);
    ASSERT_FALSE(statuses.isEmpty());
    const QRegularExpression ofTotal("^\\d+ / \\d+ of 40$");
    for (const QString& status : statuses)
        EXPECT_TRUE(ofTotal.match(status).hasMatch()) << status.toStdString();
}

TEST_F(StorageDetails, MessageBoxesCarryTheProgramsNameAndTheirIcon) {
    struct Seen {
        QString title;
        QMessageBox::Icon icon;
    };
    auto boxOf = [](const std::function<void()>& show) {
        Seen seen{};
        test::WhenModal<QMessageBox>([&seen](QMessageBox* box) {
            seen = {box->windowTitle(), box->icon()};
            box->accept();
        });
        show();
        return seen;
    };
    Prompter& prompter = DefaultPrompter();
    const Seen plain = boxOf([&] { prompter.Plain(nullptr, "The character ! is not allowed."); });
    EXPECT_EQ(plain.title, "Vantix");
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    const Seen info = boxOf([&] { prompter.Inform(nullptr, "Please enter an integer."); });
    EXPECT_EQ(info.title, "Vantix");
    EXPECT_EQ(info.icon, QMessageBox::Information);
    const Seen error = boxOf([&] { prompter.Error(nullptr, "Device FT01 not found."); });
    EXPECT_EQ(error.title, "Vantix");
    EXPECT_EQ(error.icon, QMessageBox::Critical);

    CAboutDlg about;
    bool hasIcon = false;
    for (QLabel* label : about.findChildren<QLabel*>())
        hasIcon = hasIcon || !label->pixmap().isNull();
    EXPECT_TRUE(hasIcon) << "the About box shows the program icon";
}

} // namespace
} // namespace vantix
