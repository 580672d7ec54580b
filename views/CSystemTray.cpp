#include "views/CSystemTray.h"

#include "core/Ids.h"
#include "views/Resources.h"
#include "views/Tr.h"

namespace vantix {

CSystemTray::CSystemTray(QObject* parent) : QObject(parent) {
    const struct {
        int command;
        int text;
    } items[] = {{cmd::kRestore, cmd::kRestore}, {cmd::kAbout, str::kTrayAbout}, {cmd::kExit, str::kTrayExit}};
    for (const auto& [id, text] : items) {
        QAction* action = menu_.addAction(Tr(text), this, [this, id = id] { emit commandRequested(id); });
        action->setData(id);
    }
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this, &CSystemTray::OnActivated);
}

CSystemTray::~CSystemTray() { RemoveIcon(); }

bool CSystemTray::TrayHostAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool CSystemTray::Create(const QString& tip, const QIcon& icon, bool hidden) {
    icon_.setIcon(icon);
    icon_.setToolTip(tip);
    icon_.setVisible(!hidden);
    return TrayHostAvailable();
}

QAction* CSystemTray::ActionFor(int item, bool byPosition) const {
    const QList<QAction*> actions = menu_.actions();
    if (byPosition)
        return item >= 0 && item < actions.size() ? actions[item] : nullptr;
    for (QAction* action : actions)
        if (action->data().toInt() == item)
            return action;
    return nullptr;
}

bool CSystemTray::SetDefaultMenuItem(int item, bool byPosition) {
    QAction* action = ActionFor(item, byPosition);
    if (!action)
        return false;
    if (default_) {
        QFont plain = default_->font();
        plain.setBold(false);
        default_->setFont(plain);
    }
    QFont bold = action->font();
    bold.setBold(true);
    action->setFont(bold);
    menu_.setDefaultAction(action);
    default_ = action;
    return true;
}

int CSystemTray::DefaultCommand() const { return default_ ? default_->data().toInt() : 0; }

void CSystemTray::RemoveIcon() { icon_.hide(); }

void CSystemTray::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick && default_)
        emit commandRequested(DefaultCommand());
}

} // namespace vantix
