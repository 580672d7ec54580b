#pragma once
#include <QMainWindow>
#include <memory>

namespace vantix {

class C_VantixApp;

// Builds the program's main window. Start-up sizes, centres and hides it.
// Null when the frame cannot be created (start-up then fails).
std::unique_ptr<QMainWindow> CreateMainFrame(C_VantixApp& app);

} // namespace vantix
