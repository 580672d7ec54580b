#include "dialogs/CD_UnknownDevice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/Ids.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/DialogIds.h"
#include "dialogs/Prompter.h"
#include "views/Tr.h"

namespace vantix {

CD_UnknownDevice::CD_UnknownDevice(const QString& deviceText, QWidget* parent)
    : QDialog(parent), message(Tr(str::kUnknownDeviceText, {deviceText})) {
    setWindowTitle(Tr(str::kUnknownCaption));
    auto* text = new QLabel(message, this);
    text->setObjectName(QString::number(ids::kUnknownMessage));
    text->setWordWrap(true);
    list_ = new QComboBox(this);
    list_->setObjectName(QString::number(ids::kUnknownList));
    for (int option = 0; option < kOptionCount; ++option) list_->addItem(Tr(str::kUnknownIgnore + option));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    AddOkCancel(*this, *buttons, false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(new QLabel(Tr(str::kSelectOptionText), this));
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
