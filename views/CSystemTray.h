#pragma once
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

namespace vantix {

// The program's icon in the notification area with its menu: Restore (the
// default item, shown bold and chosen by a double click), About... and Exit.
// Chosen items go out as commandRequested(id) for the main window to carry
// out. Qt re-adds the icon when the tray host restarts.
class CSystemTray : public QObject {
    Q_OBJECT
public:
    explicit CSystemTray(QObject* parent = nullptr);
    ~CSystemTray() override;

    // Whether some tray host shows icons now. Without one the main window
    // has to stay visible, or nobody could reach the program.
    static bool TrayHostAvailable();

    // Shows the icon with its tip. False when no tray host exists (the icon is
    // still kept and appears once a host starts).
    bool Create(const QString& tip, const QIcon& icon, bool hidden = false);
    // Marks the menu item with this command id (or at this position) as the
    // default. False when no such item exists.
    bool SetDefaultMenuItem(int item, bool byPosition);
    int DefaultCommand() const;
    void RemoveIcon();

    QMenu& Menu() { return menu_; }
    QSystemTrayIcon& Icon() { return icon_; }

signals:
    void commandRequested(int commandId);

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    QAction* ActionFor(int item, bool byPosition) const;

    QMenu menu_;
    QSystemTrayIcon icon_;
    QAction* default_ = nullptr;
};

} // namespace vantix
