#pragma once
#include "core/Result.h"
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantix {

// A Windows private-profile INI file: case-insensitive section and key names,
// other content (comments, unknown keys, order) kept on write, every write an
// atomic replace of the file.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }

    // GetPrivateProfileInt: default when missing; else blanks, sign, decimal
    // digits (0x... is hex) up to the first other character; no digits give 0.
    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    // GetPrivateProfileString: text after '=', trimmed, one pair of enclosing
    // quotes removed; the default when the key is missing.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;
    bool HasKey(std::string_view section, std::string_view key) const;

    // Each returns false when the file could not be read or written, or when
    // a name or value holds a line break (it would corrupt the file) or a key
    // starts with '[' or ';' (it could not be read back).
    bool WriteInt(std::string_view section, std::string_view key, int value);
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Hex bytes followed by a one-byte checksum, as Windows writes them.
    bool WriteBinary(std::string_view section, std::string_view key, const std::uint8_t* data,
                     std::size_t size);

    // Parses an integer with the GetProfileInt rules.
    static int ParseInt(std::string_view text);

    // "Section/Key" of every write that failed since the last call, and the
    // system's reason for the last failure.
    std::vector<std::string> TakeFailedWrites();
    const std::string& LastWriteError() const { return lastWriteError_; }

private:
    // nullopt: the file exists but cannot be read.
    Result<std::vector<std::string>> ReadLines() const;
    std::vector<std::string> Lines() const;
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    bool WriteLines(const std::vector<std::string>& lines);
    bool Failed(std::string_view section, std::string_view key, const std::string& reason);
    // Temporary files of earlier writes that ended with their process.
    void RemoveStaleTemporaries();

    std::string path_;
    bool staleRemoved_ = false;
    std::vector<std::string> failedWrites_;
    std::string lastWriteError_;
};

} // namespace vantix
