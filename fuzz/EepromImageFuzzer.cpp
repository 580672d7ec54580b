// Locating, reading and patching the user area in a raw EEPROM image of any
// size and content (what libftdi reads from a reader).
// Invariants:
// - no byte outside the image is read or written (the image is allocated
//   to its exact size, so ASan sees any overrun);
// - a located area lies after the serial-number descriptor and before the
//   checksum word;
// - a read succeeds only with exactly the bytes asked for, taken from the area;
// - a patch succeeds exactly when the read of the same size does; then only
//   the area and the checksum change, the checksum is valid and the data
//   reads back; a refused patch leaves the image as it was.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/d2xx/libftdi/EepromUserArea.h"

using FTDI::EepromUserArea;

namespace {

void StoreChecksum(EepromUserArea::Image& image) {
    if (image.size() < 2)
        return;
    const std::uint16_t sum = EepromUserArea::Checksum(image);
    image[image.size() - 2] = static_cast<std::uint8_t>(sum);
    image[image.size() - 1] = static_cast<std::uint8_t>(sum >> 8);
}

} // namespace

// First byte: bit 0 the chip, bit 1 "give the image a valid checksum" (so
// the fuzzer gets past the checksum test), bits 2-7 the bytes to read and
// write (0..63). The rest is the image.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const auto chip = (data[0] & 1) ? EepromUserArea::Chip::FT232BM : EepromUserArea::Chip::FT232R;
    const std::size_t wanted = data[0] >> 2;
    EepromUserArea::Image image(data + 1, data + size);
    if (data[0] & 2)
        StoreChecksum(image);

    EepromUserArea::Place place;
    const EepromUserArea::Result located = EepromUserArea::Locate(image, chip, place);
    if (located == EepromUserArea::Result::Ok) {
        const std::size_t serialEnd = (image[0x12] & (image.size() - 1)) + image[0x13];
        VANTIX_FUZZ_CHECK(place.offset >= serialEnd, "the area starts after the serial descriptor");
        VANTIX_FUZZ_CHECK(place.offset + place.size <= image.size() - 2, "the area ends before the checksum");
    }

    std::vector<std::uint8_t> read;
    const EepromUserArea::Result readResult = EepromUserArea::Read(image, chip, wanted, read);
    if (readResult == EepromUserArea::Result::Ok) {
        VANTIX_FUZZ_CHECK(located == EepromUserArea::Result::Ok, "a read needs a located area");
        VANTIX_FUZZ_CHECK(read.size() == wanted && wanted <= place.size, "a read gives exactly what was asked");
        VANTIX_FUZZ_CHECK(std::equal(read.begin(), read.end(), image.begin() + static_cast<std::ptrdiff_t>(place.offset)),
                          "a read gives the area's bytes");
    }

    std::vector<std::uint8_t> fresh(wanted);
    for (std::size_t i = 0; i < wanted; ++i)
        fresh[i] = static_cast<std::uint8_t>(0xA5 ^ i);
    EepromUserArea::Image patched = image;
    const EepromUserArea::Result patchResult = EepromUserArea::Patch(patched, chip, fresh.data(), fresh.size());
    VANTIX_FUZZ_CHECK(patchResult == readResult, "read and patch agree on what fits");
    if (patchResult != EepromUserArea::Result::Ok) {
        VANTIX_FUZZ_CHECK(patched == image, "a refused patch changes nothing");
        return 0;
    }
    VANTIX_FUZZ_CHECK(EepromUserArea::ChecksumValid(patched), "a patched image has a valid checksum");
    for (std::size_t i = 0; i + 2 < image.size(); ++i) {
        const bool inArea = i >= place.offset && i < place.offset + wanted;
        VANTIX_FUZZ_CHECK(inArea || patched[i] == image[i], "a patch touches only the area and the checksum");
    }
    std::vector<std::uint8_t> back;
    VANTIX_FUZZ_CHECK(EepromUserArea::Read(patched, chip, wanted, back) == EepromUserArea::Result::Ok && back == fresh,
                      "patched data reads back");
    return 0;
}
