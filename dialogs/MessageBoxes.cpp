#include "dialogs/MessageBoxes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>

#include "core/Ids.h"
#include "views/Tr.h"

namespace vantix {

namespace {
void Show(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, Tr(str::kProgramName), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(Tr(str::kOk));
    box.exec();
}
} // namespace

void ShowStop(QWidget* parent, const QString& text) { Show(parent, QMessageBox::Critical, text); }
void ShowInformation(QWidget* parent, const QString& text) { Show(parent, QMessageBox::Information, text); }
void ShowWarning(QWidget* parent, const QString& text) { Show(parent, QMessageBox::Warning, text); }

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(Tr(str::kOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(Tr(str::kCancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace vantix
