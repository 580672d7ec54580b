#pragma once
#include <string>
#include <vector>

#include "core/Result.h"
#include "ftdi/UserArea.h"

namespace vantixctl {

// Reader types by number (0..3) or name (proximity, track1, track2, tracks12).
vantix::Result<int> ParseDeviceType(const std::string& text);

// Every decoded field as name=value lines, in the order of FTDI::UserArea.
std::string FormatFields(const FTDI::UserArea& area);

// The record decoded for type with "field=value" words applied, or the
// reason the first bad word is refused (then nothing is changed).
vantix::Result<FTDI::UserArea> ApplyFields(const FTDI::UserArea& area, int type,
                                           const std::vector<std::string>& assignments);

} // namespace vantixctl
