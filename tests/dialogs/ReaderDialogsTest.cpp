// The reader configuration dialogs: what they show of a record, what the
// user's edits build, that an unedited record comes back unchanged, and how
// an edit reaches the writer; the delay, mouse and unknown-device dialogs.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include "core/Hex.h"
#include "dialogs/CD_Delay.h"
#include "dialogs/CD_Edit.h"
#include "dialogs/CD_Edit1Track.h"
#include "dialogs/CD_Edit2Tracks.h"
#include "dialogs/CD_Mouse.h"
#include "dialogs/CD_UnknownDevice.h"
#include "dialogs/DeviceEditing.h"
#include "dialogs/DialogIds.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace vantix {
namespace {

using test::BoxText;
using test::Control;
using test::WhenModal;

// A proximity reader named ABC, PF1..PF3 = UB4..UB6, SF1 = ID, SF2 = EC, all on.
FTDI::UserArea SampleArea(const char* name = "ABC") {
    return FTDI::UserArea(name, 0x12, 0x34, 5, 1, 1, 1, -1, -1, -1, 3, 4, 5, FTDI::KeySpace, 0x00, FTDI::KeyId,
                          FTDI::KeyEc, FTDI::KeyTimestamp, FTDI::KeyNewLine, 0x00, FTDI::DeviceTypeProximity);
}

class ProximityDialog : public ::testing::Test {
protected:
    void Open(const FTDI::UserArea& area = SampleArea()) {
        dialog.FillFrom(area, "FT123");
        dialog.show();
    }
    QLineEdit* NameBox() { return Control<QLineEdit>(&dialog, ids::kNameBox); }
    FTDI::UserArea Built() {
        dialog.UpdateData(true);
        return dialog.BuildUserArea();
    }

    test::RecordingPrompter prompter;
    CD_Edit dialog{nullptr, prompter};
};

TEST_F(ProximityDialog, PreviewsFollowTheRecordTheTypedNameTheListsAndTheFormat) {
    Open();
    EXPECT_EQ(Control<QComboBox>(&dialog, ids::kBeepList)->currentText(), "3"); // beep 5: 8 - 5 beeps
    EXPECT_EQ(BoxText(&dialog, 1087), " ");
    EXPECT_EQ(BoxText(&dialog, 1090), "TS");
    EXPECT_EQ(BoxText(&dialog, 1084), "NU");
    NameBox()->setFocus();
    NameBox()->end(false);
    QTest::keyClicks(NameBox(), "D");
    EXPECT_EQ(BoxText(&dialog, 1084), "D");
    EXPECT_EQ(BoxText(&dialog, 1085), "NU");
    Control<QComboBox>(&dialog, ids::kIdList)->setCurrentIndex(255);
    Control<QComboBox>(&dialog, ids::kEcList)->setCurrentIndex(10);
    EXPECT_EQ(BoxText(&dialog, 1088), "FF");
    EXPECT_EQ(BoxText(&dialog, 1089), "0A");
    // The 14-digit format previews what it types: serial number and family code.
    const char* previews[] = {"0249541F", "00000249541F", "00000249541F01", "F400000249541F01"};
    for (int format = 0; format < 4; ++format) {
        Control<QRadioButton>(&dialog, ids::kFirstFormatRadio + format)->click();
        EXPECT_EQ(BoxText(&dialog, ids::kMediaIdBox), previews[format]);
        EXPECT_EQ(BoxText(&dialog, ids::kFirstSentPart + format), previews[format]);
        EXPECT_EQ(dialog.BuildUserArea().mediaIdFormat, format);
    }
    EXPECT_TRUE(prompter.informed.isEmpty());
}

// Pasted text loses one disallowed character per change, each with its
// message; Ok removes what is left before it closes.
TEST_F(ProximityDialog, PastedDisallowedCharactersGoOnePerChangeAndOkRemovesTheRest) {
    Open(FTDI::UserArea("", 0, 0, 7, 3, 1, 0, -1, -1, -1, 0, 1, 2, 3, 0, 12, 12, 12, 12, 0x0F, 0)); // PF1 = UB1
    NameBox()->insert("a#b");
    EXPECT_EQ(NameBox()->text(), "ab");
    EXPECT_EQ(prompter.informed, QStringList{"The character # is not allowed."});
    EXPECT_EQ(BoxText(&dialog, 1084), "a");

    NameBox()->setText("");
    NameBox()->insert("a#$");
    EXPECT_EQ(NameBox()->text(), "a$");
    NameBox()->end(false);
    QTest::keyClick(NameBox(), Qt::Key_C);
    EXPECT_EQ(NameBox()->text(), "ac");
    EXPECT_EQ(prompter.informed.last(), "The character $ is not allowed.");

    NameBox()->setText("");
    NameBox()->insert("a#$");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(NameBox()->text(), "a");
    EXPECT_EQ(prompter.informed.size(), 5);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.BuildUserArea().Name(), "a");
}

