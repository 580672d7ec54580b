#include "dialogs/CD_UnknownDevice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/Tr.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/DialogIds.h"
#include "dialogs/Prompter.h"

namespace vantix {

CD_UnknownDevice::CD_UnknownDevice(const QString& deviceText, QWidget* parent)
    : QDialog(parent), message(FormatText(ids::kUnknownDeviceText, {deviceText})) {
    setWindowTitle(Tr(ids::kUnknownCaption));
    auto* text = new QLabel(message, this);
    text->setObjectName(QString::number(ids::kUnknownMessage));
    text->setWordWrap(true);
    list_ = new QComboBox(this);
    list_->setObjectName(QString::number(ids::kUnknownList));
    for (int option = 0; option < kOptionCount; ++option) list_->addItem(Tr(ids::kFirstUnknownOption + option));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddOkCancel(*this, *buttons, false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(new QLabel(Tr(ids::kSelectOptionText), this));
    layout->addWidget(list_);
    layout->addLayout(buttons);
}

void CD_UnknownDevice::showEvent(QShowEvent* event) {
    list_->setCurrentIndex(choice);
    QDialog::showEvent(event);
    // Asked while the user may be working in another program.
    raise();
    activateWindow();
}

void CD_UnknownDevice::accept() {
    choice = list_->currentIndex();
    QDialog::accept();
}

} // namespace vantix
