#include "dialogs/CD_Edit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Ids.h"
#include "dialogs/CD_Mouse.h"
#include "dialogs/DialogIds.h"
#include "views/Tr.h"

namespace vantix {

namespace {

constexpr char kExample[] = "F400000249541F01";

// Digits of the example that each format sends: first index and count, the
// same cut the keyboard output makes. The 14-digit format sends the serial
// number and the family code (digits 3..16), so that is what it previews.
struct SentPart {
    int first;
    int count;
};
constexpr SentPart kSentParts[4] = {{6, 8}, {2, 12}, {2, 14}, {0, 16}};
constexpr const char* kFormatTexts[4] = {"8", "12", "14", "16"};

} // namespace

QString CD_Edit::MediaIdPreview(int format) {
    const SentPart part = kSentParts[format & 3];
    return QString::fromLatin1(kExample).mid(part.first, part.count);
}

CD_Edit::CD_Edit(QWidget* parent, Prompter& prompter)
    : SingleSwitchDialog(parent, prompter, str::kDeviceCaption, ids::kProximityBoxes) {
    mediaIdBox_ = CreatePreviewBox(ids::kMediaIdBox);
    mediaIdBox_->setMinimumWidth(mediaIdBox_->fontMetrics().horizontalAdvance(QString::fromLatin1(kExample)) + 12);

    auto* dataFormat = new QGroupBox(Tr(str::kDataFormatText), this);
    auto* dataLayout = new QVBoxLayout(dataFormat);
    auto* groups = new QHBoxLayout;
    groups->addWidget(CreateMediaIdGroup());
    groups->addLayout(CreateItemGroups());
    dataLayout->addLayout(groups);
    dataLayout->addLayout(CreatePreviewRow(mediaIdBox_, str::kMediaIdText));

    auto* defaultButton = new QPushButton(Tr(str::kDefaultText), this);
    defaultButton->setObjectName(QString::number(ids::kDefaultButton));
    connect(defaultButton, &QPushButton::clicked, this, &CD_Edit::DefaultClicked);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CreatePropertiesGroup());
    layout->addWidget(dataFormat);
    layout->addWidget(CreateMouseGroup());
    layout->addLayout(CreateBottomRow(defaultButton));
}

QGroupBox* CD_Edit::CreateMediaIdGroup() {
    auto* group = new QGroupBox(Tr(str::kMediaIdExampleText), this);
    auto* grid = new QGridLayout(group);
    formatGroup_ = new QButtonGroup(this);
    const QString example = QString::fromLatin1(kExample);
    for (int format = 0; format < 4; ++format) {
        auto* radio = new QRadioButton(QString::fromLatin1(kFormatTexts[format]), group);
        radio->setObjectName(QString::number(ids::kFirstFormatRadio + format));
        formatGroup_->addButton(radio, format);
        connect(radio, &QRadioButton::clicked, this, [this, format] { FormatClicked(format); });
        const SentPart part = kSentParts[format];
        sentParts_[format] = new QLabel(example.mid(part.first, part.count), group);
        sentParts_[format]->setObjectName(QString::number(ids::kFirstSentPart + format));
        QFont bold = sentParts_[format]->font();
        bold.setWeight(QFont::Bold);
        sentParts_[format]->setFont(bold);
        auto* before = new QLabel(example.left(part.first), group);
        auto* after = new QLabel(example.mid(part.first + part.count), group);
        auto* digits = new QHBoxLayout;
        digits->setSpacing(0);
        digits->addWidget(before);
        digits->addWidget(sentParts_[format]);
        digits->addWidget(after);
        digits->addStretch();
        grid->addWidget(radio, format, 0);
        grid->addLayout(digits, format, 1);
    }
    return group;
}

QGroupBox* CD_Edit::CreateMouseGroup() {
    auto* group = new QGroupBox(Tr(str::kMouseClickText), this);
    auto* grid = new QGridLayout(group);
    clickBeforeSwitch_ = CreateCheck(ids::kClickBeforeSwitch, Tr(str::kClickBeforeTemplate));
    clickAfterSwitch_ = CreateCheck(ids::kClickAfterSwitch, Tr(str::kClickAfterTemplate));
    changeBefore_ = new QPushButton(Tr(str::kChangeText), group);
    changeBefore_->setObjectName(QString::number(ids::kChangeBefore));
    changeAfter_ = new QPushButton(Tr(str::kChangeText), group);
    changeAfter_->setObjectName(QString::number(ids::kChangeAfter));
    grid->addWidget(clickBeforeSwitch_, 0, 0);
    grid->addWidget(changeBefore_, 0, 1);
    grid->addWidget(clickAfterSwitch_, 1, 0);
    grid->addWidget(changeAfter_, 1, 1);
    grid->setColumnStretch(0, 1);
    connect(clickBeforeSwitch_, &QCheckBox::clicked, this, &CD_Edit::ClickSwitchClicked);
    connect(clickAfterSwitch_, &QCheckBox::clicked, this, &CD_Edit::ClickSwitchClicked);
    connect(changeBefore_, &QPushButton::clicked, this, [this] { ChangeClicked(true); });
    connect(changeAfter_, &QPushButton::clicked, this, [this] { ChangeClicked(false); });
    return group;
}

