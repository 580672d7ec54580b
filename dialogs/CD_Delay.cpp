#include "dialogs/CD_Delay.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/Tr.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/DialogIds.h"

namespace vantix {

CD_Delay::CD_Delay(QWidget* parent, Prompter& prompter) : QDialog(parent), prompter_(prompter) {
    setWindowTitle(Tr(ids::kDelayCaption));
    auto* help = new QLabel(Tr(ids::kDelayHelpText), this);
    help->setWordWrap(true);
    box_ = new QLineEdit(this);
    box_->setObjectName(QString::number(ids::kDelayBox));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Tr(ids::kDelayText), this));
    row->addWidget(box_);
    AddOkCancel(*this, *row);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addLayout(row);
    WriteControls();
}

void CD_Delay::WriteControls() { box_->setText(QString::number(delay)); }

void CD_Delay::accept() {
    bool number = false;
    const uint value = box_->text().trimmed().toUInt(&number);
    if (!number) {
        prompter_.Inform(this, Tr(ids::kPositiveIntegerMessage));
    } else if (value < kMin || value > kMax) {
        prompter_.Inform(this, FormatText(ids::kRangeMessage, {QString::number(kMin), QString::number(kMax)}));
    } else {
        delay = value;
        QDialog::accept();
        return;
    }
    box_->setFocus();
    box_->selectAll();
}

} // namespace vantix
