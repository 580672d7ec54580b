// Puts the program's tray icon up on $DISPLAY and prints, every 100 ms, one
// line "tray <host available> <width>x<height>+<x>+<y>" about its icon, and
// "cmd <id>" for every command the tray asks for, so a test can follow what
// the tray host does with it. Any line on stdin ends it.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "core/Ids.h"
#include "views/CSystemTray.h"
#include "views/Resources.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    vantix::CSystemTray tray;
    tray.Create("Vantix", QIcon(vantix::ResourcePath(vantix::ResTrayIcon)));
    tray.SetDefaultMenuItem(vantix::cmd::kRestore, false);
    QObject::connect(&tray, &vantix::CSystemTray::commandRequested, [](int id) {
        std::printf("cmd %d\n", id);
        std::fflush(stdout);
    });
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, [&] {
        const QRect g = tray.Icon().geometry();
        std::printf("tray %d %dx%d+%d+%d\n", vantix::CSystemTray::TrayHostAvailable() ? 1 : 0, g.width(), g.height(),
                    g.x(), g.y());
        std::fflush(stdout);
    });
    report.start(100);
    return app.exec();
}
