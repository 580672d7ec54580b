// The main frame driven by device-link events, in a temporary program
// directory.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>

#include "core/Ids.h"
#include "dialogs/CD_DatabaseMR.h"
#include "frame/DeviceLinkEvent.h"
#include "tests/frame/FrameTestSupport.h"
#include "tests/storage/SampleRegistration.h"
#include "tests/support/PgServer.h"
#include "tests/support/QtWait.h"
#include "views/CTaskbarNotifier.h"
#include "views/CV_Device.h"
#include "views/CV_Log2.h"
#include "views/CV_Registrations.h"
#include "views/PaneLayout.h"

namespace vantix {
namespace {

using test::FrameFixture;
using test::PasswordAnswerer;
using testing::ElementsAre;
using testing::HasSubstr;

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::PgServerEnvironment); // gtest owns it

FTDI::DevData Reader(const std::string& name, int beep, int type = FTDI::DeviceTypeProximity,
                     const std::string& description = "TR-614 Door") {
    FTDI::UserArea area(name, 7, 9, beep, 0, 1, 0, -1, -1, -1, 0, 1, 2, 3, 0x0F, 11, 12, 12, 12, 0x0E, type);
    return FTDI::DevData(nullptr, area, description);
}

template <class M>
void Send(QObject* frame, unsigned number, std::uintptr_t wParam, const std::string& serial, const FTDI::DevData& d) {
    M message;
    message.serialNumber = serial;
    message.device = d;
    DeviceLinkEvent event(number, wParam, message);
    QCoreApplication::sendEvent(frame, &event);
}

void SendRegistration(QObject* frame, const FTDI::MessageRegistration& r) {
    DeviceLinkEvent event(FTDI::MsgRegistration, 0, r);
    QCoreApplication::sendEvent(frame, &event);
}

class Frame : public FrameFixture {
protected:
    CV_Device& devices() { return frame->Panes().Devices(); }
    CV_Registrations& registrations() { return frame->Panes().Registrations(); }
    CV_Log2& log() { return frame->Panes().Log(); }
    std::vector<std::string> LogTexts() {
        std::vector<std::string> texts;
        for (int row = 0; row < log().RowCount(); ++row)
            texts.push_back(log().Text(row, 1).toStdString());
        return texts;
    }
    std::string RegFile() { return test::ReadFile(frame->Pipeline().File().FileName()); }
    // The database calls end on the worker; their results arrive as events.
    bool WaitForLogRows(int rows) {
        return test::WaitForEvents([&] { return log().RowCount() >= rows; }, 20000);
    }
    bool WaitForDatabaseRows(test::PgServer& server, int rows) {
        return test::WaitForEvents([&] { return server.RowCount() == rows; }, 20000);
    }
};

// --- the registration pipeline ----------------------------------------------

// The file line and the row of a registration without the database are
// followed from reader to pane in FrameRunTest.
TEST_F(Frame, RegistrationReachesAWorkingDatabase) {
    test::PgServer& server = test::PgServer::Shared();
    server.Clear();
    MakeFrame("UseMRDB=1\r\nCallSyntax=call\r\nConnStr=" + server.ConnectionString() + "\r\n");
    SendRegistration(frame.get(), test::SampleRegistration());
    SendRegistration(frame.get(), test::SampleRegistration("0249541E"));
    EXPECT_EQ(registrations().RowCount(), 2);
    EXPECT_TRUE(WaitForDatabaseRows(server, 2));
    EXPECT_THAT(LogTexts(), ElementsAre("Using database."));
    frame.reset();
    EXPECT_EQ(IniValue("UseMRDB"), "1");
}

TEST_F(Frame, UnreachableDatabaseIsLoggedOnceAndSwitchedOffForGood) {
    MakeFrame("UseMRDB=7\r\nCallSyntax=call\r\n"
              "ConnStr=Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=1;Database=none;Uid=x\r\n");
    for (int i = 0; i < 3; ++i)
        SendRegistration(frame.get(), test::SampleRegistration());
    ASSERT_TRUE(WaitForLogRows(2));
    EXPECT_TRUE(test::WaitForEvents([&] { return frame->Pipeline().Database().Outstanding() == 0; }, 20000));
    SendRegistration(frame.get(), test::SampleRegistration());
    QCoreApplication::processEvents();
    EXPECT_THAT(LogTexts(), ElementsAre("Using database.", "Unable to connect to database."));
    EXPECT_EQ(log().ImageOf(1), LogError);
    EXPECT_EQ(registrations().RowCount(), 4) << "rows are added whatever the database does";
    const std::string file = RegFile();
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 5);
    EXPECT_FALSE(frame->Pipeline().UseDatabase());
    frame.reset();
    EXPECT_EQ(IniValue("UseMRDB"), "0");
}

