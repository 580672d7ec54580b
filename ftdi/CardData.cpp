#include "ftdi/CardData.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "core/Crc8.h"
#include "core/Hex.h"

namespace FTDI {

std::string IdentifierFromFrame(const char* frame) {
    std::string identifier(16, '0');
    for (std::size_t pair = 0; pair < 8; ++pair) {
        identifier[2 * pair] = frame[15 - 2 * pair];
        identifier[2 * pair + 1] = frame[16 - 2 * pair];
    }
    return identifier;
}

bool IsValidIdentifier(const std::string& identifier) {
    std::uint8_t bytes[8];
    if (!vantix::FromHex(identifier, bytes, sizeof bytes))
        return false;
    if (std::all_of(std::begin(bytes), std::end(bytes), [](std::uint8_t b) { return b == 0; }))
        return false;
    // The CRC byte comes first; the check runs over the family code, then the
    // serial number from its low byte up.
    std::uint8_t data[7];
    for (std::size_t i = 0; i < 7; ++i)
        data[i] = bytes[7 - i];
    return vantix::OneWireCrc8(data, sizeof data) == bytes[0];
}

std::string MediaIdOf(const std::string& identifier) {
    std::string mediaId = identifier.substr(6, 8);
    for (char& c : mediaId)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return mediaId;
}

std::string FormatMediaId(const std::string& identifier, int mediaIdFormat) {
    switch (mediaIdFormat) {
    case 0: return identifier.substr(6, 8);
    case 1: return identifier.substr(2, 12);
    case 2: return identifier.substr(2, 14);
    default: return identifier;
    }
}

std::optional<MagneticData> MagneticRecordData(const UserArea& userArea, const std::string& piece) {
    const std::size_t start = piece.find('\x01');
    if (start == std::string::npos)
        return std::nullopt;
    std::string text = piece.substr(start + 1);
    const std::size_t end = text.rfind('\x03');
    if (end == std::string::npos)
        return std::nullopt;
    text.erase(end);

    const char sentinel = text.empty() ? '\0' : text.front();
    if (userArea.deviceType == DeviceTypeTwoTracks) {
        if (userArea.bothTracks == 0) {
            // Only the chosen track is sent.
            if (userArea.secondTrackBit == 0 && sentinel == ';')
                return std::nullopt;
            if (userArea.secondTrackBit == 1 && sentinel == '%')
                return std::nullopt;
        }
        if ((sentinel == '%' && userArea.omitSentinel == 1) ||
            (sentinel == ';' && userArea.secondTrackBit == 1))
            text.erase(0, 1);
        return MagneticData{text, sentinel == ';'};
    }
    if ((sentinel == '%' || sentinel == ';') && userArea.omitSentinel == 1)
        text.erase(0, 1);
    return MagneticData{text, false};
}

} // namespace FTDI
