#include "dialogs/CD_Edit2Tracks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Ids.h"
#include "dialogs/CD_Edit1Track.h"
#include "dialogs/DialogIds.h"
#include "views/Tr.h"

namespace vantix {

namespace {
constexpr QChar kSentinels[2] = {u'%', u';'};
}

CD_Edit2Tracks::CD_Edit2Tracks(QWidget* parent, Prompter& prompter)
    : DeviceDialog(parent, prompter, str::kEditDeviceCaption) {
    CreateItemLists(ids::kItemLists);
    for (int track = 0; track < 2; ++track) {
        for (int position = 0; position < 8; ++position) {
            // The track 1 column has no texts: the track 2 column names the rows.
            auto* check = CreateCheck((track == 0 ? ids::kTrack1Switches : ids::kTrack2Switches)[position],
                                      track == 0 ? QString() : Tr(str::kPositionPF1 + position));
            connect(check, &QCheckBox::clicked, this, [this, track, position] { SwitchClicked(track, position); });
            switches_[track][position] = check;
            boxes_[track][position] =
                CreatePreviewBox((track == 0 ? ids::kTrack1Boxes : ids::kTrack2Boxes)[position]);
            trackGroups_[track] << check << boxes_[track][position];
        }
        trackBoxes_[track] = CreatePreviewBox(track == 0 ? ids::kTrack1Box : ids::kTrack2Box);
        sentinelSwitches_[track] = CreateCheck(track == 0 ? ids::kSentinel1Switch : ids::kSentinel2Switch,
                                               Tr(track == 0 ? str::kTrack1SentinelText : str::kTrack2SentinelText));
        connect(sentinelSwitches_[track], &QCheckBox::clicked, this, &CD_Edit2Tracks::UpdateTrackPreviews);
        trackGroups_[track] << trackBoxes_[track] << sentinelSwitches_[track];
    }

    onlyTrackRadio_ = new QRadioButton(Tr(str::kOnlyTrackText), this);
    onlyTrackRadio_->setObjectName(QString::number(ids::kOnlyTrackRadio));
    bothTracksRadio_ = new QRadioButton(Tr(str::kBothTracksText), this);
    bothTracksRadio_->setObjectName(QString::number(ids::kBothTracksRadio));
    chosenTrackList_ = new QComboBox(this);
    chosenTrackList_->setObjectName(QString::number(ids::kChosenTrackList));
    chosenTrackList_->addItems({QStringLiteral("1"), QStringLiteral("2")});
    connect(onlyTrackRadio_, &QRadioButton::clicked, this, &CD_Edit2Tracks::TrackChoiceChanged);
    connect(bothTracksRadio_, &QRadioButton::clicked, this, &CD_Edit2Tracks::TrackChoiceChanged);
    connect(chosenTrackList_, &QComboBox::currentIndexChanged, this, [this] {
        if (!Exchanging()) TrackChoiceChanged();
    });

    auto* choice = new QGridLayout;
    auto* only = new QHBoxLayout;
    only->addWidget(onlyTrackRadio_);
    only->addWidget(chosenTrackList_);
    only->addWidget(new QLabel(Tr(str::kTracksDataText), this));
    only->addStretch();
    choice->addLayout(only, 0, 0);
    choice->addWidget(bothTracksRadio_, 1, 0);
    choice->addWidget(sentinelSwitches_[0], 0, 1);
    choice->addWidget(sentinelSwitches_[1], 1, 1);

    auto* dataFormat = new QGroupBox(Tr(str::kDataFormatText), this);
    auto* dataLayout = new QVBoxLayout(dataFormat);
    dataLayout->addLayout(choice);
    auto* groups = new QHBoxLayout;
    groups->addWidget(CreateItemGroup(0));
    groups->addWidget(CreateItemGroup(1));
    dataLayout->addLayout(groups);
    dataLayout->addLayout(CreatePreviewRow(0));
    dataLayout->addLayout(CreatePreviewRow(1));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreatePropertiesGroup());
    layout->addWidget(dataFormat);
    layout->addLayout(CreateBottomRow());
    LockKeyboardOnDatabaseOff();
}

