#include "dialogs/DeviceDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/Ids.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/DialogIds.h"
#include "dialogs/Prompter.h"
#include "views/Tr.h"

namespace vantix {

namespace {

constexpr int kVisibleListRows = 12; // rows an open ID or EC list shows

QString Hex2(int value) { return QStringLiteral("%1").arg(value, 2, 16, QChar(u'0')).toUpper(); }

// Codes 13..15 fit the stored nibble but name no item: they mean nothing
// when typed, so they are shown and written back as "NOT USED".
int KnownCode(int code) { return code < DeviceDialog::kItemCount ? code : DeviceDialog::kNotUsed; }

} // namespace

std::uint8_t MaskFromSwitches(const std::array<bool, 4>& on, int shift) {
    std::uint8_t mask = 0;
    for (int n = 0; n < 4; ++n)
        if (!on[n]) mask |= static_cast<std::uint8_t>(1u << (shift + n));
    return mask;
}

std::array<bool, 4> SwitchesFromMask(std::uint8_t mask, int shift) {
    std::array<bool, 4> on{};
    for (int n = 0; n < 4; ++n) on[n] = (mask & (1u << (shift + n))) == 0;
    return on;
}

qsizetype FirstDisallowedNameCharacter(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool allowed = c == u' ' || c == u'%' || (c >= 42 && c <= 58) || (c >= u'A' && c <= u'Z') ||
                             c == u'\\' || c == u'_' || (c >= u'a' && c <= u'z') || c == u'|';
        if (!allowed) return i;
    }
    return -1;
}

DeviceDialog::DeviceDialog(QWidget* parent, Prompter& prompter, int captionId)
    : QDialog(parent), prompter_(prompter) {
    setWindowTitle(Tr(captionId));
}

void DeviceDialog::FillFrom(const FTDI::UserArea& area, const QString& serial) {
    serialNumber = serial;
    name = QString::fromLatin1(area.Name());
    storedName_ = name;
    idIndex = area.id;
    ecIndex = area.ec;
    beepIndex = 7 - (area.beep & 7);
    sendToKeyboard = area.sendToKeyboard == 1;
    storeToDatabase = area.storeToDatabase == 1;
    for (int n = 0; n < 4; ++n) {
        prefixCode[n] = KnownCode(area.prefixCode[n]);
        suffixCode[n] = KnownCode(area.suffixCode[n]);
    }
}

FTDI::UserArea DeviceDialog::MakeUserArea(int mediaIdFormat, int keyboard, int database, int bothTracks,
                                          int omitSentinel, int secondTrackBit, std::uint8_t prefixMask,
                                          std::uint8_t suffixMask, int deviceType) const {
    auto code = [](int c) { return static_cast<std::uint8_t>(KnownCode(c)); };
    return FTDI::UserArea(name.left(6).toLatin1().toStdString(), static_cast<std::uint8_t>(idIndex),
                          static_cast<std::uint8_t>(ecIndex), 7 - beepIndex, mediaIdFormat, keyboard, database,
                          bothTracks, omitSentinel, secondTrackBit, code(prefixCode[0]), code(prefixCode[1]),
                          code(prefixCode[2]), code(prefixCode[3]), prefixMask, code(suffixCode[0]),
                          code(suffixCode[1]), code(suffixCode[2]), code(suffixCode[3]), suffixMask, deviceType);
}

int& DeviceDialog::CodeAt(int position) { return position < 4 ? prefixCode[position] : suffixCode[position - 4]; }

QString DeviceDialog::Token(int code) const {
    if (code >= FTDI::KeyUB1 && code <= FTDI::KeyUB6)
        return code < name.size() ? QString(name[code]) : QStringLiteral("NU");
    switch (code) {
    case FTDI::KeySpace: return QStringLiteral(" ");
    case FTDI::KeyComma: return QStringLiteral(",");
    case FTDI::KeyId: return Hex2(idIndex);
    case FTDI::KeyEc: return Hex2(ecIndex);
    case FTDI::KeyTimestamp: return QStringLiteral("TS");
    case FTDI::KeyNewLine: return QStringLiteral("NL");
    default: return QStringLiteral("NU");
    }
}

QGroupBox* DeviceDialog::CreatePropertiesGroup() {
    auto* group = new QGroupBox(Tr(str::kPropertiesText), this);
    auto* grid = new QGridLayout(group);

    serialBox_ = new QLineEdit(group);
    serialBox_->setObjectName(QString::number(ids::kSerialBox));
    serialBox_->setReadOnly(true);
    serialBox_->setEnabled(false);
    grid->addWidget(new QLabel(Tr(str::kSerialNumberText), group), 0, 0);
    grid->addWidget(serialBox_, 0, 1, 1, 3);

    grid->addWidget(new QLabel(Tr(str::kUbText), group), 1, 0);
    grid->addWidget(new QLabel(Tr(str::kUbNumbersText), group), 1, 1);

    nameBox_ = new QLineEdit(group);
    nameBox_->setObjectName(QString::number(ids::kNameBox));
    nameBox_->setMaxLength(6);
    connect(nameBox_, &QLineEdit::textChanged, this, &DeviceDialog::NameChanged);

    auto newList = [group](int id) {
        auto* list = new QComboBox(group);
        list->setObjectName(QString::number(id));
        return list;
    };
    beepList_ = newList(ids::kBeepList);
    for (int n = 1; n <= 8; ++n) beepList_->addItem(QString::number(n));
    idList_ = newList(ids::kIdList);
    ecList_ = newList(ids::kEcList);
    for (int n = 0; n <= 255; ++n) {
        idList_->addItem(QString::number(n));
        ecList_->addItem(QString::number(n));
    }
    // Styles that open a list as a full-height popup would cover the screen
    // with 256 rows; a scrolling list of a few rows keeps the dialog in view.
    for (QComboBox* list : {idList_, ecList_}) {
        list->setStyleSheet(QStringLiteral("combobox-popup: 0;"));
        list->setMaxVisibleItems(kVisibleListRows);
    }
    // The previews of ID and EC items follow these lists in every dialog.
    for (QComboBox* list : {idList_, ecList_})
        connect(list, &QComboBox::currentIndexChanged, this, [this] {
            if (Exchanging()) return;
            UpdateData(true);
            RefreshAllPreviews();
        });

    auto* row = new QHBoxLayout;
    for (auto [textId, field] : {std::pair<int, QWidget*>{str::kNameText, nameBox_}, {str::kBeepText, beepList_},
                                 {str::kIdText, idList_}, {str::kEcText, ecList_}}) {
        row->addWidget(new QLabel(Tr(textId), group));
        row->addWidget(field);
    }
    grid->addLayout(row, 2, 0, 1, 4);
    return group;
}

