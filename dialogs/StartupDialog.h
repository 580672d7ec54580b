#pragma once
#include <QDialog>

#include "platform/desktop/Autostart.h"

class QButtonGroup;

namespace vantix {

// "Run at Windows Startup": all users, the current user or never. Opens on
// the state the autostart entries show; OK moves or removes them and tells
// the user about any step that failed.
class CD_Startup : public QDialog {
    Q_OBJECT
public:
    CD_Startup(AutostartFolders folders, std::string executable, QWidget* parent = nullptr);
    int Choice() const;
    void SetChoice(int choice);

    void accept() override;

private:
    AutostartFolders folders_;
    std::string executable_;
    QButtonGroup* group_;
};

// The "Run at Windows Startup..." command: the dialog for this program's
// executable and the session's autostart folders.
void RunStartupCommand(QWidget* parent);

} // namespace vantix
