// Puts the program's tray icon up on $DISPLAY and prints, every 100 ms, one
// line "tray <host available> <width>x<height>+<x>+<y>" about its icon, so a
// test can follow what the tray host does with it.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "views/CSystemTray.h"
#include "views/Resources.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    vantix::CSystemTray tray;
    tray.Create("Vantix", QIcon(vantix::ResourcePath(vantix::ResTrayIcon)));
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
