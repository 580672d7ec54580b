#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "storage/RegistrationCall.h"
#include "ftdi/Messages.h"

namespace vantix {

// The one thread that makes the stored-procedure calls of live
// registrations, so that the user-interface thread (and with it the
// registration file) never waits for the database. Calls are made one at a
// time, in order, on a connection kept open from one call to the next.
//
// Calls carry a generation: the database session they belong to. After a
// call fails, the later calls of its generation are dropped unmade (the
// database is switched off at the first failure); the caller starts a new
// generation when the user switches the database on again.
class DatabaseWorker {
public:
    struct Call {
        std::string connectionString;
        CallSyntax syntax = CallSyntax::Exec;
        FTDI::MessageRegistration registration;
        std::uint64_t generation = 0;
    };
    struct Failure {
        std::uint64_t generation = 0;
        bool connecting = false; // the connection failed, not the call
        std::string errorText;   // as recorded by the connection, passwords masked
    };
    enum class Phase { Idle, Connecting, Calling };
    struct Progress {
        Phase phase = Phase::Idle;
        std::uint64_t generation = 0;
        std::chrono::steady_clock::time_point since; // when the phase began
    };

    // `wake` is called on the worker thread after each call that was made.
    explicit DatabaseWorker(std::function<void()> wake = {});
    // Drops the queued calls and ends the thread. A call still running is
    // not waited for: it ends on its own (or with the process), and
    // reports to no one.
    ~DatabaseWorker();
    DatabaseWorker(const DatabaseWorker&) = delete;
    DatabaseWorker& operator=(const DatabaseWorker&) = delete;

    void Submit(Call call);
    // The failures since the last call, oldest first.
    std::vector<Failure> TakeFailures();
    // Calls queued or running.
    std::size_t Outstanding() const;
    Progress Current() const;
    // Gives up a generation: its queued calls are dropped, and a call of it
    // still running reports nothing and closes its connection when it returns.
    void Abandon(std::uint64_t generation);
    // Waits until no call is outstanding, at most `timeout`. True when none is.
    bool WaitIdle(std::chrono::milliseconds timeout);

private:
    struct State;
    static void Run(std::shared_ptr<State> state);

    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace vantix
