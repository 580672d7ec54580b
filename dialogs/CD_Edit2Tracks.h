#pragma once
#include <QList>

#include "dialogs/DeviceDialog.h"
#include "dialogs/Prompter.h"

class QRadioButton;

namespace vantix {

// The two-track magnetic reader dialog: both tracks or only a chosen one,
// each track with its own start-sentinel switch and its own switch per
// prefix/suffix position over one shared list per position. Track 1 uses the
// low nibble of each mask, track 2 the high nibble.
class CD_Edit2Tracks : public DeviceDialog {
    Q_OBJECT
public:
    explicit CD_Edit2Tracks(QWidget* parent, Prompter& prompter = DefaultPrompter());

    std::array<bool, 4> track1PrefixOn{};
    std::array<bool, 4> track1SuffixOn{};
    std::array<bool, 4> track2PrefixOn{};
    std::array<bool, 4> track2SuffixOn{};
    bool transmitSentinel1 = false;
    bool transmitSentinel2 = false;
    int chosenTrack = 0; // 0: track 1, 1: track 2
    int bothTracks = 1;  // 0: only the chosen track, 1: both
    QString track1Preview;
    QString track2Preview;

    void FillFrom(const FTDI::UserArea& area, const QString& serial) override;
    FTDI::UserArea BuildUserArea() const override;

protected:
    void OnInitDialog() override;
    void DoDataExchange(bool save) override;
    void RefreshAllPreviews() override;
    void ItemListChanged(int position) override;

private:
    QGroupBox* CreateItemGroup(int half);
    QLayout* CreatePreviewRow(int track);
    bool& OnAt(int track, int position);
    bool TrackActive(int track) const;
    void PreviewBoth(int position);
    void SwitchClicked(int track, int position);
    void TrackChoiceChanged();
    void UpdateTrackPreviews();

    std::array<std::array<QCheckBox*, 8>, 2> switches_{};
    std::array<std::array<QLabel*, 8>, 2> boxes_{};
    std::array<QLabel*, 2> trackBoxes_{};
    std::array<QCheckBox*, 2> sentinelSwitches_{};
    std::array<QList<QWidget*>, 2> trackGroups_;
    QRadioButton* onlyTrackRadio_ = nullptr;
    QRadioButton* bothTracksRadio_ = nullptr;
    QComboBox* chosenTrackList_ = nullptr;
};

} // namespace vantix
