#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

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

UserArea Named(const std::string& name) {
    return UserArea(name, 0, 0, 0, 0, 0, 0, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DeviceTypeProximity);
}

// Every decoded field on one line, so whole records compare at once.
std::string Fields(const UserArea& a) {
    char text[160];
    std::snprintf(text, sizeof text, "%s %02X %02X beep%d fmt%d kb%d db%d both%d omit%d 2nd%d pf%X%X%X%X/%02X sf%X%X%X%X/%02X type%d",
                  a.Name().c_str(), a.id, a.ec, a.beep, a.mediaIdFormat, a.sendToKeyboard, a.storeToDatabase,
                  a.bothTracks, a.omitSentinel, a.secondTrackBit, a.prefixCode[0], a.prefixCode[1], a.prefixCode[2],
                  a.prefixCode[3], a.prefixMask, a.suffixCode[0], a.suffixCode[1], a.suffixCode[2], a.suffixCode[3],
                  a.suffixMask, a.deviceType);
    return text;
}

} // namespace

TEST(UserAreaEncode, LaysOutEveryFieldAndKeepsEachInItsOwnBits) {
    // beep 5 -> 0x50, KB 0x02, DB 0x01, format 2 -> 0x08.
    EXPECT_EQ(Hex(UserArea("ABC", 0x12, 0x34, 5, 2, 1, 1, -1, -1, -1, 8, 7, 9, 11, 0x05, 6, 10, 12, 0, 0x0A, 0)),
              "5B1234" "414243202020" "87" "9B" "05" "6A" "C0" "0A" "FF");
    // A blank record is all zero but for the name's spaces and byte 15.
    UserArea area;
    area.Encode(DeviceTypeProximity);
    EXPECT_EQ(Hex(area), "000000" "202020202020" "000000000000" "FF");
    // Byte 0 by type: the bits of other types' fields are never set.
    area.mediaIdFormat = 3;
    area.omitSentinel = area.secondTrackBit = area.bothTracks = 1;
    const std::pair<int, int> byteZero[] = {
        {DeviceTypeProximity, 0x0C}, {DeviceTypeTrack1, 0x04}, {DeviceTypeTrack2, 0x04}, {DeviceTypeTwoTracks, 0x8C}};
    for (const auto& [type, expected] : byteZero) {
        area.Encode(type);
        EXPECT_EQ(area.bytes[0], expected) << type;
    }
    // The dialogs pass -1 for fields of other types, callers may pass too
    // wide values: nothing leaks into a neighbour.
    UserArea wide("X", 0, 0, 7, -1, 1, 0, -1, -1, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, DeviceTypeTrack1);
    EXPECT_EQ(wide.bytes[0], 0x72);
    wide.beep = 9; // three bits only: 9 -> 1, bit 7 untouched
    wide.prefixCode[1] = 0x1F;
    wide.Encode(DeviceTypeTwoTracks);
    EXPECT_EQ(wide.bytes[0] & 0x80, 0);
    EXPECT_EQ(wide.bytes[0] >> 4, 1);
    EXPECT_EQ(wide.bytes[9], 0x0F);
}

TEST(UserAreaName, IsPaddedWithSpacesFromTheFirstNulAndEndsAtASpace) {
    UserArea area;
    std::memcpy(area.name, "AB\0CDE", 7);
    area.Encode(DeviceTypeProximity);
    EXPECT_EQ(Hex(area).substr(6, 12), "414220202020");
    EXPECT_EQ(Hex(Named("SIXCHR")).substr(6, 12), "534958434852");
    EXPECT_EQ(Hex(Named("A B")).substr(6, 12), "412042202020");

    UserArea back = FromBytes(Hex(Named("AB")), DeviceTypeProximity);
    EXPECT_EQ(back.Name(), "AB");
    EXPECT_EQ(back.name[6], '\0');
    back = FromBytes(Hex(Named("A B")), DeviceTypeProximity);
    EXPECT_EQ(back.Name(), "A");
    back.Encode(DeviceTypeProximity);
    EXPECT_EQ(Hex(back).substr(6, 12), "412020202020") << "what was read is what is written again";
}

TEST(UserAreaDecode, ByteZeroAndTheMasksMeanDifferentThingsByType) {
    const std::string flags = "0C0000202020202020000000000000FF";
    const std::string masks = "000000202020202020" "0000F2" "0000A7" "FF";
    const struct {
        std::string image;
        int type;
        std::string fields;
    } cases[] = {
        {flags, DeviceTypeProximity, " 00 00 beep0 fmt3 kb0 db0 both-1 omit-1 2nd-1 pf0000/00 sf0000/00 type0"},
        {flags, DeviceTypeTrack1, " 00 00 beep0 fmt-1 kb0 db0 both-1 omit1 2nd-1 pf0000/00 sf0000/00 type1"},
        {flags, DeviceTypeTwoTracks, " 00 00 beep0 fmt-1 kb0 db0 both0 omit1 2nd1 pf0000/00 sf0000/00 type3"},
        {"F3A55A41202020202012340FBCDEFFFF", DeviceTypeTwoTracks,
         "A A5 5A beep7 fmt-1 kb1 db1 both1 omit0 2nd0 pf1234/0F sfBCDE/FF type3"},
        // Only two-track readers keep the high nibbles of the masks.
        {masks, DeviceTypeTrack2, " 00 00 beep0 fmt-1 kb0 db0 both-1 omit0 2nd-1 pf0000/02 sf0000/07 type2"},
        {masks, DeviceTypeTwoTracks, " 00 00 beep0 fmt-1 kb0 db0 both0 omit0 2nd0 pf0000/F2 sf0000/A7 type3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Fields(FromBytes(c.image, c.type)), c.fields) << c.image << " as type " << c.type;
}

TEST(DetectDeviceType, FirstMatchingRuleWins) {
    const std::pair<const char*, int> cases[] = {
        {"TR-614 USB", DeviceTypeProximity}, {"TR-617", DeviceTypeProximity},
        {"TR-613-2 / TR-617", DeviceTypeProximity}, {"TR-613-17", DeviceTypeTrack1},
        {"x TR-613-2", DeviceTypeTrack2}, {"TR-613-3", DeviceTypeTwoTracks},
        {"tr-614", DeviceTypeNotUsed} /* case-sensitive */, {"TR-613", DeviceTypeNotUsed}, {"", DeviceTypeNotUsed}};
    for (const auto& [description, type] : cases)
        EXPECT_EQ(DetectDeviceType(description), type) << description;
}
