#include "core/Strings.h"

#include <algorithm>
#include <atomic>

namespace vantix {

namespace {
std::atomic<LanguageLookup> g_lookup{nullptr};
} // namespace

const char* BuiltinString(int id) {
    const auto table = EnglishStrings();
    const auto it = std::find_if(table.begin(), table.end(), [id](const StringEntry& e) { return e.id == id; });
    return it == table.end() ? nullptr : it->text;
}

std::string LoadString(int id) {
    if (LanguageLookup lookup = g_lookup.load())
        if (const char* text = lookup(id))
            return text;
    const char* text = BuiltinString(id);
    return text ? text : std::string();
}

void SetLanguageLookup(LanguageLookup lookup) { g_lookup.store(lookup); }

} // namespace vantix
