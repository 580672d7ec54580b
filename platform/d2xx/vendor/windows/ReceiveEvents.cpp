#include "platform/d2xx/vendor/ReceiveEvents.h"

#include <windows.h>

#include <thread>

#include "core/Trace.h"

namespace FTDI {

namespace {

// Closes a Win32 handle.
struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// On Windows the library sets a Win32 event (auto-reset here, so one wait
// takes one setting); a second event ends the waiting thread.
class WindowsReceiveEvents : public ReceiveEvents {
public:
    WindowsReceiveEvents()
        : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~WindowsReceiveEvents() override {
        if (thread_.joinable()) {
            SetEvent(stop_.get());
            thread_.join();
        }
    }

    void* Event() override { return event_.get(); }

private:
    bool StartWaiting() override {
        if (!event_ || !stop_) {
            vantix::TraceF("No receive events from the D2XX library: CreateEvent failed (%lu); readers are polled\n",
                           GetLastError());
            return false;
        }
        thread_ = std::thread([this] { Run(); });
        return true;
    }

    void Run() {
        const HANDLE waits[2] = {stop_.get(), event_.get()};
        for (;;) {
            const DWORD result = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            if (result == WAIT_OBJECT_0 + 1) {
                Arrived();
                continue;
            }
            if (result != WAIT_OBJECT_0)
                vantix::TraceF("Waiting for D2XX receive events failed (%lu); readers are polled\n", GetLastError());
            return;
        }
    }

    UniqueHandle event_;
    UniqueHandle stop_;
    std::thread thread_;
};

} // namespace

std::unique_ptr<ReceiveEvents> CreateReceiveEvents() { return std::make_unique<WindowsReceiveEvents>(); }

} // namespace FTDI