TEST(NameCharacters, FirstDisallowedOne) {
    EXPECT_EQ(FirstDisallowedNameCharacter("Az09 %*+,-./:\\_|"), -1);
    EXPECT_EQ(FirstDisallowedNameCharacter("ab;"), 2);
    EXPECT_EQ(FirstDisallowedNameCharacter(QString::fromUtf8("\xC3\xA9")), 0); // bytes of 128 and above
    EXPECT_EQ(FirstDisallowedNameCharacter("@"), 0);
}

// The default record's bytes and the clicks switched off are checked through
// the frame (FrameTest); here: the question, its refusal, the click controls.
TEST_F(ProximityDialog, DefaultAsksFirstAndSwitchesTheClicksOffKeepingTheirCoordinates) {
    FTDI::OutputSettings clicks;
    clicks.clickBefore = 1;
    clicks.clickAfter = 1;
    clicks.clickAfterX = 7;
    dialog.LoadClicks(clicks);
    Open();
    prompter.answer = false;
    const FTDI::UserArea before = Built();
    Control<QPushButton>(&dialog, ids::kDefaultButton)->click();
    const FTDI::UserArea refused = Built();
    EXPECT_TRUE(std::equal(before.bytes, before.bytes + 16, refused.bytes));
    EXPECT_TRUE(Control<QCheckBox>(&dialog, ids::kClickBeforeSwitch)->isChecked());

    prompter.answer = true;
    Control<QPushButton>(&dialog, ids::kDefaultButton)->click();
    EXPECT_EQ(prompter.asked.last(), "Are you sure you want to set default settings for the device?");
    EXPECT_FALSE(Control<QPushButton>(&dialog, ids::kChangeBefore)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(&dialog, ids::kChangeAfter)->isEnabled());
    Control<QCheckBox>(&dialog, ids::kClickAfterSwitch)->click();
    EXPECT_TRUE(Control<QPushButton>(&dialog, ids::kChangeAfter)->isEnabled());
    dialog.findChild<QPushButton*>("IDOK")->click();
    EXPECT_EQ(dialog.clickAfterX, 7);
}

// A switched-off prefix keeps its code and sets its mask bit.
TEST_F(ProximityDialog, CodesWithoutAnItemShowAndWriteNotUsedAndASwitchedOffPrefixKeepsItsCode) {
    FTDI::UserArea area = SampleArea();
    area.bytes[9] = 0xD3; // PF1 13, PF2 3
    area.bytes[13] = 0x0F; // SF3 0, SF4 15
    area.Decode(FTDI::DeviceTypeProximity);
    Open(area);
    EXPECT_EQ(Control<QComboBox>(&dialog, 1034)->currentIndex(), FTDI::KeyNotUsed);
    EXPECT_EQ(BoxText(&dialog, 1084), "NU");
    Control<QCheckBox>(&dialog, 1039)->click(); // PF2 off
    EXPECT_EQ(BoxText(&dialog, 1085), "NU");
    EXPECT_FALSE(Control<QComboBox>(&dialog, 1036)->isEnabled());
    const FTDI::UserArea written = Built();
    EXPECT_EQ(written.bytes[9], 0xC3);
    EXPECT_EQ(written.bytes[13], 0x0C);
    EXPECT_EQ(written.prefixMask, 0x02);
    EXPECT_EQ(written.prefixCode[1], 3);
}

