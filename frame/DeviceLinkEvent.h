#pragma once
#include <QEvent>

#include <cstdint>
#include <memory>
#include <variant>

#include "ftdi/DeviceTypeQuestion.h"
#include "ftdi/FTDIHelper.h"
#include "ftdi/Messages.h"

// A copy of the record a device-link message carries (none for 0x8005..0x8009).
using DeviceLinkMessage = std::variant<std::monostate, FTDI::MessageDeviceAdded, FTDI::MessageDeviceRemoved,
                                       FTDI::MessageRegistration, FTDI::MessageDeviceChanged>;

// One device-link message for the frame; the event type is the message number
// (0x8001..0x8009). The receiver owns its copy of the record, so it never reads
// a ring slot that the device link is rewriting.
class DeviceLinkEvent : public QEvent {
public:
    DeviceLinkEvent(unsigned number, std::uintptr_t wParam, DeviceLinkMessage message, std::intptr_t lParam = 0)
        : QEvent(static_cast<QEvent::Type>(number)), wParam_(wParam), lParam_(lParam),
          message_(std::move(message)) {}

    unsigned Number() const { return static_cast<unsigned>(type()); }
    std::uintptr_t WParam() const { return wParam_; }
    // As received, for 0x8005..0x8009.
    std::intptr_t LParam() const { return lParam_; }
    const DeviceLinkMessage& Message() const { return message_; }
    // The record if it is of kind M, else null.
    template <class M>
    const M* As() const { return std::get_if<M>(&message_); }

private:
    std::uintptr_t wParam_;
    std::intptr_t lParam_;
    DeviceLinkMessage message_;
};

inline constexpr QEvent::Type UnknownDeviceQuestionEventType = static_cast<QEvent::Type>(0x8010);
inline constexpr QEvent::Type DeviceFaultEventType = static_cast<QEvent::Type>(0x8011);
inline constexpr QEvent::Type TypingProblemEventType = static_cast<QEvent::Type>(0x8012);

// The monitor thread asks what an unrecognised device is. The receiver shows
// the question and calls Question().Answer(type) (-1 = don't work with it).
// An event destroyed unanswered, because the receiver ignored it or is gone,
// answers -1, so the monitor never waits for nothing.
class UnknownDeviceQuestionEvent : public QEvent {
public:
    explicit UnknownDeviceQuestionEvent(std::shared_ptr<FTDI::DeviceTypeQuestion> question)
        : QEvent(UnknownDeviceQuestionEventType), question_(std::move(question)) {}
    ~UnknownDeviceQuestionEvent() override { question_->Answer(-1); }
    UnknownDeviceQuestionEvent(const UnknownDeviceQuestionEvent&) = delete;
    UnknownDeviceQuestionEvent& operator=(const UnknownDeviceQuestionEvent&) = delete;

    // "%s (%s)" from serial number and description.
    const std::string& Text() const { return question_->Text(); }
    void Answer(int deviceType) { question_->Answer(deviceType); }
    std::shared_ptr<FTDI::DeviceTypeQuestion> Question() const { return question_; }

private:
    std::shared_ptr<FTDI::DeviceTypeQuestion> question_;
};

// A reader that could not be opened or whose configuration could not be read;
// sent once per device, for the event log.
class DeviceFaultEvent : public QEvent {
public:
    explicit DeviceFaultEvent(FTDI::DeviceFault fault) : QEvent(DeviceFaultEventType), fault_(std::move(fault)) {}
    const FTDI::DeviceFault& Fault() const { return fault_; }

private:
    FTDI::DeviceFault fault_;
};

// A card read that was not typed as read, for the event log.
class TypingProblemEvent : public QEvent {
public:
    explicit TypingProblemEvent(FTDI::TypingProblem problem)
        : QEvent(TypingProblemEventType), problem_(std::move(problem)) {}
    const FTDI::TypingProblem& Problem() const { return problem_; }

private:
    FTDI::TypingProblem problem_;
};
