#include "views/CV_Registrations.h"

#include "core/Ids.h"
#include "ftdi/Messages.h"

namespace vantix {

CV_Registrations::CV_Registrations(QWidget* parent)
    : ListPane({{str::kMediaIdColumn, 80},
                {str::kDateTimeColumn, 128},
                {str::kIdColumn, 48},
                {str::kEventColumn, 48},
                {str::kSerialColumn, 72}},
               parent) {}

void CV_Registrations::AddRegistration(const FTDI::MessageRegistration& r) {
    TrimTo(kRowsBeforeAdd);
    AppendRow({QString::fromStdString(r.mediaId), QString::fromStdString(r.dateTime),
               QString::fromStdString(r.idText), QString::fromStdString(r.ecText),
               QString::fromStdString(r.serialNumber)});
}

} // namespace vantix
