// The tray icon without a tray host (TrayHostTest has one) and its popup.
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "core/Ids.h"
#include "tests/support/QtWait.h"
#include "views/CSystemTray.h"
#include "views/CTaskbarNotifier.h"
#include "views/Resources.h"

using namespace vantix;
using State = CTaskbarNotifier::State;
using Edge = CTaskbarNotifier::Edge;

namespace {

const QRect kScreen(0, 0, 1024, 768);
const ScreenAreas kBottomTaskbar{QRect(0, 0, 1024, 738), kScreen};
const ScreenAreas kLeftTaskbar{QRect(60, 0, 964, 768), kScreen};
const ScreenAreas kRightTaskbar{QRect(0, 0, 964, 768), kScreen};
const ScreenAreas kTopTaskbar{QRect(0, 30, 1024, 738), kScreen};

// With the main window's skin, which gives its size.
class NotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(notifier.SetSkin(ResNotifierSkin, 255, 0, 255));
    }
    void UseAreas(const ScreenAreas& areas) {
        notifier.SetScreenAreasSource([areas] { return areas; });
    }
    bool WaitFor(State state, int ms = 3000) {
        return test::WaitForEvents([&] { return notifier.AnimationState() == state; }, ms);
    }
    CTaskbarNotifier notifier;
};

} // namespace

TEST(NotifierEdge, FoundFromWorkAreaAgainstScreen) {
    EXPECT_EQ(CTaskbarNotifier::TaskbarEdge(kBottomTaskbar), Edge::Bottom);
    EXPECT_EQ(CTaskbarNotifier::TaskbarEdge(kLeftTaskbar), Edge::Left);
    EXPECT_EQ(CTaskbarNotifier::TaskbarEdge(kRightTaskbar), Edge::Right);
    EXPECT_EQ(CTaskbarNotifier::TaskbarEdge(kTopTaskbar), Edge::Top);
    EXPECT_EQ(CTaskbarNotifier::TaskbarEdge({kScreen, kScreen}), Edge::Bottom);
    // A second screen right of the first one.
    const QRect second(1024, 0, 1280, 1024);
    EXPECT_EQ(CTaskbarNotifier::TaskbarEdge({QRect(1024, 0, 1280, 994), second}), Edge::Bottom);
    EXPECT_EQ(CTaskbarNotifier::TaskbarEdge({QRect(1084, 0, 1220, 1024), second}), Edge::Left);
}

TEST_F(NotifierTest, RisesAboveABottomTaskbarWaitsAndSinks) {
    UseAreas(kBottomTaskbar);
    notifier.Show("Device FT1 (DOOR) connected.", 100, 300, 100);
    EXPECT_EQ(notifier.CurrentEdge(), Edge::Bottom);
    EXPECT_EQ(notifier.StartPosition(), QPoint(1024 - 164, 738));
    EXPECT_TRUE(notifier.isVisible());
    ASSERT_TRUE(WaitFor(State::Waiting));
    EXPECT_EQ(notifier.CurrentPosition(), QPoint(1024 - 164, 738 - 64));
    EXPECT_EQ(notifier.pos(), notifier.CurrentPosition());
    ASSERT_TRUE(WaitFor(State::Disappearing));
    ASSERT_TRUE(WaitFor(State::Idle));
    EXPECT_FALSE(notifier.isVisible());
    EXPECT_EQ(notifier.CurrentPosition(), notifier.StartPosition());
}

TEST_F(NotifierTest, LeftRightAndTopTaskbarsEndFullyShownInTheCorner) {
    const struct {
        ScreenAreas areas;
        QPoint start, end;
    } cases[] = {{kLeftTaskbar, {60 - 164, 768 - 64}, {60, 768 - 64}},
                 {kRightTaskbar, {964, 768 - 64}, {964 - 164, 768 - 64}},
                 {kTopTaskbar, {1024 - 164, 30 - 64}, {1024 - 164, 30}}};
    for (const auto& c : cases) {
        UseAreas(c.areas);
        notifier.Show("edge", 100, 60000, 100);
        EXPECT_EQ(notifier.StartPosition(), c.start);
        ASSERT_TRUE(WaitFor(State::Waiting));
        EXPECT_EQ(notifier.CurrentPosition(), c.end);
        notifier.Hide();
        EXPECT_EQ(notifier.AnimationState(), State::Idle);
        EXPECT_FALSE(notifier.isVisible());
    }
}

