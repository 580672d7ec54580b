// The main frame in a temporary program directory, with its real device-link
// threads on simulated readers and a recording keyboard.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <sstream>

#include "core/Hex.h"
#include "core/Ids.h"
#include "dialogs/CD_DatabaseMR.h"
#include "dialogs/CD_Delay.h"
#include "dialogs/CD_Edit.h"
#include "dialogs/CD_UnknownDevice.h"
#include "dialogs/DialogIds.h"
#include "dialogs/PasswordDialogs.h"
#include "frame/C_VantixFrame.h"
#include "frame/CFTDIConsumer.h"
#include "frame/DeviceLinkEvent.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "platform/input/recording/RecordingKeyboardOutput.h"
#include "settings/PasswordLock.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/ftdi/RecordingConsumer.h"
#include "tests/storage/SampleRegistration.h"
#include "tests/support/PgServer.h"
#include "tests/support/QtWait.h"
#include "tests/support/TempDir.h"
#include "views/CTaskbarNotifier.h"
#include "views/CV_Device.h"
#include "views/CV_Log2.h"
#include "views/CV_Registrations.h"
#include "views/PaneLayout.h"

namespace vantix {
namespace {

using test::Control;
using test::WaitForEvents;
using testing::ElementsAre;
using testing::HasSubstr;
using namespace std::chrono_literals;

[[maybe_unused]] auto* const kServerEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::PgServerEnvironment); // gtest owns it

constexpr char kPassword[] = "secret";

// The user area of a proximity reader with this name: ID 7, EC 9, two beeps,
// keyboard and database on, Enter as the only suffix.
FTDI::SimulatedD2xx::UserAreaBytes ReaderBytes(const std::string& name) {
    const FTDI::UserArea area(name, 7, 9, 6, 0, 1, 1, -1, -1, -1, 0, 1, 2, 3, 0x0F, FTDI::KeyNewLine, 12, 12, 12,
                              0x0E, FTDI::DeviceTypeProximity);
    FTDI::SimulatedD2xx::UserAreaBytes out;
    std::copy(std::begin(area.bytes), std::end(area.bytes), out.begin());
    return out;
}

// Runs action, answering every password prompt it opens with the right
// password or by cancelling; gives the number of prompts.
int Prompts(bool rightPassword, const std::function<void()>& action) {
    int prompts = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* prompt = qobject_cast<CD_Password*>(QApplication::activeModalWidget())) {
            ++prompts;
            prompt->Field()->setText(kPassword);
            rightPassword ? prompt->accept() : prompt->reject();
        }
    });
    poll.start(5);
    action();
    return prompts;
}

// A frame on a simulator and a recording keyboard, in a temporary program
// directory with its own Vantix.ini. The interface starts locked.
class Frame : public ::testing::Test {
protected:
    void SetUp() override { Lock(); }
    void TearDown() override {
        frame.reset();
        Lock();
    }

    // Writes Vantix.ini (the password plus `settings`, lines of key=value)
    // and creates the frame.
    void MakeFrame(const std::string& settings = {}) {
        test::WriteFile(ini, "[Settings]\r\nPassword=" + std::to_string(static_cast<std::int32_t>(PasswordHash(kPassword))) +
                                 "\r\nBeepPause=0\r\n" + settings);
        auto simulator = std::make_unique<FTDI::SimulatedD2xx>();
        auto keyboard = std::make_unique<FTDI::RecordingKeyboardOutput>();
        for (const auto& [serial, name] : atStart) // met by the first search
            simulator->Plug(serial, "TR-614 Door", ReaderBytes(name));
        sim = simulator.get();
        keys = keyboard.get();
        FrameOptions options;
        options.d2xx = std::move(simulator);
        options.keyboard = std::move(keyboard);
        options.timings = {.monitorPeriod = 50ms, .readerPeriod = 20ms, .idlePeriod = 20ms, .callPause = 0ms,
                           .buzzPause = 0ms};
        options.programDirectory = dir.Path().string() + "/";
        options.prompter = &prompter;
        options.deviceCheck = deviceCheck;
        options.waylandSession = waylandSession;
        options.app = appCommands;
        options.trayHostAvailable = [this] { return trayHost; };
        options.quit = [this] { ++quits; };
        frame = std::make_unique<C_VantixFrame>(config, std::move(options));
    }
    // A frame on the database of the test server, cleared.
    void MakeFrameOnDatabase(const std::string& callSyntax) {
        test::PgServer::Shared().Clear();
        const std::string connection = test::PgServer::Shared().ConnectionString();
        MakeFrame("UseMRDB=1\r\nCallSyntax=" + callSyntax + "\r\nConnStr=" + connection + "\r\n");
    }
    // A frame with the reader FT01 (ABC) listed, selected when asked.
    void StartWithReader(bool selected = false, const std::string& settings = {}) {
        MakeFrame(settings);
        sim->Plug("FT01", "TR-614 Door", ReaderBytes("ABC"));
        ASSERT_TRUE(WaitForEvents([&] { return devices().RowCount() == 1; }));
        devices().topLevelItem(0)->setSelected(selected);
    }

