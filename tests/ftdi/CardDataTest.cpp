#include <gtest/gtest.h>

#include "ftdi/CardData.h"

using namespace FTDI;

TEST(ProximityFrame, IdentifierIsRebuiltMostSignificantByteFirstAndChecked) {
    EXPECT_EQ(IdentifierFromFrame("x0123456789ABCDEFyyyy"), "EFCDAB8967452301");
    // Only hex with a matching CRC, and not all zero.
    EXPECT_TRUE(IsValidIdentifier("F400000249541F01"));
    EXPECT_TRUE(IsValidIdentifier("f400000249541f01")); // either case
    EXPECT_FALSE(IsValidIdentifier("F500000249541F01"));  // CRC byte wrong
    EXPECT_FALSE(IsValidIdentifier("F40000024954 F01"));
    EXPECT_FALSE(IsValidIdentifier("F4000002495G1F01"));
    // The CRC of seven zero bytes is zero, so only the explicit rule drops it.
    EXPECT_FALSE(IsValidIdentifier("0000000000000000"));
}

TEST(ProximityFrame, MediaIdAndFormats) {
    const std::string id = "F400000249541F01";
    EXPECT_EQ(MediaIdOf(id), "0249541F");
    EXPECT_EQ(MediaIdOf("f400000249541f01"), "0249541F");
    const std::string formats[] = {"0249541F", "00000249541F", "00000249541F01", id, id, id, id, id};
    for (int format = 0; format < 8; ++format)
        EXPECT_EQ(FormatMediaId(id, format), formats[format]) << format;
    EXPECT_EQ(FormatMediaId("f400000249541f01", 0), "0249541f"); // typed as sent
}

namespace {

UserArea Magnetic(int type, int omit, int both, int second) {
    return UserArea("", 0, 0, 7, -1, 1, 0, both, omit, second, 12, 12, 12, 12, 0, 12, 12, 12, 12, 0, type);
}

} // namespace

TEST(MagneticRead, RecordNeedsStartAndEndBytes) {
    const UserArea t1 = Magnetic(1, 0, -1, -1);
    EXPECT_FALSE(MagneticRecordData(t1, "%ABC\x03"));
    EXPECT_FALSE(MagneticRecordData(t1, "\x01%ABC"));
    EXPECT_EQ(MagneticRecordData(t1, "junk\x01%AB\x03""C\x03tail")->text, "%AB\x03""C");
}

TEST(MagneticRead, SentinelsFollowTheDeviceOptions) {
    EXPECT_EQ(MagneticRecordData(Magnetic(1, 1, -1, -1), "\x01%ABC\x03")->text, "ABC");
    EXPECT_EQ(MagneticRecordData(Magnetic(1, 0, -1, -1), "\x01%ABC\x03")->text, "%ABC");
    EXPECT_EQ(MagneticRecordData(Magnetic(2, 1, -1, -1), "\x01;123\x03")->text, "123");

    // Two-track reader sending both tracks: ';' goes with secondTrackBit.
    const auto t2 = MagneticRecordData(Magnetic(3, 1, 1, 1), "\x01;123\x03");
    EXPECT_EQ(t2->text, "123");
    EXPECT_TRUE(t2->track2);
    const auto t1 = MagneticRecordData(Magnetic(3, 0, 1, 0), "\x01%ABC\x03");
    EXPECT_EQ(t1->text, "%ABC");
    EXPECT_FALSE(t1->track2);

    // Only the chosen track.
    EXPECT_TRUE(MagneticRecordData(Magnetic(3, 0, 0, 0), "\x01%ABC\x03"));
    EXPECT_FALSE(MagneticRecordData(Magnetic(3, 0, 0, 0), "\x01;123\x03"));
    EXPECT_FALSE(MagneticRecordData(Magnetic(3, 0, 0, 1), "\x01%ABC\x03"));
    EXPECT_EQ(MagneticRecordData(Magnetic(3, 0, 0, 1), "\x01;123\x03")->text, "123");
}
