#include "app/MainFrameFactory.h"

namespace vantix {

// Until the real frame exists: an empty main window, so start-up runs.
std::unique_ptr<QMainWindow> CreateMainFrame(C_VantixApp&) { return std::make_unique<QMainWindow>(); }

} // namespace vantix
