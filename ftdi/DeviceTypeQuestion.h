#pragma once
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "core/Stop.h"

namespace FTDI {

// The unknown-device question, asked by the monitor thread and answered by
// whichever thread shows it to the user. The first answer counts.
class DeviceTypeQuestion {
public:
    explicit DeviceTypeQuestion(std::string text) : text_(std::move(text)) {}

    // "%s (%s)" from serial number and description.
    const std::string& Text() const { return text_; }

    // The chosen device type, or -1 for "Don't work with that device".
    void Answer(int deviceType) {
        {
            std::lock_guard lock(mutex_);
            if (answer_)
                return;
            answer_ = deviceType;
        }
        answered_.notify_all();
    }

    // Blocks until answered; a stop request ends the wait with -1.
    int Wait(const vantix::StopToken& stop) {
        std::optional<int> answer;
        stop.Wait(mutex_, answered_, std::nullopt, [&] {
            answer = answer_;
            return answer.has_value();
        });
        return answer.value_or(-1);
    }

private:
    const std::string text_;
    mutable std::mutex mutex_;
    std::condition_variable answered_;
    std::optional<int> answer_;
};

} // namespace FTDI
