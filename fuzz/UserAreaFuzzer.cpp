// The 16-byte user-area codec, for every device type (-1 to 3).
// Invariants:
// - no crash, no undefined behaviour, whatever the stored bytes;
// - decoding then encoding gives the canonical image: the bytes the type
//   does not use cleared (flag bits, mask high nibbles below type 3), the
//   name padded with spaces from its first space or NUL, byte 15 = 0xFF;
// - the canonical image decodes to the same fields (a fixed point);
// - fields given to the field constructor, even out of range, come back as
//   their own bits only and never change a neighbouring field.
#include <cstdint>
#include <cstring>
#include <string>

#include "ftdi/UserArea.h"
#include "fuzz/FuzzCheck.h"

using FTDI::UserArea;

namespace {

// The input read front to back; zeros once it runs out.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int Int() { return static_cast<std::int8_t>(Byte()); } // -128..127 reaches the negative values
    std::size_t Left() const { return size_ - at_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::uint8_t Canonical(const std::uint8_t* bytes, std::size_t i, int type) {
    switch (i) {
    case 0: {
        std::uint8_t keep = 0x73; // beep, keyboard, database
        keep |= type == FTDI::DeviceTypeProximity ? 0x0C : 0x04;
        if (type == FTDI::DeviceTypeTwoTracks)
            keep |= 0x88;
        return bytes[0] & keep;
    }
    case 11:
    case 14:
        return type == FTDI::DeviceTypeTwoTracks ? bytes[i] : bytes[i] & 0x0F;
    case 15:
        return 0xFF;
    default:
        if (i >= 3 && i <= 8) {
            for (std::size_t j = 3; j <= i; ++j)
                if (bytes[j] == ' ' || bytes[j] == 0)
                    return ' ';
        }
        return bytes[i];
    }
}

bool SameFields(const UserArea& a, const UserArea& b) {
    return a.Name() == b.Name() && a.id == b.id && a.ec == b.ec && a.beep == b.beep &&
           std::memcmp(a.prefixCode, b.prefixCode, 4) == 0 && a.prefixMask == b.prefixMask &&
           std::memcmp(a.suffixCode, b.suffixCode, 4) == 0 && a.suffixMask == b.suffixMask &&
           a.mediaIdFormat == b.mediaIdFormat && a.bothTracks == b.bothTracks &&
           a.omitSentinel == b.omitSentinel && a.secondTrackBit == b.secondTrackBit &&
           a.sendToKeyboard == b.sendToKeyboard && a.storeToDatabase == b.storeToDatabase &&
           a.deviceType == b.deviceType;
}

int OwnBits(int value, unsigned width) { return value < 0 ? 0 : value & ((1 << width) - 1); }

void StoredImage(Input& in, int type) {
    UserArea stored;
    for (auto& byte : stored.bytes)
        byte = in.Byte();
    UserArea decoded = stored;
    decoded.Decode(type);
    UserArea encoded = decoded;
    encoded.Encode(type);
    for (std::size_t i = 0; i < UserArea::Size; ++i)
        VANTIX_FUZZ_CHECK(encoded.bytes[i] == Canonical(stored.bytes, i, type), "encode(decode) is the canonical image");
    UserArea again = encoded;
    again.Decode(type);
    VANTIX_FUZZ_CHECK(SameFields(again, decoded), "the canonical image decodes to the same fields");
}

void FieldConstructor(Input& in, int type) {
    std::string name;
    for (std::size_t n = in.Byte() % 9; n > 0; --n)
        name += static_cast<char>(in.Byte());
    const std::uint8_t id = in.Byte(), ec = in.Byte();
    const int beep = in.Int(), format = in.Int(), keyboard = in.Int(), database = in.Int();
    const int both = in.Int(), omit = in.Int(), second = in.Int();
    std::uint8_t prefix[4], suffix[4];
    for (auto& code : prefix)
        code = in.Byte();
    const std::uint8_t prefixMask = in.Byte();
    for (auto& code : suffix)
        code = in.Byte();
    const std::uint8_t suffixMask = in.Byte();
    const UserArea built(name, id, ec, beep, format, keyboard, database, both, omit, second, prefix[0], prefix[1],
                         prefix[2], prefix[3], prefixMask, suffix[0], suffix[1], suffix[2], suffix[3], suffixMask,
                         type);
    UserArea back;
    std::memcpy(back.bytes, built.bytes, UserArea::Size);
    back.Decode(type);

    const std::string expectedName = name.substr(0, std::min(name.find_first_of(std::string(" \0", 2)), std::size_t{6}));
    VANTIX_FUZZ_CHECK(back.Name() == expectedName, "the name reads back up to its first space or NUL");
    VANTIX_FUZZ_CHECK(back.id == id && back.ec == ec, "id and ec read back");
    VANTIX_FUZZ_CHECK(back.beep == OwnBits(beep, 3), "beep keeps its own bits");
    VANTIX_FUZZ_CHECK(back.sendToKeyboard == OwnBits(keyboard, 1), "keyboard switch keeps its own bit");
    VANTIX_FUZZ_CHECK(back.storeToDatabase == OwnBits(database, 1), "database switch keeps its own bit");
    const bool proximity = type == FTDI::DeviceTypeProximity, twoTracks = type == FTDI::DeviceTypeTwoTracks;
    VANTIX_FUZZ_CHECK(back.mediaIdFormat == (proximity ? OwnBits(format, 2) : -1), "media-ID format");
    VANTIX_FUZZ_CHECK(back.omitSentinel == (proximity ? -1 : OwnBits(omit, 1)), "omit sentinel");
    VANTIX_FUZZ_CHECK(back.bothTracks == (twoTracks ? OwnBits(both, 1) : -1), "both tracks");
    VANTIX_FUZZ_CHECK(back.secondTrackBit == (twoTracks ? OwnBits(second, 1) : -1), "second track bit");
    const std::uint8_t maskBits = twoTracks ? 0xFF : 0x0F;
    VANTIX_FUZZ_CHECK(back.prefixMask == (prefixMask & maskBits) && back.suffixMask == (suffixMask & maskBits),
                      "masks");
    for (int i = 0; i < 4; ++i)
        VANTIX_FUZZ_CHECK(back.prefixCode[i] == (prefix[i] & 0x0F) && back.suffixCode[i] == (suffix[i] & 0x0F),
                          "key codes keep their nibble");
    VANTIX_FUZZ_CHECK(built.bytes[15] == 0xFF, "byte 15 is 0xFF");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const int type = in.Byte() % 5 - 1;
    StoredImage(in, type);
    if (in.Left() > 0)
        FieldConstructor(in, type);
    return 0;
}
