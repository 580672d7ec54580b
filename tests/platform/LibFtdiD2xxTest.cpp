#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/d2xx/LibFtdiD2xx.h"
#include "platform/d2xx/ReceiveQueue.h"

using namespace FTDI;

TEST(ReceiveQueue, KeepsArrivalOrderAcrossEmptyAndPartialDeliveries) {
    // What the chip delivers on successive polls; one delivery larger than
    // a single source call can carry.
    std::vector<std::string> deliveries = {"", "\x02" "0123", "", std::string(700, 'x') + "END", "45"};
    std::size_t next = 0;
    std::string pending;
    ReceiveQueue queue([&](std::uint8_t* buf, int size) {
        if (pending.empty() && next < deliveries.size())
            pending = deliveries[next++];
        const int n = std::min<int>(size, static_cast<int>(pending.size()));
        std::copy_n(pending.begin(), n, buf);
        pending.erase(0, static_cast<std::size_t>(n));
        return n;
    });
    ASSERT_TRUE(queue.Poll());
    EXPECT_EQ(queue.Size(), 0u);
    ASSERT_TRUE(queue.Poll());
    EXPECT_EQ(queue.Size(), 5u);
    std::uint8_t out[1024];
    ASSERT_EQ(queue.Take(out, 3), 3u);
    EXPECT_EQ(std::string(out, out + 3), "\x02" "01");
    ASSERT_TRUE(queue.Poll()); // empty delivery
    ASSERT_TRUE(queue.Poll());
    EXPECT_EQ(queue.Size(), 2u + 703u);
    ASSERT_TRUE(queue.Poll());
    const std::size_t n = queue.Take(out, sizeof out);
    const std::string all(out, out + n);
    EXPECT_EQ(all, "23" + std::string(700, 'x') + "END45");
    EXPECT_EQ(queue.Size(), 0u);
}

TEST(ReceiveQueue, ReportsAFailedSourceAndKeepsWhatItHad) {
    int calls = 0;
    ReceiveQueue queue([&](std::uint8_t* buf, int) {
        if (calls++ == 0) {
            buf[0] = 'A';
            return 1;
        }
        return -1;
    });
    ASSERT_TRUE(queue.Poll());
    EXPECT_FALSE(queue.Poll());
    EXPECT_EQ(queue.Size(), 1u);
}

TEST(LibFtdiD2xx, WithoutReadersFindsNoneAndOpensNothing) {
    std::string error;
    auto d2xx = CreateLibFtdiD2xx(error);
    if (!d2xx)
        GTEST_SKIP() << "no USB access here: " << error;
    DWORD count = 99;
    ASSERT_EQ(d2xx->FT_CreateDeviceInfoList(&count), FT_OK);
    if (count != 0)
        GTEST_SKIP() << "a real reader is attached";
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(d2xx->FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
    DWORD waiting = 0;
    EXPECT_EQ(d2xx->FT_GetQueueStatus(handle, &waiting), FT_INVALID_HANDLE);
}

TEST(LibFtdiD2xx, RefusesABadBaudRate) {
    setenv("VANTIX_FTDI_BAUD", "96OO", 1);
    std::string error;
    EXPECT_EQ(CreateLibFtdiD2xx(error), nullptr);
    EXPECT_NE(error.find("VANTIX_FTDI_BAUD"), std::string::npos);
    unsetenv("VANTIX_FTDI_BAUD");
}
