#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/CD_Edit.h"
#include "dialogs/DialogIds.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace vantix {
namespace {

using test::BoxText;
using test::Control;

// A proximity reader named ABC, PF1..PF3 = UB4..UB6, SF1 = ID, SF2 = EC, all on.
FTDI::UserArea SampleArea() {
    return FTDI::UserArea("ABC", 0x12, 0x34, 5, 1, 1, 1, -1, -1, -1, 3, 4, 5, FTDI::KeySpace, 0x00, FTDI::KeyId,
                          FTDI::KeyEc, FTDI::KeyTimestamp, FTDI::KeyNewLine, 0x00, FTDI::DeviceTypeProximity);
}

const FTDI::UserArea kNamelessArea("", 0, 0, 7, 3, 1, 0, -1, -1, -1, 0, 1, 2, 3, 0, 12, 12, 12, 12, 0x0F, 0);

class ProximityDialog : public ::testing::Test {
protected:
    void Open(const FTDI::UserArea& area = SampleArea()) {
        dialog.FillFrom(area, "FT123");
        dialog.show();
    }
    QLineEdit* NameBox() { return Control<QLineEdit>(&dialog, ids::kNameBox); }

    test::RecordingPrompter prompter;
    CD_Edit dialog{nullptr, prompter};
};

TEST_F(ProximityDialog, OpensWithTheRecordsValues) {
    Open();
    EXPECT_EQ(Control<QLineEdit>(&dialog, ids::kSerialBox)->text(), "FT123");
    EXPECT_EQ(NameBox()->text(), "ABC");
    EXPECT_EQ(Control<QComboBox>(&dialog, ids::kBeepList)->currentText(), "3"); // beep 5: 8 - 5 beeps
    EXPECT_TRUE(Control<QCheckBox>(&dialog, ids::kDatabaseSwitch)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(&dialog, ids::kFirstFormatRadio + 1)->isChecked());
    EXPECT_EQ(BoxText(&dialog, ids::kMediaIdBox), "00000249541F");
    EXPECT_EQ(BoxText(&dialog, 1087), " ");
    EXPECT_EQ(BoxText(&dialog, 1090), "TS");
    EXPECT_EQ(BoxText(&dialog, 1091), "NL");
    EXPECT_EQ(Control<QLabel>(&dialog, ids::kFirstSentPart)->font().weight(), QFont::Bold);
}

TEST_F(ProximityDialog, UserBytesFollowTheNameAsItIsTyped) {
    Open();
    EXPECT_EQ(BoxText(&dialog, 1084), "NU");
    EXPECT_EQ(BoxText(&dialog, 1085), "NU");
    EXPECT_EQ(BoxText(&dialog, 1086), "NU");
    NameBox()->setFocus();
    NameBox()->end(false);
    QTest::keyClicks(NameBox(), "D");
    EXPECT_EQ(NameBox()->text(), "ABCD");
    EXPECT_EQ(BoxText(&dialog, 1084), "D");
    EXPECT_EQ(BoxText(&dialog, 1085), "NU");
    EXPECT_TRUE(prompter.informed.isEmpty());
}

// Pasted text loses one disallowed character per change, each with its
// message; Ok removes what is left before it closes.
TEST_F(ProximityDialog, PastedDisallowedCharactersGoOnePerChangeAndOkRemovesTheRest) {
    Open(kNamelessArea);
    NameBox()->insert("a#b");
    EXPECT_EQ(NameBox()->text(), "ab");
    EXPECT_EQ(prompter.informed, QStringList{"The character # is not allowed."});
    EXPECT_EQ(BoxText(&dialog, 1084), "a");
    EXPECT_EQ(BoxText(&dialog, 1085), "b");

    NameBox()->setText("");
    NameBox()->insert("a#$");
    EXPECT_EQ(NameBox()->text(), "a$");
    ASSERT_EQ(prompter.informed.size(), 2);
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

TEST_F(ProximityDialog, AStoredNameIsNotCheckedWhenLeftAlone) {
    Open(FTDI::UserArea("x#y", 0, 0, 7, 3, 1, 0, -1, -1, -1, 0, 1, 2, 3, 0, 12, 12, 12, 12, 0x0F, 0));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.BuildUserArea().Name(), "x#y");
    EXPECT_TRUE(prompter.informed.isEmpty());
}

TEST_F(ProximityDialog, AllowedNameCharacters) {
    EXPECT_EQ(FirstDisallowedNameCharacter("Az09 %*+,-./:\\_|"), -1);
    EXPECT_EQ(FirstDisallowedNameCharacter("ab;"), 2);
    EXPECT_EQ(FirstDisallowedNameCharacter(QString::fromUtf8("\xC3\xA9")), 0); // bytes of 128 and above
    EXPECT_EQ(FirstDisallowedNameCharacter("@"), 0);
}

TEST_F(ProximityDialog, IdAndEcPreviewAsTwoUpperCaseHexDigits) {
    Open();
    Control<QComboBox>(&dialog, ids::kIdList)->setCurrentIndex(255);
    Control<QComboBox>(&dialog, ids::kEcList)->setCurrentIndex(10);
    EXPECT_EQ(BoxText(&dialog, 1088), "FF");
    EXPECT_EQ(BoxText(&dialog, 1089), "0A");
}

TEST_F(ProximityDialog, ASwitchedOffPrefixKeepsItsCodeAndSetsItsMaskBit) {
    Open();
    Control<QCheckBox>(&dialog, 1039)->click();
    EXPECT_EQ(BoxText(&dialog, 1085), "NU");
    EXPECT_FALSE(Control<QComboBox>(&dialog, 1036)->isEnabled());
    dialog.UpdateData(true);
    const FTDI::UserArea area = dialog.BuildUserArea();
    EXPECT_EQ(area.prefixMask, 0x02);
    EXPECT_EQ(area.prefixCode[1], 4);
}

TEST_F(ProximityDialog, FormatRadiosShowTheSentDigits) {
    Open();
    // The 14-digit format previews what it types: serial number and family code.
    const char* previews[] = {"0249541F", "00000249541F", "00000249541F01", "F400000249541F01"};
    for (int format = 0; format < 4; ++format) {
        Control<QRadioButton>(&dialog, ids::kFirstFormatRadio + format)->click();
        EXPECT_EQ(BoxText(&dialog, ids::kMediaIdBox), previews[format]);
        EXPECT_EQ(BoxText(&dialog, ids::kFirstSentPart + format), previews[format]);
        EXPECT_EQ(dialog.BuildUserArea().mediaIdFormat, format);
    }
}

TEST_F(ProximityDialog, DefaultThenOkGivesTheDefaultRecord) {
    FTDI::OutputSettings clicks;
    clicks.clickBefore = 1;
    clicks.clickAfter = 1;
    clicks.clickAfterX = 7;
    dialog.LoadClicks(clicks);
    Open();
    Control<QPushButton>(&dialog, ids::kDefaultButton)->click();
    EXPECT_EQ(prompter.asked, QStringList{"Are you sure you want to set default settings for the device?"});
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kClickBeforeSwitch)->isChecked());
    EXPECT_FALSE(Control<QPushButton>(&dialog, ids::kChangeBefore)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(&dialog, ids::kChangeAfter)->isEnabled());
    EXPECT_EQ(BoxText(&dialog, ids::kMediaIdBox), "F400000249541F01");
    EXPECT_EQ(BoxText(&dialog, 1088), "NL");
    EXPECT_EQ(BoxText(&dialog, 1084), "NU");
    EXPECT_FALSE(Control<QComboBox>(&dialog, 1034)->isEnabled());

    Control<QCheckBox>(&dialog, ids::kClickAfterSwitch)->click();
    EXPECT_TRUE(Control<QPushButton>(&dialog, ids::kChangeAfter)->isEnabled());

    dialog.findChild<QPushButton*>("IDOK")->click();
    const FTDI::UserArea area = dialog.BuildUserArea();
    EXPECT_EQ(area.Name(), "ABC");
    EXPECT_EQ(area.id, 1);
    EXPECT_EQ(area.ec, 1);
    EXPECT_EQ(area.beep, 6);
    EXPECT_EQ(area.mediaIdFormat, 3);
    EXPECT_EQ(area.sendToKeyboard, 1);
    EXPECT_EQ(area.storeToDatabase, 0);
    EXPECT_EQ(area.prefixMask, 0x0F);
    EXPECT_EQ(area.suffixMask, 0x0E);
    EXPECT_EQ(area.suffixCode[0], FTDI::KeyNewLine);
    EXPECT_EQ(dialog.clickAfterX, 7); // coordinates stay
}

