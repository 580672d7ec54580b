#pragma once
#include <string>
#include <string_view>

#include "settings/IniFile.h"
#include "settings/IniKeys.h"

namespace vantix {

// The application's profile functions. Start-up points them at
// <program directory>/Vantix.ini; every setting of the program goes through
// them.
class Profile {
public:
    // The process-wide profile (the application object's).
    static IniFile& App();
    static void SetAppPath(const std::string& iniPath);

    static int GetInt(std::string_view section, std::string_view key, int defaultValue) {
        return App().GetInt(section, key, defaultValue);
    }
    static std::string GetString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue = {}) {
        return App().GetString(section, key, defaultValue);
    }
    static bool WriteInt(std::string_view section, std::string_view key, int value) {
        return App().WriteInt(section, key, value);
    }
    static bool WriteString(std::string_view section, std::string_view key, std::string_view value) {
        return App().WriteString(section, key, value);
    }
    static bool WriteBinary(std::string_view section, std::string_view key, const std::uint8_t* data,
                            std::size_t size) {
        return App().WriteBinary(section, key, data, size);
    }

    // The keys of IniKeys.h with their defaults, within their ranges.
    static int Get(const ini::IntKey& key) { return key.Clamp(GetInt(key.section, key.name, key.defaultValue)); }
    static int Get(const ini::IntKey& key, int defaultValue) {
        return key.Clamp(GetInt(key.section, key.name, defaultValue));
    }
    static std::string Get(const ini::TextKey& key) {
        return GetString(key.section, key.name, key.defaultValue);
    }
    static bool Write(const ini::IntKey& key, int value) { return WriteInt(key.section, key.name, value); }
    static bool Write(const ini::TextKey& key, std::string_view value) {
        return WriteString(key.section, key.name, value);
    }
};

} // namespace vantix
