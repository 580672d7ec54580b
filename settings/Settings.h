#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace vantix {

// The process-wide cache in front of the "Settings" section of the profile.
// A value is read from the file once; changes stay in the cache until Flush.
// Keys are compared case-sensitively. Only the user-interface thread uses it.
class Settings {
public:
    using Record12 = std::array<std::uint8_t, 12>;
    using Record44 = std::array<std::uint8_t, 44>;

    static constexpr char kSection[] = "Settings";

    // The one object, created on first use.
    static Settings& Instance();
    static bool Exists();
    // Flushes, deletes the object and forgets it. False when the flush failed.
    static bool Destroy();

    // The cached value; on the first call for a key it is read from the
    // file with the given default and cached.
    int GetInt(const std::string& key, int defaultValue);
    int SetInt(const std::string& key, int value);
    void SetString(const std::string& key, std::string value);
    void SetRecord(const std::string& key, const Record12& value);
    void SetRecord(const std::string& key, const Record44& value);

    // Writes integers, then strings, then 12-byte and 44-byte records, each
    // in ascending key order. Every entry is attempted; false when any
    // write failed.
    bool Flush();

    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
    ~Settings() = default;

private:
    Settings() = default;

    std::map<std::string, int> ints_;
    std::map<std::string, std::string> strings_;
    std::map<std::string, Record12> records12_;
    std::map<std::string, Record44> records44_;
};

} // namespace vantix
