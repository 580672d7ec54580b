#include "storage/DatabaseWorker.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

#include "storage/CADODatabase.h"

namespace vantix {

// Shared with the thread, which may outlive the worker object when a call
// hangs at exit.
struct DatabaseWorker::State {
    mutable std::mutex mutex;
    std::condition_variable work; // a call was queued, or stop
    std::condition_variable idle; // a call ended or was dropped
    std::deque<Call> queue;
    Progress progress;
    std::uint64_t failedGeneration = 0; // this one and those before are off
    std::vector<Failure> failures;
    bool stop = false;

    // Held while waking, so the worker's owner can take the function away
    // for good before it goes.
    std::mutex wakeMutex;
    std::function<void()> wake;

    std::size_t Outstanding() const { return queue.size() + (progress.phase == Phase::Idle ? 0 : 1); }
    void Enter(Phase phase) {
        std::lock_guard lock(mutex);
        progress.phase = phase;
        progress.since = std::chrono::steady_clock::now();
    }
};

namespace {

void CloseQuietly(CADODatabase& db) {
    try {
        db.Close();
    } catch (const ComError&) {
        // The connection is given up either way.
    }
}

} // namespace

DatabaseWorker::DatabaseWorker(std::function<void()> wake) : state_(std::make_shared<State>()) {
    state_->wake = std::move(wake);
    thread_ = std::thread(&DatabaseWorker::Run, state_);
}

DatabaseWorker::~DatabaseWorker() {
    {
        std::lock_guard lock(state_->wakeMutex);
        state_->wake = nullptr;
    }
    bool running;
    {
        std::lock_guard lock(state_->mutex);
        state_->stop = true;
        state_->queue.clear();
        running = state_->progress.phase != Phase::Idle;
    }
    state_->work.notify_all();
    if (running)
        thread_.detach(); // a server that does not answer must not hold up the exit
    else
        thread_.join();
}

void DatabaseWorker::Submit(Call call) {
    {
        std::lock_guard lock(state_->mutex);
        state_->queue.push_back(std::move(call));
    }
    state_->work.notify_one();
}

std::vector<DatabaseWorker::Failure> DatabaseWorker::TakeFailures() {
    std::lock_guard lock(state_->mutex);
    return std::exchange(state_->failures, {});
}

std::size_t DatabaseWorker::Outstanding() const {
    std::lock_guard lock(state_->mutex);
    return state_->Outstanding();
}

DatabaseWorker::Progress DatabaseWorker::Current() const {
    std::lock_guard lock(state_->mutex);
    return state_->progress;
}

void DatabaseWorker::Abandon(std::uint64_t generation) {
    {
        std::lock_guard lock(state_->mutex);
        state_->failedGeneration = std::max(state_->failedGeneration, generation);
    }
    state_->work.notify_one(); // the dropped calls are skipped at once
}

bool DatabaseWorker::WaitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(state_->mutex);
    return state_->idle.wait_for(lock, timeout, [this] { return state_->Outstanding() == 0; });
}

void DatabaseWorker::Run(std::shared_ptr<State> s) {
    CADODatabase db; // used by this thread only
    std::unique_lock lock(s->mutex);
    for (;;) {
        s->work.wait(lock, [&] { return s->stop || !s->queue.empty(); });
        if (s->stop)
            break;
        const Call call = std::move(s->queue.front());
        s->queue.pop_front();
        if (call.generation <= s->failedGeneration) {
            s->idle.notify_all();
            continue;
        }
        s->progress = {Phase::Connecting, call.generation, std::chrono::steady_clock::now()};
        lock.unlock();

        std::optional<Failure> failure;
        // A kept connection may have been dropped by the server since the
        // last call: then connect once more before giving up.
        bool kept = db.IsOpen() && db.GetConnectionString() == call.connectionString;
        for (;;) {
            if (!kept && !db.Open(call.connectionString)) {
                failure = Failure{call.generation, true, db.GetLastErrorText()};
                break;
            }
            s->Enter(Phase::Calling);
            if (db.Execute(LiveRegistrationCall(call.registration, call.syntax, db.BackslashEscapes())))
                break;
            if (kept && db.GetLastSqlState().rfind("08", 0) == 0) {
                kept = false;
                continue;
            }
            failure = Failure{call.generation, false, db.GetLastErrorText()};
            CloseQuietly(db);
            break;
        }

        lock.lock();
        if (call.generation <= s->failedGeneration) {
            // Given up while it ran: start afresh next time.
            failure.reset();
            lock.unlock();
            CloseQuietly(db);
            lock.lock();
        }
        s->progress.phase = Phase::Idle;
        if (failure) {
            s->failedGeneration = call.generation;
            s->failures.push_back(std::move(*failure));
        }
        const bool stopping = s->stop;
        s->idle.notify_all();
        lock.unlock();
        if (!stopping) {
            std::lock_guard wakeLock(s->wakeMutex);
            if (s->wake)
                s->wake();
        }
        lock.lock();
    }
}

} // namespace vantix
