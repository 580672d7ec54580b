#include "dialogs/CD_Progress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Ids.h"
#include "views/Tr.h"

namespace vantix {

// The window has no parent on purpose: a disabled parent would disable it
// too, and Cancel must stay usable while the owner is disabled.
CD_Progress::CD_Progress(int captionId)
    : status_(new QLabel(this)), bar_(new QProgressBar(this)) {
    setWindowTitle(Tr(captionId == 0 ? str::kProgressCaption : captionId));
    bar_->setRange(kLower, kUpper);
    bar_->setValue(kLower);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* cancel = buttons->addButton(Tr(str::kProgressCancel), QDialogButtonBox::RejectRole);
    cancel->setObjectName("cancel");
    connect(buttons, &QDialogButtonBox::rejected, this, &CD_Progress::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

CD_Progress::~CD_Progress() { Destroy(); }

bool CD_Progress::Create(QWidget* owner) {
    owner_ = owner ? owner : QApplication::activeWindow();
    if (owner_ && owner_->isEnabled()) {
        owner_->setEnabled(false);
        ownerDisabled_ = true;
    }
    if (owner_) {
        adjustSize();
        move(owner_->window()->geometry().center() - rect().center());
    }
    show();
    return true;
}

void CD_Progress::SetStatus(const QString& text) { status_->setText(text); }

void CD_Progress::HideProgressBar() { bar_->hide(); }

bool CD_Progress::PollCancel() {
    QApplication::processEvents();
    return std::exchange(cancelled_, false);
}

void CD_Progress::Destroy() {
    if (ownerDisabled_ && owner_) owner_->setEnabled(true);
    ownerDisabled_ = false;
    hide();
}

void CD_Progress::closeEvent(QCloseEvent* event) {
    cancelled_ = true;
    event->ignore(); // the owner of the operation closes the window
}

} // namespace vantix
