// The connection-string builder's reading and writing of key=value pairs
// (what the dialog shows from a stored string and writes back).
// Invariants:
// - no crash, no undefined behaviour, whatever the text;
// - every pair read has a key without blanks around it and without '=' or ';';
// - writing the pairs read and reading them again gives the same pairs;
// - any pairs with such keys and any values, braces, semicolons and
//   blanks included, read back exactly as written.
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/OdbcCatalog.h"
#include "fuzz/FuzzCheck.h"

using vantix::ConnectionPair;

namespace {

bool PlainKey(const std::string& key) {
    return !key.empty() && key.find_first_of("=;") == std::string::npos && key.front() != ' ' &&
           key.front() != '\t' && key.back() != ' ' && key.back() != '\t';
}

// Pairs from the input: fields separated by 0xFF, key and value in turn;
// keys are made plain.
std::vector<ConnectionPair> PairsOf(std::string_view input) {
    std::vector<ConnectionPair> pairs;
    std::string fields[2];
    int field = 0;
    auto finish = [&] {
        std::string key;
        for (char c : fields[0])
            if (c != '=' && c != ';')
                key += c;
        const std::size_t first = key.find_first_not_of(" \t");
        if (first != std::string::npos)
            pairs.emplace_back(key.substr(first, key.find_last_not_of(" \t") - first + 1), fields[1]);
        fields[0].clear();
        fields[1].clear();
    };
    for (char c : input) {
        if (static_cast<unsigned char>(c) != 0xFF) {
            fields[field] += c;
        } else if (field == 0) {
            field = 1;
        } else {
            finish();
            field = 0;
        }
    }
    finish();
    return pairs;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const auto pairs = vantix::SplitConnectionString(text);
    for (const auto& [key, value] : pairs)
        VANTIX_FUZZ_CHECK(PlainKey(key), "keys read are plain");
    VANTIX_FUZZ_CHECK(vantix::SplitConnectionString(vantix::JoinConnectionString(pairs)) == pairs,
                      "written pairs read back the same");

    const auto built = PairsOf(text);
    VANTIX_FUZZ_CHECK(vantix::SplitConnectionString(vantix::JoinConnectionString(built)) == built,
                      "any value reads back exactly");
    return 0;
}
