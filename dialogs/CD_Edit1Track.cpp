#include "dialogs/CD_Edit1Track.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "core/Ids.h"
#include "dialogs/DialogIds.h"
#include "views/Tr.h"

namespace vantix {

QString TrackPreviewText(QChar startSentinel, bool transmitSentinel) {
    QString text = Tr(str::kDataText);
    text.remove(startSentinel);
    return transmitSentinel ? startSentinel + text : text;
}

CD_Edit1Track::CD_Edit1Track(QWidget* parent, Prompter& prompter)
    : SingleSwitchDialog(parent, prompter, str::kEditDeviceCaption, ids::kOneTrackBoxes) {
    trackBox_ = CreatePreviewBox(ids::kTrackBox);
    sentinelSwitch_ = CreateCheck(ids::kSentinelSwitch, Tr(str::kTransmitSentinelText));
    connect(sentinelSwitch_, &QCheckBox::clicked, this, &CD_Edit1Track::UpdateTrackPreview);

    auto* dataFormat = new QGroupBox(Tr(str::kDataFormatText), this);
    auto* dataLayout = new QVBoxLayout(dataFormat);
    dataLayout->addWidget(sentinelSwitch_);
    dataLayout->addLayout(CreateItemGroups());
    dataLayout->addLayout(CreatePreviewRow(trackBox_, str::kTrackText));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreatePropertiesGroup());
    layout->addWidget(dataFormat);
    layout->addLayout(CreateBottomRow());
    LockKeyboardOnDatabaseOff();
}

void CD_Edit1Track::FillFrom(const FTDI::UserArea& area, const QString& serial) {
    SingleSwitchDialog::FillFrom(area, serial);
    deviceType_ = area.deviceType == FTDI::DeviceTypeTrack1 ? FTDI::DeviceTypeTrack1 : FTDI::DeviceTypeTrack2;
    startSentinel = deviceType_ == FTDI::DeviceTypeTrack1 ? u'%' : u';';
    transmitSentinel = area.omitSentinel == 0;
    LockKeyboardOnDatabaseOff();
}

FTDI::UserArea CD_Edit1Track::BuildUserArea() const {
    return MakeUserArea(-1, 1, 0, -1, transmitSentinel ? 0 : 1, -1, PrefixMask(), SuffixMask(), deviceType_);
}

void CD_Edit1Track::OnInitDialog() {
    UpdateData(false);
    UpdateTrackPreview();
    ApplySwitches();
    RefreshAllPreviews();
}

void CD_Edit1Track::DoDataExchange(bool save) {
    SingleSwitchDialog::DoDataExchange(save);
    if (save) {
        transmitSentinel = sentinelSwitch_->isChecked();
    } else {
        sentinelSwitch_->setChecked(transmitSentinel);
        trackBox_->setText(trackPreview);
    }
}

void CD_Edit1Track::UpdateTrackPreview() {
    UpdateData(true);
    trackPreview = TrackPreviewText(startSentinel, transmitSentinel);
    UpdateData(false);
}

} // namespace vantix
