#include "views/CV_Registrations.h"

#include "ftdi/Messages.h"

namespace vantix {

CV_Registrations::CV_Registrations(QWidget* parent)
    : ListPane({{134, 80}, {135, 128}, {132, 48}, {133, 48}, {130, 72}}, parent) {}

void CV_Registrations::AddRegistration(const FTDI::MessageRegistration& r) {
    TrimTo(kRowsBeforeAdd);
    AppendRow({QString::fromStdString(r.mediaId), QString::fromStdString(r.dateTime),
               QString::fromStdString(r.idText), QString::fromStdString(r.ecText),
               QString::fromStdString(r.serialNumber)});
}

} // namespace vantix
