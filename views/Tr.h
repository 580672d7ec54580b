#pragma once
#include <QString>
#include <initializer_list>

#include "core/Strings.h"

namespace vantix {

// A string-table text for the user interface.
inline QString Tr(int id) { return QString::fromStdString(LoadString(id)); }

// A string-table text with its placeholders filled in turn (FormatText).
QString Tr(int id, std::initializer_list<QString> args);

} // namespace vantix
