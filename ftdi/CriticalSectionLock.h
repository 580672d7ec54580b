#pragma once
#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace FTDI {

// The device table's lock. Not re-entrant: a thread that holds it and enters
// again gets std::logic_error instead of a silent deadlock.
class CriticalSectionLock {
public:
    CriticalSectionLock() = default;
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;
    ~CriticalSectionLock() {
        if (HeldByThisThread())
            Leave();
    }

    void Enter() {
        if (HeldByThisThread())
            throw std::logic_error("CriticalSectionLock entered twice by one thread");
        mutex_.lock();
        owner_.store(std::this_thread::get_id(), std::memory_order_relaxed);
        held_.store(true, std::memory_order_relaxed);
    }

    void Leave() {
        held_.store(false, std::memory_order_relaxed);
        owner_.store(std::thread::id(), std::memory_order_relaxed);
        mutex_.unlock();
    }

    bool Held() const { return held_.load(std::memory_order_relaxed); }

private:
    bool HeldByThisThread() const {
        return held_.load(std::memory_order_relaxed) &&
               owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
    }

    std::mutex mutex_;
    std::atomic<bool> held_{false};
    std::atomic<std::thread::id> owner_{};
};

// Holds a CriticalSectionLock for one scope.
class LockScope {
public:
    explicit LockScope(CriticalSectionLock& lock) : lock_(lock) { lock_.Enter(); }
    ~LockScope() { lock_.Leave(); }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

private:
    CriticalSectionLock& lock_;
};

} // namespace FTDI
