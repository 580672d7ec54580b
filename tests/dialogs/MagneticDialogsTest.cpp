#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "dialogs/CD_Edit1Track.h"
#include "dialogs/CD_Edit2Tracks.h"
#include "dialogs/DialogIds.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace vantix {
namespace {

using test::BoxText;
using test::Control;

FTDI::UserArea TrackArea(int type, int omitSentinel, int storeToDatabase = 0) {
    return FTDI::UserArea("MAG", 1, 2, 6, -1, 1, storeToDatabase, -1, omitSentinel, -1, 0, 1, FTDI::KeyId,
                          FTDI::KeyComma, 0x0, FTDI::KeyNewLine, 12, 12, 12, 0x0E, type);
}

class OneTrackDialog : public ::testing::Test {
protected:
    test::RecordingPrompter prompter;
    CD_Edit1Track dialog{nullptr, prompter};
};

TEST_F(OneTrackDialog, TrackPreviewFollowsTheSentinelSwitch) {
    dialog.FillFrom(TrackArea(FTDI::DeviceTypeTrack2, 0), "S2");
    dialog.show();
    EXPECT_EQ(BoxText(&dialog, ids::kTrackBox), ";DATA");
    Control<QCheckBox>(&dialog, ids::kSentinelSwitch)->click();
    EXPECT_EQ(BoxText(&dialog, ids::kTrackBox), "DATA");
    EXPECT_EQ(dialog.BuildUserArea().omitSentinel, 1);
}

TEST_F(OneTrackDialog, TrackOneReaderShowsPercentSentinel) {
    dialog.FillFrom(TrackArea(FTDI::DeviceTypeTrack1, 1), "S1");
    dialog.show();
    EXPECT_EQ(BoxText(&dialog, ids::kTrackBox), "DATA");
    Control<QCheckBox>(&dialog, ids::kSentinelSwitch)->click();
    EXPECT_EQ(BoxText(&dialog, ids::kTrackBox), "%DATA");
    EXPECT_EQ(BoxText(&dialog, 1114), "M");
    EXPECT_EQ(BoxText(&dialog, 1094), "01");
    EXPECT_EQ(BoxText(&dialog, 1096), "NL");
    Control<QComboBox>(&dialog, ids::kIdList)->setCurrentIndex(171); // ID previews follow the list here too
    EXPECT_EQ(BoxText(&dialog, 1094), "AB");
    const FTDI::UserArea area = dialog.BuildUserArea();
    EXPECT_EQ(area.omitSentinel, 0);
    EXPECT_EQ(area.id, 171);
    EXPECT_EQ(area.deviceType, FTDI::DeviceTypeTrack1);
}

TEST_F(OneTrackDialog, AlwaysTypesAndNeverRegisters) {
    FTDI::UserArea stored = TrackArea(FTDI::DeviceTypeTrack1, 1, 1);
    stored.sendToKeyboard = 0;
    stored.Encode(FTDI::DeviceTypeTrack1);
    dialog.FillFrom(stored, "S1");
    dialog.show();
    EXPECT_TRUE(Control<QCheckBox>(&dialog, ids::kKeyboardSwitch)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kKeyboardSwitch)->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kDatabaseSwitch)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kDatabaseSwitch)->isEnabled());
    dialog.accept();
    const FTDI::UserArea area = dialog.BuildUserArea();
    EXPECT_EQ(area.sendToKeyboard, 1);
    EXPECT_EQ(area.storeToDatabase, 0);
    EXPECT_EQ(area.mediaIdFormat, -1);
}

// Both tracks, all sixteen switches on, both sentinels sent.
FTDI::UserArea TwoTrackArea(int bothTracks, int omitSentinel, int secondTrackBit, std::uint8_t prefixMask = 0,
                            std::uint8_t suffixMask = 0) {
    return FTDI::UserArea("TWO", 3, 4, 7, -1, 1, 0, bothTracks, omitSentinel, secondTrackBit, 0, 1, 2,
                          FTDI::KeySpace, prefixMask, FTDI::KeyId, FTDI::KeyEc, FTDI::KeyTimestamp,
                          FTDI::KeyNewLine, suffixMask, FTDI::DeviceTypeTwoTracks);
}

class TwoTrackDialog : public ::testing::Test {
protected:
    void Open(const FTDI::UserArea& area) {
        dialog.FillFrom(area, "S3");
        dialog.show();
    }
    bool Enabled(int id) { return dialog.findChild<QWidget*>(QString::number(id))->isEnabled(); }

    test::RecordingPrompter prompter;
    CD_Edit2Tracks dialog{nullptr, prompter};
};

