#include "settings/Configuration.h"

namespace vantix {

Configuration::Configuration(std::string iniPath) : file_(std::move(iniPath)) {}

int Configuration::CachedInt(const std::string& key, int defaultValue) {
    if (auto it = ints_.find(key); it != ints_.end())
        return it->second;
    const int value = file_.GetInt(ini::kSettings, key, defaultValue);
    ints_.emplace(key, value);
    return value;
}

void Configuration::SetCachedInt(const std::string& key, int value) { ints_[key] = value; }

void Configuration::SetCachedString(const std::string& key, std::string value) { strings_[key] = std::move(value); }

void Configuration::SetCachedRecord(const std::string& key, const Record12& value) { records12_[key] = value; }

void Configuration::SetCachedRecord(const std::string& key, const Record44& value) { records44_[key] = value; }

bool Configuration::Flush() {
    bool ok = true;
    for (const auto& [key, value] : ints_)
        ok = file_.WriteInt(ini::kSettings, key, value) && ok;
    for (const auto& [key, value] : strings_)
        ok = file_.WriteString(ini::kSettings, key, value) && ok;
    for (const auto& [key, value] : records12_)
        ok = file_.WriteBinary(ini::kSettings, key, value.data(), value.size()) && ok;
    for (const auto& [key, value] : records44_)
        ok = file_.WriteBinary(ini::kSettings, key, value.data(), value.size()) && ok;
    return ok;
}

} // namespace vantix
