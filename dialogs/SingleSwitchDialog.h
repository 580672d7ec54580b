#pragma once
#include "dialogs/DeviceDialog.h"

class QGridLayout;
class QLayout;

namespace vantix {

// A reader dialog with one switch per prefix and suffix position (the
// proximity and the one-track dialogs): a switched-off position previews
// "NU", its list is enabled exactly while its switch is on, and its bit of
// the mask (bit n-1) is set.
class SingleSwitchDialog : public DeviceDialog {
    Q_OBJECT
public:
    std::array<bool, 4> prefixOn{};
    std::array<bool, 4> suffixOn{};

    void FillFrom(const FTDI::UserArea& area, const QString& serial) override;

protected:
    SingleSwitchDialog(QWidget* parent, Prompter& prompter, int captionId, const std::array<int, 8>& boxIds);

    // The "Prefixes" and "Suffixes" groups side by side.
    QLayout* CreateItemGroups();
    // Captions PF1..PF4, the middle caption, SF1..SF4 over their boxes.
    QGridLayout* CreatePreviewRow(QLabel* middleBox, int middleCaptionId);

    void DoDataExchange(bool save) override;
    // Every position: its preview or "NU", its list enabled with its switch.
    void ApplySwitches();
    void RefreshAllPreviews() override;
    void ItemListChanged(int position) override;

    std::uint8_t PrefixMask() const { return MaskFromSwitches(prefixOn, 0); }
    std::uint8_t SuffixMask() const { return MaskFromSwitches(suffixOn, 0); }

private:
    bool& OnAt(int position) { return position < 4 ? prefixOn[position] : suffixOn[position - 4]; }
    void SwitchClicked(int position);

    std::array<QCheckBox*, 8> switches_{};
    std::array<QLabel*, 8> boxes_{};
};

} // namespace vantix