TEST_F(TwoTrackDialog, OnlyTrackTwoEnablesTrackTwoControls) {
    Open(TwoTrackArea(1, 0, 0));
    Control<QRadioButton>(&dialog, ids::kOnlyTrackRadio)->click();
    Control<QComboBox>(&dialog, ids::kChosenTrackList)->setCurrentIndex(1);
    EXPECT_TRUE(Enabled(ids::kChosenTrackList));
    for (int id : ids::kTrack2Switches) EXPECT_TRUE(Enabled(id)) << id;
    for (int id : ids::kTrack1Switches) EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_TRUE(Enabled(ids::kSentinel2Switch));
    EXPECT_FALSE(Enabled(ids::kSentinel1Switch));
    EXPECT_FALSE(Enabled(ids::kTrack1Box));
    EXPECT_FALSE(Enabled(ids::kTrack1RowCaption));
    EXPECT_TRUE(Enabled(ids::kTrack2RowCaption));

    Control<QCheckBox>(&dialog, ids::kSentinel2Switch)->click(); // track 2 sentinel now dropped
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Box), "DATA");
    dialog.accept();
    const FTDI::UserArea area = dialog.BuildUserArea();
    EXPECT_EQ(area.bothTracks, 0);
    EXPECT_EQ(area.secondTrackBit, 1);
    EXPECT_EQ(area.omitSentinel, 1);
}

TEST_F(TwoTrackDialog, BothTracksEnableBothGroups) {
    Open(TwoTrackArea(0, 0, 0));
    EXPECT_TRUE(Enabled(ids::kChosenTrackList));
    EXPECT_FALSE(Enabled(ids::kTrack2Box));
    Control<QRadioButton>(&dialog, ids::kBothTracksRadio)->click();
    EXPECT_FALSE(Enabled(ids::kChosenTrackList));
    EXPECT_TRUE(Enabled(ids::kTrack1Box));
    EXPECT_TRUE(Enabled(ids::kTrack2Box));
    EXPECT_EQ(BoxText(&dialog, ids::kTrack1Box), "%DATA");
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Box), "DATA"); // the other sentinel stays off
    Control<QCheckBox>(&dialog, ids::kSentinel1Switch)->click();
    dialog.accept();
    const FTDI::UserArea area = dialog.BuildUserArea();
    EXPECT_EQ(area.bothTracks, 1);
    EXPECT_EQ(area.omitSentinel, 1);
    EXPECT_EQ(area.secondTrackBit, 1);
}

TEST_F(TwoTrackDialog, MaskBitsPerTrack) {
    Open(TwoTrackArea(1, 0, 0));
    Control<QCheckBox>(&dialog, ids::kTrack1Switches[1])->click(); // TK1 PF2 off, TK2 PF2 stays on
    EXPECT_TRUE(Enabled(ids::kItemLists[1]));
    EXPECT_EQ(BoxText(&dialog, ids::kTrack1Boxes[1]), "NU");
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Boxes[1]), "W");
    Control<QCheckBox>(&dialog, ids::kTrack1Switches[2])->click(); // both PF3 off
    Control<QCheckBox>(&dialog, ids::kTrack2Switches[2])->click();
    EXPECT_FALSE(Enabled(ids::kItemLists[2]));
    EXPECT_EQ(BoxText(&dialog, ids::kTrack1Boxes[2]), "NU");
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Boxes[2]), "NU");
    Control<QCheckBox>(&dialog, ids::kTrack2Switches[7])->click(); // TK2 SF4 off
    dialog.accept();
    const FTDI::UserArea area = dialog.BuildUserArea();
    EXPECT_EQ(area.prefixMask, 0x02 | 0x04 | 0x40);
    EXPECT_EQ(area.suffixMask, 0x80);
}

TEST_F(TwoTrackDialog, MaskNibblesFillTheTwoColumns) {
    Open(TwoTrackArea(1, 0, 0, 0x21, 0x84));
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kTrack1Switches[0])->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(&dialog, ids::kTrack2Switches[0])->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kTrack2Switches[1])->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kTrack1Switches[6])->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kTrack2Switches[7])->isChecked());
    EXPECT_EQ(BoxText(&dialog, ids::kTrack1Boxes[4]), "03"); // SF1 = ID
}

TEST_F(TwoTrackDialog, OneTrackModeTakesTheChosenTracksSentinel) {
    Open(TwoTrackArea(0, 0, 1)); // only track 2, its sentinel sent
    EXPECT_EQ(Control<QComboBox>(&dialog, ids::kChosenTrackList)->currentIndex(), 1);
    EXPECT_TRUE(Control<QCheckBox>(&dialog, ids::kSentinel2Switch)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, ids::kSentinel1Switch)->isChecked());
    EXPECT_EQ(BoxText(&dialog, ids::kTrack2Box), ";DATA");
}

} // namespace
} // namespace vantix
