#pragma once
#include <QWidget>

#include "views/CRBSplitterWnd.h"

namespace vantix {

class CV_Device;
class CV_Registrations;
class CV_Log2;

// Pane heights; the frame keeps them in the settings between runs.
struct SplitSizes {
    int deviceHeight = 100;
    int registrationHeight = 200;
};

// The main window's client area: the device pane over the registration pane
// over the event log. The upper two keep their heights when the window is
// resized; the log takes the rest.
class PaneLayout : public QWidget {
    Q_OBJECT
public:
    explicit PaneLayout(const SplitSizes& sizes, QWidget* parent = nullptr);

    CV_Device& Devices() const { return *devices_; }
    CV_Registrations& Registrations() const { return *registrations_; }
    CV_Log2& Log() const { return *log_; }

    // The heights as they are now, to be written back at exit.
    SplitSizes CurrentSizes() const;

private:
    CRBSplitterWnd* outer_;
    CRBSplitterWnd* inner_;
    CV_Device* devices_;
    CV_Registrations* registrations_;
    CV_Log2* log_;
};

} // namespace vantix
