#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "ftdi/UserArea.h"

namespace FTDI {

// Size of one proximity frame as the reader sends it.
constexpr std::size_t ProximityFrameSize = 21;

// The 16-character card identifier (most significant byte first) rebuilt from
// a proximity frame, whose characters 1..16 carry it least significant byte
// first. The frame must hold at least ProximityFrameSize characters.
std::string IdentifierFromFrame(const char* frame);

// True for 16 hexadecimal digits whose first byte is the 1-Wire CRC-8 of the
// other seven (family code first) and that are not all zeros.
bool IsValidIdentifier(const std::string& identifier);

// The registration's media ID: identifier characters 6..13, upper case.
std::string MediaIdOf(const std::string& identifier);

// The identifier cut to the device's media-ID format for typing.
std::string FormatMediaId(const std::string& identifier, int mediaIdFormat);

// The typed data of one magnetic piece, and whether the track-2 mask bits
// apply to it.
struct MagneticData {
    std::string text;
    bool track2 = false;
};

// The data of the record between the first 0x01 and the last 0x03 of the
// piece, with the start sentinel handled as the device's options say;
// nothing when the piece holds no complete record or the track is not sent.
std::optional<MagneticData> MagneticRecordData(const UserArea& userArea, const std::string& piece);

} // namespace FTDI
