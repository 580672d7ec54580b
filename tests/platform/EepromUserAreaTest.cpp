#include <gtest/gtest.h>

#include "platform/d2xx/libftdi/EepromUserArea.h"

using namespace FTDI;
using Chip = EepromUserArea::Chip;
using Result = EepromUserArea::Result;
using Image = EepromUserArea::Image;

namespace {

// An EEPROM image laid out as the vendor's tools program it: three string
// descriptors from 0x18 (FT232R) or 0x14 (BM), pointers with 0x80 set,
// the FT232R's plug-and-play bytes, and the checksum in the last word.
Image MakeImage(Chip chip, const std::string& manufacturer, const std::string& product,
                const std::string& serial, std::size_t size = 0x80) {
    Image image(size, 0x00);
    image[0x00] = 0x00;
    image[0x02] = 0x03;
    image[0x03] = 0x04;
    image[0x04] = 0x01;
    image[0x05] = 0x60;
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
    if (chip == Chip::FT232R && at + 4 <= size - 2) {
        image[at] = 0x02;
        image[at + 1] = 0x03;
        image[at + 2] = 0x01;
    }
    const std::uint16_t sum = EepromUserArea::Checksum(image);
    image[size - 2] = static_cast<std::uint8_t>(sum);
    image[size - 1] = static_cast<std::uint8_t>(sum >> 8);
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

TEST(EepromUserArea, FT232RStartsAfterThePlugAndPlayBytes) {
    for (const std::string serial : {"A", "FT123456", "FTABCDEFGHIJKLMN"}) {
        const Image image = MakeImage(Chip::FT232R, "FTDI", "TR-614 reader", serial);
        EepromUserArea::Place place;
        ASSERT_EQ(EepromUserArea::Locate(image, Chip::FT232R, place), Result::Ok);
        const std::size_t chars = 4 + 13 + serial.size();
        EXPECT_EQ(place.offset, 0x18 + 6 + 2 * chars + 4) << serial;
        EXPECT_EQ(place.size, (46 - chars) * 2) << serial;
        EXPECT_EQ(image[place.offset - 4], 0x02);
    }
}

TEST(EepromUserArea, BMStartsRightAfterTheSerial) {
    const Image image = MakeImage(Chip::FT232BM, "FTDI", "TR-613-2", "FT42");
    EepromUserArea::Place place;
    ASSERT_EQ(EepromUserArea::Locate(image, Chip::FT232BM, place), Result::Ok);
    EXPECT_EQ(place.offset, 0x14 + 6 + 2 * (4 + 8 + 4));
    EXPECT_EQ(place.offset + place.size, 0x7Eu);
}

TEST(EepromUserArea, PointerWithoutTheFlagBitGivesTheSamePlace) {
    Image image = MakeImage(Chip::FT232R, "FTDI", "TR-617", "S1");
    EepromUserArea::Place flagged;
    ASSERT_EQ(EepromUserArea::Locate(image, Chip::FT232R, flagged), Result::Ok);
    image[0x12] &= 0x7F;
    const std::uint16_t sum = EepromUserArea::Checksum(image);
    image[0x7E] = static_cast<std::uint8_t>(sum);
    image[0x7F] = static_cast<std::uint8_t>(sum >> 8);
    EepromUserArea::Place plain;
    ASSERT_EQ(EepromUserArea::Locate(image, Chip::FT232R, plain), Result::Ok);
    EXPECT_EQ(plain.offset, flagged.offset);
}

TEST(EepromUserArea, RefusesBlankCorruptAndFullImages) {
    EepromUserArea::Place place;
    EXPECT_EQ(EepromUserArea::Locate(Image(0x80, 0xFF), Chip::FT232R, place), Result::NotProgrammed);
    EXPECT_EQ(EepromUserArea::Locate(Image(0x20, 0x00), Chip::FT232R, place), Result::NotProgrammed);

    Image image = MakeImage(Chip::FT232R, "FTDI", "TR-614", "FT1");
    image[0x7E] ^= 0xFF;
    EXPECT_EQ(EepromUserArea::Locate(image, Chip::FT232R, place), Result::BadChecksum);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(EepromUserArea::Read(image, Chip::FT232R, 16, out), Result::BadChecksum);

    // 46 characters fill an FT232R: nothing is left for the area.
    Image full = MakeImage(Chip::FT232R, "FTDI", std::string(34, 'P'), "FT123456");
    ASSERT_EQ(EepromUserArea::Locate(full, Chip::FT232R, place), Result::Ok);
    EXPECT_EQ(place.size, 0u);
    const Image before = full;
    EXPECT_EQ(EepromUserArea::Patch(full, Chip::FT232R, Area, 16), Result::NoRoom);
    EXPECT_EQ(full, before);
    // 39 characters leave 14 bytes: too few for 16, to read or to write.
    Image tight = MakeImage(Chip::FT232R, "FTDI", std::string(27, 'P'), "FT123456");
    EXPECT_EQ(EepromUserArea::Patch(tight, Chip::FT232R, Area, 16), Result::NoRoom);
    out.clear();
    EXPECT_EQ(EepromUserArea::Read(tight, Chip::FT232R, 16, out), Result::NoRoom);
    EXPECT_EQ(EepromUserArea::Read(full, Chip::FT232R, 16, out), Result::NoRoom);
    EXPECT_TRUE(out.empty()) << "a refused read reports no bytes";
}

TEST(EepromUserArea, StringsReachingTheChecksumLeaveNoArea) {
    // The serial descriptor ends at 0x7E or 0x7C: the FT232R's plug-and-play
    // bytes would put the area at 130 or 128, past the end of a 128-byte
    // image. Neither may be read as an empty area.
    for (const std::size_t serialChars : {38u, 37u}) {
        Image image = MakeImage(Chip::FT232R, "FTDI", "TR-614", std::string(serialChars, 'S'));
        EepromUserArea::Place place;
        EXPECT_EQ(EepromUserArea::Locate(image, Chip::FT232R, place), Result::NoRoom) << serialChars;
        std::vector<std::uint8_t> out;
        EXPECT_EQ(EepromUserArea::Read(image, Chip::FT232R, 16, out), Result::NoRoom) << serialChars;
        const Image before = image;
        EXPECT_EQ(EepromUserArea::Patch(image, Chip::FT232R, Area, 16), Result::NoRoom);
        EXPECT_EQ(image, before);
    }
}

TEST(EepromUserArea, PatchTouchesOnlyTheAreaAndTheChecksum) {
    for (Chip chip : {Chip::FT232R, Chip::FT232BM}) {
        const Image original = MakeImage(chip, "FTDI", "TR-614 Proximity", "FT9Z8Y7X");
        Image patched = original;
        ASSERT_EQ(EepromUserArea::Patch(patched, chip, Area, 16), Result::Ok);
        EXPECT_TRUE(EepromUserArea::ChecksumValid(patched));
        EepromUserArea::Place place;
        ASSERT_EQ(EepromUserArea::Locate(patched, chip, place), Result::Ok);
        for (std::size_t i = 0; i < original.size(); ++i) {
            const bool inArea = i >= place.offset && i < place.offset + 16;
            const bool checksum = i >= 0x7E;
            if (!inArea && !checksum) {
                EXPECT_EQ(patched[i], original[i]) << "byte " << i;
            }
        }
        std::vector<std::uint8_t> back;
        ASSERT_EQ(EepromUserArea::Read(patched, chip, 16, back), Result::Ok);
        EXPECT_EQ(back, std::vector<std::uint8_t>(Area, Area + 16));
    }
}
