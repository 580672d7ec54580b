#pragma once
#include <algorithm>
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
    AnyMessage message;
    std::string serial; // of the message's reader
};

// A consumer that records every message and answers the unknown-device
// question with a preset type.
class RecordingConsumer : public FTDI::FTDIHelper<RecordingConsumer> {
public:
    using FTDIHelper::FTDIHelper;
    ~RecordingConsumer() override { Stop(); }

    void PostToConsumer(unsigned number, std::uintptr_t wParam, std::intptr_t lParam) {
        Posted posted{number, wParam, {}, {}};
        switch (number) {
        case FTDI::MsgDeviceAdded: Keep<FTDI::MessageDeviceAdded>(posted, lParam); break;
        case FTDI::MsgDeviceRemoved: Keep<FTDI::MessageDeviceRemoved>(posted, lParam); break;
        case FTDI::MsgRegistration: Keep<FTDI::MessageRegistration>(posted, lParam); break;
        case FTDI::MsgDeviceChanged: Keep<FTDI::MessageDeviceChanged>(posted, lParam); break;
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

    std::vector<Posted> Messages() const { return Locked(posted_); }
    std::vector<Posted> Messages(unsigned number) const {
        auto all = Messages();
        std::erase_if(all, [&](const Posted& p) { return p.number != number; });
        return all;
    }
    std::vector<std::string> Questions() const { return Locked(questions_); }
    std::vector<FTDI::DeviceFault> Faults() const { return Locked(faults_); }
    void Clear() {
        std::lock_guard lock(mutex_);
        posted_.clear();
    }

    // Waits until `count` messages of that number have arrived.
    template <class Rep, class Period>
    bool WaitFor(unsigned number, std::size_t count, std::chrono::duration<Rep, Period> timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            return std::size_t(std::count_if(posted_.begin(), posted_.end(),
                                             [&](const Posted& p) { return p.number == number; })) >= count;
        });
    }

    std::atomic<bool> deviceCheck{false};
    std::atomic<int> answer{-1};
    // Called on the posting thread before the message is recorded.
    std::function<void(const Posted&)> onPost;

private:
    template <class M>
    void Keep(Posted& posted, std::intptr_t slot) {
        M message = Copy<M>(slot);
        posted.serial = message.serialNumber;
        posted.message = std::move(message);
    }
    template <class T>
    T Locked(const T& field) const {
        std::lock_guard lock(mutex_);
        return field;
    }

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
