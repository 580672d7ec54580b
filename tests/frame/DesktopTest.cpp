// The mouse capture on a desktop as users run it: Xvfb with the openbox
// window manager and a tray host.
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

#include "dialogs/CD_Mouse.h"
#include "dialogs/DialogIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/Desktop.h"

namespace vantix {
namespace {

test::Desktop* theDesktop = nullptr; // lives in main, around the QApplication

bool ShownByTheWindowManager(QWidget& window) {
    window.show();
    return QTest::qWaitFor(
        [&] { return window.windowHandle() && window.windowHandle()->isExposed(); }, 10000);
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
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "a new capture is the dialog's own (ReaderDialogsTest)";

    dialog.reject();
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
