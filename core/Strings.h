#pragma once
#include <cstddef>
#include <span>
#include <string>

namespace vantix {

// Every user-visible text of the program, by string-table id (core/Ids.h),
// in UTF-8. The active language module answers first; the built-in English
// table after it.
std::string LoadString(int id);

// Installed by the language manager: returns the module's text for an id, or
// null when the module lacks it. Null removes the module.
using LanguageLookup = const char* (*)(int id);
void SetLanguageLookup(LanguageLookup lookup);

// The built-in English text, or null.
const char* BuiltinString(int id);

struct StringEntry {
    int id;
    const char* text;
};
// The built-in English table (core/English.cpp).
std::span<const StringEntry> EnglishStrings();

} // namespace vantix
