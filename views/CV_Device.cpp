#include "views/CV_Device.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include "core/Ids.h"
#include "ftdi/UserArea.h"
#include "views/Resources.h"
#include "views/Tr.h"

namespace vantix {

namespace {

constexpr int kMaxBeepSetting = 8; // the user area stores 8 minus the beep count

QString YesNo(int flag) { return Tr(flag == 1 ? str::kYes : str::kNo); }

} // namespace

CV_Device::CV_Device(QWidget* parent)
    : ListPane({{str::kSerialColumn, 80, "WWWWWWWW"},
                {str::kNameColumn, 55, "WWWWWW"},
                {str::kBeepColumn, 48},
                {str::kKeyboardColumn, 48},
                {str::kDatabaseColumn, 64},
                {str::kIdColumn, 30, "255"},
                {str::kEventColumn, 48, "255"},
                {str::kDescriptionColumn, 157}},
               parent) {}

void CV_Device::FillConfigColumns(QTreeWidgetItem& row, const FTDI::DevData& device) const {
    const FTDI::UserArea& ua = device.userArea;
    row.setText(ColName, QString::fromLatin1(ua.Name())); // bytes as typed: Latin-1
    row.setText(ColBeep, QString::number(kMaxBeepSetting - ua.beep));
    row.setText(ColKeyboard, YesNo(ua.sendToKeyboard));
    row.setText(ColDatabase, YesNo(ua.storeToDatabase));
    row.setText(ColId, QString::number(ua.id));
    row.setText(ColEvent, QString::number(ua.ec));
}

void CV_Device::AddDevice(const std::string& serialNumber, const FTDI::DevData& device) {
    QTreeWidgetItem* row = topLevelItem(FindRow(serialNumber));
    if (!row) {
        const QString serial = QString::fromStdString(serialNumber);
        int place = 0;
        while (place < RowCount() && QString::compare(Text(place, ColSerial), serial, Qt::CaseInsensitive) <= 0)
            ++place;
        row = new QTreeWidgetItem(QStringList{serial}); // owned by the list once inserted
        insertTopLevelItem(place, row);
    }
    FillConfigColumns(*row, device);
    row->setText(ColDescription, QString::fromStdString(device.description));
}

bool CV_Device::UpdateDevice(const std::string& serialNumber, const FTDI::DevData& device) {
    const int row = FindRow(serialNumber);
    if (row < 0)
        return false;
    FillConfigColumns(*topLevelItem(row), device);
    return true;
}

bool CV_Device::RemoveDevice(const std::string& serialNumber) {
    const int row = FindRow(serialNumber);
    if (row < 0)
        return false;
    std::unique_ptr<QTreeWidgetItem> removed(takeTopLevelItem(row));
    return true;
}

int CV_Device::FindRow(const std::string& serialNumber) const {
    const QString serial = QString::fromStdString(serialNumber);
    for (int row = 0; row < RowCount(); ++row)
        if (Text(row, ColSerial) == serial)
            return row;
    return -1;
}

bool CV_Device::HasSelection() const { return !selectedItems().isEmpty(); }

std::optional<std::string> CV_Device::FirstSelectedSerial() const {
    for (int row = 0; row < RowCount(); ++row)
        if (topLevelItem(row)->isSelected())
            return Text(row, ColSerial).toStdString();
    return std::nullopt;
}

std::unique_ptr<QMenu> CV_Device::CreateContextMenu() {
    if (!HasSelection())
        return nullptr;
    auto menu = std::make_unique<QMenu>(Tr(str::kDeviceMenu));
    menu->addAction(Tr(cmd::kDeviceMenuEdit), this, &CV_Device::editRequested);
    menu->addAction(Tr(cmd::kDeviceMenuBuzz), this, &CV_Device::buzzRequested);
    return menu;
}

void CV_Device::contextMenuEvent(QContextMenuEvent* event) {
    if (std::unique_ptr<QMenu> menu = CreateContextMenu())
        menu->exec(event->globalPos());
}

void CV_Device::mouseDoubleClickEvent(QMouseEvent* event) {
    ListPane::mouseDoubleClickEvent(event);
    emit editRequested();
}

void CV_Device::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit editRequested();
        return;
    }
    ListPane::keyPressEvent(event);
}

} // namespace vantix