// A single-track reader always types and never registers, whatever its record says.
TEST(OneTrackDialog, TrackPreviewFollowsTheSentinelSwitchAndTheReaderOnlyTypes) {
    const struct {
        int type, omitSentinel, keyboard, database;
        const char *shown, *switched;
    } cases[] = {{FTDI::DeviceTypeTrack2, 0, 1, 0, ";DATA", "DATA"}, {FTDI::DeviceTypeTrack1, 1, 0, 1, "DATA", "%DATA"}};
    for (const auto& c : cases) {
        test::RecordingPrompter prompter;
        CD_Edit1Track dialog(nullptr, prompter);
        dialog.FillFrom(FTDI::UserArea("MAG", 1, 2, 6, -1, c.keyboard, c.database, -1, c.omitSentinel, -1, 0, 1,
                                       FTDI::KeyId, FTDI::KeyComma, 0x0, FTDI::KeyNewLine, 12, 12, 12, 0x0E, c.type),
                        "S");
        dialog.show();
        EXPECT_EQ(BoxText(&dialog, ids::kTrackBox), c.shown);
        Control<QCheckBox>(&dialog, ids::kSentinelSwitch)->click();
        EXPECT_EQ(BoxText(&dialog, ids::kTrackBox), c.switched);
        dialog.accept();
        const FTDI::UserArea area = dialog.BuildUserArea();
        EXPECT_EQ(area.omitSentinel, 1 - c.omitSentinel);
        EXPECT_EQ(area.deviceType, c.type);
        EXPECT_EQ((std::vector<int>{area.sendToKeyboard, area.storeToDatabase, area.mediaIdFormat}),
                  (std::vector<int>{1, 0, -1}));
    }
}

// Both tracks, all sixteen switches on, both sentinels sent.
class TwoTrackDialog : public ::testing::Test {
protected:
    void Open(int bothTracks) {
        dialog.FillFrom(FTDI::UserArea("TWO", 3, 4, 7, -1, 1, 0, bothTracks, 0, 0, 0, 1, 2, FTDI::KeySpace, 0,
                                       FTDI::KeyId, FTDI::KeyEc, FTDI::KeyTimestamp, FTDI::KeyNewLine, 0,
                                       FTDI::DeviceTypeTwoTracks),
                        "S3");
        dialog.show();
    }
    bool Enabled(int id) { return dialog.findChild<QWidget*>(QString::number(id))->isEnabled(); }
    void Click(int id) { Control<QCheckBox>(&dialog, id)->click(); }
    // Both tracks, second track bit and sentinel omission of what OK builds.
    std::vector<int> TrackBits() {
        dialog.accept();
        const FTDI::UserArea area = dialog.BuildUserArea();
        return {area.bothTracks, area.secondTrackBit, area.omitSentinel};
    }

    test::RecordingPrompter prompter;
    CD_Edit2Tracks dialog{nullptr, prompter};
};

TEST_F(TwoTrackDialog, OnlyTrackTwoEnablesTrackTwoControls) {
    Open(1);
    Control<QRadioButton>(&dialog, ids::kOnlyTrackRadio)->click();
    Control<QComboBox>(&dialog, ids::kChosenTrackList)->setCurrentIndex(1);
    EXPECT_TRUE(Enabled(ids::kChosenTrackList));
    for (int id : ids::kTrack2Switches) EXPECT_TRUE(Enabled(id)) << id;
    for (int id : ids::kTrack1Switches) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(ids::kSentinel2Switch));
    EXPECT_FALSE(Enabled(ids::kSentinel1Switch));
    EXPECT_FALSE(Enabled(ids::kTrack1Box));

    Click(ids::kSentinel2Switch); // track 2 sentinel now dropped
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Box), "DATA");
    EXPECT_EQ(TrackBits(), (std::vector<int>{0, 1, 1}));
}

