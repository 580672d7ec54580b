// The INI store: any file read and written back.
// Invariants:
// - no crash, no undefined behaviour, whatever the file holds;
// - a written integer reads back as written; a written text reads back as
//   written when it has no blanks around it and is not in quotes (the
//   profile rules trim and unquote);
// - a write changes no other key of the section it writes to or of any
//   other section that the file had;
// - a write the store refuses (a line break in a name or value) leaves the
//   file exactly as it was.
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "settings/IniFile.h"
#include "fuzz/FuzzCheck.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

bool Unquoted(std::string_view v) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (!v.empty() && (blank(v.front()) || blank(v.back()))) return false;
    return !(v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/vantix-ini-fuzz-" + std::to_string(::getpid()) + ".ini";
    // The input: the file, then after the last 0xFF byte "key=value" to write.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.rfind('\xFF');
    const std::string file = split == std::string::npos ? input : input.substr(0, split);
    const std::string write = split == std::string::npos ? "Delay=25" : input.substr(split + 1);
    const size_t eq = write.find('=');
    const std::string key = eq == std::string::npos ? write : write.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : write.substr(eq + 1);
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }

    vantix::IniFile ini(path);
    static const char* const kKeys[] = {"Password", "Delay", "ConnStr", "UseMRDB", "FilePath", "Language"};
    static const char* const kSections[] = {"Settings", "DialogImportRegs"};
    std::vector<std::string> before;
    for (const char* section : kSections)
        for (const char* k : kKeys) before.push_back(ini.GetString(section, k, "<none>"));

    const int number = ini.GetInt("Settings", "Delay", 1);
    if (ini.WriteInt("Settings", "Delay", number + 1))
        VANTIX_FUZZ_CHECK(ini.GetInt("Settings", "Delay", 0) == number + 1, "integers read back");

    const std::string original = ReadAll(path);
    const bool written = ini.WriteString("Settings", key, value);
    if (!written && key.find_first_of("\r\n") == std::string::npos && value.find_first_of("\r\n") == std::string::npos)
        return 0; // refused for its name (empty, '='): nothing more to check
    if (!written) {
        VANTIX_FUZZ_CHECK(ReadAll(path) == original, "a refused write leaves the file alone");
        return 0;
    }
    if (Unquoted(value))
        VANTIX_FUZZ_CHECK(ini.GetString("Settings", key, "<none>") == value, "texts read back");
    // The written key as the store compares names: trimmed, in any case.
    const size_t first = key.find_first_not_of(" \t");
    std::string writtenKey = first == std::string::npos ? "" : key.substr(first, key.find_last_not_of(" \t") - first + 1);
    for (char& c : writtenKey) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t i = 0;
    for (const char* section : kSections)
        for (const char* k : kKeys) {
            std::string name = k;
            for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const bool touched = std::string(section) == "Settings" && (name == writtenKey || name == "delay");
            if (!touched)
                VANTIX_FUZZ_CHECK(ini.GetString(section, k, "<none>") == before[i], "other keys unchanged");
            ++i;
        }
    return 0;
}
