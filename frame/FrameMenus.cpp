#include "frame/FrameMenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "core/Ids.h"
#include "views/Tr.h"

namespace vantix {

FrameMenus::FrameMenus(QMainWindow& frame, const AppCommands& app, std::function<void(int)> command,
                       std::function<MenuState()> state)
    : QObject(&frame), command_(std::move(command)), state_(std::move(state)) {
    QMenuBar* bar = frame.menuBar();
    const auto addApp = [](QMenu& menu, QAction* action) {
        if (action)
            menu.addAction(action);
    };

    QMenu* file = bar->addMenu(Tr(str::kFileMenu));
    for (int id : {cmd::kUnlock, cmd::kLock, cmd::kPassword})
        Add(*file, id);
    file->addSeparator();
    Add(*file, cmd::kImportRegistrations);
    file->addSeparator();
    Add(*file, cmd::kExit);

    QMenu* edit = bar->addMenu(Tr(str::kEditMenu));
    Add(*edit, cmd::kEditDevice);

    QMenu* options = bar->addMenu(Tr(str::kOptionsMenu));
    Add(*options, cmd::kDatabase);
    Add(*options, cmd::kDelay);
    Add(*options, cmd::kRunAtStartup);
    addApp(*options, app.deviceCheck);
    options->addSeparator();
    addApp(*options, app.language);

    QMenu* help = bar->addMenu(Tr(str::kHelpMenu));
    addApp(*help, app.help);
    help->addSeparator();
    addApp(*help, app.about);

    // The rules are applied whenever a menu opens, as the state they depend
    // on can change behind the menu's back.
    for (QMenu* menu : {file, edit, options, help})
        connect(menu, &QMenu::aboutToShow, this, &FrameMenus::Update);
    Update();
}

QAction* FrameMenus::Add(QMenu& menu, int commandId) {
    QAction* action = menu.addAction(Tr(commandId));
    action->setData(commandId);
    connect(action, &QAction::triggered, this, [this, commandId] { command_(commandId); });
    actions_[commandId] = action;
    return action;
}

QAction* FrameMenus::Action(int commandId) const {
    const auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

void FrameMenus::Update() {
    const MenuState s = state_();
    actions_.at(cmd::kUnlock)->setEnabled(!s.unlocked);
    actions_.at(cmd::kLock)->setEnabled(s.unlocked);
    actions_.at(cmd::kPassword)->setEnabled(s.unlocked);
    actions_.at(cmd::kEditDevice)->setEnabled(s.deviceSelected);
    actions_.at(cmd::kImportRegistrations)->setEnabled(s.useDatabase);
}

} // namespace vantix
