#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Result.h"

namespace vantix {

// One open file (a descriptor or a Windows handle), closed with the object.
// Reads and writes are single system calls: a write may be short, and the
// caller decides what a short write means.
class File {
public:
    enum class Mode {
        Read,    // existing file, reading
        Append,  // created when missing; every write lands at the end, whoever else appends
        Replace, // created or emptied, for writing
    };

    // permissions: the mode bits of a created file where the system has them.
    static Result<File> Open(const std::string& path, Mode mode, unsigned permissions = 0644);

    File() = default;
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    ~File();

    bool IsOpen() const;
    explicit operator bool() const { return IsOpen(); }

    // Bytes read (0 at the end of the file).
    Result<std::size_t> Read(void* buffer, std::size_t size);
    Result<std::size_t> ReadAt(void* buffer, std::size_t size, std::uint64_t offset);
    // Bytes written by one call: fewer than size when the device is full.
    Result<std::size_t> Write(const void* data, std::size_t size);
    Result<std::uint64_t> Size() const;
    // The offset the next read or write of this handle starts at.
    Result<std::uint64_t> Position() const;
    Result<void> Truncate(std::uint64_t size);
    // Sets the permission bits (where the system has them) whatever the umask.
    Result<void> SetPermissions(unsigned permissions);
    // Waits until the bytes are on the disk.
    Result<void> Sync();
    // Closes now, with the reason when the last bytes could not be stored.
    Result<void> Close();

private:
    explicit File(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = -1; // descriptor or HANDLE
};

// Renames from over to in one step: a reader sees the old file or the new
// one, never a mixture, and after a crash one of the two is there whole.
Result<void> MoveFileOver(const std::string& from, const std::string& to);

// The permission bits of an existing file; none where the system has none.
Result<unsigned> FilePermissions(const std::string& path);

// Writes text through a temporary file beside the target and a rename,
// creating the directories on the way.
Result<void> WriteFileAtomically(const std::string& path, std::string_view text);

} // namespace vantix
