#pragma once
#include <QThread>

#include <atomic>
#include <mutex>

#include "ftdi/FTDIHelper.h"

// The consumer thread of the device link: a thread with an event loop that
// owns the engine and hands every device-link message on to the receiver (the
// frame) as a posted DeviceLinkEvent. Messages raised while it shuts down
// (the removals of its own RemoveAll, wParam 1) never reach the receiver.
class CFTDIConsumer : public QThread, public FTDI::FTDIHelper<CFTDIConsumer> {
    Q_OBJECT
public:
    CFTDIConsumer(FTDI::D2xx& d2xx, FTDI::OutputSettings& settings, FTDI::KeyboardOutput& keyboard,
                  FTDI::EngineTimings timings = {}, QObject* parent = nullptr);
    ~CFTDIConsumer() override;

    // The object that receives the events; set before start(). It must outlive
    // the thread's run.
    void SetReceiver(QObject* receiver) { receiver_.store(receiver); }
    // The "DevCheck" switch: ask about unrecognised devices.
    void SetDeviceCheck(bool on) { deviceCheck_.store(on); }

    // Ends the event loop and waits for the thread (and with it the engine's
    // threads) to end; every registration produced until then has been
    // posted to the receiver. False when it did not end within the time.
    bool Shutdown(unsigned long timeoutMs = 3000);

    // --- consumer of FTDIHelper ------------------------------------------
    // Any thread; 0x8005..0x8009 may be posted here too and are forwarded as
    // they are.
    void PostToConsumer(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    bool DeviceCheckEnabled() { return deviceCheck_.load(); }
    int AskDeviceType(const std::string& text);
    void ReportDeviceFault(const FTDI::DeviceFault& fault);
    void ReportTypingProblem(const FTDI::TypingProblem& problem);

protected:
    void run() override;

private:
    class Forwarder;

    std::atomic<QObject*> receiver_{nullptr};
    std::atomic<bool> deviceCheck_{false};
    std::mutex forwarderMutex_;
    Forwarder* forwarder_ = nullptr;
};
