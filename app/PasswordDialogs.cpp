#include "app/PasswordDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/MessageBoxes.h"
#include "app/PasswordLock.h"
#include "app/Profile.h"
#include "app/Tr.h"

namespace vantix {

namespace {

constexpr int kStrPasswordTitle = 1005;
constexpr int kStrNewPassword = 1006;
constexpr int kStrOldPassword = 1007;
constexpr int kStrConfirmPassword = 1008;
constexpr int kStrPasswordNotStored = 1015;

QLineEdit* MaskedField(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

std::string Utf8(const QString& text) { return text.toStdString(); }

} // namespace

CD_Password::CD_Password(QWidget* parent) : QDialog(parent), edit_(MaskedField(this)) {
    setWindowTitle(Tr(kStrPasswordTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(OkCancelButtons(this));
    edit_->setFocus();
}

QString CD_Password::Text() const { return edit_->text(); }

CD_PasswordNew::CD_PasswordNew(QWidget* parent)
    : QDialog(parent), old_(MaskedField(this)), new_(MaskedField(this)), confirm_(MaskedField(this)) {
    setWindowTitle(Tr(kStrNewPassword));
    auto* form = new QFormLayout;
    form->addRow(Tr(kStrOldPassword), old_);
    form->addRow(Tr(kStrNewPassword), new_);
    form->addRow(Tr(kStrConfirmPassword), confirm_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(OkCancelButtons(this));
}

QString CD_PasswordNew::OldText() const { return old_->text(); }
QString CD_PasswordNew::NewText() const { return new_->text(); }
QString CD_PasswordNew::ConfirmText() const { return confirm_->text(); }

void CD_PasswordNew::accept() {
    if (const int message = ValidatePasswordChange(Utf8(OldText()), Utf8(NewText()), Utf8(ConfirmText()))) {
        ShowStop(this, Tr(message));
        return;
    }
    QDialog::accept();
}

bool EnsureUnlocked(QWidget* parent) {
    if (IsUnlocked())
        return true;
    CD_Password prompt(parent);
    if (prompt.exec() != QDialog::Accepted)
        return false;
    const bool ok = CheckPassword(Utf8(prompt.Text()), true);
    if (!ok)
        ShowStop(parent, Tr(kStrBadPassword));
    return ok;
}

bool ChangePassword(QWidget* parent) {
    CD_PasswordNew dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (SetPassword(Utf8(dialog.NewText())))
        return true;
    ShowStop(parent, Tr(kStrPasswordNotStored).replace("%s", QString::fromStdString(Profile::App().Path())));
    return false;
}

} // namespace vantix