TEST_F(NotifierTest, ShowWhileAppearingReplacesTheTextWithoutRestartingTheSlide) {
    UseAreas(kBottomTaskbar);
    notifier.Show("first", 600, 60000, 100);
    ASSERT_TRUE(test::WaitForEvents([&] { return notifier.CurrentPosition().y() <= 738 - 20; }, 3000));
    const int y = notifier.CurrentPosition().y();
    notifier.Show("second", 600, 60000, 100);
    EXPECT_EQ(notifier.Text(), "second");
    EXPECT_LE(notifier.CurrentPosition().y(), y);
    ASSERT_TRUE(WaitFor(State::Waiting));
}

TEST_F(NotifierTest, ShowWhileWaitingReplacesTheTextAndWaitsAgain) {
    UseAreas(kBottomTaskbar);
    notifier.Show("first", 100, 1000, 100);
    ASSERT_TRUE(WaitFor(State::Waiting));
    QTest::qWait(600); // the pauses are the timing under test: part of the stay has passed
    notifier.Show("second", 100, 1000, 100);
    EXPECT_EQ(notifier.Text(), "second");
    EXPECT_EQ(notifier.AnimationState(), State::Waiting);
    // The first stay ended 400 ms after this Show; the second lasts 1000 ms.
    QTest::qWait(700); // past the first stay's end
    EXPECT_EQ(notifier.AnimationState(), State::Waiting);
    EXPECT_EQ(notifier.CurrentPosition(), QPoint(1024 - 164, 738 - 64));
    ASSERT_TRUE(WaitFor(State::Idle));
}

TEST_F(NotifierTest, ShowWhileDisappearingBringsItBackAtOnce) {
    UseAreas(kBottomTaskbar);
    notifier.Show("first", 100, 50, 800);
    ASSERT_TRUE(WaitFor(State::Disappearing));
    ASSERT_TRUE(test::WaitForEvents([&] { return notifier.CurrentPosition().y() > 738 - 60; }, 3000));
    notifier.Show("again", 100, 600, 100);
    EXPECT_EQ(notifier.Text(), "again");
    EXPECT_EQ(notifier.CurrentPosition(), QPoint(1024 - 164, 738 - 64));
    EXPECT_EQ(notifier.pos(), notifier.CurrentPosition());
    // Still counted as leaving until the new stay is over, then it slides out.
    EXPECT_EQ(notifier.AnimationState(), State::Disappearing);
    QTest::qWait(250); // within the new stay: it must not have moved
    EXPECT_EQ(notifier.CurrentPosition(), QPoint(1024 - 164, 738 - 64));
    ASSERT_TRUE(WaitFor(State::Idle, 5000));
}

TEST_F(NotifierTest, MissingSkinFailsAndStillSlidesSafely) {
    CTaskbarNotifier bare;
    EXPECT_FALSE(bare.SetSkin(9999, 255, 0, 255));
    bare.SetScreenAreasSource([] { return kBottomTaskbar; });
    bare.Show("no skin", 100, 10, 100);
    EXPECT_TRUE(test::WaitForEvents([&] { return bare.AnimationState() == State::Idle; }, 3000));
}

TEST(Tray, MenuItemsAndTheBoldDefaultItemChosenByDoubleClickGiveTheirCommands) {
    CSystemTray tray;
    QSignalSpy commands(&tray, &CSystemTray::commandRequested);
    emit tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(commands.count(), 0) << "no default item yet";
    for (QAction* action : tray.Menu().actions())
        action->trigger();
    ASSERT_EQ(commands.count(), 3);
    EXPECT_EQ(commands[0][0].toInt(), cmd::kRestore);
    EXPECT_EQ(commands[1][0].toInt(), cmd::kAbout);
    EXPECT_EQ(commands[2][0].toInt(), cmd::kExit);
    commands.clear();

    EXPECT_FALSE(tray.SetDefaultMenuItem(12345, false));
    ASSERT_TRUE(tray.SetDefaultMenuItem(cmd::kRestore, false));
    QAction* restore = tray.Menu().actions()[0];
    EXPECT_EQ(tray.Menu().defaultAction(), restore);
    EXPECT_TRUE(restore->font().bold());
    emit tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    emit tray.Icon().activated(QSystemTrayIcon::Trigger);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands[0][0].toInt(), cmd::kRestore);
}

TEST(Tray, WithoutTrayHostCreateSaysSoButKeepsTheIcon) {
    // The offscreen platform has no notification area.
    ASSERT_FALSE(CSystemTray::TrayHostAvailable());
    CSystemTray tray;
    EXPECT_FALSE(tray.Create("Vantix", QIcon(ResourcePath(ResTrayIcon))));
    EXPECT_FALSE(tray.Icon().icon().isNull());
}
