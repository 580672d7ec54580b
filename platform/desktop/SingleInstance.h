#pragma once
#include <cstdint>
#include <string>

namespace vantix {

// The lock that lets one copy of the program run per user, named by a fixed
// GUID and held for the object's life: a file held with flock on POSIX
// systems, a named mutex on Windows. The system releases it when the
// process dies, so a crash never blocks the next start.
class SingleInstanceLock {
public:
    static constexpr char kGuid[] = "6B1F3C2A-9D4E-4F7A-B2C8-5E0D1A3F7C94";

    enum class State { Acquired, HeldElsewhere, Failed };

    // Where the lock lives: a directory ($XDG_RUNTIME_DIR, else $TMPDIR,
    // else /tmp), or on Windows the mutex name's namespace ("Local").
    static std::string DefaultDirectory();
    static std::string LockPath(const std::string& directory);

    explicit SingleInstanceLock(const std::string& directory = DefaultDirectory());
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    State GetState() const { return state_; }
    // Why the lock could not be taken (Failed only).
    const std::string& Error() const { return error_; }

private:
    std::intptr_t handle_ = -1; // descriptor or mutex HANDLE
    State state_ = State::Failed;
    std::string error_;
};

} // namespace vantix
