#include "views/CV_Registrations.h"

#include "core/Ids.h"
#include "ftdi/Messages.h"

namespace vantix {

CV_Registrations::CV_Registrations(QWidget* parent)
    : ListPane({{str::kMediaIdColumn, 80, "DDDDDDDD"},
                {str::kDateTimeColumn, 128, "0000-00-00 00:00:00"},
                {str::kIdColumn, 48, "255"},
                {str::kEventColumn, 48, "255"},
                {str::kSerialColumn, 72, "WWWWWWWW"}},
               parent) {}

void CV_Registrations::AddRegistration(const FTDI::MessageRegistration& r) {
    TrimTo(kRowsBeforeAdd);
    AppendRow({QString::fromStdString(r.mediaId), QString::fromStdString(r.dateTime),
               QString::fromStdString(r.idText), QString::fromStdString(r.ecText),
               QString::fromStdString(r.serialNumber)});
}

} // namespace vantix
