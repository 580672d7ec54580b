#include <iostream>
#include <memory>

#include "platform/desktop/FileLocations.h"
#include "platform/input/DesktopKeyboard.h"
#include "platform/system/Console.h"
#include "tools/Commands.h"
#include "tools/WatchSession.h"

namespace vantixctl {

int RunWatch(const Args& args, const CommonOptions& options) {
    bool type = false;
    std::string regFileDir;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--type") {
            type = true;
        } else if (args[i] == "--regfile") {
            // Without a directory: where the program files its registrations.
            if (i + 1 < args.size() && args[i + 1].rfind("-", 0) != 0) {
                regFileDir = args[++i];
            } else {
                const auto files = vantix::FileLocations::ForRunningProgram();
                if (const auto created = files.CreateDirectories(); !created) {
                    std::cerr << "vantixctl: watch --regfile: " << created.error() << "\n";
                    return ExitRefused;
                }
                regFileDir = files.dataDirectory;
            }
        } else {
            std::cerr << "vantixctl: watch: unexpected argument " << args[i]
                      << "\nusage: vantixctl [--backend NAME] watch [--type] [--regfile [DIR]]\n";
            return ExitUsage;
        }
    }

    // Before any thread starts (the simulator and the libftdi backend start
    // their own), so that only the wait below sees Ctrl-C and SIGTERM.
    vantix::StopRequests stopRequests;

    vantix::Result<std::unique_ptr<FTDI::D2xx>> created = FTDI::CreateD2xx(options.backend);
    if (!created) {
        std::cerr << "vantixctl: " << created.error() << "\n";
        return ExitRefused;
    }
    std::unique_ptr<FTDI::D2xx> d2xx = std::move(created).value();
    std::unique_ptr<FTDI::KeyboardOutput> desktop;
    if (type) {
        auto keyboard = FTDI::CreateDesktopKeyboardOutput();
        if (!keyboard) {
            std::cerr << "vantixctl: watch --type: " << keyboard.error() << "\n";
            return ExitRefused;
        }
        desktop = std::move(keyboard).value();
        if (FTDI::DesktopKeyboardReachesOnlyXWayland())
            std::cerr << "vantixctl: watch --type: a Wayland session: lines are typed only into X11 (XWayland) "
                         "windows\n";
    }

    std::unique_ptr<vantix::C_RegFile> regFile;
    if (!regFileDir.empty()) {
        regFile = std::make_unique<vantix::C_RegFile>(regFileDir);
        if (!regFile->IsOpen()) {
            std::cerr << "vantixctl: watch --regfile: " << regFile->LastError() << "\n";
            return ExitRefused;
        }
    }

    FTDI::OutputSettings settings;
    JsonLinePrinter printer(std::cout);
    TypedLineReporter keyboard(printer, desktop.get());
    {
        WatchConsumer consumer(*d2xx, settings, keyboard, printer, regFile.get());
        consumer.Start();
        stopRequests.Wait();
        consumer.Stop();
    }
    return ExitOk;
}

} // namespace vantixctl
