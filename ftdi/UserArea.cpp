#include "ftdi/UserArea.h"

#include <cstring>

namespace FTDI {

UserArea::UserArea()
    : name{}, id(0), ec(0), beep(0), prefixCode{}, prefixMask(0), suffixCode{}, suffixMask(0),
      mediaIdFormat(-1), bothTracks(-1), omitSentinel(-1), secondTrackBit(-1),
      sendToKeyboard(0), storeToDatabase(0), bytes{}, deviceType(DeviceTypeNotUsed) {}

UserArea::UserArea(const std::string& nameText, std::uint8_t id, std::uint8_t ec, int beep,
                   int mediaIdFormat, int sendToKeyboard, int storeToDatabase, int bothTracks,
                   int omitSentinel, int secondTrackBit, std::uint8_t prefix0,
                   std::uint8_t prefix1, std::uint8_t prefix2, std::uint8_t prefix3,
                   std::uint8_t prefixMask, std::uint8_t suffix0, std::uint8_t suffix1,
                   std::uint8_t suffix2, std::uint8_t suffix3, std::uint8_t suffixMask,
                   int deviceType)
    : UserArea() {
    std::strncpy(name, nameText.c_str(), 6);
    name[6] = '\0';
    this->id = id;
    this->ec = ec;
    this->beep = beep;
    this->mediaIdFormat = mediaIdFormat;
    this->sendToKeyboard = sendToKeyboard;
    this->storeToDatabase = storeToDatabase;
    this->bothTracks = bothTracks;
    this->omitSentinel = omitSentinel;
    this->secondTrackBit = secondTrackBit;
    prefixCode[0] = prefix0;
    prefixCode[1] = prefix1;
    prefixCode[2] = prefix2;
    prefixCode[3] = prefix3;
    this->prefixMask = prefixMask;
    suffixCode[0] = suffix0;
    suffixCode[1] = suffix1;
    suffixCode[2] = suffix2;
    suffixCode[3] = suffix3;
    this->suffixMask = suffixMask;
    this->deviceType = deviceType;
    Encode(deviceType);
}

std::string UserArea::Name() const {
    return std::string(name, strnlen(name, 6));
}

namespace {

// A field that does not apply to the type holds -1, and a caller may pass an
// out-of-range value; keeping each field to its own bits stops either from
// spilling into a neighbouring flag of the stored byte.
unsigned Bits(int value, unsigned width) {
    return value < 0 ? 0u : static_cast<unsigned>(value) & ((1u << width) - 1u);
}

std::uint8_t Nibbles(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint8_t>(((high & 0x0Fu) << 4) | (low & 0x0Fu));
}

} // namespace

void UserArea::Encode(int type) {
    unsigned flags = 16u * Bits(beep, 3) + 2u * Bits(sendToKeyboard, 1) + Bits(storeToDatabase, 1);
    if (type == DeviceTypeProximity) {
        flags += 4u * Bits(mediaIdFormat, 2);
    } else {
        flags += 4u * Bits(omitSentinel, 1);
        if (type == DeviceTypeTwoTracks)
            flags += 128u * Bits(bothTracks, 1) + 8u * Bits(secondTrackBit, 1);
    }
    bytes[0] = static_cast<std::uint8_t>(flags);
    bytes[1] = id;
    bytes[2] = ec;
    bool ended = false;
    for (int i = 0; i < 6; ++i) {
        if (name[i] == '\0')
            ended = true;
        bytes[3 + i] = ended ? std::uint8_t{' '} : static_cast<std::uint8_t>(name[i]);
    }
    bytes[9] = Nibbles(prefixCode[0], prefixCode[1]);
    bytes[10] = Nibbles(prefixCode[2], prefixCode[3]);
    bytes[11] = prefixMask;
    bytes[12] = Nibbles(suffixCode[0], suffixCode[1]);
    bytes[13] = Nibbles(suffixCode[2], suffixCode[3]);
    bytes[14] = suffixMask;
    bytes[15] = 0xFF;
}

void UserArea::Decode(int type) {
    deviceType = type;
    const std::uint8_t flags = bytes[0];
    storeToDatabase = flags & 0x01;
    sendToKeyboard = (flags >> 1) & 0x01;
    beep = (flags >> 4) & 0x07;
    mediaIdFormat = type == DeviceTypeProximity ? (flags >> 2) & 0x03 : -1;
    omitSentinel = type != DeviceTypeProximity ? (flags >> 2) & 0x01 : -1;
    secondTrackBit = type == DeviceTypeTwoTracks ? (flags >> 3) & 0x01 : -1;
    bothTracks = type == DeviceTypeTwoTracks ? (flags >> 7) & 0x01 : -1;
    id = bytes[1];
    ec = bytes[2];
    for (int i = 0; i < 6; ++i)
        name[i] = bytes[3 + i] == ' ' ? '\0' : static_cast<char>(bytes[3 + i]);
    name[6] = '\0';
    prefixCode[0] = bytes[9] >> 4;
    prefixCode[1] = bytes[9] & 0x0F;
    prefixCode[2] = bytes[10] >> 4;
    prefixCode[3] = bytes[10] & 0x0F;
    suffixCode[0] = bytes[12] >> 4;
    suffixCode[1] = bytes[12] & 0x0F;
    suffixCode[2] = bytes[13] >> 4;
    suffixCode[3] = bytes[13] & 0x0F;
    const std::uint8_t maskBits = type == DeviceTypeTwoTracks ? 0xFF : 0x0F;
    prefixMask = bytes[11] & maskBits;
    suffixMask = bytes[14] & maskBits;
}

int DetectDeviceType(const std::string& description) {
    auto has = [&](const char* model) { return description.find(model) != std::string::npos; };
    if (has("TR-614") || has("TR-617"))
        return DeviceTypeProximity;
    if (has("TR-613-1"))
        return DeviceTypeTrack1;
    if (has("TR-613-2"))
        return DeviceTypeTrack2;
    if (has("TR-613-3"))
        return DeviceTypeTwoTracks;
    return DeviceTypeNotUsed;
}

} // namespace FTDI
