#pragma once
#include <sys/un.h>

#include <string>

namespace FTDI {

// A file descriptor closed with its owner.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    int Get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The address of a Unix-domain socket; false with the reason when the path
// is empty or does not fit.
bool UnixAddress(const std::string& path, sockaddr_un& address, std::string& error);

// A connected stream socket, or an empty descriptor (errno tells why).
FileDescriptor ConnectUnix(const sockaddr_un& address);

// Sends all of text; false when the peer is gone or stops reading.
bool SendAll(int fd, const std::string& text);

} // namespace FTDI
