#include <QSignalSpy>
#include <gtest/gtest.h>

#include "core/Ids.h"
#include "views/CSystemTray.h"
#include "views/Resources.h"

using namespace vantix;

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
    EXPECT_FALSE(tray.SetDefaultMenuItem(3, true));
    ASSERT_TRUE(tray.SetDefaultMenuItem(cmd::kRestore, false));
    QAction* restore = tray.Menu().actions()[0];
    EXPECT_EQ(tray.Menu().defaultAction(), restore);
    EXPECT_TRUE(restore->font().bold());
    emit tray.Icon().activated(QSystemTrayIcon::DoubleClick);
    emit tray.Icon().activated(QSystemTrayIcon::Trigger);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands[0][0].toInt(), cmd::kRestore);

    // By position; the former default loses its bold face.
    ASSERT_TRUE(tray.SetDefaultMenuItem(1, true));
    EXPECT_EQ(tray.DefaultCommand(), cmd::kAbout);
    EXPECT_FALSE(restore->font().bold());
}

TEST(Tray, WithoutTrayHostCreateSaysSoButKeepsTheIcon) {
    // The offscreen platform has no notification area.
    ASSERT_FALSE(CSystemTray::TrayHostAvailable());
    CSystemTray tray;
    EXPECT_FALSE(tray.Create("Vantix", QIcon(ResourcePath(ResTrayIcon))));
    EXPECT_EQ(tray.Icon().toolTip(), "Vantix");
    EXPECT_FALSE(tray.Icon().icon().isNull());
}
