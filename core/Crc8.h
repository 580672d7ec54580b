#pragma once
#include <cstddef>
#include <cstdint>

namespace vantix {

// Dallas/Maxim 1-Wire CRC-8: x^8 + x^5 + x^4 + 1, LSB first (reflected 0x8C),
// initial value 0, no final inversion.
inline std::uint8_t OneWireCrc8(const std::uint8_t* data, std::size_t size) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        std::uint8_t byte = data[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = (crc ^ byte) & 0x01;
            crc >>= 1;
            if (mix)
                crc ^= 0x8C;
            byte >>= 1;
        }
    }
    return crc;
}

} // namespace vantix
