#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <string>

#include "core/Ids.h"
#include "core/Strings.h"
#include "platform/system/SharedLibrary.h"

namespace vantix {
namespace {

// Command ids double as the ids of their texts, so both lists share one
// number space.
const std::span<const RegisteredId> kLists[] = {kCommandIds, kStringIds};

TEST(IdRegistry, EveryIdIsDefinedOnceAndHasItsEnglishText) {
    std::map<int, std::string> seen;
    std::set<std::string> names;
    for (const auto& list : kLists)
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

// A language module may lack texts (English shows then); this lists them so
// a translator sees what is missing. Only a module that cannot be loaded fails.
TEST(IdRegistry, ReportsTheTextsTheSerbianModuleLacks) {
    const char* bin = std::getenv("VANTIX_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const auto module = SharedLibrary::Open(std::string(bin) + "/vantix-srpski" + kSharedLibrarySuffix);
    ASSERT_TRUE(module) << module.error();
    const auto lookup = module->Function<LanguageLookup>("GetStringForVantix");
    ASSERT_NE(lookup, nullptr);

    int missing = 0;
    for (const auto& list : kLists)
        for (const RegisteredId& entry : list)
            if (!lookup(entry.id)) {
                std::cout << "vantix-srpski lacks " << entry.name << " (" << entry.id
                          << "): " << BuiltinString(entry.id) << "\n";
                ++missing;
            }
    std::cout << "vantix-srpski lacks " << missing << " of " << std::size(kCommandIds) + std::size(kStringIds)
              << " texts\n";
}

} // namespace
} // namespace vantix
