#pragma once
#include <QString>

#include "app/StringTable.h"

namespace vantix {

// A string-table text for the user interface.
inline QString Tr(int id) { return QString::fromStdString(LoadString(id)); }

} // namespace vantix