TEST_F(TwoTrackDialog, BothTracksEnableBothGroups) {
    Open(0);
    EXPECT_FALSE(Enabled(ids::kTrack2Box));
    Control<QRadioButton>(&dialog, ids::kBothTracksRadio)->click();
    EXPECT_FALSE(Enabled(ids::kChosenTrackList));
    EXPECT_TRUE(Enabled(ids::kTrack1Box));
    EXPECT_TRUE(Enabled(ids::kTrack2Box));
    EXPECT_EQ(BoxText(&dialog, ids::kTrack1Box), "%DATA");
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Box), "DATA"); // the other sentinel stays off
    Click(ids::kSentinel1Switch);
    EXPECT_EQ(TrackBits(), (std::vector<int>{1, 1, 1}));
}

TEST_F(TwoTrackDialog, MaskBitsPerTrack) {
    Open(1);
    Click(ids::kTrack1Switches[1]); // TK1 PF2 off, TK2 PF2 stays on
    EXPECT_TRUE(Enabled(ids::kItemLists[1]));
    EXPECT_EQ(BoxText(&dialog, ids::kTrack1Boxes[1]), "NU");
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Boxes[1]), "W");
    Click(ids::kTrack1Switches[2]); // both PF3 off
    Click(ids::kTrack2Switches[2]);
    EXPECT_FALSE(Enabled(ids::kItemLists[2]));
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Boxes[2]), "NU");
    Click(ids::kTrack2Switches[7]); // TK2 SF4 off
    dialog.accept();
    const FTDI::UserArea area = dialog.BuildUserArea();
    EXPECT_EQ(area.prefixMask, 0x02 | 0x04 | 0x40);
    EXPECT_EQ(area.suffixMask, 0x80);
}

// A stored image, a device type and the dialog that edits it: opening the
// dialog and pressing OK without an edit must give back the same bytes.
TEST(DialogRoundTrip, UneditedRecordComesBackUnchanged) {
    const struct {
        const char* name;
        int type;
        std::uint8_t bytes[16];
    } stored[] = {
        {"proximity 16 digits", 0, {0x6E, 1, 1, 'A', 'B', 'C', ' ', ' ', ' ', 0x00, 0x00, 0x0F, 0xB0, 0x00, 0x0E, 0xFF}},
        {"proximity, a stored name typing would refuse", 0, {0x6E, 1, 1, 'x', '#', 'y', ' ', ' ', ' ', 0x00, 0x00, 0x0F, 0xB0, 0x00, 0x0E, 0xFF}},
        {"proximity 8 digits, database", 0, {0x13, 0xFF, 0x0A, 'Z', 'z', '1', '-', '_', '|', 0x01, 0x23, 0x05, 0x89, 0xAB, 0x0A, 0xFF}},
        {"track 1", 1, {0x26, 7, 8, 'T', 'R', 'K', '1', ' ', ' ', 0x67, 0x89, 0x03, 0xB0, 0x00, 0x0E, 0xFF}},
        {"track 2, sentinel sent", 2, {0x72, 0, 0, ' ', ' ', ' ', ' ', ' ', ' ', 0x45, 0x6C, 0x0C, 0xBC, 0xCC, 0x01, 0xFF}},
        {"two tracks, both", 3, {0x8E, 9, 9, 'D', 'U', 'A', 'L', ' ', ' ', 0x12, 0x34, 0x5A, 0xB8, 0x9C, 0xC3, 0xFF}},
        {"two tracks, only track 2", 3, {0x0A, 9, 9, 'D', ' ', ' ', ' ', ' ', ' ', 0x12, 0x34, 0xF0, 0xB8, 0x9C, 0x0F, 0xFF}},
        {"two tracks, only track 1", 3, {0x06, 9, 9, 'D', ' ', ' ', ' ', ' ', ' ', 0x12, 0x34, 0x00, 0xB8, 0x9C, 0xFF, 0xFF}},
    };
    for (const auto& s : stored) {
        SCOPED_TRACE(s.name);
        FTDI::UserArea area;
        std::copy(s.bytes, s.bytes + 16, area.bytes);
        area.Decode(s.type);
        test::RecordingPrompter prompter;
        std::unique_ptr<DeviceDialog> dialog;
        if (s.type == 0)
            dialog = std::make_unique<CD_Edit>(nullptr, prompter);
        else if (s.type == 3)
            dialog = std::make_unique<CD_Edit2Tracks>(nullptr, prompter);
        else
            dialog = std::make_unique<CD_Edit1Track>(nullptr, prompter);
        dialog->FillFrom(area, "RT");
        dialog->show();
        dialog->accept();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        const FTDI::UserArea built = dialog->BuildUserArea();
        EXPECT_EQ(ToHex(built.bytes, 16), ToHex(s.bytes, 16));
        EXPECT_EQ(built.deviceType, s.type);
        EXPECT_TRUE(prompter.informed.isEmpty());
    }
}

