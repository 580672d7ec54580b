#pragma once
#include <QString>

namespace vantix {

// Bitmaps and icons of the program, by resource id (resources/vantix.qrc).
QString ResourcePath(int id);

enum ResourceId : int {
    ResTrayIcon = 131,
    ResTrayIcon16Colours = 132,
    ResNotifierSkin = 135,
    ResLogSymbols = 140,
};

} // namespace vantix
