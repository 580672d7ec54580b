#include "views/CV_Registrations.h"

#include "ftdi/Messages.h"

namespace vantix {

CV_Registrations::CV_Registrations(QWidget* parent)
    : ListPane({{134, 80, "DDDDDDDD"}, {135, 128, "0000-00-00 00:00:00"}, {132, 48, "255"}, {133, 48, "255"},
                {130, 72, "WWWWWWWW"}},
               parent) {}

void CV_Registrations::AddRegistration(const FTDI::MessageRegistration& r) {
    TrimTo(kRowsBeforeAdd);
    AppendRow({QString::fromStdString(r.mediaId), QString::fromStdString(r.dateTime),
               QString::fromStdString(r.idText), QString::fromStdString(r.ecText),
               QString::fromStdString(r.serialNumber)});
}

} // namespace vantix
