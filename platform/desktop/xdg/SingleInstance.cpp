#include "platform/desktop/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantix {

std::string SingleInstanceLock::DefaultDirectory() {
    for (const char* var : {"XDG_RUNTIME_DIR", "TMPDIR"})
        if (const char* dir = std::getenv(var); dir && *dir)
            return dir;
    return "/tmp";
}

std::string SingleInstanceLock::LockPath(const std::string& directory) {
    // The user id keeps users apart in a shared temporary directory, as the
    // per-session mutex does on Windows.
    return directory + "/" + kGuid + "-" + std::to_string(::getuid()) + ".lock";
}

SingleInstanceLock::SingleInstanceLock(const std::string& directory) {
    const std::string path = LockPath(directory);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    handle_ = fd;
    if (fd < 0) {
        error_ = path + ": " + std::strerror(errno);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        state_ = State::Acquired;
    } else if (errno == EWOULDBLOCK) {
        state_ = State::HeldElsewhere;
    } else {
        error_ = path + ": " + std::strerror(errno);
    }
}

SingleInstanceLock::~SingleInstanceLock() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_)); // releases the flock
}

} // namespace vantix
