#include "ftdi/KeyboardLine.h"
#include "platform/system/System.h"

#include <cstdio>
#include <ctime>

namespace FTDI {

std::string KeyText(std::uint8_t code, const UserArea& userArea) {
    if (code <= KeyUB6) {
        const std::string name = userArea.Name();
        return code < name.size() ? std::string(1, name[code]) : std::string();
    }
    char text[32];
    switch (code) {
    case KeySpace: return " ";
    case KeyComma: return ",";
    case KeyId:
        std::snprintf(text, sizeof text, "%02X", userArea.id);
        return text;
    case KeyEc:
        std::snprintf(text, sizeof text, "%02X", userArea.ec);
        return text;
    case KeyTimestamp: {
        const std::time_t now = std::time(nullptr);
        const std::tm local = vantix::LocalTime(now);
        std::strftime(text, sizeof text, "%Y.%m.%d %H:%M:%S", &local);
        return text;
    }
    case KeyNewLine: return "\n";
    default: return {};
    }
}

std::string BuildLine(const UserArea& userArea, const std::string& data, bool track2) {
    const int firstBit = track2 ? 4 : 0;
    auto items = [&](const std::uint8_t* codes, std::uint8_t mask) {
        std::string text;
        for (int i = 0; i < 4; ++i)
            if (!(mask & (1u << (firstBit + i))))
                text += KeyText(codes[i], userArea);
        return text;
    };
    return items(userArea.prefixCode, userArea.prefixMask) + data +
           items(userArea.suffixCode, userArea.suffixMask);
}

} // namespace FTDI
