// The frame with its real device-link threads on simulated readers: a card
// read from reader to pane, a full edit of a reader, the unknown-device
// question and shutting down while it is open; a reader's name bytes read
// the same in the device pane, the popup and the configuration dialog.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "core/Ids.h"
#include "dialogs/CD_Delay.h"
#include "dialogs/CD_Edit.h"
#include "dialogs/CD_UnknownDevice.h"
#include "dialogs/DialogIds.h"
#include "frame/CFTDIConsumer.h"
#include "tests/frame/FrameTestSupport.h"
#include "tests/support/QtWait.h"
#include "views/CTaskbarNotifier.h"
#include "views/CV_Device.h"
#include "views/CV_Log2.h"
#include "views/CV_Registrations.h"
#include "views/PaneLayout.h"

namespace vantix {
namespace {

using test::Control;
using test::FrameFixture;

class FrameRun : public FrameFixture {
protected:
    CV_Device& devices() { return frame->Panes().Devices(); }
    bool WaitForDeviceRows(int rows) {
        return test::WaitForEvents([&] { return devices().RowCount() == rows; }, 5000);
    }
    // A frame with the reader FT01 (ABC) listed.
    void StartWithReader() {
        MakeFrame();
        sim->Plug("FT01", "TR-614 Door", test::ReaderBytes("ABC"));
        ASSERT_TRUE(WaitForDeviceRows(1));
    }
    void StartWithSelectedReader() {
        ASSERT_NO_FATAL_FAILURE(StartWithReader());
        devices().topLevelItem(0)->setSelected(true);
    }
};

TEST_F(FrameRun, ACardReadIsTypedFiledAndListed) {
    ASSERT_NO_FATAL_FAILURE(StartWithReader());
    EXPECT_EQ(devices().Text(0, CV_Device::ColName), "ABC");

    ASSERT_TRUE(sim->PresentCard("FT01", "00000249541F01"));
    CV_Registrations& registrations = frame->Panes().Registrations();
    ASSERT_TRUE(test::WaitForEvents([&] { return registrations.RowCount() == 1; }, 5000));
    EXPECT_EQ(registrations.Text(0, 0), "0249541F");
    EXPECT_EQ(registrations.Text(0, 2), "7");
    EXPECT_EQ(registrations.Text(0, 3), "9");
    EXPECT_EQ(registrations.Text(0, 4), "FT01");
    ASSERT_EQ(keys->Lines().size(), 1u);
    EXPECT_TRUE(keys->Lines().front() == U"0249541F\n") << "the prefixes are masked, Enter is the suffix";
    EXPECT_THAT(test::ReadFile(frame->Pipeline().File().FileName()),
                testing::MatchesRegex("MediaID,DateTime,Date,Time,ID,Code,Serial\r\n"
                                      "0249541F,[-0-9]{10} [0-9:]{5}:00,[-0-9]{10},[0-9:]{5}:00,7,9,FT01\r\n"));
}

TEST_F(FrameRun, EveryCardReadBeforeTheEndIsFiled) {
    ASSERT_NO_FATAL_FAILURE(StartWithReader());
    const std::string file = frame->Pipeline().File().FileName();
    constexpr int kCards = 5;
    for (int i = 0; i < kCards; ++i)
        ASSERT_TRUE(sim->PresentCard("FT01", "00000000000" + std::to_string(i) + "01"));
    // Read and beeped (two beeps each), while this thread handles no event:
    // the registrations wait in the queues when the frame goes.
    const size_t beeps = 2 * kCards * 3;
    test::WaitFor([&] { return sim->Written("FT01").size() >= beeps; }, std::chrono::seconds(10));
    ASSERT_EQ(sim->Written("FT01").size(), beeps);
    frame.reset();
    std::vector<std::string> ids;
    std::istringstream lines(test::ReadFile(file));
    for (std::string line; std::getline(lines, line);)
        ids.push_back(line.substr(0, line.find(',')));
    EXPECT_EQ(ids, (std::vector<std::string>{"MediaID", "00000000", "00000001", "00000002", "00000003", "00000004"}));
}

TEST_F(FrameRun, TypingProblemsAndAWaylandSessionAreLogged) {
    waylandSession = true;
    MakeFrame();
    CV_Log2& log = frame->Panes().Log();
    ASSERT_EQ(log.RowCount(), 2);
    EXPECT_EQ(log.Text(1, 1).toStdString(), "Wayland session: card data is typed only into X11 (XWayland) windows. "
                                            "Log in to an X11 session to type into every window.");
    sim->Plug("FT01", "TR-614 Door", test::ReaderBytes("ABC"));
    ASSERT_TRUE(WaitForDeviceRows(1));
    CV_Registrations& registrations = frame->Panes().Registrations();

    keys->SetUntypeable(U"F");
    ASSERT_TRUE(sim->PresentCard("FT01", "00000249541F01"));
    ASSERT_TRUE(test::WaitForEvents([&] { return registrations.RowCount() == 1; }, 5000));
    ASSERT_EQ(log.RowCount(), 3) << "reported before the registration arrives";
    EXPECT_EQ(log.Text(2, 1).toStdString(), "Card data was not typed as read: cannot type U+0046.");
    EXPECT_EQ(log.ImageOf(2), LogWarning);

    // A card read while the program's own window has the focus is not typed,
    // and the log says so once for the whole spell.
    keys->SetFocus(FTDI::FocusTarget::OwnWindow);
    for (int card = 2; card <= 3; ++card) {
        ASSERT_TRUE(sim->PresentCard("FT01", "00000249541F01"));
        ASSERT_TRUE(test::WaitForEvents([&] { return registrations.RowCount() == card; }, 5000));
    }
    EXPECT_EQ(log.RowCount(), 4);
    EXPECT_EQ(log.Text(3, 1).toStdString(), "Card data is not typed while a Vantix window has the keyboard focus.");
    EXPECT_EQ(keys->Lines().size(), 1u);
}

TEST_F(FrameRun, EditingAReaderWritesItsEepromAndRefreshesItsRow) {
    ASSERT_NO_FATAL_FAILURE(StartWithSelectedReader());
    ASSERT_TRUE(CheckPassword(config, test::kPassword, true));

    test::WhenModal<CD_Edit>([](CD_Edit* dialog) {
        EXPECT_EQ(Control<QLineEdit>(dialog, ids::kSerialBox)->text(), "FT01");
        Control<QLineEdit>(dialog, ids::kNameBox)->setText("NEW");
        dialog->findChild<QPushButton*>("IDOK")->click();
    });
    frame->EditDevice();

    EXPECT_EQ(sim->UserAreaOf("FT01"), test::ReaderBytes("NEW")) << "the reader's EEPROM holds the new bytes";
    ASSERT_TRUE(test::WaitForEvents([&] { return devices().Text(0, CV_Device::ColName) == "NEW"; }, 5000));
    EXPECT_TRUE(prompter.errors.isEmpty());
}

TEST_F(FrameRun, EditingAReaderThatHasGoneShowsTheError) {
    ASSERT_NO_FATAL_FAILURE(StartWithSelectedReader());
    ASSERT_TRUE(CheckPassword(config, test::kPassword, true));
    // Unplugged and gone from the device table, still listed: the removal
    // has not been handled yet. An unplugged reader is not found again.
    sim->Unplug("FT01");
    frame->Consumer().RemoveAll(0);
    frame->EditDevice();
    EXPECT_EQ(prompter.errors, QStringList{"Device FT01 not found."});

    prompter.errors.clear();
    frame->Buzz();
    EXPECT_EQ(prompter.errors, QStringList{"Device FT01 not found."});
}

TEST_F(FrameRun, AReaderThatCannotBeOpenedIsLoggedOnce) {
    MakeFrame();
    sim->FailNext("FT_Open");
    sim->Plug("FT01", "TR-614 Door", test::ReaderBytes("ABC"));
    CV_Log2& log = frame->Panes().Log();
    ASSERT_TRUE(test::WaitForEvents([&] { return log.RowCount() == 2; }, 5000));
    EXPECT_EQ(log.Text(1, 1), "Unable to use the device FT01 (TR-614 Door): FT_Open failed with status 4.");
    EXPECT_EQ(log.ImageOf(1), LogError);
    ASSERT_TRUE(WaitForDeviceRows(1)) << "opened on the next pass";
    EXPECT_EQ(log.RowCount(), 2);
}

TEST_F(FrameRun, BuzzBeepsTheSelectedReaderThreeTimes) {
    ASSERT_NO_FATAL_FAILURE(StartWithSelectedReader());
    frame->Buzz(); // not behind the password
    const FTDI::SimulatedD2xx::Bytes beep{0x01, 0x2A, 0x31};
    FTDI::SimulatedD2xx::Bytes three;
    for (int i = 0; i < 3; ++i)
        three.insert(three.end(), beep.begin(), beep.end());
    EXPECT_EQ(sim->Written("FT01"), three);
    EXPECT_TRUE(prompter.errors.isEmpty());
}

TEST_F(FrameRun, DelayCommandChangesTheTypingDelayAndItIsSavedAtExit) {
    MakeFrame();
    test::WhenModal<CD_Delay>([](CD_Delay* dialog) {
        Control<QLineEdit>(dialog, ids::kDelayBox)->setText("25");
        dialog->accept();
    });
    frame->OnCommand(cmd::kDelay); // not behind the password
    EXPECT_EQ(frame->Output().intercharacterDelay, 25);
    frame.reset();
    EXPECT_EQ(IniValue("Delay"), "25");
}

TEST_F(FrameRun, TheDeviceCheckItemReachesTheDeviceLink) {
    QAction deviceCheckItem;
    deviceCheckItem.setCheckable(true);
    appCommands.deviceCheck = &deviceCheckItem;
    MakeFrame();
    // Serials of their own: a refused reader stays ignored for the process.
    sim->Plug("FT15", "Mystery reader", test::ReaderBytes("MYS"));
    // A second listing pass means the first one, which met the reader, is over.
    ASSERT_TRUE(test::WaitForEvents([&] { return sim->CallCount("FT_GetDeviceInfoList") >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(devices().RowCount(), 0) << "ignored while the check is off";

    bool asked = false;
    test::WhenModal<CD_UnknownDevice>([&](CD_UnknownDevice* dialog) {
        asked = true;
        dialog->reject();
    });
    deviceCheckItem.setChecked(true);
    sim->Plug("FT16", "Another mystery", test::ReaderBytes("MYS"));
    EXPECT_TRUE(test::WaitForEvents([&] { return asked; }, 5000));
}

TEST_F(FrameRun, UnknownReaderIsAddedWithTheTypeTheUserChooses) {
    deviceCheck = true;
    MakeFrame();
    test::WhenModal<CD_UnknownDevice>([](CD_UnknownDevice* dialog) {
        dialog->findChild<QComboBox*>()->setCurrentIndex(1); // iButton or RF tag reader
        dialog->accept();
    });
    sim->Plug("FT05", "Mystery reader", test::ReaderBytes("MYS"));
    ASSERT_TRUE(WaitForDeviceRows(1));
    EXPECT_EQ(devices().Text(0, CV_Device::ColName), "MYS");
}

TEST_F(FrameRun, ExitWhileTheUnknownDeviceQuestionIsOpenEndsPromptly) {
    deviceCheck = true;
    MakeFrame();
    ASSERT_TRUE(CheckPassword(config, test::kPassword, true));
    bool asked = false;
    test::WhenModal<CD_UnknownDevice>([&](CD_UnknownDevice* dialog) {
        asked = true;
        EXPECT_TRUE(frame->Exit());
        // What the end of the event loops does to the open dialog.
        dialog->reject();
    });
    sim->Plug("FT07", "Mystery reader", test::ReaderBytes("MYS"));
    ASSERT_TRUE(test::WaitForEvents([&] { return asked; }, 5000));
    EXPECT_EQ(quits, 1);
    const auto start = std::chrono::steady_clock::now();
    frame.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(FrameRun, DeletingTheFrameWhileTheMonitorWaitsForAnAnswerDoesNotHang) {
    deviceCheck = true;
    MakeFrame();
    sim->Plug("FT08", "Mystery reader", test::ReaderBytes("MYS"));
    // The monitor asks right after the listing that shows the reader; the
    // question is posted but never handled: no events are processed.
    ASSERT_TRUE(test::WaitFor([&] { return sim->CallCount("FT_GetDeviceInfoList") >= 1; }))
        << "the monitor has seen the reader";
    const auto start = std::chrono::steady_clock::now();
    frame.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(FrameRun, PanePopupAndDialogShowTheSameLatin1Name) {
    MakeFrame();
    ASSERT_TRUE(CheckPassword(config, test::kPassword, true));
    // Readers of the first search come without a popup; the ones below come later.
    sim->Plug("FT00", "TR-614 Door", test::ReaderBytes("FIRST"));
    ASSERT_TRUE(WaitForDeviceRows(1));
    const struct {
        std::string serial, bytes;
        QString shown;
    } readers[] = {{"FT01", "\xFF\xFF\xFF\xFF\xFF\xFF", QString(6, QChar(0xFF))}, // blank EEPROM bytes
                   {"FT02", "Jos\xE9\xA7", QStringLiteral("Jos\u00E9\u00A7")}};
    for (const auto& r : readers) {
        sim->Plug(r.serial, "TR-614 Door", test::ReaderBytes(r.bytes));
        const QString popup = "Device " + QString::fromStdString(r.serial) + " (" + r.shown + ") connected.";
        ASSERT_TRUE(test::WaitForEvents([&] { return frame->Notifier().Text() == popup; }, 5000))
            << frame->Notifier().Text().toStdString();
        const int row = devices().FindRow(r.serial);
        ASSERT_GE(row, 0);
        EXPECT_EQ(devices().Text(row, CV_Device::ColName), r.shown);

        devices().clearSelection();
        devices().topLevelItem(row)->setSelected(true);
        QString inDialog;
        test::WhenModal<CD_Edit>([&inDialog](CD_Edit* dialog) {
            inDialog = Control<QLineEdit>(dialog, ids::kNameBox)->text();
            dialog->reject();
        });
        frame->EditDevice();
        EXPECT_EQ(inDialog, r.shown);
    }
}

} // namespace
} // namespace vantix