void DeviceDialog::CreateItemLists(const std::array<int, 8>& ids) {
    for (int position = 0; position < 8; ++position) {
        auto* list = new QComboBox(this);
        list->setObjectName(QString::number(ids[position]));
        for (int code = 0; code < kItemCount; ++code) list->addItem(Tr(str::kItemUB1 + code));
        connect(list, &QComboBox::currentIndexChanged, this, [this, position] {
            if (!Exchanging()) ItemListChanged(position);
        });
        itemLists_[position] = list;
    }
}

QLabel* DeviceDialog::CreatePreviewBox(int id) {
    auto* box = new QLabel(QStringLiteral("NU"), this);
    box->setObjectName(QString::number(id));
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAlignment(Qt::AlignCenter);
    box->setMinimumWidth(36);
    return box;
}

QCheckBox* DeviceDialog::CreateCheck(int id, const QString& text) {
    auto* check = new QCheckBox(text, this);
    check->setObjectName(QString::number(id));
    return check;
}

QHBoxLayout* DeviceDialog::CreateBottomRow(QPushButton* extra) {
    auto* row = new QHBoxLayout;
    keyboardSwitch_ = CreateCheck(ids::kKeyboardSwitch, Tr(str::kSendToKbText));
    databaseSwitch_ = CreateCheck(ids::kDatabaseSwitch, Tr(str::kStoreToDbText));
    row->addWidget(keyboardSwitch_);
    row->addWidget(databaseSwitch_);
    row->addStretch();
    if (extra) row->addWidget(extra);
    AddOkCancel(*this, *row);
    return row;
}

void DeviceDialog::LockKeyboardOnDatabaseOff() {
    sendToKeyboard = true;
    storeToDatabase = false;
    keyboardSwitch_->setEnabled(false);
    databaseSwitch_->setEnabled(false);
}

void DeviceDialog::UpdateData(bool save) {
    const bool outer = !exchanging_;
    exchanging_ = true;
    DoDataExchange(save);
    if (outer) exchanging_ = false;
}

void DeviceDialog::DoDataExchange(bool save) {
    if (save) {
        name = nameBox_->text();
        beepIndex = beepList_->currentIndex();
        idIndex = idList_->currentIndex();
        ecIndex = ecList_->currentIndex();
        sendToKeyboard = keyboardSwitch_->isChecked();
        storeToDatabase = databaseSwitch_->isChecked();
        for (int position = 0; position < 8; ++position) {
            const int index = itemLists_[position]->currentIndex();
            CodeAt(position) = index < 0 ? kNotUsed : index;
        }
    } else {
        serialBox_->setText(serialNumber);
        if (nameBox_->text() != name) nameBox_->setText(name);
        beepList_->setCurrentIndex(beepIndex);
        idList_->setCurrentIndex(idIndex);
        ecList_->setCurrentIndex(ecIndex);
        keyboardSwitch_->setChecked(sendToKeyboard);
        databaseSwitch_->setChecked(storeToDatabase);
        for (int position = 0; position < 8; ++position) itemLists_[position]->setCurrentIndex(CodeAt(position));
    }
}

void DeviceDialog::accept() {
    UpdateData(true);
    if (name != storedName_ && RemoveDisallowedCharacter()) return;
    QDialog::accept();
}

void DeviceDialog::showEvent(QShowEvent* event) {
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void DeviceDialog::Preview(int position, QLabel* box) {
    UpdateData(true);
    box->setText(Token(CodeAt(position)));
}

void DeviceDialog::NameChanged() {
    if (exchanging_) return;
    UpdateData(true);
    RefreshAllPreviews();
    // One character per change: the rewrite raises no change of its own, so
    // a second bad character of a paste goes at the next change (or at OK).
    RemoveDisallowedCharacter();
}

bool DeviceDialog::RemoveDisallowedCharacter() {
    const qsizetype bad = FirstDisallowedNameCharacter(name);
    if (bad < 0) return false;
    const QString character = name.mid(bad, 1);
    name.remove(bad, 1);
    prompter_.Plain(this, Tr(str::kCharacterNotAllowed, {character}));
    UpdateData(false);
    RefreshAllPreviews();
    return true;
}

} // namespace vantix
