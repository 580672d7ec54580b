#include "frame/CFTDIConsumer.h"

#include <QCoreApplication>

#include "frame/DeviceLinkEvent.h"

// Lives in the consumer thread and forwards what reaches it through that
// thread's event loop. After the loop has ended only registrations are
// still forwarded: they must reach the registration file.
class CFTDIConsumer::Forwarder : public QObject {
public:
    explicit Forwarder(QObject* receiver) : receiver_(receiver) {}

    void OnlyRegistrations() { onlyRegistrations_ = true; }

    bool event(QEvent* event) override {
        auto* linkEvent = dynamic_cast<DeviceLinkEvent*>(event);
        if (!linkEvent)
            return QObject::event(event);
        if (receiver_ && (!onlyRegistrations_ || linkEvent->Number() == FTDI::MsgRegistration))
            QCoreApplication::postEvent(receiver_, new DeviceLinkEvent(linkEvent->Number(), linkEvent->WParam(),
                                                                       linkEvent->Message(), linkEvent->LParam()));
        return true;
    }

private:
    QObject* receiver_;
    bool onlyRegistrations_ = false;
};

CFTDIConsumer::CFTDIConsumer(FTDI::D2xx& d2xx, FTDI::OutputSettings& settings, FTDI::KeyboardOutput& keyboard,
                             FTDI::EngineTimings timings, QObject* parent)
    : QThread(parent), FTDIHelper(d2xx, settings, keyboard, timings) {}

CFTDIConsumer::~CFTDIConsumer() {
    quit();
    wait();
    // Not started, or started and stopped: nothing runs any more.
    Stop();
}

bool CFTDIConsumer::Shutdown(unsigned long timeoutMs) {
    quit();
    return wait(QDeadlineTimer(static_cast<qint64>(timeoutMs)));
}

void CFTDIConsumer::run() {
    Forwarder forwarder(receiver_.load());
    {
        std::lock_guard lock(forwarderMutex_);
        forwarder_ = &forwarder;
    }
    Start();
    exec();
    // The reader may have produced registrations since the loop ended; once
    // it has stopped they all wait here. Hand them on; the removals of the
    // shutdown itself stay behind.
    Stop();
    forwarder.OnlyRegistrations();
    QCoreApplication::sendPostedEvents(&forwarder);
    std::lock_guard lock(forwarderMutex_);
    forwarder_ = nullptr;
}

void CFTDIConsumer::PostToConsumer(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    // Held while posting, so the forwarder cannot end meanwhile.
    std::lock_guard lock(forwarderMutex_);
    if (!forwarder_)
        return;
    // The copy is taken now, on the thread that just filled the slot.
    DeviceLinkMessage copy;
    switch (message) {
    case FTDI::MsgDeviceAdded: copy = Copy<FTDI::MessageDeviceAdded>(lParam); break;
    case FTDI::MsgDeviceRemoved: copy = Copy<FTDI::MessageDeviceRemoved>(lParam); break;
    case FTDI::MsgRegistration: copy = Copy<FTDI::MessageRegistration>(lParam); break;
    case FTDI::MsgDeviceChanged: copy = Copy<FTDI::MessageDeviceChanged>(lParam); break;
    default:
        if (message < FTDI::MsgCommError || message > FTDI::MsgDriverTooOld)
            return;
        break;
    }
    const std::intptr_t passed = std::holds_alternative<std::monostate>(copy) ? lParam : 0;
    QCoreApplication::postEvent(forwarder_, new DeviceLinkEvent(message, wParam, std::move(copy), passed));
}

int CFTDIConsumer::AskDeviceType(const std::string& text) {
    QObject* receiver = receiver_.load();
    if (!receiver)
        return -1;
    auto question = std::make_shared<FTDI::DeviceTypeQuestion>(text);
    QCoreApplication::postEvent(receiver, new UnknownDeviceQuestionEvent(question));
    return question->Wait(StopToken());
}

void CFTDIConsumer::ReportDeviceFault(const FTDI::DeviceFault& fault) {
    if (QObject* receiver = receiver_.load())
        QCoreApplication::postEvent(receiver, new DeviceFaultEvent(fault));
}

void CFTDIConsumer::ReportTypingProblem(const FTDI::TypingProblem& problem) {
    if (QObject* receiver = receiver_.load())
        QCoreApplication::postEvent(receiver, new TypingProblemEvent(problem));
}
