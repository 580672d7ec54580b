#pragma once
#include "dialogs/Prompter.h"
#include "dialogs/SingleSwitchDialog.h"
#include "ftdi/OutputSettings.h"

class QButtonGroup;
class QPushButton;

namespace vantix {

// The proximity reader dialog: name, beep, ID, EC, the media-ID format with
// its example, the prefixes and suffixes with their previews, the keyboard
// and database switches and the two program-wide mouse clicks.
class CD_Edit : public SingleSwitchDialog {
    Q_OBJECT
public:
    explicit CD_Edit(QWidget* parent, Prompter& prompter = DefaultPrompter());

    int mediaIdFormat = 3; // 0..3: 8, 12, 14, 16 digits
    bool clickBefore = false;
    bool clickAfter = false;
    int clickBeforeX = 0;
    int clickBeforeY = 0;
    int clickAfterX = 0;
    int clickAfterY = 0;
    QString exampleMediaId;

    void FillFrom(const FTDI::UserArea& area, const QString& serial) override;
    FTDI::UserArea BuildUserArea() const override;
    // The six program-wide click values, in and (after a successful write) out.
    void LoadClicks(const FTDI::OutputSettings& settings);
    void StoreClicks(FTDI::OutputSettings& settings) const;

    // The sent digits of the example for a format ("0249541F" for 0).
    static QString MediaIdPreview(int format);

protected:
    void OnInitDialog() override;
    void DoDataExchange(bool save) override;

private:
    QGroupBox* CreateMediaIdGroup();
    QGroupBox* CreateMouseGroup();
    void FormatClicked(int format);
    void ClickSwitchClicked();
    void EnableChangeButtons();
    void SetClickCaptions();
    void ChangeClicked(bool before);
    void DefaultClicked();

    QButtonGroup* formatGroup_ = nullptr;
    std::array<QLabel*, 4> sentParts_{};
    QLabel* mediaIdBox_ = nullptr;
    QCheckBox* clickBeforeSwitch_ = nullptr;
    QCheckBox* clickAfterSwitch_ = nullptr;
    QPushButton* changeBefore_ = nullptr;
    QPushButton* changeAfter_ = nullptr;
};

} // namespace vantix