TEST_F(Frame, FailingProcedureCallIsLoggedOnceAndDisconnects) {
    test::PgServer& server = test::PgServer::Shared();
    server.Clear();
    // PostgreSQL knows no "exec": every call fails.
    MakeFrame("UseMRDB=1\r\nCallSyntax=exec\r\nConnStr=" + server.ConnectionString() + "\r\n");
    SendRegistration(frame.get(), test::SampleRegistration());
    SendRegistration(frame.get(), test::SampleRegistration());
    ASSERT_TRUE(WaitForLogRows(2));
    EXPECT_THAT(LogTexts(), ElementsAre("Using database.", "Unable to execute spVantixReg. Disconnecting."));
    EXPECT_EQ(registrations().RowCount(), 2);
    frame.reset();
    EXPECT_EQ(IniValue("UseMRDB"), "0");
}

TEST_F(Frame, EmptyConnectionStringNeverReusesAnEarlierOne) {
    test::PgServer& server = test::PgServer::Shared();
    server.Clear();
    MakeFrame("UseMRDB=1\r\nCallSyntax=call\r\nConnStr=" + server.ConnectionString() + "\r\n");
    SendRegistration(frame.get(), test::SampleRegistration());
    // As after the database dialog with the string erased.
    test::WhenModal<CD_DatabaseMR>([](CD_DatabaseMR* dialog) {
        dialog->ConnectionEdit()->setPlainText("");
        dialog->accept();
    });
    {
        PasswordAnswerer answer(true);
        frame->OnCommand(cmd::kDatabase);
    }
    SendRegistration(frame.get(), test::SampleRegistration());
    EXPECT_TRUE(WaitForDatabaseRows(server, 1));
    EXPECT_THAT(LogTexts(), ElementsAre("Using database.", "Using database.", "Unable to connect to database."));
}

TEST_F(Frame, UnwritableRegistrationFileIsLoggedAndTheRowStillAdded) {
    // A directory in the file's place: every open fails.
    std::filesystem::create_directory(C_RegFile::FileNameFor(dir.Path().string() + "/", std::time(nullptr)));
    MakeFrame();
    SendRegistration(frame.get(), test::SampleRegistration());
    EXPECT_EQ(registrations().RowCount(), 1);
    ASSERT_EQ(log().RowCount(), 2);
    EXPECT_THAT(log().Text(1, 1).toStdString(), HasSubstr("Unable to open the registration file"));
    EXPECT_EQ(log().ImageOf(1), LogError);
}

// --- device rows and popups ---------------------------------------------------

TEST_F(Frame, DeviceRowsAndPopups) {
    MakeFrame();
    Send<FTDI::MessageDeviceAdded>(frame.get(), FTDI::MsgDeviceAdded, 1, "FT09", Reader("UNUSED", 0, -1));
    EXPECT_EQ(devices().RowCount(), 0) << "a device that is not used gets no row";
    EXPECT_EQ(frame->Notifier().AnimationState(), CTaskbarNotifier::State::Idle);

    Send<FTDI::MessageDeviceAdded>(frame.get(), FTDI::MsgDeviceAdded, 0, "FT02", Reader("DOOR", 7));
    ASSERT_EQ(devices().RowCount(), 1);
    EXPECT_EQ(frame->Notifier().AnimationState(), CTaskbarNotifier::State::Idle) << "wParam 0: no popup";
    EXPECT_EQ(devices().Text(0, CV_Device::ColName), "DOOR");

    Send<FTDI::MessageDeviceAdded>(frame.get(), FTDI::MsgDeviceAdded, 1, "FT01", Reader("GATE", 0));
    EXPECT_EQ(frame->Notifier().Text(), "Device FT01 (GATE) connected.");
    EXPECT_NE(frame->Notifier().AnimationState(), CTaskbarNotifier::State::Idle);
    EXPECT_EQ(devices().Text(0, CV_Device::ColSerial), "FT01");

    Send<FTDI::MessageDeviceChanged>(frame.get(), FTDI::MsgDeviceChanged, 0, "FT02",
                                     Reader("DESK", 5, 0, "another description"));
    EXPECT_EQ(devices().Text(1, CV_Device::ColBeep), "3");
    EXPECT_EQ(devices().Text(1, CV_Device::ColDescription), "TR-614 Door") << "a change keeps the description";

    Send<FTDI::MessageDeviceChanged>(frame.get(), FTDI::MsgDeviceChanged, 0, "FT77", Reader("X", 0));
    Send<FTDI::MessageDeviceRemoved>(frame.get(), FTDI::MsgDeviceRemoved, 0, "FT77", Reader("X", 0));
    EXPECT_EQ(devices().RowCount(), 2) << "unknown devices change nothing";

    Send<FTDI::MessageDeviceRemoved>(frame.get(), FTDI::MsgDeviceRemoved, 1, "FT02", Reader("DESK", 5));
    EXPECT_EQ(frame->Notifier().Text(), "Device FT02 (DESK) disconnected.");
    ASSERT_EQ(devices().RowCount(), 1);
    EXPECT_EQ(devices().Text(0, CV_Device::ColSerial), "FT01");
}

