#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

#include "core/Hex.h"

#include "dialogs/CD_Delay.h"
#include "dialogs/CD_Edit.h"
#include "dialogs/CD_Edit2Tracks.h"
#include "dialogs/CD_Mouse.h"
#include "dialogs/CD_UnknownDevice.h"
#include "dialogs/DeviceEditing.h"
#include "dialogs/DialogIds.h"
#include "tests/dialogs/DialogTestSupport.h"

namespace vantix {
namespace {

using test::Control;
using test::WaitForEvents;
using test::WhenModal;

class DelayDialog : public ::testing::Test {
protected:
    // True when OK closed the dialog with `text` in the box.
    bool Accepts(const QString& text) {
        CD_Delay dialog(nullptr, prompter);
        dialog.show();
        Control<QLineEdit>(&dialog, ids::kDelayBox)->setText(text);
        dialog.accept();
        return dialog.result() == QDialog::Accepted && !dialog.isVisible();
    }
    test::RecordingPrompter prompter;
};

TEST_F(DelayDialog, AcceptsOneToFiveHundredOnly) {
    EXPECT_TRUE(Accepts("1"));
    EXPECT_TRUE(Accepts("500"));
    EXPECT_TRUE(prompter.informed.isEmpty());
    for (const char* refused : {"0", "501", "-3", "abc"})
        EXPECT_FALSE(Accepts(refused)) << refused;
    ASSERT_EQ(prompter.informed.size(), 4);
    EXPECT_EQ(prompter.informed[1], "Please enter an integer between 1 and 500.");
    EXPECT_EQ(prompter.informed[3], "Please enter a positive integer.");
}

TEST_F(DelayDialog, EditDelayStoresOnlyAnAcceptedValue) {
    FTDI::OutputSettings settings;
    settings.intercharacterDelay = 25;
    WhenModal<CD_Delay>([](CD_Delay* dialog) {
        EXPECT_EQ(Control<QLineEdit>(dialog, ids::kDelayBox)->text(), "25");
        Control<QLineEdit>(dialog, ids::kDelayBox)->setText("0");
        dialog->accept(); // refused: stays open
        Control<QLineEdit>(dialog, ids::kDelayBox)->setText("40");
        dialog->accept();
    });
    EXPECT_TRUE(EditDelay(nullptr, settings, prompter));
    EXPECT_EQ(settings.intercharacterDelay, 40);
    EXPECT_EQ(prompter.informed.size(), 1);

    WhenModal<CD_Delay>([](CD_Delay* dialog) {
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

class MouseDialog : public ::testing::Test {
protected:
    MouseDialog() {
        dialog.cursorPosition = [this] { return cursor; };
        dialog.x = 1;
        dialog.y = 2;
    }
    QLabel* Live() { return Control<QLabel>(&dialog, ids::kMouseLive); }

    QPoint cursor{100, 200};
    test::RecordingPrompter prompter;
    CD_Mouse dialog{nullptr, prompter};
};

TEST_F(MouseDialog, FirstClickTakesTheCursorPositionAndCaptureRestarts) {
    dialog.show();
    EXPECT_TRUE(dialog.capturing);
    EXPECT_FALSE(dialog.CaptureButton()->isEnabled());
    EXPECT_TRUE(WaitForEvents([&] { return Live()->text() == "100, 200"; }));
    EXPECT_EQ(Control<QLineEdit>(&dialog, ids::kMouseX)->text(), "1");

    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(3, 4)); // client coordinates do not count
    EXPECT_FALSE(dialog.capturing);
    EXPECT_EQ(dialog.x, 100);
    EXPECT_EQ(dialog.y, 200);
    EXPECT_EQ(Control<QLineEdit>(&dialog, ids::kMouseY)->text(), "200");
    EXPECT_TRUE(dialog.CaptureButton()->isEnabled());

    cursor = QPoint(7, 8);
    QTest::qWait(3 * CD_Mouse::kTickMs); // three ticks that must not update the live text
    EXPECT_EQ(Live()->text(), "100, 200");

    dialog.CaptureButton()->click();
    EXPECT_TRUE(dialog.capturing);
    EXPECT_FALSE(dialog.CaptureButton()->isEnabled());
    EXPECT_TRUE(WaitForEvents([&] { return Live()->text() == "7, 8"; }));
}

TEST_F(MouseDialog, TypedCoordinatesMustBeIntegers) {
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

class EditUserAreaTest : public ::testing::Test {
protected:
    EditUserAreaTest() {
        clicks.clickBefore = 1;
        clicks.clickBeforeX = 10;
        clicks.clickBeforeY = 20;
    }
    void ExpectClicksUntouched() {
        EXPECT_EQ((std::vector<int>{clicks.clickBefore, clicks.clickBeforeX, clicks.clickBeforeY, clicks.clickAfter}),
                  (std::vector<int>{1, 10, 20, 0}));
    }

    FTDI::OutputSettings clicks;
    test::RecordingPrompter prompter;
    std::optional<FTDI::UserArea> written;
    UserAreaWriter write = [this](const FTDI::UserArea& area) { written = area; };
};

TEST_F(EditUserAreaTest, SuccessfulWriteCopiesTheClicks) {
    WhenModal<CD_Edit>([](CD_Edit* dialog) {
        EXPECT_EQ(Control<QCheckBox>(dialog, ids::kClickBeforeSwitch)->text(),
                  "Do a mouse click on coordinates 10, 20 before data sending");
        Control<QCheckBox>(dialog, ids::kClickAfterSwitch)->click();
        Control<QLineEdit>(dialog, ids::kNameBox)->setText("NEW");
        dialog->findChild<QPushButton*>("IDOK")->click();
    });
    EXPECT_TRUE(EditUserArea(nullptr, "SER1", Device(0), clicks, write, prompter));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Name(), "NEW");
    EXPECT_EQ(written->deviceType, 0);
    EXPECT_EQ((std::vector<int>{clicks.clickBefore, clicks.clickAfter}), (std::vector<int>{1, 1}));
}

TEST_F(EditUserAreaTest, CancelAfterChangeLeavesTheClickSettings) {
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
    ExpectClicksUntouched();
}

TEST_F(EditUserAreaTest, EachTypeGetsItsDialog) {
    WhenModal<CD_Edit2Tracks>([](CD_Edit2Tracks* dialog) { dialog->accept(); });
    EXPECT_TRUE(EditUserArea(nullptr, "SER3", Device(3), clicks, write, prompter));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->deviceType, 3);
    const FTDI::UserArea expected = Device(3).userArea;
    EXPECT_EQ(vantix::ToHex(written->bytes, 16), vantix::ToHex(expected.bytes, 16));
    ExpectClicksUntouched(); // only the proximity dialog edits the clicks
}

TEST_F(EditUserAreaTest, UnsupportedTypeIsRefused) {
    FTDI::DevData device = Device(0);
    device.deviceType = FTDI::DeviceTypeNotUsed;
    EXPECT_FALSE(EditUserArea(nullptr, "SER9", device, clicks, write, prompter));
    EXPECT_EQ(prompter.errors, QStringList{"This type of device is not supported by application."});
    EXPECT_FALSE(written);
}

} // namespace
} // namespace vantix
