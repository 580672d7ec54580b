#pragma once
#include <string>

#include "ftdi/UserArea.h"

namespace FTDI {

// Message numbers between the device link, its consumer and the frame.
enum MessageNumber : unsigned {
    MsgDeviceAdded = 0x8001,
    MsgDeviceRemoved = 0x8002,
    MsgRegistration = 0x8003,
    MsgDeviceChanged = 0x8004,
    MsgCommError = 0x8005,
    MsgRepairFinished = 0x8006,
    MsgLoadingDevices = 0x8007,
    MsgLoadingFinished = 0x8008,
    MsgDriverTooOld = 0x8009,
};

class MessageDeviceAdded {
public:
    virtual ~MessageDeviceAdded() = default;
    std::string serialNumber;
    DevData device;
};

class MessageDeviceChanged {
public:
    virtual ~MessageDeviceChanged() = default;
    std::string serialNumber;
    DevData device;
};

class MessageDeviceRemoved {
public:
    virtual ~MessageDeviceRemoved() = default;
    std::string serialNumber;
    DevData device;
};

// The registration record of the system: one proximity card read.
class MessageRegistration {
public:
    virtual ~MessageRegistration() = default;
    std::string serialNumber;
    std::string mediaId;
    int id = 0;
    int ec = 0;
    std::string dateTime; // "%Y-%m-%d %H:%M:00"
    std::string date;     // "%Y-%m-%d"
    std::string time;     // "%H:%M:00"
    std::string idText;   // "%d" of id
    std::string ecText;   // "%d" of ec
};

} // namespace FTDI