QGroupBox* CD_Edit2Tracks::CreateItemGroup(int half) {
    auto* group = new QGroupBox(Tr(half == 0 ? str::kPrefixesText : str::kSuffixesText), this);
    auto* grid = new QGridLayout(group);
    for (int track = 0; track < 2; ++track) {
        auto* caption = new QLabel(Tr(track == 0 ? str::kTk1Text : str::kTk2Text), group);
        caption->setObjectName(QString::number((track == 0 ? ids::kTk1Captions : ids::kTk2Captions)[half]));
        trackGroups_[track] << caption;
        grid->addWidget(caption, 0, track);
    }
    for (int n = 0; n < 4; ++n) {
        grid->addWidget(switches_[0][half * 4 + n], n + 1, 0);
        grid->addWidget(switches_[1][half * 4 + n], n + 1, 1);
        grid->addWidget(ItemList(half * 4 + n), n + 1, 2);
    }
    return group;
}

QLayout* CD_Edit2Tracks::CreatePreviewRow(int track) {
    auto* grid = new QGridLayout;
    auto* rowCaption = new QLabel(Tr(track == 0 ? str::kTrack1Text : str::kTrack2Text), this);
    rowCaption->setObjectName(QString::number(track == 0 ? ids::kTrack1RowCaption : ids::kTrack2RowCaption));
    trackGroups_[track] << rowCaption;
    grid->addWidget(rowCaption, 1, 0);
    const int firstCaption = track == 0 ? ids::kTrack1CaptionsFirst : ids::kTrack2CaptionsFirst;
    int column = 1;
    for (int position = 0; position < 8; ++position) {
        if (position == 4) grid->addWidget(trackBoxes_[track], 1, column++);
        auto* caption = new QLabel(Tr(str::kPositionPF1 + position), this);
        caption->setObjectName(QString::number(firstCaption + position));
        trackGroups_[track] << caption;
        grid->addWidget(caption, 0, column, Qt::AlignCenter);
        grid->addWidget(boxes_[track][position], 1, column++);
    }
    return grid;
}

bool& CD_Edit2Tracks::OnAt(int track, int position) {
    auto& prefixes = track == 0 ? track1PrefixOn : track2PrefixOn;
    auto& suffixes = track == 0 ? track1SuffixOn : track2SuffixOn;
    return position < 4 ? prefixes[position] : suffixes[position - 4];
}

bool CD_Edit2Tracks::TrackActive(int track) const { return bothTracks != 0 || chosenTrack == track; }

void CD_Edit2Tracks::FillFrom(const FTDI::UserArea& area, const QString& serial) {
    DeviceDialog::FillFrom(area, serial);
    bothTracks = area.bothTracks == 0 ? 0 : 1;
    if (bothTracks == 0) {
        chosenTrack = area.secondTrackBit == 1 ? 1 : 0;
        transmitSentinel1 = chosenTrack == 0 && area.omitSentinel == 0;
        transmitSentinel2 = chosenTrack == 1 && area.omitSentinel == 0;
    } else {
        chosenTrack = 0;
        transmitSentinel1 = area.omitSentinel == 0;
        transmitSentinel2 = area.secondTrackBit == 0;
    }
    track1PrefixOn = SwitchesFromMask(area.prefixMask, 0);
    track2PrefixOn = SwitchesFromMask(area.prefixMask, 4);
    track1SuffixOn = SwitchesFromMask(area.suffixMask, 0);
    track2SuffixOn = SwitchesFromMask(area.suffixMask, 4);
    LockKeyboardOnDatabaseOff();
}

