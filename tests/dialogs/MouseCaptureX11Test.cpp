#include <QApplication>
#include <QLabel>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>

#include "dialogs/CD_Mouse.h"
#include "dialogs/DialogIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/support/XServer.h"

namespace vantix {
namespace {

// On a real X server the first click anywhere on the screen, outside the
// dialog too, ends the capture at the pointer's screen position.
TEST(MouseCaptureOnX11, ClickOutsideTheDialogIsCaptured) {
    test::XServer x("1280x1024x24");
    ASSERT_TRUE(x.MovePointer(900, 600));
    setenv("DISPLAY", x.Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int argc = 1;
    char name[] = "MouseCaptureX11Test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    test::RecordingPrompter prompter;
    CD_Mouse dialog(nullptr, prompter);
    dialog.show();
    auto* live = test::Control<QLabel>(&dialog, ids::kMouseLive);
    ASSERT_TRUE(test::WaitForEvents([&] { return QWidget::mouseGrabber() == &dialog; }));
    EXPECT_TRUE(test::WaitForEvents([&] { return live->text() == "900, 600"; })) << live->text().toStdString();
    EXPECT_FALSE(dialog.frameGeometry().contains(QPoint(10, 10)));

    ASSERT_TRUE(x.MovePointer(10, 10));
    EXPECT_TRUE(test::WaitForEvents([&] { return live->text() == "10, 10"; })) << live->text().toStdString();
    ASSERT_TRUE(x.ClickLeft());
    ASSERT_TRUE(test::WaitForEvents([&] { return !dialog.capturing; }));
    EXPECT_EQ(dialog.x, 10);
    EXPECT_EQ(dialog.y, 10);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    dialog.reject();
}

} // namespace
} // namespace vantix
