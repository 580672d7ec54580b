#pragma once
#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

#include "ftdi/UserArea.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantix {

class Prompter;

// What every reader configuration dialog shares: the "Properties" group (serial
// number, name with its character check, beep, ID, EC), the 13-item
// prefix/suffix lists with their preview tokens, the keyboard and database
// switches and OK/Cancel. The values live in plain fields that UpdateData
// exchanges with the controls; the caller fills them before the run and
// reads them after OK.
class DeviceDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kItemCount = 13;
    static constexpr int kNotUsed = FTDI::KeyNotUsed;

    QString serialNumber;
    QString name; // the user bytes UB1..UB6
    int idIndex = 0;
    int ecIndex = 0;
    int beepIndex = 0; // 0..7 for "1".."8" beeps
    bool sendToKeyboard = false;
    bool storeToDatabase = false;
    std::array<int, 4> prefixCode{};
    std::array<int, 4> suffixCode{};

    // Fills the fields from a reader's record; call before the run.
    virtual void FillFrom(const FTDI::UserArea& area, const QString& serial);
    // The record the dialog's values stand for, encoded for the device.
    virtual FTDI::UserArea BuildUserArea() const = 0;

    // Reads the controls into the fields (true) or writes the fields into the
    // controls (false). Writing raises no change handling of its own.
    void UpdateData(bool save);

    // OK reads every control into the fields, then closes. An edited name
    // that still holds a refused character (the rest of a paste) loses it
    // first, with the usual message, and the dialog stays open.
    void accept() override;

    // The preview token of an item code for the current name, ID and EC.
    QString Token(int code) const;

protected:
    DeviceDialog(QWidget* parent, Prompter& prompter, int captionId);

    // Position 0..3 is PF1..PF4, 4..7 is SF1..SF4.
    int& CodeAt(int position);
    QComboBox* ItemList(int position) const { return itemLists_[position]; }

    QGroupBox* CreatePropertiesGroup();
    void CreateItemLists(const std::array<int, 8>& ids);
    QLabel* CreatePreviewBox(int id);
    QCheckBox* CreateCheck(int id, const QString& text);
    // "Send to KB buffer", "Store to database", the extra buttons, OK, Cancel.
    QHBoxLayout* CreateBottomRow(QPushButton* extra = nullptr);
    // The magnetic readers always type and never register.
    void LockKeyboardOnDatabaseOff();

    virtual void DoDataExchange(bool save);
    bool Exchanging() const { return exchanging_; }

    // Runs once, when the dialog is first shown (the fields are filled by then).
    virtual void OnInitDialog() = 0;
    void showEvent(QShowEvent* event) override;

    // Reads the controls, then shows the token of list `position` in `box`.
    void Preview(int position, QLabel* box);
    virtual void RefreshAllPreviews() = 0;
    virtual void ItemListChanged(int position) = 0;

    // Builds a record from the shared fields and those of the dialog's own type.
    FTDI::UserArea MakeUserArea(int mediaIdFormat, int keyboard, int database, int bothTracks,
                                int omitSentinel, int secondTrackBit, std::uint8_t prefixMask,
                                std::uint8_t suffixMask, int deviceType) const;

    Prompter& prompter_;

private:
    void NameChanged();
    // Removes the first refused character of `name` with string 157; false when none.
    bool RemoveDisallowedCharacter();

    QLineEdit* serialBox_ = nullptr;
    QLineEdit* nameBox_ = nullptr;
    QComboBox* beepList_ = nullptr;
    QComboBox* idList_ = nullptr;
    QComboBox* ecList_ = nullptr;
    QCheckBox* keyboardSwitch_ = nullptr;
    QCheckBox* databaseSwitch_ = nullptr;
    std::array<QComboBox*, 8> itemLists_{};
    bool exchanging_ = false;
    bool initialised_ = false;
    QString storedName_; // as the reader holds it: not checked unless edited

};

// Mask bits from per-position switches: bit (shift + n) set when position n is off.
std::uint8_t MaskFromSwitches(const std::array<bool, 4>& on, int shift);
// The switches of one nibble of a mask.
std::array<bool, 4> SwitchesFromMask(std::uint8_t mask, int shift);

// The index of the first character a reader name may not hold, or -1.
qsizetype FirstDisallowedNameCharacter(const QString& name);

} // namespace vantix