// Storing an accepted value is followed through the frame (FrameTest).
TEST(DelayDialog, AcceptsOneToFiveHundredOnlyAndCancelKeepsTheValue) {
    test::RecordingPrompter prompter;
    const auto accepts = [&prompter](const QString& text) { // OK closed the dialog
        CD_Delay dialog(nullptr, prompter);
        dialog.show();
        Control<QLineEdit>(&dialog, ids::kDelayBox)->setText(text);
        dialog.accept();
        return dialog.result() == QDialog::Accepted && !dialog.isVisible();
    };
    EXPECT_TRUE(accepts("1"));
    EXPECT_TRUE(accepts("500"));
    EXPECT_TRUE(prompter.informed.isEmpty());
    for (const char* refused : {"0", "501", "-3", "abc"})
        EXPECT_FALSE(accepts(refused)) << refused;
    ASSERT_EQ(prompter.informed.size(), 4);
    EXPECT_EQ(prompter.informed[1], "Please enter an integer between 1 and 500.");
    EXPECT_EQ(prompter.informed[3], "Please enter a positive integer.");

    FTDI::OutputSettings settings;
    settings.intercharacterDelay = 40;
    WhenModal<CD_Delay>([](CD_Delay* dialog) {
        EXPECT_EQ(Control<QLineEdit>(dialog, ids::kDelayBox)->text(), "40");
        Control<QLineEdit>(dialog, ids::kDelayBox)->setText("99");
        dialog->reject();
    });
    EXPECT_FALSE(EditDelay(nullptr, settings, prompter));
    EXPECT_EQ(settings.intercharacterDelay, 40);
}

TEST(UnknownDeviceDialog, ShowsTheDeviceAndOnlyOkGivesTheChosenType) {
    const struct {
        int index;
        std::function<void(CD_UnknownDevice*)> close;
        int type;
    } cases[] = {{3, [](CD_UnknownDevice* d) { d->findChild<QPushButton*>("IDOK")->click(); }, FTDI::DeviceTypeTrack2},
                 {1, [](CD_UnknownDevice* d) { QTest::keyClick(d, Qt::Key_Escape); }, -1},
                 {0, [](CD_UnknownDevice* d) { d->close(); }, -1},
                 {0, [](CD_UnknownDevice* d) { d->accept(); }, -1}}; // the first item is "not used"
    for (const auto& c : cases) {
        QString shown;
        WhenModal<CD_UnknownDevice>([&](CD_UnknownDevice* dialog) {
            shown = Control<QLabel>(dialog, ids::kUnknownMessage)->text();
            Control<QComboBox>(dialog, ids::kUnknownList)->setCurrentIndex(c.index);
            c.close(dialog);
        });
        EXPECT_EQ(AskUnknownDevice(nullptr, "A1 (XYZ)"), c.type) << c.index;
        EXPECT_EQ(shown, "The type of device A1 (XYZ)  is not recognized.");
    }
}

