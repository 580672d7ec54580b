#include "dialogs/CD_Delay.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "core/Ids.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/DialogIds.h"
#include "views/Tr.h"

namespace vantix {

CD_Delay::CD_Delay(QWidget* parent, Prompter& prompter) : QDialog(parent), prompter_(prompter) {
    setWindowTitle(Tr(str::kDelayCaption));
    auto* help = new QLabel(Tr(str::kDelayHelpText), this);
    help->setWordWrap(true);
    box_ = new QLineEdit(this);
    box_->setObjectName(QString::number(ids::kDelayBox));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(Tr(str::kDelayText), this));
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
        prompter_.Inform(this, Tr(str::kPositiveIntegerMessage));
    } else if (value < kMin || value > kMax) {
        prompter_.Inform(this, Tr(str::kRangeMessage, {QString::number(kMin), QString::number(kMax)}));
    } else {
        delay = value;
        QDialog::accept();
        return;
    }
    box_->setFocus();
    box_->selectAll();
}

} // namespace vantix