TEST_F(Frame, DeviceFaultsReachTheEventLogWithTheBackendsTextAndWhatToDo) {
    MakeFrame();
    const auto post = [&](FTDI::DeviceFault fault) {
        DeviceFaultEvent event(std::move(fault));
        QCoreApplication::sendEvent(frame.get(), &event);
    };
    post({FTDI::DeviceFault::Kind::CallFailed, "FT05", "TR-614", "FT_Open", FTDI::FT_DEVICE_NOT_OPENED,
          "usb_open() failed"});
    post({FTDI::DeviceFault::Kind::NoAccess, "", "", "FT_GetDeviceInfoList", FTDI::FT_OK, ""});
    const auto texts = LogTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2],
              "Unable to use the device FT05 (TR-614): FT_Open failed with status 3. (usb_open() failed)");
    EXPECT_THAT(texts.back(), ::testing::HasSubstr("TAG+=\"uaccess\""));
    EXPECT_THAT(texts.back(), ::testing::HasSubstr("plugdev"));
}

TEST_F(Frame, StateMessagesPopUpAndATooOldDriverEndsTheRunWithoutThePassword) {
    MakeFrame();
    DeviceLinkEvent loading(FTDI::MsgLoadingDevices, 0, {});
    QCoreApplication::sendEvent(frame.get(), &loading);
    EXPECT_EQ(frame->Notifier().Text(), "Loading devices...");
    DeviceLinkEvent commError(FTDI::MsgCommError, 0, {});
    QCoreApplication::sendEvent(frame.get(), &commError);
    EXPECT_EQ(frame->Notifier().Text(), "Communication error, please wait...");

    DeviceLinkEvent tooOld(FTDI::MsgDriverTooOld, 0, {});
    QCoreApplication::sendEvent(frame.get(), &tooOld);
    ASSERT_EQ(prompter.errors.size(), 1);
    EXPECT_TRUE(prompter.errors[0].startsWith("Bad device driver version."));
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(IniValue("M1"), "0") << "the window's settings are written at once";
}

// --- closing, hiding, restoring -------------------------------------------------

// Their order in the file is checked with the whole file in AppStartTest.
TEST_F(Frame, ClosingWritesTheCurrentValueOfEveryKey) {
    MakeFrame("DeviceSplitSize=123\r\nRegSplitSize=234\r\nUseMRDB=1\r\nConnStr=DSN=old\r\nSX=11\r\nSY=12\r\n");
    frame->Output().intercharacterDelay = 25;
    frame->Output().clickAfter = 1;
    frame->Output().clickAfterX = 300;
    frame->Output().clickAfterY = 301;
    frame.reset();
    for (const auto& [key, value] : std::map<std::string, std::string>{
             {"DeviceSplitSize", "123"}, {"RegSplitSize", "234"}, {"EX", "300"}, {"EY", "301"}, {"M1", "0"},
             {"M2", "1"}, {"Delay", "25"}, {"SX", "11"}, {"SY", "12"}, {"UseMRDB", "1"}, {"ConnStr", "DSN=old"}})
        EXPECT_EQ(IniValue(key), value) << key;
}

