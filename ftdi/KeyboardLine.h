#pragma once
#include <cstdint>
#include <string>

#include "ftdi/UserArea.h"

namespace FTDI {

// The text a prefix or suffix item code contributes to a typed line. A time
// stamp reads the local clock when the text is made.
std::string KeyText(std::uint8_t code, const UserArea& userArea);

// The typed line: the four prefix items, the data, the four suffix items. An
// item whose mask bit is set contributes nothing; track-2 records of two-track
// readers use mask bits 4..7, everything else bits 0..3.
std::string BuildLine(const UserArea& userArea, const std::string& data, bool track2 = false);

} // namespace FTDI
