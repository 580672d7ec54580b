#include "dialogs/PasswordDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "dialogs/MessageBoxes.h"
#include "settings/PasswordLock.h"
#include "settings/Configuration.h"
#include "core/Ids.h"
#include "views/Tr.h"

namespace vantix {

namespace {

QLineEdit* MaskedField(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

std::string Utf8(const QString& text) { return text.toStdString(); }

} // namespace

CD_Password::CD_Password(QWidget* parent) : QDialog(parent), edit_(MaskedField(this)) {
    setWindowTitle(Tr(str::kPasswordTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(OkCancelButtons(this));
    edit_->setFocus();
}

QString CD_Password::Text() const { return edit_->text(); }

CD_PasswordNew::CD_PasswordNew(Configuration& config, QWidget* parent, bool askOld)
    : QDialog(parent), config_(config), askOld_(askOld), old_(MaskedField(this)), new_(MaskedField(this)), confirm_(MaskedField(this)) {
    setWindowTitle(Tr(str::kNewPassword));
    auto* form = new QFormLayout;
    form->addRow(Tr(str::kOldPassword), old_);
    form->setRowVisible(old_, askOld);
    form->addRow(Tr(str::kNewPassword), new_);
    form->addRow(Tr(str::kConfirmPassword), confirm_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(OkCancelButtons(this));
}

QString CD_PasswordNew::OldText() const { return old_->text(); }
QString CD_PasswordNew::NewText() const { return new_->text(); }
QString CD_PasswordNew::ConfirmText() const { return confirm_->text(); }

void CD_PasswordNew::accept() {
    const int message = askOld_
        ? ValidatePasswordChange(config_, Utf8(OldText()), Utf8(NewText()), Utf8(ConfirmText()))
        : ValidateNewPassword(Utf8(NewText()), Utf8(ConfirmText()));
    if (message) {
        ShowStop(this, Tr(message));
        return;
    }
    QDialog::accept();
}

bool EnsureUnlocked(Configuration& config, QWidget* parent) {
    if (IsUnlocked())
        return true;
    CD_Password prompt(parent);
    if (prompt.exec() != QDialog::Accepted)
        return false;
    const bool ok = CheckPassword(config, Utf8(prompt.Text()), true);
    if (!ok)
        ShowStop(parent, Tr(str::kBadPassword));
    return ok;
}

bool ChangePassword(Configuration& config, QWidget* parent) {
    CD_PasswordNew dialog(config, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (SetPassword(config, Utf8(dialog.NewText())))
        return true;
    ShowStop(parent, Tr(str::kPasswordNotStored, {QString::fromStdString(config.Path())}));
    return false;
}

std::optional<std::string> AskFirstPassword(Configuration& config, QWidget* parent) {
    CD_PasswordNew dialog(config, parent, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return Utf8(dialog.NewText());
}

} // namespace vantix
