#include "platform/system/File.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vantix {

namespace {
Error Errno() { return Fail(std::strerror(errno)); }
int Fd(std::intptr_t handle) { return static_cast<int>(handle); }
} // namespace

Result<File> File::Open(const std::string& path, Mode mode, unsigned permissions) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read: flags |= O_RDONLY; break;
    case Mode::Append: flags |= O_RDWR | O_CREAT | O_APPEND; break;
    case Mode::Replace: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    }
    const int fd = ::open(path.c_str(), flags, static_cast<mode_t>(permissions));
    if (fd < 0)
        return Errno();
    return File(fd);
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        (void)Close();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

File::~File() { (void)Close(); }

bool File::IsOpen() const { return handle_ >= 0; }

Result<std::size_t> File::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(Fd(handle_), buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return Errno();
    }
}

Result<std::size_t> File::ReadAt(void* buffer, std::size_t size, std::uint64_t offset) {
    for (;;) {
        const ssize_t n = ::pread(Fd(handle_), buffer, size, static_cast<off_t>(offset));
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return Errno();
    }
}

Result<std::size_t> File::Write(const void* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::write(Fd(handle_), data, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            return Errno();
    }
}

Result<std::uint64_t> File::Size() const {
    struct stat st {};
    if (::fstat(Fd(handle_), &st) != 0)
        return Errno();
    return static_cast<std::uint64_t>(st.st_size);
}

Result<std::uint64_t> File::Position() const {
    const off_t at = ::lseek(Fd(handle_), 0, SEEK_CUR);
    if (at < 0)
        return Errno();
    return static_cast<std::uint64_t>(at);
}

Result<void> File::Truncate(std::uint64_t size) {
    if (::ftruncate(Fd(handle_), static_cast<off_t>(size)) != 0)
        return Errno();
    return {};
}

Result<void> File::SetPermissions(unsigned permissions) {
    // EPERM: a file of another owner keeps its mode, which is fine to write.
    if (::fchmod(Fd(handle_), static_cast<mode_t>(permissions)) != 0 && errno != EPERM)
        return Errno();
    return {};
}

Result<void> File::Sync() {
    if (::fsync(Fd(handle_)) != 0)
        return Errno();
    return {};
}

Result<void> File::Close() {
    if (handle_ < 0)
        return {};
    const int fd = Fd(std::exchange(handle_, -1));
    if (::close(fd) != 0 && errno != EINTR)
        return Errno();
    return {};
}

Result<void> MoveFileOver(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return Errno();
    return {};
}

Result<unsigned> FilePermissions(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Errno();
    return static_cast<unsigned>(st.st_mode & 07777);
}

} // namespace vantix
