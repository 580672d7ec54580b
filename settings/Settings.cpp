#include "settings/Settings.h"

#include <memory>

#include "settings/Profile.h"

namespace vantix {

namespace {
std::unique_ptr<Settings>& Holder() {
    static std::unique_ptr<Settings> instance;
    return instance;
}
} // namespace

Settings& Settings::Instance() {
    auto& holder = Holder();
    if (!holder)
        holder.reset(new Settings()); // private constructor: make_unique cannot reach it
    return *holder;
}

bool Settings::Exists() { return Holder() != nullptr; }

bool Settings::Destroy() {
    auto& holder = Holder();
    if (!holder)
        return true;
    const bool flushed = holder->Flush();
    holder.reset();
    return flushed;
}

int Settings::GetInt(const std::string& key, int defaultValue) {
    if (auto it = ints_.find(key); it != ints_.end())
        return it->second;
    const int value = Profile::GetInt(kSection, key, defaultValue);
    ints_.emplace(key, value);
    return value;
}

int Settings::SetInt(const std::string& key, int value) {
    ints_[key] = value;
    return value;
}

void Settings::SetString(const std::string& key, std::string value) { strings_[key] = std::move(value); }

void Settings::SetRecord(const std::string& key, const Record12& value) { records12_[key] = value; }

void Settings::SetRecord(const std::string& key, const Record44& value) { records44_[key] = value; }

bool Settings::Flush() {
    bool ok = true;
    for (const auto& [key, value] : ints_)
        ok = Profile::WriteInt(kSection, key, value) && ok;
    for (const auto& [key, value] : strings_)
        ok = Profile::WriteString(kSection, key, value) && ok;
    for (const auto& [key, value] : records12_)
        ok = Profile::WriteBinary(kSection, key, value.data(), value.size()) && ok;
    for (const auto& [key, value] : records44_)
        ok = Profile::WriteBinary(kSection, key, value.data(), value.size()) && ok;
    return ok;
}

} // namespace vantix
