#pragma once
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <variant>
#include <vector>

#include "ftdi/FTDIHelper.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"
#include "tests/support/AreaBytes.h"

namespace vantix::test {

using AnyMessage = std::variant<std::monostate, FTDI::MessageDeviceAdded, FTDI::MessageDeviceRemoved,
                                FTDI::MessageRegistration, FTDI::MessageDeviceChanged>;

// One thread message as the consumer saw it, with a copy of its slot.
struct Posted {
    unsigned number;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    AnyMessage message;

    const std::string& Serial() const {
        return std::visit(
            [](const auto& m) -> const std::string& {
                if constexpr (std::is_same_v<std::decay_t<decltype(m)>, std::monostate>) {
                    static const std::string none;
                    return none;
                } else {
                    return m.serialNumber;
                }
            },
            message);
    }
};

// A consumer that records every message and answers the unknown-device
// question with a preset type.
class RecordingConsumer : public FTDI::FTDIHelper<RecordingConsumer> {
public:
    using FTDIHelper::FTDIHelper;
    ~RecordingConsumer() override { Stop(); }

    void PostToConsumer(unsigned number, std::uintptr_t wParam, std::intptr_t lParam) {
        Posted posted{number, wParam, lParam, {}};
        switch (number) {
        case FTDI::MsgDeviceAdded: posted.message = Copy<FTDI::MessageDeviceAdded>(lParam); break;
        case FTDI::MsgDeviceRemoved: posted.message = Copy<FTDI::MessageDeviceRemoved>(lParam); break;
        case FTDI::MsgRegistration: posted.message = Copy<FTDI::MessageRegistration>(lParam); break;
        case FTDI::MsgDeviceChanged: posted.message = Copy<FTDI::MessageDeviceChanged>(lParam); break;
        default: break;
        }
        if (onPost)
            onPost(posted);
        {
            std::lock_guard lock(mutex_);
            posted_.push_back(std::move(posted));
        }
        changed_.notify_all();
    }

    bool DeviceCheckEnabled() { return deviceCheck; }

    int AskDeviceType(const std::string& text) {
        std::lock_guard lock(mutex_);
        questions_.push_back(text);
        return answer;
    }

    void ReportDeviceFault(const FTDI::DeviceFault& fault) {
        std::lock_guard lock(mutex_);
        faults_.push_back(fault);
    }

    std::vector<Posted> Messages() const {
        std::lock_guard lock(mutex_);
        return posted_;
    }
    std::vector<Posted> Messages(unsigned number) const {
        std::vector<Posted> out;
        for (auto& p : Messages())
            if (p.number == number)
                out.push_back(p);
        return out;
    }
    std::vector<std::string> Questions() const {
        std::lock_guard lock(mutex_);
        return questions_;
    }
    std::vector<FTDI::DeviceFault> Faults() const {
        std::lock_guard lock(mutex_);
        return faults_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        posted_.clear();
    }

    // Waits until `count` messages of that number have arrived.
    template <class Rep, class Period>
    bool WaitFor(unsigned number, std::size_t count, std::chrono::duration<Rep, Period> timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            std::size_t n = 0;
            for (auto& p : posted_)
                n += p.number == number;
            return n >= count;
        });
    }

    std::atomic<bool> deviceCheck{false};
    std::atomic<int> answer{-1};
    // Called on the posting thread before the message is recorded.
    std::function<void(const Posted&)> onPost;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Posted> posted_;
    std::vector<std::string> questions_;
    std::vector<FTDI::DeviceFault> faults_;
};

// Short waits so tests run their passes quickly.
inline FTDI::EngineTimings FastTimings() {
    using namespace std::chrono_literals;
    FTDI::EngineTimings t;
    t.monitorPeriod = 20ms;
    t.readerPeriod = 5ms;
    t.idlePeriod = 5ms;
    t.callPause = 0ms;
    return t;
}

} // namespace vantix::test
