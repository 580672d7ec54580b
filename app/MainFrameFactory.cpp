#include "app/MainFrameFactory.h"

#include "app/C_VantixApp.h"
#include "dialogs/MessageBoxes.h"
#include "core/Ids.h"
#include "dialogs/Prompter.h"
#include "frame/C_VantixFrame.h"
#include "platform/d2xx/D2xx.h"
#include "platform/input/DesktopKeyboard.h"
#include "views/Tr.h"

namespace vantix {

std::unique_ptr<QMainWindow> CreateMainFrame(C_VantixApp& app) {
    FrameOptions options;
    vantix::Result<std::unique_ptr<FTDI::D2xx>> d2xx = FTDI::CreateD2xx(app.Backend());
    if (!d2xx) {
        ShowStop(nullptr, Tr(str::kNoBackend, {QString::fromStdString(d2xx.error())}));
        return nullptr;
    }
    options.d2xx = std::move(d2xx).value();
    if (auto keyboard = FTDI::CreateDesktopKeyboardOutput())
        options.keyboard = std::move(keyboard).value();
    else
        options.keyboardProblem = keyboard.error();
    options.waylandSession = FTDI::DesktopKeyboardReachesOnlyXWayland();
    options.programDirectory = app.Files().dataDirectory;
    options.app = {app.AboutAction(), app.LanguageAction(), app.HelpAction(), app.DevCheckAction()};
    return std::make_unique<C_VantixFrame>(app.Config(), std::move(options));
}

} // namespace vantix
