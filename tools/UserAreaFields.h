#pragma once
#include <string>
#include <vector>

#include "ftdi/UserArea.h"

namespace vantixctl {

// Reader types by number (0..3) or name (proximity, track1, track2, tracks12).
bool ParseDeviceType(const std::string& text, int& type, std::string& error);

// Every decoded field as name=value lines, in the order of FTDI::UserArea.
std::string FormatFields(const FTDI::UserArea& area);

// Applies "field=value" words to a record decoded for type. All words are
// checked before any field changes; false with the reason otherwise.
bool ApplyFields(FTDI::UserArea& area, int type, const std::vector<std::string>& assignments, std::string& error);

} // namespace vantixctl
