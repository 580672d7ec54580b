// The tray icon without a tray host (TrayHostTest has one) and its popup.
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "core/Ids.h"
#include "tests/support/QtWait.h"
#include "views/CSystemTray.h"
#include "views/CTaskbarNotifier.h"
#include "views/Resources.h"

using namespace vantix;
using State = CTaskbarNotifier::State;

// Beside a taskbar on any edge of either screen, the popup comes out fully
// inside the work area, a new message brings it back while it leaves, and it
// goes away after its stay.
TEST(Notifier, ComesOutFullyShownBesideTheTaskbarAndGoesAway) {
    CTaskbarNotifier notifier;
    ASSERT_TRUE(notifier.SetSkin(ResNotifierSkin, 255, 0, 255));
    const auto waitFor = [&](State state) {
        return test::WaitForEvents([&] { return notifier.AnimationState() == state; }, 5000);
    };
    const auto fullyShown = [&](const QRect& work) {
        return notifier.isVisible() && notifier.pos() == notifier.CurrentPosition() &&
               work.contains(QRect(notifier.CurrentPosition(), notifier.SkinSize()));
    };
    const QRect screen(0, 0, 1024, 768), second(1024, 0, 1280, 1024);
    const struct {
        ScreenAreas areas;
        CTaskbarNotifier::Edge edge;
    } taskbars[] = {{{QRect(0, 0, 1024, 738), screen}, CTaskbarNotifier::Edge::Bottom},
                    {{QRect(60, 0, 964, 768), screen}, CTaskbarNotifier::Edge::Left},
                    {{QRect(0, 0, 964, 768), screen}, CTaskbarNotifier::Edge::Right},
                    {{QRect(0, 30, 1024, 738), screen}, CTaskbarNotifier::Edge::Top},
                    {{screen, screen}, CTaskbarNotifier::Edge::Bottom},
                    {{QRect(1084, 0, 1220, 1024), second}, CTaskbarNotifier::Edge::Left}};
    for (const auto& t : taskbars) {
        notifier.SetScreenAreasSource([t] { return t.areas; });
        EXPECT_EQ(CTaskbarNotifier::TaskbarEdge(t.areas), t.edge);
        notifier.Show("edge", 50, 60000, 50);
        ASSERT_TRUE(waitFor(State::Waiting));
        EXPECT_TRUE(fullyShown(t.areas.work)) << t.areas.work.x() << "," << t.areas.work.y();
        notifier.Hide();
        EXPECT_FALSE(notifier.isVisible());
    }
    notifier.SetScreenAreasSource([&] { return taskbars[0].areas; });
    notifier.Show("first", 50, 50, 1000);
    ASSERT_TRUE(waitFor(State::Disappearing));
    notifier.Show("again", 50, 200, 50);
    EXPECT_EQ(notifier.Text(), "again");
    EXPECT_TRUE(fullyShown(taskbars[0].areas.work)) << "back at once";
    ASSERT_TRUE(waitFor(State::Idle));
    EXPECT_FALSE(notifier.isVisible());
}

TEST(Tray, MenuItemsAndTheDefaultItemChosenByDoubleClickGiveTheirCommands) {
    CSystemTray tray;
    QSignalSpy commands(&tray, &CSystemTray::commandRequested);
    emit tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(commands.count(), 0) << "no default item yet";
    for (QAction* action : tray.Menu().actions())
        action->trigger();
    ASSERT_EQ(commands.count(), 3);
    for (int id : {cmd::kRestore, cmd::kAbout, cmd::kExit})
        EXPECT_EQ(commands.takeFirst()[0].toInt(), id);

    ASSERT_TRUE(tray.SetDefaultMenuItem(cmd::kRestore, false));
    EXPECT_EQ(tray.Menu().defaultAction(), tray.Menu().actions()[0]);
    emit tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    emit tray.Icon().activated(QSystemTrayIcon::Trigger);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands[0][0].toInt(), cmd::kRestore);

    // The offscreen platform has no notification area: Create says so but
    // keeps the icon for a host that comes later.
    ASSERT_FALSE(CSystemTray::TrayHostAvailable());
    EXPECT_FALSE(tray.Create("Vantix", QIcon(ResourcePath(ResTrayIcon))));
    EXPECT_FALSE(tray.Icon().icon().isNull());
}
