#include "ftdi/FTDIHelper.h"
#include "platform/system/System.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace FTDI {

MessageRegistration MakeRegistration(const std::string& serial, const std::string& mediaId,
                                     const DevData& device) {
    MessageRegistration message;
    message.serialNumber = serial;
    message.mediaId = mediaId;
    message.id = device.userArea.id;
    message.ec = device.userArea.ec;
    // One reading of the clock for all three texts; seconds are always "00".
    const std::time_t now = std::time(nullptr);
    const std::tm local = vantix::LocalTime(now);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:00", &local);
    message.dateTime = text;
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    message.date = text;
    std::strftime(text, sizeof text, "%H:%M:00", &local);
    message.time = text;
    message.idText = std::to_string(message.id);
    message.ecText = std::to_string(message.ec);
    return message;
}

std::string ListText(const char* field, std::size_t size) {
    // Long EEPROM strings fill the field without a terminating NUL.
    return std::string(field, strnlen(field, size));
}

std::string DeviceNotFound(const std::string& serial) {
    return "Device " + serial + " not found.";
}

} // namespace FTDI
