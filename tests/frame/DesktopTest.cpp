// The windows on a desktop as users run them: Xvfb with the openbox window
// manager and a tray host. Screenshots of the main window and the ID list
// are left in the build directory (artefacts/desktop/) for a look.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

#include "dialogs/CD_Edit.h"
#include "dialogs/CD_Mouse.h"
#include "dialogs/DialogIds.h"
#include "tests/frame/FrameTestSupport.h"
#include "tests/support/Desktop.h"
#include "views/CV_Device.h"
#include "views/CV_Log2.h"
#include "views/CV_Registrations.h"
#include "views/PaneLayout.h"

namespace vantix {
namespace {

test::Desktop* theDesktop = nullptr; // lives in main, around the QApplication

bool ShownByTheWindowManager(QWidget& window) {
    window.show();
    return QTest::qWaitFor(
        [&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 10000);
}

// What the screen shows of the window, frame and title bar included.
void Screenshot(QWidget& window, const QString& name) {
    const QString dir = QString::fromLocal8Bit(std::getenv("VANTIX_BIN_DIR")) + "/../artefacts/desktop";
    QDir().mkpath(dir);
    const QRect area = window.frameGeometry();
    const QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    EXPECT_FALSE(shot.isNull()) << name.toStdString();
    EXPECT_TRUE(shot.save(dir + "/" + name + ".png")) << name.toStdString();
}

TEST(OnADesktop, MouseCaptureTakesTheFirstClickOutsideTheDialog) {
    const test::XServer& x = theDesktop->X();
    ASSERT_TRUE(x.MovePointer(700, 500));
    test::RecordingPrompter prompter;
    CD_Mouse dialog(nullptr, prompter);
    ASSERT_TRUE(ShownByTheWindowManager(dialog));
    auto* live = test::Control<QLabel>(&dialog, ids::kMouseLive);
    ASSERT_TRUE(QTest::qWaitFor([&] { return live->text() == "700, 500"; }, 5000)) << live->text().toStdString();
    ASSERT_FALSE(dialog.frameGeometry().contains(QPoint(20, 900)));

    // No wait for the grab itself: a user clicks as soon as the dialog shows.
    ASSERT_TRUE(x.MovePointer(20, 900));
    ASSERT_TRUE(QTest::qWaitFor([&] { return live->text() == "20, 900"; }, 5000)) << live->text().toStdString();
    ASSERT_TRUE(x.ClickLeft());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.capturing; }, 5000)) << "the click went past the dialog";
    EXPECT_EQ(dialog.x, 20);
    EXPECT_EQ(dialog.y, 900);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    // Capture again: the next click is taken too.
    dialog.CaptureButton()->click();
    ASSERT_TRUE(x.MovePointer(30, 950));
    ASSERT_TRUE(QTest::qWaitFor([&] { return live->text() == "30, 950"; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QWidget::mouseGrabber() == &dialog; }, 5000));
    ASSERT_TRUE(x.ClickLeft());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.capturing; }, 5000));
    EXPECT_EQ(dialog.y, 950);
    dialog.reject();
}

// Every heading and every cell fits its column at the desktop's default font.
void ExpectNothingClipped(const ListPane& pane, const char* paneName, int columnsToCheck) {
    for (int c = 0; c < columnsToCheck; ++c) {
        const int width = pane.columnWidth(c);
        const QString heading = pane.headerItem()->text(c);
        EXPECT_LE(pane.header()->sectionSizeHint(c), width) << paneName << ": heading " << heading.toStdString();
        for (int row = 0; row < pane.RowCount(); ++row)
            EXPECT_LE(pane.sizeHintForIndex(pane.model()->index(row, c)).width(), width)
                << paneName << ": " << pane.Text(row, c).toStdString() << " under " << heading.toStdString();
    }
}

class MainWindowOnADesktop : public test::FrameFixture {};

TEST_F(MainWindowOnADesktop, PanesShowEveryHeadingAndValueWhole) {
    MakeFrame();
    sim->Plug("FT8A1B2C", "TR-614 Door", test::ReaderBytes("Office"));
    sim->Plug("FT9WMW0Z", "TR-614 Door", test::ReaderBytes("WAREHO"));
    sim->Plug("FTA00001", "TR-614 Door", test::ReaderBytes("\xFF\xFF\xFF\xFF\xFF\xFF"));
    CV_Device& devices = frame->Panes().Devices();
    ASSERT_TRUE(QTest::qWaitFor([&] { return devices.RowCount() == 3; }, 5000));
    ASSERT_TRUE(sim->PresentCard("FT9WMW0Z", "0000D8DBDDFE01"));
    CV_Registrations& registrations = frame->Panes().Registrations();
    ASSERT_TRUE(QTest::qWaitFor([&] { return registrations.RowCount() == 1; }, 5000));
    ASSERT_TRUE(ShownByTheWindowManager(*frame));

    ExpectNothingClipped(devices, "devices", devices.columnCount());
    ExpectNothingClipped(registrations, "registrations", registrations.columnCount());
    ASSERT_GT(frame->Panes().Log().RowCount(), 0);
    ExpectNothingClipped(frame->Panes().Log(), "log", 1); // messages may run past the window
    Screenshot(*frame, "main-window");
}

TEST(DeviceDialogsOnADesktop, IdAndEcListsOpenWithAFewRows) {
    test::RecordingPrompter prompter;
    CD_Edit edit(nullptr, prompter);
    ASSERT_TRUE(ShownByTheWindowManager(edit));
    const int screenHeight = edit.screen()->geometry().height();
    for (int id : {ids::kIdList, ids::kEcList}) {
        auto* list = test::Control<QComboBox>(&edit, id);
        ASSERT_EQ(list->count(), 256);
        list->showPopup();
        QWidget* popup = list->view()->window();
        ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }, 5000));
        const int rows = list->view()->viewport()->height() / list->view()->sizeHintForRow(0);
        EXPECT_GE(rows, 5);
        EXPECT_LE(rows, 20);
        EXPECT_LT(popup->height(), screenHeight / 2);
        if (id == ids::kIdList)
            Screenshot(*popup, "id-list");
        list->hidePopup();
    }
}

} // namespace
} // namespace vantix

int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<vantix::test::Desktop> desktop;
    try {
        desktop = std::make_unique<vantix::test::Desktop>(true);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "no desktop: %s\n", e.what());
        return 1;
    }
    vantix::theDesktop = desktop.get();
    setenv("DISPLAY", desktop->Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
