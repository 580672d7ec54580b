#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace FTDI {

// Where the vendor library keeps a chip's EEPROM user area, computed from a
// raw EEPROM image, and the read-modify-write of that area with its checksum.
// Knows nothing of USB: the libftdi1 backend reads and writes the images.
class EepromUserArea {
public:
    using Image = std::vector<std::uint8_t>;

    enum class Chip {
        FT232R,  // internal 128-byte EEPROM, plug-and-play bytes after the serial
        FT232BM, // also FT245BM: the user area follows the serial directly
    };

    enum class Result {
        Ok,
        NotProgrammed, // blank or without a serial-number descriptor
        BadChecksum,
        NoRoom,        // the strings leave fewer bytes than asked for
    };

    struct Place {
        std::size_t offset = 0;
        std::size_t size = 0;
    };

    // The image's checksum: the words before the last, mixed as the chip does.
    static std::uint16_t Checksum(const Image& image);
    static bool ChecksumValid(const Image& image);

    // The area lies between the strings and the checksum word; NoRoom when
    // the strings leave no place for it inside the image.
    static Result Locate(const Image& image, Chip chip, Place& place);
    // The first `wanted` bytes of the area; NoRoom when it holds fewer, so a
    // caller never takes a short read for a whole configuration.
    static Result Read(const Image& image, Chip chip, std::size_t wanted, std::vector<std::uint8_t>& out);
    // Writes data at the start of the area and renews the checksum; on any
    // result but Ok the image is left as it was.
    static Result Patch(Image& image, Chip chip, const std::uint8_t* data, std::size_t size);

    static std::string Describe(Result result);
};

} // namespace FTDI
