#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "platform/system/SharedLibrary.h"
#include "platform/d2xx/vendor/VendorD2xx.h"
#include "tests/support/Wait.h"

using namespace FTDI;

TEST(VendorD2xx, RefusesAMissingIncompleteOrOldLibraryNamingTheReason) {
    const struct {
        const char* library;
        const char* reason;
    } cases[] = {
        {"/nonexistent/libftd2xx.so", "/nonexistent/libftd2xx.so"},
        {FAKE_D2XX_WITHOUT_OPEN, "FT_Open"},
        {FAKE_D2XX_OLD, "1.0"}, // other type sizes
    };
    for (const auto& c : cases) {
        const auto refused = CreateVendorD2xx(c.library);
        ASSERT_FALSE(refused) << c.library;
        EXPECT_NE(refused.error().find(c.reason), std::string::npos) << refused.error();
    }
}

class VendorD2xxLoaded : public ::testing::Test {
protected:
    void SetUp() override {
        auto created = CreateVendorD2xx(FAKE_D2XX);
        ASSERT_TRUE(created) << created.error();
        d2xx = std::move(created).value();
    }
    std::unique_ptr<D2xx> d2xx;
};

TEST_F(VendorD2xxLoaded, ListsTheReadersAndCallsReachTheLibrary) {
    DWORD count = 0;
    ASSERT_EQ(d2xx->FT_CreateDeviceInfoList(&count), FT_OK);
    ASSERT_EQ(count, 2u);
    FT_DEVICE_LIST_INFO_NODE nodes[2];
    std::memset(nodes, 0x55, sizeof nodes);
    DWORD capacity = 1;
    ASSERT_EQ(d2xx->FT_GetDeviceInfoList(nodes, &capacity), FT_OK);
    EXPECT_EQ(capacity, 2u) << "the count says how many exist";
    EXPECT_STREQ(nodes[0].SerialNumber, "ABCDEFGHIJKLMNO") << "a full field is cut to end in NUL";
    EXPECT_STREQ(nodes[0].Description, "TR-614 proximity");
    EXPECT_EQ(static_cast<unsigned char>(nodes[1].SerialNumber[0]), 0x55) << "no node beyond the caller's array";

    EXPECT_EQ(d2xx->FT_Rescan(), FT_NOT_SUPPORTED) << "optional and absent";
    EXPECT_EQ(d2xx->FT_Reload(0x0403, 0x6001), FT_OK);
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(d2xx->FT_Open(1, &handle), FT_OK);
    unsigned char area[16] = {0x5B, 1, 2, 'A', 'B', 'C', 3, 4, 5, 6, 7, 8, 9, 10, 11, 0xFF}, back[16] = {};
    ASSERT_EQ(d2xx->FT_EE_UAWrite(handle, area, 16), FT_OK);
    DWORD got = 0, waiting = 0, written = 0;
    ASSERT_EQ(d2xx->FT_EE_UARead(handle, back, 16, &got), FT_OK);
    EXPECT_EQ(got, 16u);
    EXPECT_EQ(std::memcmp(area, back, 16), 0);
    EXPECT_EQ(d2xx->FT_GetQueueStatus(handle, &waiting), FT_OK);
    EXPECT_EQ(waiting, 7u);
    EXPECT_EQ(d2xx->FT_Write(handle, area, 3, &written), FT_OK);
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(d2xx->FT_Close(handle), FT_OK);
}

TEST_F(VendorD2xxLoaded, SetsTheLatencyTimerAndForwardsReceiveEventsUntilClosed) {
    // The fake is already loaded: this reaches the same copy.
    const auto fake = vantix::SharedLibrary::Open(FAKE_D2XX);
    ASSERT_TRUE(fake) << fake.error();
    const auto receive = fake->Function<void (*)(int)>("FakeReceive");
    const auto latency = fake->Function<unsigned char (*)(int)>("FakeLatency");
    ASSERT_TRUE(receive && latency);

    FT_HANDLE handle = nullptr;
    ASSERT_EQ(d2xx->FT_Open(1, &handle), FT_OK);
    ASSERT_EQ(d2xx->FT_SetLatencyTimer(handle, 2), FT_OK);
    EXPECT_EQ(latency(1), 2);

    DataSignal signal;
    ASSERT_EQ(d2xx->FT_SetEventNotification(handle, FT_EVENT_RXCHAR, &signal), FT_OK);
    EXPECT_FALSE(signal.WaitFor(std::chrono::milliseconds(0), {}));
    // The bridging thread may not be waiting yet when the first event comes.
    EXPECT_TRUE(vantix::test::WaitFor([&] { return receive(1), signal.WaitFor(std::chrono::milliseconds(10), {}); },
                                      std::chrono::seconds(5), [] {}));

    EXPECT_EQ(d2xx->FT_Close(handle), FT_OK);
    signal.WaitFor(std::chrono::milliseconds(0), {});
    receive(1);
    EXPECT_FALSE(signal.WaitFor(std::chrono::milliseconds(50), {})) << "a closed reader wakes nobody";
}
