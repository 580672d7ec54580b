#pragma once
#include "dialogs/Prompter.h"
#include "dialogs/SingleSwitchDialog.h"

namespace vantix {

// The track preview: "DATA" behind the start sentinel while it is sent.
QString TrackPreviewText(QChar startSentinel, bool transmitSentinel);

// The one-track magnetic reader dialog (track 1 or track 2 readers). These
// readers always type and never register, so the keyboard and database
// switches are shown fixed.
class CD_Edit1Track : public SingleSwitchDialog {
    Q_OBJECT
public:
    explicit CD_Edit1Track(QWidget* parent, Prompter& prompter = DefaultPrompter());

    QChar startSentinel = u'%'; // '%' for track 1 readers, ';' for track 2
    bool transmitSentinel = false;
    QString trackPreview;

    void FillFrom(const FTDI::UserArea& area, const QString& serial) override;
    FTDI::UserArea BuildUserArea() const override;

protected:
    void OnInitDialog() override;
    void DoDataExchange(bool save) override;

private:
    void UpdateTrackPreview();

    int deviceType_ = FTDI::DeviceTypeTrack1;
    QCheckBox* sentinelSwitch_ = nullptr;
    QLabel* trackBox_ = nullptr;
};

} // namespace vantix
