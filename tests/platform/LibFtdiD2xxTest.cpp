#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/d2xx/libftdi/LibFtdiD2xx.h"
#include "platform/d2xx/libftdi/ReceiveQueue.h"
#include "tests/support/Wait.h"

using namespace FTDI;

namespace {

using namespace std::chrono_literals;
using vantix::test::WaitFor;

// Plays the chip: each read waits up to one latency period for what the
// test has "sent", then hands over at most what fits, or fails once unplugged.
class FakeChip {
public:
    void Send(const std::string& bytes, bool unplug = false) {
        std::lock_guard lock(mutex_);
        pending_ += bytes;
        unplugged_ = unplug;
        arrived_.notify_all();
    }
    int Read(std::uint8_t* buf, int size) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, 2ms, [this] { return unplugged_ || !pending_.empty(); });
        if (unplugged_)
            return -1;
        const int n = std::min<int>(size, static_cast<int>(pending_.size()));
        std::copy_n(pending_.begin(), n, buf);
        pending_.erase(0, static_cast<std::size_t>(n));
        return n;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::string pending_;
    bool unplugged_ = false;
};

} // namespace

TEST(ReceiveQueue, GathersInArrivalOrderPausesWithoutLosingBytesAndReportsAnUnplug) {
    FakeChip chip;
    DataSignal signal;
    ReceiveQueue queue([&](std::uint8_t* buf, int size) { return chip.Read(buf, size); });
    queue.SetSignal(&signal);
    queue.Start();
    const auto takeAll = [&] {
        std::uint8_t all[4096];
        return std::string(all, all + queue.Take(all, sizeof all));
    };
    chip.Send("\x02" "0123");
    EXPECT_TRUE(signal.WaitFor(5s, {})) << "woken by the delivery";
    ASSERT_TRUE(WaitFor([&] { return queue.Size() == 5; }));
    std::uint8_t out[3];
    ASSERT_EQ(queue.Take(out, 3), 3u);
    EXPECT_EQ(std::string(out, out + 3), "\x02" "01");
    // More than one source call carries, still in order.
    chip.Send(std::string(700, 'x') + "END");
    chip.Send("45");
    ASSERT_TRUE(WaitFor([&] { return queue.Size() == 2 + 705; }));
    EXPECT_EQ(takeAll(), "23" + std::string(700, 'x') + "END45");
    EXPECT_TRUE(queue.Healthy());
    {
        const ReceivePause pause(queue, true);
        chip.Send("AB"); // stays with the chip meanwhile
        EXPECT_EQ(queue.Size(), 0u);
    }
    ASSERT_TRUE(WaitFor([&] { return queue.Size() == 2; }));
    chip.Send("", true); // unplugged
    ASSERT_TRUE(WaitFor([&] { return !queue.Healthy(); }));
    EXPECT_EQ(takeAll(), "AB") << "what came before stays readable";
    queue.Start(); // a failed source is not read again
    EXPECT_FALSE(queue.Healthy());
}

TEST(LibFtdiD2xx, RefusesABadBaudRateAndWithoutReadersOpensNothing) {
    setenv("VANTIX_FTDI_BAUD", "96OO", 1);
    const auto refused = CreateLibFtdiD2xx();
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("VANTIX_FTDI_BAUD"), std::string::npos);
    unsetenv("VANTIX_FTDI_BAUD");
    const auto created = CreateLibFtdiD2xx();
    if (!created)
        GTEST_SKIP() << "no USB access here: " << created.error();
    D2xx* d2xx = created->get();
    DWORD count = 99;
    ASSERT_EQ(d2xx->FT_CreateDeviceInfoList(&count), FT_OK);
    if (count != 0)
        GTEST_SKIP() << "a real reader is attached";
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(d2xx->FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
    DWORD waiting = 0;
    EXPECT_EQ(d2xx->FT_GetQueueStatus(handle, &waiting), FT_INVALID_HANDLE);
}
