#include <gtest/gtest.h>

#include <algorithm>

#include "platform/d2xx/libftdi/EepromUserArea.h"

using namespace FTDI;
using Chip = EepromUserArea::Chip;
using Result = EepromUserArea::Result;
using Image = EepromUserArea::Image;

namespace {

// An EEPROM image laid out as the vendor's tools program it: three string
// descriptors from 0x18 (FT232R) or 0x14 (BM), pointers with 0x80 set,
// the FT232R's plug-and-play bytes, and the checksum in the last word.
// Writes the checksum into the last word.
void Seal(Image& image) {
    const std::uint16_t sum = EepromUserArea::Checksum(image);
    image[image.size() - 2] = static_cast<std::uint8_t>(sum);
    image[image.size() - 1] = static_cast<std::uint8_t>(sum >> 8);
}

Image MakeImage(Chip chip, const std::string& manufacturer, const std::string& product,
                const std::string& serial, std::size_t size = 0x80) {
    Image image(size, 0x00);
    std::copy_n("\x00\x00\x03\x04\x01\x60", 6, image.begin());
    std::size_t at = chip == Chip::FT232R ? 0x18 : 0x14;
    std::size_t pointer = 0x0E;
    for (const std::string* text : {&manufacturer, &product, &serial}) {
        const auto length = static_cast<std::uint8_t>(2 + 2 * text->size());
        image[pointer] = static_cast<std::uint8_t>(at | 0x80);
        image[pointer + 1] = length;
        pointer += 2;
        image[at] = length;
        image[at + 1] = 0x03;
        for (std::size_t i = 0; i < text->size(); ++i)
            image[at + 2 + 2 * i] = static_cast<std::uint8_t>((*text)[i]);
        at += length;
    }
    if (chip == Chip::FT232R && at + 4 <= size - 2)
        std::copy_n("\x02\x03\x01", 3, image.begin() + static_cast<std::ptrdiff_t>(at));
    Seal(image);
    return image;
}

const std::uint8_t Area[16] = {0x5B, 0x12, 0x34, 'A', 'B', 'C', ' ', ' ', ' ',
                               0x87, 0x9B, 0x05, 0x6A, 0xC0, 0x0A, 0xFF};

} // namespace

TEST(EepromChecksum, MatchesTheChipsRuleAndDetectsAChangedByte) {
    // A blank 93C46 image: 0xAAAA mixed with 63 zero words.
    Image image(0x80, 0x00);
    std::uint16_t expected = 0xAAAA;
    for (int i = 0; i < 63; ++i)
        expected = static_cast<std::uint16_t>((expected << 1) | (expected >> 15));
    EXPECT_EQ(EepromUserArea::Checksum(image), expected);

    image = MakeImage(Chip::FT232R, "FTDI", "TR-614", "FT1");
    EXPECT_TRUE(EepromUserArea::ChecksumValid(image));
    image[0x40] ^= 0x01;
    EXPECT_FALSE(EepromUserArea::ChecksumValid(image));
}

// What is patched reads back; that nothing else but the checksum changes is
// the eeprom_image fuzz target's invariant.
TEST(EepromUserArea, StartsAfterTheStringsAndTheFT232RsPlugAndPlayBytesAndReadsBackWhatIsPatched) {
    const struct {
        Chip chip;
        const char* product;
        const char* serial;
        std::size_t offset, size;
    } cases[] = {
        // FT232R: 0x18 + 6 + 2 * characters + 4 plug-and-play bytes; 46 characters at most.
        {Chip::FT232R, "TR-614 reader", "A", 70, 56},
        {Chip::FT232R, "TR-614 reader", "FT123456", 84, 42},
        {Chip::FT232R, "TR-614 reader", "FTABCDEFGHIJKLMN", 100, 26},
        // BM: right after the serial, up to the checksum.
        {Chip::FT232BM, "TR-613-2", "FT42", 58, 68},
    };
    for (const auto& c : cases) {
        Image image = MakeImage(c.chip, "FTDI", c.product, c.serial);
        EepromUserArea::Place place;
        ASSERT_EQ(EepromUserArea::Locate(image, c.chip, place), Result::Ok) << c.serial;
        EXPECT_EQ(place.offset, c.offset) << c.serial;
        EXPECT_EQ(place.size, c.size) << c.serial;
        Image patched = image;
        std::vector<std::uint8_t> back;
        ASSERT_EQ(EepromUserArea::Patch(patched, c.chip, Area, 16), Result::Ok);
        ASSERT_EQ(EepromUserArea::Read(patched, c.chip, 16, back), Result::Ok);
        EXPECT_EQ(back, std::vector<std::uint8_t>(Area, Area + 16));
        // A string pointer without its flag bit points to the same place.
        image[0x12] &= 0x7F;
        Seal(image);
        ASSERT_EQ(EepromUserArea::Locate(image, c.chip, place), Result::Ok) << c.serial;
        EXPECT_EQ(place.offset, c.offset) << c.serial;
    }
}

TEST(EepromUserArea, RefusesBlankCorruptAndFullImagesWithoutTouchingThem) {
    Image corrupt = MakeImage(Chip::FT232R, "FTDI", "TR-614", "FT1");
    corrupt[0x7E] ^= 0xFF;
    const struct {
        Image image;
        Result result; // of Read and Patch
    } cases[] = {
        {Image(0x80, 0xFF), Result::NotProgrammed},
        {Image(0x20, 0x00), Result::NotProgrammed},
        {corrupt, Result::BadChecksum},
        // 46 characters fill an FT232R; 39 leave 14 bytes, too few for 16.
        {MakeImage(Chip::FT232R, "FTDI", std::string(34, 'P'), "FT123456"), Result::NoRoom},
        {MakeImage(Chip::FT232R, "FTDI", std::string(27, 'P'), "FT123456"), Result::NoRoom},
        // The serial ends at 0x7E or 0x7C: the plug-and-play bytes would put
        // the area past the end; it may not be read as an empty area.
        {MakeImage(Chip::FT232R, "FTDI", "TR-614", std::string(38, 'S')), Result::NoRoom},
        {MakeImage(Chip::FT232R, "FTDI", "TR-614", std::string(37, 'S')), Result::NoRoom},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        std::vector<std::uint8_t> out;
        EXPECT_EQ(EepromUserArea::Read(cases[i].image, Chip::FT232R, 16, out), cases[i].result) << i;
        EXPECT_TRUE(out.empty()) << "a refused read reports no bytes";
        Image patched = cases[i].image;
        EXPECT_EQ(EepromUserArea::Patch(patched, Chip::FT232R, Area, 16), cases[i].result) << i;
        EXPECT_EQ(patched, cases[i].image) << i;
    }
}
