#include "app/MessageBoxes.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>

#include "app/Tr.h"

namespace vantix {

namespace {
constexpr int kStrProgramName = 1002;

void Show(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, Tr(kStrProgramName), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(Tr(1003));
    box.exec();
}
} // namespace

void ShowStop(QWidget* parent, const QString& text) { Show(parent, QMessageBox::Critical, text); }
void ShowInformation(QWidget* parent, const QString& text) { Show(parent, QMessageBox::Information, text); }
void ShowWarning(QWidget* parent, const QString& text) { Show(parent, QMessageBox::Warning, text); }

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(Tr(1003));
    buttons->button(QDialogButtonBox::Cancel)->setText(Tr(1004));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace vantix