FTDI::UserArea CD_Edit2Tracks::BuildUserArea() const {
    int omitSentinel = 0;
    int secondTrackBit = 0;
    if (bothTracks != 0) {
        omitSentinel = transmitSentinel1 ? 0 : 1;
        secondTrackBit = transmitSentinel2 ? 0 : 1;
    } else {
        omitSentinel = (chosenTrack == 0 ? transmitSentinel1 : transmitSentinel2) ? 0 : 1;
        secondTrackBit = chosenTrack;
    }
    const auto prefixMask =
        static_cast<std::uint8_t>(MaskFromSwitches(track1PrefixOn, 0) | MaskFromSwitches(track2PrefixOn, 4));
    const auto suffixMask =
        static_cast<std::uint8_t>(MaskFromSwitches(track1SuffixOn, 0) | MaskFromSwitches(track2SuffixOn, 4));
    return MakeUserArea(-1, 1, 0, bothTracks, omitSentinel, secondTrackBit, prefixMask, suffixMask,
                        FTDI::DeviceTypeTwoTracks);
}

void CD_Edit2Tracks::DoDataExchange(bool save) {
    DeviceDialog::DoDataExchange(save);
    if (save) {
        for (int track = 0; track < 2; ++track)
            for (int position = 0; position < 8; ++position)
                OnAt(track, position) = switches_[track][position]->isChecked();
        transmitSentinel1 = sentinelSwitches_[0]->isChecked();
        transmitSentinel2 = sentinelSwitches_[1]->isChecked();
        bothTracks = bothTracksRadio_->isChecked() ? 1 : 0;
        chosenTrack = chosenTrackList_->currentIndex() == 1 ? 1 : 0;
    } else {
        for (int track = 0; track < 2; ++track)
            for (int position = 0; position < 8; ++position)
                switches_[track][position]->setChecked(OnAt(track, position));
        sentinelSwitches_[0]->setChecked(transmitSentinel1);
        sentinelSwitches_[1]->setChecked(transmitSentinel2);
        (bothTracks != 0 ? bothTracksRadio_ : onlyTrackRadio_)->setChecked(true);
        chosenTrackList_->setCurrentIndex(chosenTrack);
        trackBoxes_[0]->setText(track1Preview);
        trackBoxes_[1]->setText(track2Preview);
    }
}

void CD_Edit2Tracks::OnInitDialog() {
    UpdateData(false);
    UpdateTrackPreviews();
    for (int track = 0; track < 2; ++track)
        for (int position = 0; position < 8; ++position) SwitchClicked(track, position);
    TrackChoiceChanged();
    RefreshAllPreviews();
}

void CD_Edit2Tracks::UpdateTrackPreviews() {
    UpdateData(true);
    track1Preview = TrackPreviewText(kSentinels[0], transmitSentinel1);
    track2Preview = TrackPreviewText(kSentinels[1], transmitSentinel2);
    UpdateData(false);
}

void CD_Edit2Tracks::PreviewBoth(int position) {
    UpdateData(true);
    for (int track = 0; track < 2; ++track)
        if (OnAt(track, position) && TrackActive(track)) Preview(position, boxes_[track][position]);
}

void CD_Edit2Tracks::ItemListChanged(int position) { PreviewBoth(position); }

void CD_Edit2Tracks::SwitchClicked(int track, int position) {
    UpdateData(true);
    if (OnAt(track, position))
        PreviewBoth(position);
    else
        boxes_[track][position]->setText(QStringLiteral("NU"));
    ItemList(position)->setEnabled(OnAt(0, position) || OnAt(1, position));
}

void CD_Edit2Tracks::TrackChoiceChanged() {
    UpdateData(true);
    chosenTrackList_->setEnabled(bothTracks == 0);
    for (int track = 0; track < 2; ++track)
        for (QWidget* widget : trackGroups_[track]) widget->setEnabled(TrackActive(track));
}

void CD_Edit2Tracks::RefreshAllPreviews() {
    UpdateData(true);
    for (int track = 0; track < 2; ++track)
        for (int position = 0; position < 8; ++position)
            if (OnAt(track, position)) Preview(position, boxes_[track][position]);
}

} // namespace vantix
