#include "platform/d2xx/vendor/ReceiveEvents.h"

#include <pthread.h>

#include <thread>

namespace FTDI {

namespace {

// The library's event object on Linux (its EVENT_HANDLE): it signals the
// condition variable when an event it was asked for occurs.
struct EventHandle {
    pthread_cond_t eCondVar;
    pthread_mutex_t eMutex;
    int iVar;
};

class PosixReceiveEvents : public ReceiveEvents {
public:
    PosixReceiveEvents() {
        pthread_mutex_init(&event_.eMutex, nullptr);
        pthread_cond_init(&event_.eCondVar, nullptr);
        event_.iVar = 0;
    }
    ~PosixReceiveEvents() override {
        if (thread_.joinable()) {
            pthread_mutex_lock(&event_.eMutex);
            stopping_ = true;
            pthread_cond_broadcast(&event_.eCondVar);
            pthread_mutex_unlock(&event_.eMutex);
            thread_.join();
        }
        pthread_cond_destroy(&event_.eCondVar);
        pthread_mutex_destroy(&event_.eMutex);
    }

    void* Event() override { return &event_; }

private:
    bool StartWaiting() override {
        thread_ = std::thread([this] { Run(); });
        return true;
    }

    void Run() {
        // The mutex is held except while waiting, so a library that signals
        // under it cannot signal while nobody waits.
        pthread_mutex_lock(&event_.eMutex);
        while (!stopping_) {
            if (pthread_cond_wait(&event_.eCondVar, &event_.eMutex) != 0 || stopping_)
                continue;
            Arrived();
        }
        pthread_mutex_unlock(&event_.eMutex);
    }

    EventHandle event_;
    bool stopping_ = false; // under event_.eMutex
    std::thread thread_;
};

} // namespace

std::unique_ptr<ReceiveEvents> CreateReceiveEvents() { return std::make_unique<PosixReceiveEvents>(); }

} // namespace FTDI