TEST_F(Frame, CloseBoxHidesToTheTrayAndRestoreBringsTheWindowBack) {
    MakeFrame();
    EXPECT_FALSE(frame->isVisible());
    frame->OnCommand(cmd::kRestore);
    EXPECT_TRUE(frame->ShownOnce());
    EXPECT_TRUE(frame->isVisible());

    EXPECT_FALSE(frame->close()) << "the close box does not close";
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(frame->Notifier().Text(), "Vantix is still active");
    EXPECT_EQ(quits, 0);

    frame->Restore();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
}

TEST_F(Frame, MinimisingHidesToTheTray) {
    MakeFrame();
    frame->Restore();
    frame->showMinimized();
    EXPECT_TRUE(test::WaitForEvents([&] { return !frame->isVisible(); }, 1000));
    frame->Restore();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
}

TEST_F(Frame, WithoutATrayHostTheWindowShowsItselfAndNeverHides) {
    trayHost = false;
    MakeFrame();
    EXPECT_EQ(LogTexts().back(), "No notification area is available; the window stays open instead of hiding.");
    frame->hide(); // as start-up leaves it
    EXPECT_TRUE(test::WaitForEvents([&] { return frame->isVisible(); }, 1000)) << "shown once start-up is over";
    EXPECT_TRUE(frame->ShownOnce());

    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(test::WaitForEvents([&] { return frame->isMinimized(); }, 1000));
    EXPECT_TRUE(frame->isVisible()) << "minimised, still reachable";
    frame->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->isVisible());
}

// --- the password gate ----------------------------------------------------------

TEST_F(Frame, ExitEditDatabaseAndImportPassThePasswordGate) {
    MakeFrame("UseMRDB=1\r\n");
    Send<FTDI::MessageDeviceAdded>(frame.get(), FTDI::MsgDeviceAdded, 0, "FT01", Reader("GATE", 0));
    devices().topLevelItem(0)->setSelected(true);
    {
        PasswordAnswerer cancel(false);
        EXPECT_FALSE(frame->Exit());
        frame->EditDevice();
        frame->OnCommand(cmd::kDatabase);
        frame->OnCommand(cmd::kImportRegistrations);
        EXPECT_EQ(cancel.prompts, 4);
    }
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(prompter.errors.isEmpty()) << "nothing ran behind the gate";

    // Without the database, Import neither runs nor asks.
    frame->OnCommand(cmd::kLock);
    test::WhenModal<CD_DatabaseMR>([](CD_DatabaseMR* dialog) {
        dialog->UseBox()->setChecked(false);
        dialog->accept();
    });
    {
        PasswordAnswerer right(true);
        frame->OnCommand(cmd::kDatabase);
        EXPECT_EQ(right.prompts, 1);
    }
    EXPECT_FALSE(frame->Pipeline().UseDatabase());
    EXPECT_EQ(LogTexts().back(), "Not using database.");
    frame->OnCommand(cmd::kLock);
    {
        PasswordAnswerer cancel(false);
        frame->OnCommand(cmd::kImportRegistrations);
        EXPECT_EQ(cancel.prompts, 0);
    }
    {
        PasswordAnswerer right(true);
        EXPECT_TRUE(frame->Exit());
    }
    EXPECT_EQ(quits, 1);
}

TEST_F(Frame, MenuItemsFollowTheLockTheSelectionAndTheDatabase) {
    MakeFrame();
    FrameMenus& menus = frame->Menus();
    menus.Update();
    EXPECT_TRUE(menus.Action(cmd::kUnlock)->isEnabled());
    EXPECT_FALSE(menus.Action(cmd::kLock)->isEnabled());
    EXPECT_FALSE(menus.Action(cmd::kPassword)->isEnabled());
    EXPECT_FALSE(menus.Action(cmd::kEditDevice)->isEnabled());
    EXPECT_FALSE(menus.Action(cmd::kImportRegistrations)->isEnabled());

    Send<FTDI::MessageDeviceAdded>(frame.get(), FTDI::MsgDeviceAdded, 0, "FT01", Reader("GATE", 0));
    devices().topLevelItem(0)->setSelected(true);
    EXPECT_TRUE(menus.Action(cmd::kEditDevice)->isEnabled()) << "follows the selection at once";
    {
        PasswordAnswerer right(true);
        menus.Action(cmd::kUnlock)->trigger();
    }
    EXPECT_FALSE(menus.Action(cmd::kUnlock)->isEnabled());
    EXPECT_TRUE(menus.Action(cmd::kLock)->isEnabled());
    EXPECT_TRUE(menus.Action(cmd::kPassword)->isEnabled());
}

} // namespace
} // namespace vantix
