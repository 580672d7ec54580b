#include "app/StringTable.h"

#include <algorithm>
#include <atomic>
#include <iterator>

namespace vantix {

namespace {

struct Entry {
    int id;
    const char* text;
};

// One table per subsystem, kept beside its code.
const Entry kBuiltin[] = {
#include "app/strings_app.inc"
#include "frame/strings_frame.inc"
#include "dialogs/strings_dialogs.inc"
#include "dialogs/strings_storage.inc"
#include "views/strings_views.inc"
};

std::atomic<LanguageLookup> g_lookup{nullptr};

} // namespace

const char* BuiltinString(int id) {
    auto it = std::find_if(std::begin(kBuiltin), std::end(kBuiltin), [id](const Entry& e) { return e.id == id; });
    return it == std::end(kBuiltin) ? nullptr : it->text;
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