TEST_F(ProximityDialog, RefusedDefaultChangesNothing) {
    Open();
    prompter.answer = false;
    const FTDI::UserArea before = dialog.BuildUserArea();
    Control<QPushButton>(&dialog, ids::kDefaultButton)->click();
    dialog.UpdateData(true);
    const FTDI::UserArea after = dialog.BuildUserArea();
    EXPECT_TRUE(std::equal(before.bytes, before.bytes + 16, after.bytes));
}

TEST_F(ProximityDialog, CodesWithoutAnItemShowAndWriteNotUsed) {
    FTDI::UserArea area = SampleArea();
    area.bytes[9] = 0xD3; // PF1 13, PF2 3
    area.bytes[13] = 0x0F; // SF3 0, SF4 15
    area.Decode(FTDI::DeviceTypeProximity);
    Open(area);
    EXPECT_EQ(Control<QComboBox>(&dialog, 1034)->currentIndex(), FTDI::KeyNotUsed);
    EXPECT_EQ(BoxText(&dialog, 1084), "NU");
    dialog.UpdateData(true);
    const FTDI::UserArea written = dialog.BuildUserArea();
    EXPECT_EQ(written.prefixCode[0], FTDI::KeyNotUsed);
    EXPECT_EQ(written.suffixCode[3], FTDI::KeyNotUsed);
    EXPECT_EQ(written.bytes[9], 0xC3);
    EXPECT_EQ(written.bytes[13], 0x0C);
}

} // namespace
} // namespace vantix