    std::string IniValue(const std::string& key) { return IniFile(ini).GetString("Settings", key, "<missing>"); }
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
    void Register(const char* mediaId = "0249541F") {
        DeviceLinkEvent event(FTDI::MsgRegistration, 0, test::SampleRegistration(mediaId));
        QCoreApplication::sendEvent(frame.get(), &event);
    }
    // The database calls end on the worker; their results arrive as events.
    bool WaitForLogRows(int rows) { return WaitForEvents([&] { return log().RowCount() >= rows; }, 20000); }
    bool WaitForRegistrations(int rows) { return WaitForEvents([&] { return registrations().RowCount() == rows; }); }
    void ExpectDeletedWithinTwoSeconds() {
        const auto start = std::chrono::steady_clock::now();
        frame.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    }
    // Three registrations, then a fourth once the database has given up:
    // one log line, every row and file line, and the database off for good.
    void ExpectLoggedOnceAndSwitchedOff(const char* logged) {
        for (int i = 0; i < 3; ++i)
            Register();
        ASSERT_TRUE(WaitForLogRows(2));
        EXPECT_TRUE(WaitForEvents([&] { return frame->Pipeline().Database().Outstanding() == 0; }, 20000));
        Register();
        QCoreApplication::processEvents();
        EXPECT_THAT(LogTexts(), ElementsAre("Using database.", logged));
        EXPECT_EQ(registrations().RowCount(), 4) << "rows are added whatever the database does";
        const std::string file = RegFile();
        EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 5);
        frame.reset();
        EXPECT_EQ(IniValue("UseMRDB"), "0");
    }

    test::TempDir dir;
    std::string ini = dir.File("Vantix.ini");
    Configuration config{ini}; // nothing is read before MakeFrame writes the file
    test::RecordingPrompter prompter;
    bool deviceCheck = false;
    bool waylandSession = false;
    bool trayHost = true;
    std::map<std::string, std::string> atStart; // serials and names of readers plugged in before the start
    AppCommands appCommands;
    int quits = 0;
    FTDI::SimulatedD2xx* sim = nullptr;
    FTDI::RecordingKeyboardOutput* keys = nullptr;
    std::unique_ptr<C_VantixFrame> frame;
};

// --- the registration pipeline ----------------------------------------------

TEST_F(Frame, ACardReadIsTypedFiledAndListed) {
    ASSERT_NO_FATAL_FAILURE(StartWithReader());
    ASSERT_TRUE(sim->PresentCard("FT01", "00000249541F01"));
    ASSERT_TRUE(WaitForRegistrations(1));
    EXPECT_EQ(registrations().Text(0, 0), "0249541F"); // the row's fields are the file line's (PanesTest)
    ASSERT_EQ(keys->Lines().size(), 1u);
    EXPECT_TRUE(keys->Lines().front() == U"0249541F\n") << "the prefixes are masked, Enter is the suffix";
    EXPECT_THAT(RegFile(), testing::MatchesRegex("MediaID,DateTime,Date,Time,ID,Code,Serial\r\n"
                                                 "0249541F,[-0-9]{10} [0-9:]{5}:00,[-0-9]{10},[0-9:]{5}:00,7,9,FT01\r\n"));
    EXPECT_THAT(LogTexts(), ElementsAre("Not using database."));
}

