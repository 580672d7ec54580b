#include "platform/d2xx/libftdi/EepromUserArea.h"

#include <algorithm>

namespace FTDI {

namespace {

constexpr std::size_t SerialPointer = 0x12; // offset byte; its length follows at 0x13
constexpr std::uint8_t StringDescriptor = 0x03;
// FT232R: the vendor library writes 02 03 01 00 after the serial descriptor.
constexpr std::size_t PlugAndPlayBytes = 4;

bool PlausibleSize(std::size_t size) { return size >= 0x80 && (size & (size - 1)) == 0; }

} // namespace

std::uint16_t EepromUserArea::Checksum(const Image& image) {
    std::uint16_t sum = 0xAAAA;
    for (std::size_t i = 0; i + 1 < image.size() / 2; ++i) {
        sum ^= static_cast<std::uint16_t>(image[2 * i] | (image[2 * i + 1] << 8));
        sum = static_cast<std::uint16_t>((sum << 1) | (sum >> 15));
    }
    return sum;
}

bool EepromUserArea::ChecksumValid(const Image& image) {
    if (!PlausibleSize(image.size()))
        return false;
    const std::size_t at = image.size() - 2;
    return Checksum(image) == (image[at] | (image[at + 1] << 8));
}

EepromUserArea::Result EepromUserArea::Locate(const Image& image, Chip chip, Place& place) {
    if (!PlausibleSize(image.size()))
        return Result::NotProgrammed;
    const std::size_t end = image.size() - 2; // the checksum word
    // The pointer carries 0x80 as a flag; the length counts the 2-byte header.
    const std::size_t offset = image[SerialPointer] & (image.size() - 1);
    const std::size_t length = image[SerialPointer + 1];
    if (length < 2 || offset < 0x14 || offset + length > end || image[offset] != length ||
        image[offset + 1] != StringDescriptor)
        return Result::NotProgrammed;
    if (!ChecksumValid(image))
        return Result::BadChecksum;
    const std::size_t start = offset + length + (chip == Chip::FT232R ? PlugAndPlayBytes : 0);
    // Strings that reach into the checksum word leave no area at all, not
    // one that starts past the end of the image.
    if (start > end)
        return Result::NoRoom;
    place.offset = start;
    place.size = end - start;
    return Result::Ok;
}

EepromUserArea::Result EepromUserArea::Read(const Image& image, Chip chip, std::size_t wanted,
                                            std::vector<std::uint8_t>& out) {
    Place place;
    const Result result = Locate(image, chip, place);
    if (result != Result::Ok)
        return result;
    if (wanted > place.size)
        return Result::NoRoom;
    out.assign(image.begin() + static_cast<std::ptrdiff_t>(place.offset),
               image.begin() + static_cast<std::ptrdiff_t>(place.offset + wanted));
    return Result::Ok;
}

EepromUserArea::Result EepromUserArea::Patch(Image& image, Chip chip, const std::uint8_t* data, std::size_t size) {
    Place place;
    const Result result = Locate(image, chip, place);
    if (result != Result::Ok)
        return result;
    if (size > place.size)
        return Result::NoRoom;
    std::copy_n(data, size, image.begin() + static_cast<std::ptrdiff_t>(place.offset));
    const std::uint16_t sum = Checksum(image);
    image[image.size() - 2] = static_cast<std::uint8_t>(sum & 0xFF);
    image[image.size() - 1] = static_cast<std::uint8_t>(sum >> 8);
    return Result::Ok;
}

std::string EepromUserArea::Describe(Result result) {
    switch (result) {
    case Result::Ok: return "ok";
    case Result::NotProgrammed: return "the EEPROM holds no serial-number descriptor";
    case Result::BadChecksum: return "the EEPROM checksum does not match";
    case Result::NoRoom: return "the EEPROM strings leave no room for the user area";
    }
    return "unknown EEPROM result";
}

} // namespace FTDI
