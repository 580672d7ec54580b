#include <gtest/gtest.h>

#include "ftdi/Crc8.h"
#include "platform/d2xx/SimulatedD2xx.h"

using namespace FTDI;

TEST(OneWireCrc8, MatchesTheCrcByteOfAKnownIdentifier) {
    // F400000249541F01: family 01, serial 00000249541F, CRC F4.
    const std::uint8_t data[] = {0x01, 0x1F, 0x54, 0x49, 0x02, 0x00, 0x00};
    EXPECT_EQ(OneWireCrc8(data, sizeof data), 0xF4);
}

TEST(Simulator, CompletesAFourteenDigitIdentifierWithItsCrc) {
    EXPECT_EQ(SimulatedD2xx::CompleteIdentifier("00000249541F01"), "F400000249541F01");
    EXPECT_EQ(SimulatedD2xx::CompleteIdentifier("0123"), std::nullopt);
    EXPECT_EQ(SimulatedD2xx::CompleteIdentifier("XX000249541F01"), std::nullopt);
}

TEST(Simulator, FrameCarriesTheIdentifierLeastSignificantByteFirst) {
    const std::string frame = SimulatedD2xx::ProximityFrame("F400000249541F01");
    ASSERT_EQ(frame.size(), 21u);
    EXPECT_EQ(frame.substr(1, 16), "011F54490200" "00F4");
    EXPECT_EQ(frame.find('\0'), std::string::npos);
}

TEST(Simulator, ReadsWhatWasPresentedAndFailsOnRequest) {
    SimulatedD2xx sim;
    sim.Plug("A1", "TR-614 reader");
    DWORD count = 0;
    ASSERT_EQ(sim.FT_CreateDeviceInfoList(&count), FT_OK);
    ASSERT_EQ(count, 1u);
    FT_HANDLE h = nullptr;
    ASSERT_EQ(sim.FT_Open(0, &h), FT_OK);
    ASSERT_TRUE(sim.PresentCard("A1", "00000249541F01"));
    DWORD waiting = 0;
    ASSERT_EQ(sim.FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(waiting, 21u);
    ASSERT_TRUE(sim.FailNext("FT_Read", FT_IO_ERROR));
    char buf[64];
    DWORD got = 0;
    EXPECT_EQ(sim.FT_Read(h, buf, waiting, &got), FT_IO_ERROR);
    EXPECT_EQ(sim.FT_Read(h, buf, waiting, &got), FT_OK);
    EXPECT_EQ(got, 21u);
    sim.Unplug("A1");
    EXPECT_NE(sim.FT_GetQueueStatus(h, &waiting), FT_OK);
    EXPECT_EQ(sim.FT_Close(h), FT_OK);
    EXPECT_EQ(sim.OpenHandles(), 0);
}
