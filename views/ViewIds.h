#pragma once
#include <QString>

namespace vantix {

// Command ids of the panes' and the tray's menus; they double as the string
// ids of the menu texts, except where the tray words a command differently
// from the main menu.
enum ViewCommand : int {
    CmdRestore = 32771,
    CmdEditDevice = 32780,
    CmdBuzz = 32781,
    CmdAbout = 57664,
    CmdExit = 57665,
};

// Own string ids.
enum ViewString : int {
    StrDeviceMenu = 4000,
    StrNoTrayHost = 4001,
    StrTrayAbout = 4002,
    StrTrayExit = 4003,
};

// Bitmaps and icons of the program, by resource id (resources/vantix.qrc).
QString ResourcePath(int id);

enum ResourceId : int {
    ResTrayIcon = 131,
    ResTrayIcon16Colours = 132,
    ResNotifierSkin = 135,
    ResLogSymbols = 140,
};

} // namespace vantix
