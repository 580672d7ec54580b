#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "core/Hex.h"
#include "ftdi/UserArea.h"

using namespace FTDI;

namespace {

UserArea FromBytes(const std::string& hex, int type) {
    UserArea area;
    EXPECT_TRUE(vantix::FromHex(hex, area.bytes, UserArea::Size));
    area.Decode(type);
    return area;
}

std::string Hex(const UserArea& area) { return vantix::ToHex(area.bytes, UserArea::Size); }

} // namespace

TEST(UserAreaEncode, LaysOutEveryFieldOfAProximityRecord) {
    const UserArea area("ABC", 0x12, 0x34, 5, 2, 1, 1, -1, -1, -1, 8, 7, 9, 11, 0x05, 6, 10, 12, 0, 0x0A, 0);
    // beep 5 -> 0x50, KB 0x02, DB 0x01, format 2 -> 0x08.
    EXPECT_EQ(Hex(area), "5B1234" "414243202020" "87" "9B" "05" "6A" "C0" "0A" "FF");
}

TEST(UserAreaEncode, ByteZeroDependsOnTheType) {
    UserArea area;
    area.beep = 0;
    area.sendToKeyboard = 0;
    area.storeToDatabase = 0;
    area.mediaIdFormat = 3;
    area.omitSentinel = 1;
    area.secondTrackBit = 1;
    area.bothTracks = 1;
    area.Encode(DeviceTypeProximity);
    EXPECT_EQ(area.bytes[0], 0x0C);
    area.Encode(DeviceTypeTrack1);
    EXPECT_EQ(area.bytes[0], 0x04) << "types 1 and 2 never set bits 3 and 7";
    area.Encode(DeviceTypeTrack2);
    EXPECT_EQ(area.bytes[0], 0x04);
    area.Encode(DeviceTypeTwoTracks);
    EXPECT_EQ(area.bytes[0], 0x8C);
}

TEST(UserAreaEncode, FieldsThatDoNotApplyOrOverflowStayInTheirBits) {
    // The dialogs pass -1 for fields of other types; nothing may leak.
    UserArea area("X", 0, 0, 7, -1, 1, 0, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DeviceTypeTrack1);
    EXPECT_EQ(area.bytes[0], 0x72);
    area.beep = 9; // three bits only: 9 -> 1, bit 7 untouched
    area.prefixCode[1] = 0x1F;
    area.Encode(DeviceTypeTwoTracks);
    EXPECT_EQ(area.bytes[0] & 0x80, 0);
    EXPECT_EQ(area.bytes[0] >> 4, 1);
    EXPECT_EQ(area.bytes[9], 0x0F);
}

