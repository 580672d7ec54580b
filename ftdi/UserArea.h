#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/d2xx/D2xx.h"

namespace FTDI {

// Device types as stored by the program.
enum DeviceType : int {
    DeviceTypeNotUsed = -1,
    DeviceTypeProximity = 0,
    DeviceTypeTrack1 = 1,
    DeviceTypeTrack2 = 2,
    DeviceTypeTwoTracks = 3,
};

// Prefix / suffix item codes.
enum KeyCode : std::uint8_t {
    KeyUB1 = 0, KeyUB6 = 5,
    KeySpace = 6,
    KeyComma = 7,
    KeyId = 8,
    KeyEc = 9,
    KeyTimestamp = 10,
    KeyNewLine = 11,
    KeyNotUsed = 12,
};

// A reader's configuration: the decoded fields and the 16-byte image kept in
// the first 16 bytes of its EEPROM user area. The image layout is shared with
// readers already in the field and must not change.
class UserArea {
public:
    static constexpr std::size_t Size = 16;

    UserArea();
    UserArea(const std::string& nameText, std::uint8_t id, std::uint8_t ec, int beep,
             int mediaIdFormat, int sendToKeyboard, int storeToDatabase, int bothTracks,
             int omitSentinel, int secondTrackBit, std::uint8_t prefix0, std::uint8_t prefix1,
             std::uint8_t prefix2, std::uint8_t prefix3, std::uint8_t prefixMask,
             std::uint8_t suffix0, std::uint8_t suffix1, std::uint8_t suffix2,
             std::uint8_t suffix3, std::uint8_t suffixMask, int deviceType);
    virtual ~UserArea() = default;
    UserArea(const UserArea&) = default;
    UserArea& operator=(const UserArea&) = default;

    void Decode(int type);
    void Encode(int type);

    // The name up to its first NUL.
    std::string Name() const;

    char name[7];
    std::uint8_t id;
    std::uint8_t ec;
    int beep;
    std::uint8_t prefixCode[4];
    std::uint8_t prefixMask;
    std::uint8_t suffixCode[4];
    std::uint8_t suffixMask;
    int mediaIdFormat;
    int bothTracks;
    int omitSentinel;
    int secondTrackBit;
    int sendToKeyboard;
    int storeToDatabase;
    std::uint8_t bytes[Size];
    int deviceType;
};

// One attached device.
class DevData {
public:
    DevData() = default;
    DevData(FT_HANDLE handle, const UserArea& userArea, std::string description)
        : handle(handle), userArea(userArea),
          deviceType(static_cast<std::int16_t>(userArea.deviceType)),
          description(std::move(description)) {}
    virtual ~DevData() = default;
    DevData(const DevData&) = default;
    DevData& operator=(const DevData&) = default;

    FT_HANDLE handle = nullptr;
    UserArea userArea;
    std::int16_t deviceType = DeviceTypeNotUsed;
    std::string description;
};

// Device type from the bridge's description text.
int DetectDeviceType(const std::string& description);

} // namespace FTDI
