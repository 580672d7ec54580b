#include <QApplication>
#include <cstring>
#include <iostream>
#ifdef _WIN32
#include <QSessionManager>
#else
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "app/C_VantixApp.h"

namespace {

void Usage(std::ostream& out) {
    out << "usage: vantix [--backend d2xx|libftdi|sim] [FILE.vtx]\n"
           "  --backend NAME  how readers are reached (default: the vendor library when\n"
           "                  it can be loaded, else libftdi1)\n"
           "  --help          this text\n";
}

bool g_endedBySignal = false; // the session is ending: nobody is there to answer a message

#ifdef _WIN32
// The end of the Windows session ends the event loop, so the settings are
// written as on a normal exit.
void QuitOnTermination(QApplication& app) {
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [](QSessionManager&) {
        g_endedBySignal = true;
        QCoreApplication::exit(0); // also ends a modal dialog's loop
    });
}
#else
int g_signalPipe[2] = {-1, -1}; // written by the signal handler only

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM (logout, shutdown) and SIGINT end the event loop, so the settings
// are written as on a normal exit.
void QuitOnTermination(QApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &byte, 1);
        g_endedBySignal = true;
        QCoreApplication::exit(0); // also ends a modal dialog's loop
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
#endif

} // namespace

int main(int argc, char* argv[]) {
    vantix::StartOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            Usage(std::cout);
            return 0;
        } else if (arg == "--backend" && i + 1 < argc) {
            options.backend = argv[++i];
        } else if (arg.rfind("--backend=", 0) == 0) {
            options.backend = arg.substr(10);
        } else if (arg.rfind("-", 0) == 0 && arg.rfind("-platform", 0) != 0 && arg.rfind("-display", 0) != 0) {
            std::cerr << "vantix: unknown option " << arg << "\n";
            Usage(std::cerr);
            return 2;
        }
        // Any other word is a document opened from the desktop: it only
        // starts the program.
    }

    QApplication qapp(argc, argv);
    // The program lives hidden; closing a dialog must not end it. The frame
    // quits explicitly on Exit.
    QApplication::setQuitOnLastWindowClosed(false);
    QuitOnTermination(qapp);

    vantix::C_VantixApp app(options);
    const auto start = app.InitInstance();
    int status = 0;
    if (start == vantix::C_VantixApp::StartResult::Started)
        status = qapp.exec();
    else if (start == vantix::C_VantixApp::StartResult::Failed)
        status = 1;
    app.ExitInstance(!g_endedBySignal);
    return status;
}