TEST(UserAreaEncode, PadsTheNameWithSpacesFromTheFirstNul) {
    UserArea area;
    std::memcpy(area.name, "AB\0CDE", 7);
    area.Encode(DeviceTypeProximity);
    EXPECT_EQ(Hex(area).substr(6, 12), "414220202020");
    UserArea full("SIXCHR", 0, 0, 0, 0, 0, 0, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(Hex(full).substr(6, 12), "534958434852");
    UserArea empty("", 0, 0, 0, 0, 0, 0, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(Hex(empty).substr(6, 12), "202020202020");
}

TEST(UserAreaEncode, ByteFifteenIsAlwaysFF) {
    UserArea area;
    area.bytes[15] = 0x00;
    area.Encode(DeviceTypeTrack2);
    EXPECT_EQ(area.bytes[15], 0xFF);
    UserArea decoded = FromBytes("00000000000000000000000000000000", DeviceTypeProximity);
    EXPECT_EQ(decoded.bytes[15], 0x00) << "decoding does not touch byte 15";
    decoded.Encode(DeviceTypeProximity);
    EXPECT_EQ(decoded.bytes[15], 0xFF);
}

TEST(UserAreaDecode, TheSameByteZeroMeansDifferentThingsByType) {
    const std::string image = "0C0000202020202020000000000000FF";
    const UserArea prox = FromBytes(image, DeviceTypeProximity);
    EXPECT_EQ(prox.mediaIdFormat, 3);
    EXPECT_EQ(prox.omitSentinel, -1);
    EXPECT_EQ(prox.secondTrackBit, -1);
    EXPECT_EQ(prox.bothTracks, -1);
    const UserArea track1 = FromBytes(image, DeviceTypeTrack1);
    EXPECT_EQ(track1.mediaIdFormat, -1);
    EXPECT_EQ(track1.omitSentinel, 1);
    EXPECT_EQ(track1.secondTrackBit, -1);
    EXPECT_EQ(track1.bothTracks, -1);
    const UserArea both = FromBytes(image, DeviceTypeTwoTracks);
    EXPECT_EQ(both.omitSentinel, 1);
    EXPECT_EQ(both.secondTrackBit, 1);
    EXPECT_EQ(both.bothTracks, 0);
    EXPECT_EQ(both.deviceType, DeviceTypeTwoTracks);
}

TEST(UserAreaDecode, FlagsBeepAndBytes) {
    const UserArea area = FromBytes("F3A55A41202020202012340FBCDEFFFF", DeviceTypeTwoTracks);
    EXPECT_EQ(area.storeToDatabase, 1);
    EXPECT_EQ(area.sendToKeyboard, 1);
    EXPECT_EQ(area.beep, 7);
    EXPECT_EQ(area.bothTracks, 1);
    EXPECT_EQ(area.id, 0xA5);
    EXPECT_EQ(area.ec, 0x5A);
    EXPECT_EQ(area.prefixCode[0], 1);
    EXPECT_EQ(area.prefixCode[1], 2);
    EXPECT_EQ(area.prefixCode[2], 3);
    EXPECT_EQ(area.prefixCode[3], 4);
    EXPECT_EQ(area.suffixCode[0], 0xB);
    EXPECT_EQ(area.suffixCode[3], 0xE);
}

TEST(UserAreaDecode, MaskHighNibblesOnlyForTwoTrackReaders) {
    const std::string image = "000000" "202020202020" "0000F2" "0000A7" "FF";
    for (int type : {DeviceTypeProximity, DeviceTypeTrack1, DeviceTypeTrack2}) {
        const UserArea area = FromBytes(image, type);
        EXPECT_EQ(area.prefixMask, 0x02) << type;
        EXPECT_EQ(area.suffixMask, 0x07) << type;
    }
    const UserArea both = FromBytes(image, DeviceTypeTwoTracks);
    EXPECT_EQ(both.prefixMask, 0xF2);
    EXPECT_EQ(both.suffixMask, 0xA7);
}

TEST(UserAreaDecode, ASpaceEndsTheName) {
    const UserArea shortName("AB", 0, 0, 0, 0, 0, 0, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    UserArea back = FromBytes(Hex(shortName), DeviceTypeProximity);
    EXPECT_EQ(back.Name(), "AB");
    EXPECT_EQ(back.name[6], '\0');

    const UserArea spaced("A B", 0, 0, 0, 0, 0, 0, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(Hex(spaced).substr(6, 12), "412042202020");
    back = FromBytes(Hex(spaced), DeviceTypeProximity);
    EXPECT_EQ(back.Name(), "A");
    back.Encode(DeviceTypeProximity);
    EXPECT_EQ(Hex(back).substr(6, 12), "412020202020") << "what was read is what is written again";
}

TEST(UserArea, CopyKeepsEveryField) {
    const UserArea a("NAME", 1, 2, 3, -1, 1, 0, 1, 0, 1, 1, 2, 3, 4, 0x33, 5, 6, 7, 8, 0x44, DeviceTypeTwoTracks);
    UserArea b;
    b = a;
    const UserArea c(a);
    for (const UserArea* x : {static_cast<const UserArea*>(&b), &c}) {
        EXPECT_EQ(Hex(*x), Hex(a));
        EXPECT_EQ(x->Name(), "NAME");
        EXPECT_EQ(x->deviceType, DeviceTypeTwoTracks);
        EXPECT_EQ(x->secondTrackBit, 1);
        EXPECT_EQ(x->suffixMask, 0x44);
    }
    const DevData dev(reinterpret_cast<FT_HANDLE>(0x10), a, "TR-613-3");
    EXPECT_EQ(dev.deviceType, DeviceTypeTwoTracks);
}

// Random valid records survive encode -> decode -> encode for every type.
class UserAreaRoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(UserAreaRoundTrip, RandomRecordsSurvive) {
    const int type = GetParam();
    std::mt19937 rng(1234u + static_cast<unsigned>(type));
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int n = 0; n < 2000; ++n) {
        std::string name;
        const int len = pick(0, 6);
        for (int i = 0; i < len; ++i)
            name += static_cast<char>(pick(0x21, 0x7E));
        const bool proximity = type == DeviceTypeProximity;
        const bool twoTracks = type == DeviceTypeTwoTracks;
        const int maskMax = twoTracks ? 0xFF : 0x0F;
        auto u8 = [&](int lo, int hi) { return static_cast<std::uint8_t>(pick(lo, hi)); };
        const UserArea a(name, u8(0, 255), u8(0, 255), pick(0, 7), proximity ? pick(0, 3) : -1,
                         pick(0, 1), pick(0, 1), twoTracks ? pick(0, 1) : -1, proximity ? -1 : pick(0, 1),
                         twoTracks ? pick(0, 1) : -1, u8(0, 15), u8(0, 15), u8(0, 15), u8(0, 15),
                         u8(0, maskMax), u8(0, 15), u8(0, 15), u8(0, 15), u8(0, 15), u8(0, maskMax), type);
        UserArea b;
        std::copy(std::begin(a.bytes), std::end(a.bytes), b.bytes);
        b.Decode(type);
        ASSERT_EQ(b.Name(), name);
        ASSERT_EQ(b.id, a.id);
        ASSERT_EQ(b.ec, a.ec);
        ASSERT_EQ(b.beep, a.beep);
        ASSERT_EQ(b.mediaIdFormat, a.mediaIdFormat);
        ASSERT_EQ(b.sendToKeyboard, a.sendToKeyboard);
        ASSERT_EQ(b.storeToDatabase, a.storeToDatabase);
        ASSERT_EQ(b.bothTracks, a.bothTracks);
        ASSERT_EQ(b.omitSentinel, a.omitSentinel);
        ASSERT_EQ(b.secondTrackBit, a.secondTrackBit);
        ASSERT_EQ(b.prefixMask, a.prefixMask);
        ASSERT_EQ(b.suffixMask, a.suffixMask);
        for (int i = 0; i < 4; ++i) {
            ASSERT_EQ(b.prefixCode[i], a.prefixCode[i]);
            ASSERT_EQ(b.suffixCode[i], a.suffixCode[i]);
        }
        b.Encode(type);
        ASSERT_EQ(Hex(b), Hex(a));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryType, UserAreaRoundTrip,
                         ::testing::Values(DeviceTypeProximity, DeviceTypeTrack1, DeviceTypeTrack2,
                                           DeviceTypeTwoTracks));

TEST(DetectDeviceType, FirstMatchingRuleWins) {
    EXPECT_EQ(DetectDeviceType("TR-614 USB"), DeviceTypeProximity);
    EXPECT_EQ(DetectDeviceType("TR-617"), DeviceTypeProximity);
    EXPECT_EQ(DetectDeviceType("TR-613-2 / TR-617"), DeviceTypeProximity);
    EXPECT_EQ(DetectDeviceType("TR-613-17"), DeviceTypeTrack1);
    EXPECT_EQ(DetectDeviceType("x TR-613-2"), DeviceTypeTrack2);
    EXPECT_EQ(DetectDeviceType("TR-613-3"), DeviceTypeTwoTracks);
    EXPECT_EQ(DetectDeviceType("tr-614"), DeviceTypeNotUsed) << "case-sensitive";
    EXPECT_EQ(DetectDeviceType("TR-613"), DeviceTypeNotUsed);
    EXPECT_EQ(DetectDeviceType(""), DeviceTypeNotUsed);
}

TEST(Hex, RefusesWrongLengthAndNonHex) {
    std::uint8_t out[2];
    EXPECT_TRUE(vantix::FromHex("a0FF", out, 2));
    EXPECT_EQ(out[0], 0xA0);
    EXPECT_FALSE(vantix::FromHex("A0F", out, 2));
    EXPECT_FALSE(vantix::FromHex("A0FG", out, 2));
    EXPECT_EQ(vantix::ToHex(out, 2), "A0FF");
}
