#pragma once
#include <map>
#include <memory>
#include <mutex>

#include "platform/d2xx/D2xx.h"

namespace FTDI {

// The event object handed to the vendor library's FT_SetEventNotification,
// and a thread that waits on it and notifies the signal of every reader
// being watched. The library's event differs per system (a mutex and
// condition variable on Linux, a Win32 event on Windows): one backend each.
class ReceiveEvents {
public:
    virtual ~ReceiveEvents() = default;
    ReceiveEvents(const ReceiveEvents&) = delete;
    ReceiveEvents& operator=(const ReceiveEvents&) = delete;

    // What the library is given as its event argument.
    virtual void* Event() = 0;

    // A signal to notify for the reader, or null to stop watching it. The
    // waiting thread starts with the first reader watched.
    void Watch(FT_HANDLE handle, DataSignal* signal) {
        std::lock_guard lock(mutex_);
        if (signal)
            signals_[handle] = signal;
        else
            signals_.erase(handle);
        if (signal && !started_)
            started_ = StartWaiting();
    }

protected:
    ReceiveEvents() = default;
    // Starts the thread that calls Arrived() whenever the event is set;
    // false if it could not.
    virtual bool StartWaiting() = 0;
    // The event tells only that some reader received bytes: wake them all.
    void Arrived() {
        std::lock_guard lock(mutex_);
        for (const auto& [handle, signal] : signals_)
            signal->Notify();
    }

private:
    std::mutex mutex_;
    std::map<FT_HANDLE, DataSignal*> signals_;
    bool started_ = false;
};

std::unique_ptr<ReceiveEvents> CreateReceiveEvents();

} // namespace FTDI
