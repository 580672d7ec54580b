#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "settings/IniFile.h"
#include "settings/IniKeys.h"

namespace vantix {

// The program's settings: its Vantix.ini and the cache in front of the
// file's "Settings" section. Start-up creates one and hands it to whoever
// reads or writes a setting; nothing reaches the file another way.
//
// Two kinds of access, as the program always had them:
// - Get/Write: a key of IniKeys.h straight from and to the file, with its
//   default and within its range.
// - Cached*/SetCached*/Flush: a "Settings" value is read from the file once;
//   changes stay in the cache until Flush. Cache keys are compared
//   case-sensitively. The password hash goes this way.
// Only the user-interface thread uses the object.
class Configuration {
public:
    using Record12 = std::array<std::uint8_t, 12>;
    using Record44 = std::array<std::uint8_t, 44>;

    explicit Configuration(std::string iniPath);
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    const std::string& Path() const { return file_.Path(); }

    int Get(const ini::IntKey& key) const { return Get(key, key.defaultValue); }
    // For keys whose default only the caller knows (the click positions).
    int Get(const ini::IntKey& key, int defaultValue) const {
        return key.Clamp(file_.GetInt(key.section, key.name, defaultValue));
    }
    std::string Get(const ini::TextKey& key) const {
        return file_.GetString(key.section, key.name, key.defaultValue);
    }
    // False when the file could not be written (see TakeFailedWrites).
    bool Write(const ini::IntKey& key, int value) { return file_.WriteInt(key.section, key.name, value); }
    bool Write(const ini::TextKey& key, std::string_view value) {
        return file_.WriteString(key.section, key.name, value);
    }

    // The cached value; on the first call for a key it is read from the
    // file with the given default, and that value is kept.
    int CachedInt(const std::string& key, int defaultValue);
    void SetCachedInt(const std::string& key, int value);
    void SetCachedString(const std::string& key, std::string value);
    void SetCachedRecord(const std::string& key, const Record12& value);
    void SetCachedRecord(const std::string& key, const Record44& value);
    // Writes integers, then strings, then 12-byte and 44-byte records, each
    // in ascending key order. Every entry is attempted; false when any
    // write failed. The cache stays as it is.
    bool Flush();

    // "Section/Key" of every write that failed since the last call, and the
    // system's reason for the last failure.
    std::vector<std::string> TakeFailedWrites() { return file_.TakeFailedWrites(); }
    const std::string& LastWriteError() const { return file_.LastWriteError(); }

private:
    IniFile file_;
    std::map<std::string, int> ints_;
    std::map<std::string, std::string> strings_;
    std::map<std::string, Record12> records12_;
    std::map<std::string, Record44> records44_;
};

} // namespace vantix
