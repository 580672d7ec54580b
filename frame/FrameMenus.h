#pragma once
#include <QObject>
#include <functional>
#include <map>

class QAction;
class QMainWindow;
class QMenu;

namespace vantix {

// The application's own commands, which live in the application object.
struct AppCommands {
    QAction* about = nullptr;
    QAction* language = nullptr;
    QAction* help = nullptr;
    QAction* deviceCheck = nullptr;
};

// What the enabling rules of the menus depend on.
struct MenuState {
    bool unlocked = false;
    bool deviceSelected = false;
    bool useDatabase = false;
};

// Builds the main window's menu bar (File, Edit, Options, Help) and keeps
// its items enabled by the rules of the moment. A chosen item of the frame's
// own goes out through `command` with its command id; the application's
// items run their own actions.
class FrameMenus : public QObject {
    Q_OBJECT
public:
    FrameMenus(QMainWindow& frame, const AppCommands& app, std::function<void(int)> command,
               std::function<MenuState()> state);

    // The frame's own item with this command id, or null.
    QAction* Action(int commandId) const;
    // Applies the enabling rules to the current state.
    void Update();

private:
    QAction* Add(QMenu& menu, int commandId);

    std::function<void(int)> command_;
    std::function<MenuState()> state_;
    std::map<int, QAction*> actions_;
};

} // namespace vantix
