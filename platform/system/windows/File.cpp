#include "platform/system/File.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/system/windows/Wide.h"

namespace vantix {

namespace {
Error LastError() { return Fail(win::LastErrorText()); }
HANDLE H(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
constexpr std::intptr_t kClosed = -1; // INVALID_HANDLE_VALUE
} // namespace

Result<File> File::Open(const std::string& path, Mode mode, unsigned) {
    // Others may read, write, rename and delete while the file is open, as
    // they may on POSIX systems.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (mode == Mode::Append) {
        // Append data only (no FILE_WRITE_DATA): the system puts every write
        // at the end of the file, as O_APPEND does.
        access = GENERIC_READ | FILE_APPEND_DATA | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
    } else if (mode == Mode::Replace) {
        access = GENERIC_WRITE;
        disposition = CREATE_ALWAYS;
    }
    HANDLE handle = ::CreateFileW(win::Wide(path).c_str(), access, share, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return LastError();
    return File(reinterpret_cast<std::intptr_t>(handle));
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kClosed)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        (void)Close();
        handle_ = std::exchange(other.handle_, kClosed);
    }
    return *this;
}

File::~File() { (void)Close(); }

bool File::IsOpen() const { return handle_ != kClosed; }

Result<std::size_t> File::Read(void* buffer, std::size_t size) {
    DWORD n = 0;
    if (!::ReadFile(H(handle_), buffer, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &n, nullptr))
        return LastError();
    return static_cast<std::size_t>(n);
}

Result<std::size_t> File::ReadAt(void* buffer, std::size_t size, std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD n = 0;
    if (!::ReadFile(H(handle_), buffer, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &n, &at)) {
        if (::GetLastError() == ERROR_HANDLE_EOF)
            return std::size_t{0};
        return LastError();
    }
    return static_cast<std::size_t>(n);
}

Result<std::size_t> File::Write(const void* data, std::size_t size) {
    DWORD n = 0;
    if (!::WriteFile(H(handle_), data, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &n, nullptr))
        return LastError();
    return static_cast<std::size_t>(n);
}

Result<std::uint64_t> File::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(H(handle_), &size))
        return LastError();
    return static_cast<std::uint64_t>(size.QuadPart);
}

Result<std::uint64_t> File::Position() const {
    LARGE_INTEGER zero{}, at{};
    if (!::SetFilePointerEx(H(handle_), zero, &at, FILE_CURRENT))
        return LastError();
    return static_cast<std::uint64_t>(at.QuadPart);
}

Result<void> File::Truncate(std::uint64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFileInformationByHandle(H(handle_), FileEndOfFileInfo, &end, sizeof end))
        return LastError();
    return {};
}

// Windows files have no mode bits; the profile folder's access list keeps
// them the user's.
Result<void> File::SetPermissions(unsigned) { return {}; }

Result<void> File::Sync() {
    if (!::FlushFileBuffers(H(handle_)))
        return LastError();
    return {};
}

Result<void> File::Close() {
    if (handle_ == kClosed)
        return {};
    if (!::CloseHandle(H(std::exchange(handle_, kClosed))))
        return LastError();
    return {};
}

Result<void> MoveFileOver(const std::string& from, const std::string& to) {
    // Write-through: the rename is on the disk when the call returns. A
    // virus scanner or an indexer that holds the target open for a moment
    // refuses the rename; it is tried again for up to a second.
    const std::wstring source = win::Wide(from), target = win::Wide(to);
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {};
        const DWORD error = ::GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == 20)
            return Fail(win::ErrorText(error));
        ::Sleep(50);
    }
}

Result<unsigned> FilePermissions(const std::string& path) {
    if (::GetFileAttributesW(win::Wide(path).c_str()) == INVALID_FILE_ATTRIBUTES)
        return LastError();
    return Fail("no permission bits");
}

} // namespace vantix