TEST_F(Frame, EveryCardReadBeforeTheEndIsFiled) {
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

TEST_F(Frame, TypingProblemsAndAWaylandSessionAreLogged) {
    waylandSession = true;
    ASSERT_NO_FATAL_FAILURE(StartWithReader());
    EXPECT_EQ(LogTexts().at(1), "Wayland session: card data is typed only into X11 (XWayland) windows. "
                                "Log in to an X11 session to type into every window.");
    keys->SetUntypeable(U"F");
    ASSERT_TRUE(sim->PresentCard("FT01", "00000249541F01"));
    ASSERT_TRUE(WaitForRegistrations(1));
    ASSERT_EQ(log().RowCount(), 3) << "reported before the registration arrives";
    EXPECT_EQ(LogTexts()[2], "Card data was not typed as read: cannot type U+0046.");
    EXPECT_EQ(log().ImageOf(2), LogWarning);

    // A card read while the program's own window has the focus is not typed,
    // and the log says so once for the whole spell.
    keys->SetFocus(FTDI::FocusTarget::OwnWindow);
    for (int card = 2; card <= 3; ++card) {
        ASSERT_TRUE(sim->PresentCard("FT01", "00000249541F01"));
        ASSERT_TRUE(WaitForRegistrations(card));
    }
    EXPECT_EQ(log().RowCount(), 4);
    EXPECT_EQ(LogTexts()[3], "Card data is not typed while a Vantix window has the keyboard focus.");
    EXPECT_EQ(keys->Lines().size(), 1u);
}

// Registrations reach a working database; after the database dialog with the
// connection string erased, none reuses the earlier string.
TEST_F(Frame, RegistrationsReachAWorkingDatabaseAndAnErasedConnectionStringIsNotReused) {
    test::PgServer& server = test::PgServer::Shared();
    MakeFrameOnDatabase("call");
    Register();
    Register("0249541E");
    EXPECT_EQ(registrations().RowCount(), 2);
    EXPECT_TRUE(WaitForEvents([&] { return server.RowCount() == 2; }, 20000));
    EXPECT_THAT(LogTexts(), ElementsAre("Using database."));
    test::WhenModal<CD_DatabaseMR>([](CD_DatabaseMR* dialog) {
        dialog->ConnectionEdit()->setPlainText("");
        dialog->accept();
    });
    Prompts(true, [&] { frame->OnCommand(cmd::kDatabase); });
    Register();
    EXPECT_TRUE(WaitForLogRows(3));
    EXPECT_EQ(server.RowCount(), 2);
    EXPECT_THAT(LogTexts(), ElementsAre("Using database.", "Using database.", "Unable to connect to database."));
}

TEST_F(Frame, UnreachableDatabaseIsLoggedOnceAndSwitchedOffForGood) {
    MakeFrame("UseMRDB=7\r\nCallSyntax=call\r\n"
              "ConnStr=Driver=PostgreSQL Unicode;Server=127.0.0.1;Port=1;Database=none;Uid=x\r\n");
    ExpectLoggedOnceAndSwitchedOff("Unable to connect to database.");
}

TEST_F(Frame, FailingProcedureCallIsLoggedOnceAndDisconnects) {
    MakeFrameOnDatabase("exec"); // PostgreSQL knows no "exec": every call fails
    ExpectLoggedOnceAndSwitchedOff("Unable to execute spVantixReg. Disconnecting.");
}

TEST_F(Frame, UnwritableRegistrationFileIsLoggedAndTheRowStillAdded) {
    // A directory in the file's place: every open fails.
    std::filesystem::create_directory(C_RegFile::FileNameFor(dir.Path().string() + "/", std::time(nullptr)));
    MakeFrame();
    Register();
    EXPECT_EQ(registrations().RowCount(), 1);
    ASSERT_EQ(log().RowCount(), 2);
    EXPECT_THAT(LogTexts()[1], HasSubstr("Unable to open the registration file"));
}

// --- device rows, popups and faults ---------------------------------------------

// Readers of the first search come without a popup, later ones with one; the
// pane, the popups and the edit dialog show the same Latin-1 name.
TEST_F(Frame, PlugAndUnplugPopUpAndPaneAndDialogShowTheSameLatin1Name) {
    atStart = {{"FT00", "FIRST"}};
    MakeFrame();
    ASSERT_TRUE(CheckPassword(config, kPassword, true));
    ASSERT_TRUE(WaitForEvents([&] { return devices().RowCount() == 1; }));
    EXPECT_FALSE(frame->Notifier().Text().contains("FT00"));
    const struct {
        std::string serial, bytes;
        QString shown;
    } readers[] = {{"FT01", "\xFF\xFF\xFF\xFF\xFF\xFF", QString(6, QChar(0xFF))}, // blank EEPROM bytes
                   {"FT02", "Jos\xE9\xA7", QStringLiteral("Jos\u00E9\u00A7")}};
    for (const auto& r : readers) {
        sim->Plug(r.serial, "TR-614 Door", ReaderBytes(r.bytes));
        const QString device = "Device " + QString::fromStdString(r.serial) + " (" + r.shown + ")";
        ASSERT_TRUE(WaitForEvents([&] { return frame->Notifier().Text() == device + " connected."; }))
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

        sim->Unplug(r.serial);
        EXPECT_TRUE(WaitForEvents([&] { return frame->Notifier().Text() == device + " disconnected."; }))
            << frame->Notifier().Text().toStdString();
        EXPECT_EQ(devices().FindRow(r.serial), -1);
    }
}

TEST_F(Frame, DeviceFaultsReachTheEventLogWithTheBackendsTextAndWhatToDo) {
    MakeFrame();
    sim->FailNext("FT_Open");
    sim->Plug("FT01", "TR-614 Door", ReaderBytes("ABC"));
    ASSERT_TRUE(WaitForLogRows(2));
    EXPECT_EQ(LogTexts()[1], "Unable to use the device FT01 (TR-614 Door): FT_Open failed with status 4.");
    EXPECT_EQ(log().ImageOf(1), LogError);
    ASSERT_TRUE(WaitForEvents([&] { return devices().RowCount() == 1; })) << "opened on the next pass";
    EXPECT_EQ(log().RowCount(), 2) << "logged once";

    for (const FTDI::DeviceFault& fault :
         {FTDI::DeviceFault{FTDI::DeviceFault::Kind::CallFailed, "FT05", "TR-614", "FT_Open",
                            FTDI::FT_DEVICE_NOT_OPENED, "usb_open() failed"},
          FTDI::DeviceFault{FTDI::DeviceFault::Kind::NoAccess, "", "", "FT_GetDeviceInfoList", FTDI::FT_OK, ""}}) {
        DeviceFaultEvent event(fault);
        QCoreApplication::sendEvent(frame.get(), &event);
    }
    EXPECT_EQ(LogTexts()[2],
              "Unable to use the device FT05 (TR-614): FT_Open failed with status 3. (usb_open() failed)");
    EXPECT_THAT(LogTexts()[3], testing::AllOf(HasSubstr("TAG+=\"uaccess\""), HasSubstr("plugdev")));
}

// --- editing, beeping and the unknown-device question -----------------------------

// A write the reader refuses changes neither its EEPROM nor the clicks; an
// accepted one writes the whole record, switches the clicks off as the
// default does, and the reader's row follows.
TEST_F(Frame, EditingAReaderWritesItsEepromOrNothingAndRefreshesItsRow) {
    ASSERT_NO_FATAL_FAILURE(StartWithReader(true));
    ASSERT_TRUE(CheckPassword(config, kPassword, true));
    frame->Output().clickBefore = 1;
    const auto editToDefaults = [this](const char* name) {
        test::WhenModal<CD_Edit>([name](CD_Edit* dialog) {
            EXPECT_EQ(Control<QLineEdit>(dialog, ids::kSerialBox)->text(), "FT01");
            Control<QPushButton>(dialog, ids::kDefaultButton)->click();
            Control<QLineEdit>(dialog, ids::kNameBox)->setText(name);
            dialog->findChild<QPushButton*>("IDOK")->click();
        });
        frame->EditDevice();
    };
    sim->FailNext("FT_EE_UAWrite");
    editToDefaults("NEW");
    EXPECT_EQ(prompter.errors, QStringList{"Unable to write user area to device FT01."});
    EXPECT_EQ(sim->UserAreaOf("FT01"), ReaderBytes("ABC"));
    EXPECT_EQ(frame->Output().clickBefore, 1);

    editToDefaults("NEW");
    EXPECT_EQ(ToHex(sim->UserAreaOf("FT01")->data(), 16), "6E01014E455720202000000FB0000EFF");
    EXPECT_EQ(frame->Output().clickBefore, 0);
    ASSERT_TRUE(WaitForEvents([&] { return devices().Text(0, CV_Device::ColName) == "NEW"; }));
    EXPECT_EQ(prompter.errors.size(), 1);
}

TEST_F(Frame, BuzzBeepsTheSelectedReaderAndAReaderThatHasGoneShowsTheError) {
    ASSERT_NO_FATAL_FAILURE(StartWithReader(true));
    frame->Buzz(); // not behind the password; the beep's bytes are the engine's (EngineTest)
    EXPECT_EQ(sim->Written("FT01").size(), 3u * 3u);
    EXPECT_TRUE(prompter.errors.isEmpty());

    ASSERT_TRUE(CheckPassword(config, kPassword, true));
    // Unplugged and gone from the device table, still listed: the removal
    // has not been handled yet. An unplugged reader is not found again.
    sim->Unplug("FT01");
    frame->Consumer().RemoveAll(0);
    frame->EditDevice();
    frame->Buzz();
    EXPECT_EQ(prompter.errors, QStringList({"Device FT01 not found.", "Device FT01 not found."}));
}

TEST_F(Frame, TheDeviceCheckItemAsksAboutUnknownReadersAndAddsThemWithTheChosenType) {
    QAction deviceCheckItem;
    deviceCheckItem.setCheckable(true);
    appCommands.deviceCheck = &deviceCheckItem;
    MakeFrame();
    // Serials of their own: a refused reader stays ignored for the process.
    sim->Plug("FT15", "Mystery reader", ReaderBytes("MYS"));
    // A second listing pass means the first one, which met the reader, is over.
    ASSERT_TRUE(WaitForEvents([&] { return sim->CallCount("FT_GetDeviceInfoList") >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(devices().RowCount(), 0) << "ignored while the check is off";

    test::WhenModal<CD_UnknownDevice>([](CD_UnknownDevice* dialog) {
        dialog->findChild<QComboBox*>()->setCurrentIndex(1); // iButton or RF tag reader
        dialog->accept();
    });
    deviceCheckItem.setChecked(true);
    sim->Plug("FT16", "Another mystery", ReaderBytes("MYS"));
    ASSERT_TRUE(WaitForEvents([&] { return devices().RowCount() == 1; }));
    EXPECT_EQ(devices().Text(0, CV_Device::ColSerial), "FT16");
}

TEST_F(Frame, ExitWhileTheUnknownDeviceQuestionIsOpenEndsPromptly) {
    deviceCheck = true;
    MakeFrame();
    ASSERT_TRUE(CheckPassword(config, kPassword, true));
    bool asked = false;
    test::WhenModal<CD_UnknownDevice>([&](CD_UnknownDevice* dialog) {
        asked = true;
        EXPECT_TRUE(frame->Exit());
        dialog->reject(); // what the end of the event loops does to the open dialog
    });
    sim->Plug("FT07", "Mystery reader", ReaderBytes("MYS"));
    ASSERT_TRUE(WaitForEvents([&] { return asked; }));
    EXPECT_EQ(quits, 1);
    ExpectDeletedWithinTwoSeconds();
}

TEST_F(Frame, DeletingTheFrameWhileTheMonitorWaitsForAnAnswerDoesNotHang) {
    deviceCheck = true;
    MakeFrame();
    sim->Plug("FT08", "Mystery reader", ReaderBytes("MYS"));
    // The monitor asks right after the listing that shows the reader; the
    // question is posted but never handled: no events are processed.
    ASSERT_TRUE(test::WaitFor([&] { return sim->CallCount("FT_GetDeviceInfoList") >= 1; }));
    ExpectDeletedWithinTwoSeconds();
}

// --- closing, hiding, restoring -------------------------------------------------

// Their order in the file is checked with the whole file in AppStartTest.
TEST_F(Frame, ClosingWritesTheCurrentValueOfEveryKeyWithTheDelayTheCommandSet) {
    MakeFrame("DeviceSplitSize=123\r\nRegSplitSize=234\r\nUseMRDB=1\r\nConnStr=DSN=old\r\nSX=11\r\nSY=12\r\n");
    frame->Output().clickAfter = 1;
    frame->Output().clickAfterX = 300;
    frame->Output().clickAfterY = 301;
    test::WhenModal<CD_Delay>([](CD_Delay* dialog) {
        Control<QLineEdit>(dialog, ids::kDelayBox)->setText("25");
        dialog->accept();
    });
    frame->OnCommand(cmd::kDelay); // not behind the password
    EXPECT_EQ(frame->Output().intercharacterDelay, 25);
    frame.reset();
    for (const auto& [key, value] : std::map<std::string, std::string>{
             {"DeviceSplitSize", "123"}, {"RegSplitSize", "234"}, {"EX", "300"}, {"EY", "301"}, {"M1", "0"},
             {"M2", "1"}, {"SX", "11"}, {"SY", "12"}, {"UseMRDB", "1"}, {"ConnStr", "DSN=old"}, {"Delay", "25"}})
        EXPECT_EQ(IniValue(key), value) << key;
}

TEST_F(Frame, CloseBoxAndMinimisingHideToTheTrayAndRestoreBringsTheWindowBack) {
    MakeFrame();
    EXPECT_FALSE(frame->isVisible());
    frame->OnCommand(cmd::kRestore);
    EXPECT_TRUE(frame->isVisible());

    EXPECT_FALSE(frame->close()) << "the close box does not close";
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(frame->Notifier().Text(), "Vantix is still active");
    EXPECT_EQ(quits, 0);

    frame->Restore();
    EXPECT_TRUE(frame->isVisible());
    frame->showMinimized();
    EXPECT_TRUE(WaitForEvents([&] { return !frame->isVisible(); }, 1000));
    frame->Restore();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(frame->isMinimized());
}

TEST_F(Frame, WithoutATrayHostTheWindowShowsItselfAndNeverHides) {
    trayHost = false;
    MakeFrame();
    EXPECT_EQ(LogTexts().back(), "No notification area is available; the window stays open instead of hiding.");
    frame->hide(); // as start-up leaves it
    EXPECT_TRUE(WaitForEvents([&] { return frame->isVisible(); }, 1000)) << "shown once start-up is over";

    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(WaitForEvents([&] { return frame->isMinimized(); }, 1000));
    EXPECT_TRUE(frame->isVisible()) << "minimised, still reachable";
    frame->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->isVisible());
}

// --- the password gate ----------------------------------------------------------

TEST_F(Frame, ExitEditDatabaseAndImportPassThePasswordGate) {
    ASSERT_NO_FATAL_FAILURE(StartWithReader(true, "UseMRDB=1\r\n"));
    EXPECT_EQ(Prompts(false, [&] {
                  EXPECT_FALSE(frame->Exit());
                  frame->EditDevice();
                  frame->OnCommand(cmd::kDatabase);
                  frame->OnCommand(cmd::kImportRegistrations);
              }),
              4);
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(prompter.errors.isEmpty()) << "nothing ran behind the gate";

    // Without the database, Import neither runs nor asks.
    frame->OnCommand(cmd::kLock);
    test::WhenModal<CD_DatabaseMR>([](CD_DatabaseMR* dialog) {
        dialog->UseBox()->setChecked(false);
        dialog->accept();
    });
    EXPECT_EQ(Prompts(true, [&] { frame->OnCommand(cmd::kDatabase); }), 1);
    EXPECT_FALSE(frame->Pipeline().UseDatabase());
    EXPECT_EQ(LogTexts().back(), "Not using database.");
    frame->OnCommand(cmd::kLock);
    EXPECT_EQ(Prompts(false, [&] { frame->OnCommand(cmd::kImportRegistrations); }), 0);
    Prompts(true, [&] { EXPECT_TRUE(frame->Exit()); });
    EXPECT_EQ(quits, 1);
}

TEST_F(Frame, MenuItemsFollowTheLockTheSelectionAndTheDatabase) {
    ASSERT_NO_FATAL_FAILURE(StartWithReader());
    FrameMenus& menus = frame->Menus();
    menus.Update();
    EXPECT_TRUE(menus.Action(cmd::kUnlock)->isEnabled());
    for (int locked : {cmd::kLock, cmd::kPassword, cmd::kEditDevice, cmd::kImportRegistrations})
        EXPECT_FALSE(menus.Action(locked)->isEnabled()) << locked;

    devices().topLevelItem(0)->setSelected(true);
    EXPECT_TRUE(menus.Action(cmd::kEditDevice)->isEnabled()) << "follows the selection at once";
    Prompts(true, [&] { menus.Action(cmd::kUnlock)->trigger(); });
    EXPECT_FALSE(menus.Action(cmd::kUnlock)->isEnabled());
    EXPECT_TRUE(menus.Action(cmd::kLock)->isEnabled());
    EXPECT_TRUE(menus.Action(cmd::kPassword)->isEnabled());
}

// --- the consumer thread ----------------------------------------------------------

// Plays the frame: keeps what arrives and answers questions as told. What the
// thread forwards is followed through the frame itself in the tests above.
class Receiver : public QObject {
public:
    bool event(QEvent* event) override {
        if (auto* link = dynamic_cast<DeviceLinkEvent*>(event)) {
            events.emplace_back(link->Number(), link->WParam(), link->Message(), link->LParam());
            return true;
        }
        if (auto* question = dynamic_cast<UnknownDeviceQuestionEvent*>(event)) {
            texts.push_back(question->Text());
            if (answer)
                question->Answer(*answer);
            return answer.has_value(); // ignored: the event's end answers -1
        }
        return QObject::event(event);
    }
    std::size_t Count(unsigned number) const {
        return std::count_if(events.begin(), events.end(), [&](const auto& e) { return e.Number() == number; });
    }

    std::vector<DeviceLinkEvent> events;
    std::vector<std::string> texts;
    std::optional<int> answer;
};

// The consumer thread of the device link, with a receiver in the frame's place.
struct ConsumerThread : ::testing::Test {
    ConsumerThread() { consumer.SetReceiver(&receiver); }
    FTDI::SimulatedD2xx sim;
    FTDI::OutputSettings settings;
    FTDI::RecordingKeyboardOutput keys;
    Receiver receiver;
    CFTDIConsumer consumer{sim, settings, keys, test::FastTimings()};
};

// A refused reader is not asked about again; at the end no removal reaches
// the frame that is going away, and no handle stays open.
TEST_F(ConsumerThread, UnknownDeviceQuestionIsAnsweredOrIgnoredAndShutdownKeepsRemovalsAway) {
    consumer.SetDeviceCheck(true);
    sim.Plug("QX-IGNORED", "Mystery bridge");
    consumer.start();
    ASSERT_TRUE(WaitForEvents([&] { return receiver.texts.size() == 1; }));
    EXPECT_EQ(receiver.texts[0], "QX-IGNORED (Mystery bridge)");

    receiver.answer = FTDI::DeviceTypeTrack2;
    sim.Plug("QX-CHOSEN", "Other bridge");
    ASSERT_TRUE(WaitForEvents([&] { return receiver.Count(FTDI::MsgDeviceAdded) == 1; }));
    EXPECT_EQ(receiver.events[0].As<FTDI::MessageDeviceAdded>()->device.deviceType, FTDI::DeviceTypeTrack2);
    EXPECT_EQ(receiver.texts.size(), 2u);
    EXPECT_TRUE(consumer.Shutdown(3000));
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.Count(FTDI::MsgDeviceRemoved), 0u);
    EXPECT_EQ(sim.OpenHandles(), 0);
}

} // namespace
} // namespace vantix
