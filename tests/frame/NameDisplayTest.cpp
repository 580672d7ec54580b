// A reader's name bytes read the same in the device pane, the popup and the
// configuration dialog: blank EEPROM bytes (0xFF) and 8-bit letters alike.
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "dialogs/CD_Edit.h"
#include "dialogs/DialogIds.h"
#include "tests/frame/FrameTestSupport.h"
#include "views/CTaskbarNotifier.h"
#include "views/CV_Device.h"
#include "views/PaneLayout.h"

namespace vantix {
namespace {

class NameDisplay : public test::FrameFixture {};

TEST_F(NameDisplay, PanePopupAndDialogShowTheSameLatin1Text) {
    MakeFrame();
    ASSERT_TRUE(CheckPassword(config, test::kPassword, true));
    CV_Device& devices = frame->Panes().Devices();
    // Readers of the first search come without a popup; the ones below come later.
    sim->Plug("FT00", "TR-614 Door", test::ReaderBytes("FIRST"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return devices.RowCount() == 1; }, 5000));
    const struct {
        std::string serial, bytes;
        QString shown;
    } readers[] = {{"FT01", "\xFF\xFF\xFF\xFF\xFF\xFF", QString(6, QChar(0xFF))},
                   {"FT02", "Jos\xE9\xA7", QStringLiteral("Jos\u00E9\u00A7")}};
    for (const auto& r : readers) {
        sim->Plug(r.serial, "TR-614 Door", test::ReaderBytes(r.bytes));
        const QString popup = "Device " + QString::fromStdString(r.serial) + " (" + r.shown + ") connected.";
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame->Notifier().Text() == popup; }, 5000))
            << frame->Notifier().Text().toStdString();
        const int row = devices.FindRow(r.serial);
        ASSERT_GE(row, 0);
        EXPECT_EQ(devices.Text(row, CV_Device::ColName), r.shown);

        devices.clearSelection();
        devices.topLevelItem(row)->setSelected(true);
        QString inDialog;
        test::WhenModal<CD_Edit>([&inDialog](CD_Edit* dialog) {
            inDialog = test::Control<QLineEdit>(dialog, ids::kNameBox)->text();
            dialog->reject();
        });
        frame->EditDevice();
        EXPECT_EQ(inDialog, r.shown);
    }
}

} // namespace
} // namespace vantix
