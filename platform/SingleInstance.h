#pragma once
#include <string>

namespace vantix {

// The lock that lets one copy of the program run per user: a file named by
// a fixed GUID, held with flock for the object's life. The kernel releases
// it when the process dies, so a crash never blocks the next start.
class SingleInstanceLock {
public:
    static constexpr char kGuid[] = "6B1F3C2A-9D4E-4F7A-B2C8-5E0D1A3F7C94";

    enum class State { Acquired, HeldElsewhere, Failed };

    // $XDG_RUNTIME_DIR, else $TMPDIR, else /tmp.
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
    int fd_ = -1;
    State state_ = State::Failed;
    std::string error_;
};

} // namespace vantix
