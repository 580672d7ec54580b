#include "dialogs/DeviceEditing.h"

#include <QApplication>
#include <memory>

#include "core/Ids.h"
#include "dialogs/CD_Delay.h"
#include "dialogs/CD_Edit.h"
#include "dialogs/CD_Edit1Track.h"
#include "dialogs/CD_Edit2Tracks.h"
#include "dialogs/CD_UnknownDevice.h"
#include "dialogs/DialogIds.h"
#include "ftdi/Exception.h"
#include "views/Tr.h"

namespace vantix {

namespace {

// The wait cursor for as long as the reader is being written.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

std::unique_ptr<DeviceDialog> DialogFor(int deviceType, QWidget* parent, Prompter& prompter) {
    switch (deviceType) {
    case FTDI::DeviceTypeProximity: return std::make_unique<CD_Edit>(parent, prompter);
    case FTDI::DeviceTypeTrack1:
    case FTDI::DeviceTypeTrack2: return std::make_unique<CD_Edit1Track>(parent, prompter);
    case FTDI::DeviceTypeTwoTracks: return std::make_unique<CD_Edit2Tracks>(parent, prompter);
    default: return nullptr;
    }
}

} // namespace

bool EditUserArea(QWidget* parent, const QString& serialNumber, const FTDI::DevData& device,
                  FTDI::OutputSettings& clicks, const UserAreaWriter& write, Prompter& prompter) {
    std::unique_ptr<DeviceDialog> dialog = DialogFor(device.deviceType, parent, prompter);
    if (!dialog) {
        prompter.Error(parent, Tr(str::kUnsupportedType));
        return false;
    }
    // The record is decoded with the device's type; say so for the dialog.
    FTDI::UserArea area = device.userArea;
    area.deviceType = device.deviceType;
    dialog->FillFrom(area, serialNumber);
    auto* proximity = dynamic_cast<CD_Edit*>(dialog.get());
    if (proximity) proximity->LoadClicks(clicks);

    if (dialog->exec() != QDialog::Accepted) return false;
    const FTDI::UserArea updated = dialog->BuildUserArea();
    try {
        WaitCursor wait;
        write(updated);
    } catch (const FTDI::Exception& e) {
        prompter.Error(parent, QString::fromStdString(e.Message()));
        return false;
    }
    if (proximity) proximity->StoreClicks(clicks);
    return true;
}

int AskUnknownDevice(QWidget* parent, const QString& deviceText) {
    CD_UnknownDevice dialog(deviceText, parent);
    dialog.exec();
    return dialog.Result();
}

bool EditDelay(QWidget* parent, FTDI::OutputSettings& settings, Prompter& prompter) {
    CD_Delay dialog(parent, prompter);
    dialog.delay = static_cast<unsigned>(settings.intercharacterDelay.load());
    dialog.WriteControls();
    if (dialog.exec() != QDialog::Accepted) return false;
    settings.intercharacterDelay = static_cast<int>(dialog.delay);
    return true;
}

} // namespace vantix
