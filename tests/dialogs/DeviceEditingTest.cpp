#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

#include "core/Hex.h"
#include "dialogs/CD_Edit.h"
#include "dialogs/CD_Edit2Tracks.h"
#include "dialogs/CD_Mouse.h"
#include "dialogs/DeviceEditing.h"
#include "dialogs/DialogIds.h"
#include "ftdi/Exception.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/AreaBytes.h"

namespace vantix {
namespace {

using test::Control;
using test::WhenModal;

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
        EXPECT_EQ(clicks.clickBefore, 1);
        EXPECT_EQ(clicks.clickBeforeX, 10);
        EXPECT_EQ(clicks.clickBeforeY, 20);
        EXPECT_EQ(clicks.clickAfter, 0);
    }

    FTDI::OutputSettings clicks;
    test::RecordingPrompter prompter;
    std::optional<FTDI::UserArea> written;
    UserAreaWriter write = [this](const FTDI::UserArea& area) { written = area; };
};

TEST_F(EditUserAreaTest, SuccessfulWriteCopiesTheClicks) {
    WhenModal<CD_Edit>([](CD_Edit* dialog) {
        EXPECT_EQ(Control<QLineEdit>(dialog, ids::kSerialBox)->text(), "SER1");
        EXPECT_EQ(Control<QCheckBox>(dialog, ids::kClickBeforeSwitch)->text(),
                  "Do a mouse click on coordinates 10, 20 before data sending");
        Control<QCheckBox>(dialog, ids::kClickAfterSwitch)->click();
        Control<QLineEdit>(dialog, ids::kNameBox)->setText("NEW");
        dialog->findChild<QPushButton*>("IDOK")->click();
    });
    EXPECT_TRUE(EditUserArea(nullptr, "SER1", Device(0), clicks, write, prompter));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Name(), "NEW");
    EXPECT_EQ(written->bytes[3], 'N');
    EXPECT_EQ(written->deviceType, 0);
    EXPECT_EQ(clicks.clickAfter, 1);
    EXPECT_EQ(clicks.clickBefore, 1);
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

// The edit against a simulated reader: what OK builds is what its EEPROM holds.
class SimulatedReaderEdit : public EditUserAreaTest {
protected:
    SimulatedReaderEdit() {
        sim.Plug("SIM1", "TR-614 reader", test::AreaBytes(Device(0).userArea));
        EXPECT_EQ(sim.FT_Open(0, &handle), FTDI::FT_OK);
        FTDI::UserArea area;
        FTDI::DWORD read = 0;
        EXPECT_EQ(sim.FT_EE_UARead(handle, area.bytes, 16, &read), FTDI::FT_OK);
        area.Decode(FTDI::DetectDeviceType("TR-614 reader"));
        device = FTDI::DevData(handle, area, "TR-614 reader");
        toReader = [this](const FTDI::UserArea& updated) {
            FTDI::UserArea copy = updated;
            if (sim.FT_EE_UAWrite(handle, copy.bytes, 16) != FTDI::FT_OK)
                throw FTDI::Exception("Unable to write user area to device SIM1.");
        };
    }
    ~SimulatedReaderEdit() override { sim.FT_Close(handle); }

    static void PressDefaultThenOk() {
        WhenModal<CD_Edit>([](CD_Edit* dialog) {
            Control<QPushButton>(dialog, ids::kDefaultButton)->click();
            dialog->accept();
        });
    }

    FTDI::SimulatedD2xx sim;
    FTDI::FT_HANDLE handle = nullptr;
    FTDI::DevData device;
    UserAreaWriter toReader;
};

TEST_F(SimulatedReaderEdit, DefaultThenOkReachesTheEeprom) {
    PressDefaultThenOk();
    EXPECT_TRUE(EditUserArea(nullptr, "SIM1", device, clicks, toReader, prompter));
    FTDI::UserArea stored;
    const auto bytes = *sim.UserAreaOf("SIM1");
    std::copy(bytes.begin(), bytes.end(), stored.bytes);
    EXPECT_EQ(vantix::ToHex(stored.bytes, 16), "6E010152445220202000000FB0000EFF");
    stored.Decode(0);
    EXPECT_EQ(stored.beep, 6);
    EXPECT_EQ(stored.mediaIdFormat, 3);
    EXPECT_EQ(clicks.clickBefore, 0); // the defaults switch both clicks off
}

TEST_F(SimulatedReaderEdit, FailedWriteLeavesTheEepromAndTheClicks) {
    const auto before = *sim.UserAreaOf("SIM1");
    sim.FailNext("FT_EE_UAWrite");
    PressDefaultThenOk();
    EXPECT_FALSE(EditUserArea(nullptr, "SIM1", device, clicks, toReader, prompter));
    EXPECT_EQ(prompter.errors, QStringList{"Unable to write user area to device SIM1."});
    EXPECT_EQ(*sim.UserAreaOf("SIM1"), before);
    ExpectClicksUntouched();
}

} // namespace
} // namespace vantix
