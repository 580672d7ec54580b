#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <future>

#include "dialogs/CD_Delay.h"
#include "dialogs/CD_Mouse.h"
#include "dialogs/CD_UnknownDevice.h"
#include "dialogs/DeviceEditing.h"
#include "dialogs/DialogIds.h"
#include "dialogs/UnknownDeviceQuestion.h"
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

TEST(UnknownDeviceDialog, ShowsTheDeviceAndYieldsTheChosenType) {
    WhenModal<CD_UnknownDevice>([](CD_UnknownDevice* dialog) {
        EXPECT_EQ(Control<QLabel>(dialog, ids::kUnknownMessage)->text(),
                  "The type of device A1 (XYZ)  is not recognized.");
        EXPECT_EQ(Control<QComboBox>(dialog, ids::kUnknownList)->count(), 5);
        EXPECT_EQ(Control<QComboBox>(dialog, ids::kUnknownList)->currentIndex(), 0);
        Control<QComboBox>(dialog, ids::kUnknownList)->setCurrentIndex(3);
        dialog->findChild<QPushButton*>("IDOK")->click();
    });
    EXPECT_EQ(AskUnknownDevice(nullptr, "A1 (XYZ)"), FTDI::DeviceTypeTrack2);
}

TEST(UnknownDeviceDialog, EscapeCloseAndFirstOptionGiveNotUsed) {
    WhenModal<CD_UnknownDevice>([](CD_UnknownDevice* dialog) {
        Control<QComboBox>(dialog, ids::kUnknownList)->setCurrentIndex(1);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(AskUnknownDevice(nullptr, "A1 (XYZ)"), -1);
    WhenModal<CD_UnknownDevice>([](CD_UnknownDevice* dialog) { dialog->close(); });
    EXPECT_EQ(AskUnknownDevice(nullptr, "A1 (XYZ)"), -1);
    WhenModal<CD_UnknownDevice>([](CD_UnknownDevice* dialog) { dialog->accept(); });
    EXPECT_EQ(AskUnknownDevice(nullptr, "A1 (XYZ)"), -1);
}

// The question's dialog runs in a nested event loop of the waiting
// WaitForEvents, so the tests answer it from there.
TEST(UnknownDeviceQuestionTest, AnotherThreadWaitsForTheUsersAnswer) {
    UnknownDeviceQuestion question;
    std::future<int> answer;
    WhenModal<CD_UnknownDevice>([&](CD_UnknownDevice* dialog) {
        EXPECT_EQ(question.OpenDialog(), dialog);
        EXPECT_EQ(dialog->message, "The type of device B2 (TR-999)  is not recognized.");
        EXPECT_EQ(answer.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
        Control<QComboBox>(dialog, ids::kUnknownList)->setCurrentIndex(1);
        dialog->accept();
    });
    answer = std::async(std::launch::async, [&] { return question.Ask("B2 (TR-999)"); });
    ASSERT_TRUE(WaitForEvents([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(answer.get(), FTDI::DeviceTypeProximity);
    EXPECT_EQ(question.OpenDialog(), nullptr);
}

TEST(UnknownDeviceQuestionTest, ShutdownReleasesAWaitingThreadAndClosesTheDialog) {
    UnknownDeviceQuestion question;
    WhenModal<CD_UnknownDevice>([&](CD_UnknownDevice* dialog) {
        Control<QComboBox>(dialog, ids::kUnknownList)->setCurrentIndex(2);
        question.Shutdown(); // the program exits while the question is open
    });
    auto answer = std::async(std::launch::async, [&] { return question.Ask("C3 (X)"); });
    ASSERT_TRUE(WaitForEvents([&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(answer.get(), -1);
    EXPECT_TRUE(WaitForEvents([&] { return question.OpenDialog() == nullptr; }));
    // Later questions get no dialog at all.
    EXPECT_EQ(std::async(std::launch::async, [&] { return question.Ask("D4 (Y)"); }).get(), -1);
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

} // namespace
} // namespace vantix