void CD_Edit::FillFrom(const FTDI::UserArea& area, const QString& serial) {
    SingleSwitchDialog::FillFrom(area, serial);
    mediaIdFormat = area.mediaIdFormat & 3;
}

FTDI::UserArea CD_Edit::BuildUserArea() const {
    return MakeUserArea(mediaIdFormat, sendToKeyboard ? 1 : 0, storeToDatabase ? 1 : 0, -1, -1, -1, PrefixMask(),
                        SuffixMask(), FTDI::DeviceTypeProximity);
}

void CD_Edit::LoadClicks(const FTDI::OutputSettings& settings) {
    clickBefore = settings.clickBefore != 0;
    clickBeforeX = settings.clickBeforeX;
    clickBeforeY = settings.clickBeforeY;
    clickAfter = settings.clickAfter != 0;
    clickAfterX = settings.clickAfterX;
    clickAfterY = settings.clickAfterY;
}

void CD_Edit::StoreClicks(FTDI::OutputSettings& settings) const {
    settings.clickBefore = clickBefore ? 1 : 0;
    settings.clickBeforeX = clickBeforeX;
    settings.clickBeforeY = clickBeforeY;
    settings.clickAfter = clickAfter ? 1 : 0;
    settings.clickAfterX = clickAfterX;
    settings.clickAfterY = clickAfterY;
}

void CD_Edit::OnInitDialog() {
    exampleMediaId = QString::fromLatin1(kExample);
    UpdateData(false);
    ApplySwitches();
    RefreshAllPreviews();
    formatGroup_->button(mediaIdFormat)->setChecked(true);
    mediaIdBox_->setText(MediaIdPreview(mediaIdFormat));
    SetClickCaptions();
    EnableChangeButtons();
}

void CD_Edit::DoDataExchange(bool save) {
    SingleSwitchDialog::DoDataExchange(save);
    if (save) {
        if (formatGroup_->checkedId() >= 0) mediaIdFormat = formatGroup_->checkedId();
        clickBefore = clickBeforeSwitch_->isChecked();
        clickAfter = clickAfterSwitch_->isChecked();
    } else {
        formatGroup_->button(mediaIdFormat)->setChecked(true);
        clickBeforeSwitch_->setChecked(clickBefore);
        clickAfterSwitch_->setChecked(clickAfter);
    }
}

void CD_Edit::FormatClicked(int format) {
    mediaIdFormat = format;
    mediaIdBox_->setText(MediaIdPreview(format));
}

void CD_Edit::ClickSwitchClicked() {
    clickBefore = clickBeforeSwitch_->isChecked();
    clickAfter = clickAfterSwitch_->isChecked();
    EnableChangeButtons();
}

void CD_Edit::EnableChangeButtons() {
    changeBefore_->setEnabled(clickBefore);
    changeAfter_->setEnabled(clickAfter);
}

void CD_Edit::SetClickCaptions() {
    clickBeforeSwitch_->setText(Tr(str::kClickBeforeCaption,
                                           {QString::number(clickBeforeX), QString::number(clickBeforeY)}));
    clickAfterSwitch_->setText(Tr(str::kClickAfterCaption,
                                          {QString::number(clickAfterX), QString::number(clickAfterY)}));
}

void CD_Edit::ChangeClicked(bool before) {
    CD_Mouse mouse(this, prompter_);
    mouse.x = before ? clickBeforeX : clickAfterX;
    mouse.y = before ? clickBeforeY : clickAfterY;
    if (mouse.exec() != QDialog::Accepted) return;
    (before ? clickBeforeX : clickAfterX) = mouse.x;
    (before ? clickBeforeY : clickAfterY) = mouse.y;
    SetClickCaptions();
}

void CD_Edit::DefaultClicked() {
    if (!prompter_.Ask(this, Tr(str::kDefaultQuestion))) return;
    idIndex = 1;
    ecIndex = 1;
    beepIndex = 1; // two beeps
    sendToKeyboard = true;
    storeToDatabase = false;
    prefixOn = {false, false, false, false};
    suffixOn = {true, false, false, false};
    prefixCode = {FTDI::KeyUB1, FTDI::KeyUB1, FTDI::KeyUB1, FTDI::KeyUB1};
    suffixCode = {FTDI::KeyNewLine, FTDI::KeyUB1, FTDI::KeyUB1, FTDI::KeyUB1};
    clickBefore = false;
    clickAfter = false;
    mediaIdFormat = 3;
    UpdateData(false);
    ApplySwitches();
    EnableChangeButtons();
    mediaIdBox_->setText(MediaIdPreview(mediaIdFormat));
    RefreshAllPreviews();
}

} // namespace vantix
