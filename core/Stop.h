#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace vantix {

// A stop request that ends the waits of worker threads at once.
//
// std::stop_token with condition_variable_any does the same, but it removes
// its stop callback through a semaphore built on std::atomic::wait, and in
// libstdc++ 12 without futexes (the Windows build) that wait can miss the
// wake-up it waits for (GCC bug 106183): a stop that came while a waiter was
// waking up hung the thread that asked for it. Here a waiter registers its
// mutex and condition variable under a plain mutex instead.
class StopToken {
    struct State {
        std::mutex mutex;
        // Set under mutex; read by waiters under their own mutex (which
        // RequestStop takes after setting it).
        std::atomic<bool> stopped{false};
        std::vector<std::pair<std::mutex*, std::condition_variable*>> waiters;
    };

public:
    // A token that is never stopped.
    StopToken() = default;

    bool StopPossible() const { return state_ != nullptr; }
    bool StopRequested() const { return state_ && state_->stopped.load(); }

    // Waits on wake (guarded by mutex, which the caller does not hold) until
    // done() holds, a stop is requested or the timeout (if any) passes.
    // done() is called with mutex held. Returns done().
    template <class Done>
    bool Wait(std::mutex& mutex, std::condition_variable& wake, std::optional<std::chrono::milliseconds> timeout,
              Done done) const {
        // Registered before the lock is taken: RequestStop locks the waiter's
        // mutex while it holds the state's, so a waiter never holds its own
        // mutex while it waits for the state's.
        Registration registration(state_.get(), mutex, wake);
        std::unique_lock lock(mutex);
        const auto ends = [&] { return done() || StopRequested(); };
        if (timeout)
            wake.wait_for(lock, *timeout, ends);
        else
            wake.wait(lock, ends);
        return done();
    }

private:
    friend class StopSource;
    explicit StopToken(std::shared_ptr<State> state) : state_(std::move(state)) {}

    class Registration {
    public:
        Registration(State* state, std::mutex& mutex, std::condition_variable& wake) : state_(state) {
            if (state_) {
                std::lock_guard lock(state_->mutex);
                state_->waiters.emplace_back(&mutex, &wake);
                entry_ = state_->waiters.back();
            }
        }
        ~Registration() {
            if (!state_)
                return;
            std::lock_guard lock(state_->mutex);
            auto& waiters = state_->waiters;
            for (auto it = waiters.begin(); it != waiters.end(); ++it)
                if (*it == entry_) {
                    waiters.erase(it);
                    break;
                }
        }
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;

    private:
        State* state_;
        std::pair<std::mutex*, std::condition_variable*> entry_{};
    };

    std::shared_ptr<State> state_;
};

// Owns a stop state; its tokens see the request.
class StopSource {
public:
    StopSource() : state_(std::make_shared<StopToken::State>()) {}

    StopToken Token() const { return StopToken(state_); }
    bool StopRequested() const { return Token().StopRequested(); }

    // Wakes every waiting token; waits that start later end at once.
    void RequestStop() {
        std::lock_guard lock(state_->mutex);
        state_->stopped = true;
        for (const auto& [mutex, wake] : state_->waiters) {
            // Taking the waiter's mutex means it is either waiting (and is
            // woken) or has not looked at the flag yet (and sees it set).
            { std::lock_guard waiter(*mutex); }
            wake->notify_all();
        }
    }

private:
    std::shared_ptr<StopToken::State> state_;
};

} // namespace vantix