// The first click and capturing again, on a real desktop: DesktopTest.
TEST(MouseDialog, TypedCoordinatesMustBeIntegers) {
    test::RecordingPrompter prompter;
    CD_Mouse dialog(nullptr, prompter);
    dialog.cursorPosition = [] { return QPoint(100, 200); };
    dialog.show();
    dialog.CaptureNow();
    Control<QLineEdit>(&dialog, ids::kMouseX)->setText("12x");
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompter.informed, QStringList{"Please enter an integer."});
    Control<QLineEdit>(&dialog, ids::kMouseX)->setText("-12");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.x, -12);
    EXPECT_EQ(dialog.y, 200);
}

FTDI::DevData Device(int type) {
    FTDI::UserArea area("RDR", 5, 6, 7, type == 0 ? 0 : -1, 1, 0, type == 3 ? 1 : -1, type == 0 ? -1 : 0,
                        type == 3 ? 0 : -1, 0, 1, 2, 3, 0x0F, 11, 12, 12, 12, 0x0E, type);
    return FTDI::DevData(nullptr, area, "TR-614");
}

// An edit reaches the writer only through OK in the dialog of the reader's
// type, and only the proximity dialog edits the clicks. An accepted edit
// copies them: followed through the frame (FrameTest).
TEST(EditUserArea, OnlyOkInTheTypesDialogWritesAndCancelLeavesTheClicks) {
    FTDI::OutputSettings clicks;
    clicks.clickBefore = 1;
    clicks.clickBeforeX = 10;
    clicks.clickBeforeY = 20;
    const auto clicksAsBefore = [&clicks] {
        return std::vector<int>{clicks.clickBefore, clicks.clickBeforeX, clicks.clickBeforeY, clicks.clickAfter} ==
               std::vector<int>{1, 10, 20, 0};
    };
    test::RecordingPrompter prompter;
    std::optional<FTDI::UserArea> written;
    const UserAreaWriter write = [&written](const FTDI::UserArea& area) { written = area; };

    WhenModal<CD_Edit>([](CD_Edit* dialog) {
        WhenModal<CD_Mouse>([](CD_Mouse* mouse) {
            mouse->cursorPosition = [] { return QPoint(300, 400); };
            mouse->CaptureNow();
            mouse->accept();
        });
        Control<QPushButton>(dialog, ids::kChangeBefore)->click();
        EXPECT_EQ(dialog->clickBeforeX, 300);
        EXPECT_EQ(Control<QCheckBox>(dialog, ids::kClickBeforeSwitch)->text(),
                  "Do a mouse click on coordinates 300, 400 before data sending");
        dialog->reject();
    });
    EXPECT_FALSE(EditUserArea(nullptr, "SER1", Device(0), clicks, write, prompter));
    EXPECT_FALSE(written);
    EXPECT_TRUE(clicksAsBefore());

    FTDI::DevData unsupported = Device(0);
    unsupported.deviceType = FTDI::DeviceTypeNotUsed;
    EXPECT_FALSE(EditUserArea(nullptr, "SER9", unsupported, clicks, write, prompter));
    EXPECT_EQ(prompter.errors, QStringList{"This type of device is not supported by application."});
    EXPECT_FALSE(written);

    WhenModal<CD_Edit2Tracks>([](CD_Edit2Tracks* dialog) { dialog->accept(); });
    EXPECT_TRUE(EditUserArea(nullptr, "SER3", Device(3), clicks, write, prompter));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->deviceType, 3);
    EXPECT_EQ(ToHex(written->bytes, 16), ToHex(Device(3).userArea.bytes, 16));
    EXPECT_TRUE(clicksAsBefore());
}

} // namespace
} // namespace vantix
