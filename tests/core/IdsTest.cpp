#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "core/Ids.h"
#include "core/Strings.h"
#include "platform/system/SharedLibrary.h"

namespace vantix {
namespace {

TEST(IdRegistry, EveryIdIsDefinedOnceAndHasItsEnglishText) {
    std::map<int, std::string> seen;
    std::set<std::string> names;
    for (const auto& list : {std::span<const RegisteredId>(kCommandIds), std::span<const RegisteredId>(kStringIds)})
        for (const RegisteredId& entry : list) {
            const auto [it, fresh] = seen.emplace(entry.id, entry.name);
            EXPECT_TRUE(fresh) << entry.name << " reuses " << entry.id << " of " << it->second;
            EXPECT_TRUE(names.insert(entry.name).second) << entry.name << " is defined twice";
            const char* text = BuiltinString(entry.id);
            EXPECT_TRUE(text && *text) << entry.name << " (" << entry.id << ") has no English text";
        }

    // And the English table holds nothing the registry does not know, once each.
    std::set<int> texts;
    for (const StringEntry& entry : EnglishStrings()) {
        EXPECT_TRUE(seen.count(entry.id)) << "English text for unregistered id " << entry.id;
        EXPECT_TRUE(texts.insert(entry.id).second) << "two English texts for id " << entry.id;
    }
}

// A language module may lack texts (English shows then), but it must load
// and answer for the ids.
TEST(IdRegistry, TheSerbianModuleLoadsAndAnswers) {
    const char* bin = std::getenv("VANTIX_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const auto module = SharedLibrary::Open(std::string(bin) + "/vantix-srpski" + kSharedLibrarySuffix);
    ASSERT_TRUE(module) << module.error();
    const auto lookup = module->Function<LanguageLookup>("GetStringForVantix");
    ASSERT_NE(lookup, nullptr);
    int found = 0;
    for (const RegisteredId& entry : kStringIds)
        found += lookup(entry.id) != nullptr;
    EXPECT_GT(found, 0);
}

} // namespace
} // namespace vantix
