#include "dialogs/SingleSwitchDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include "core/Ids.h"
#include "dialogs/DialogIds.h"
#include "views/Tr.h"

namespace vantix {

SingleSwitchDialog::SingleSwitchDialog(QWidget* parent, Prompter& prompter, int captionId,
                                       const std::array<int, 8>& boxIds)
    : DeviceDialog(parent, prompter, captionId) {
    CreateItemLists(ids::kItemLists);
    for (int position = 0; position < 8; ++position) {
        switches_[position] = CreateCheck(ids::kItemSwitches[position], Tr(str::kPositionPF1 + position));
        connect(switches_[position], &QCheckBox::clicked, this, [this, position] { SwitchClicked(position); });
        boxes_[position] = CreatePreviewBox(boxIds[position]);
    }
}

void SingleSwitchDialog::FillFrom(const FTDI::UserArea& area, const QString& serial) {
    DeviceDialog::FillFrom(area, serial);
    prefixOn = SwitchesFromMask(area.prefixMask, 0);
    suffixOn = SwitchesFromMask(area.suffixMask, 0);
}

QLayout* SingleSwitchDialog::CreateItemGroups() {
    auto* row = new QHBoxLayout;
    for (int half = 0; half < 2; ++half) {
        auto* group = new QGroupBox(Tr(half == 0 ? str::kPrefixesText : str::kSuffixesText), this);
        auto* grid = new QGridLayout(group);
        for (int n = 0; n < 4; ++n) {
            grid->addWidget(switches_[half * 4 + n], n, 0);
            grid->addWidget(ItemList(half * 4 + n), n, 1);
        }
        row->addWidget(group);
    }
    return row;
}

QGridLayout* SingleSwitchDialog::CreatePreviewRow(QLabel* middleBox, int middleCaptionId) {
    auto* grid = new QGridLayout;
    int column = 0;
    for (int position = 0; position < 8; ++position) {
        if (position == 4) {
            grid->addWidget(new QLabel(Tr(middleCaptionId), this), 0, column, Qt::AlignCenter);
            grid->addWidget(middleBox, 1, column++);
        }
        grid->addWidget(new QLabel(Tr(str::kPositionPF1 + position), this), 0, column, Qt::AlignCenter);
        grid->addWidget(boxes_[position], 1, column++);
    }
    return grid;
}

void SingleSwitchDialog::DoDataExchange(bool save) {
    DeviceDialog::DoDataExchange(save);
    for (int position = 0; position < 8; ++position) {
        if (save)
            OnAt(position) = switches_[position]->isChecked();
        else
            switches_[position]->setChecked(OnAt(position));
    }
}

void SingleSwitchDialog::SwitchClicked(int position) {
    UpdateData(true);
    if (OnAt(position))
        Preview(position, boxes_[position]);
    else
        boxes_[position]->setText(QStringLiteral("NU"));
    ItemList(position)->setEnabled(OnAt(position));
}

void SingleSwitchDialog::ApplySwitches() {
    for (int position = 0; position < 8; ++position) SwitchClicked(position);
}

void SingleSwitchDialog::RefreshAllPreviews() {
    UpdateData(true);
    for (int position = 0; position < 8; ++position)
        if (OnAt(position)) Preview(position, boxes_[position]);
}

void SingleSwitchDialog::ItemListChanged(int position) { Preview(position, boxes_[position]); }

} // namespace vantix
