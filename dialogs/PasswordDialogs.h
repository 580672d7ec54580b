#pragma once
#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace vantix {

class Configuration;

// Asks for the password (title "Password", one masked field).
class CD_Password : public QDialog {
    Q_OBJECT
public:
    explicit CD_Password(QWidget* parent = nullptr);
    QString Text() const;
    QLineEdit* Field() const { return edit_; }

private:
    QLineEdit* edit_;
};

// Changing the password: old, new and confirmation. OK closes only when
// the old password is right and the new one is given twice the same;
// otherwise a message says which is wrong and the dialog stays open.
// Without askOld (the first password of new settings) there is no old one.
// The old one is checked against `config`, which must outlive the dialog.
class CD_PasswordNew : public QDialog {
    Q_OBJECT
public:
    explicit CD_PasswordNew(Configuration& config, QWidget* parent = nullptr, bool askOld = true);
    QString OldText() const;
    QString NewText() const;
    QString ConfirmText() const;
    QLineEdit* OldField() const { return old_; }
    QLineEdit* NewField() const { return new_; }
    QLineEdit* ConfirmField() const { return confirm_; }

    void accept() override;

private:
    Configuration& config_;
    bool askOld_;
    QLineEdit* old_;
    QLineEdit* new_;
    QLineEdit* confirm_;
};

// The gate in front of protected commands: true at once while unlocked,
// else asks for the password; a wrong one shows "Bad password". True when
// the interface is unlocked afterwards.
bool EnsureUnlocked(Configuration& config, QWidget* parent);

// The change-password command: runs CD_PasswordNew and stores the new
// password; tells the user when it cannot be stored. True when changed.
bool ChangePassword(Configuration& config, QWidget* parent);

// The first password of new settings, through CD_PasswordNew without the
// old one; nullopt when cancelled. Nothing is stored.
std::optional<std::string> AskFirstPassword(Configuration& config, QWidget* parent);

} // namespace vantix
