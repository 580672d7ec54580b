#include "storage/OdbcCatalog.h"

#include <cctype>

#include "storage/CADODatabase.h"

namespace vantix {

namespace {

using ListFunction = SQLRETURN (*)(SQLHENV, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLCHAR*, SQLSMALLINT,
                                   SQLSMALLINT*);

std::vector<OdbcSource> List(ListFunction list) {
    std::vector<OdbcSource> found;
    OdbcEnvironment env;
    if (!env.Valid()) return found;
    SQLCHAR name[512];
    SQLCHAR description[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        const SQLRETURN rc = list(env.Get(), direction, name, sizeof name, &nameLength, description,
                                  sizeof description, &descriptionLength);
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) break;
        found.push_back({reinterpret_cast<char*>(name), reinterpret_cast<char*>(description)});
        direction = SQL_FETCH_NEXT;
    }
    return found;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Where a key may start: the text's start or after a separator.
bool AtKeyStart(std::string_view text, size_t at) {
    return at == 0 || std::string_view(";{ \t\r\n\"'").find(text[at - 1]) != std::string_view::npos;
}

// The end of the password key that starts at `at` ("Pwd = " included), or 0.
size_t PasswordKeyEnd(std::string_view text, size_t at) {
    for (std::string_view key : {"password", "pwd"}) {
        if (text.size() - at < key.size()) continue;
        bool same = true;
        for (size_t i = 0; i < key.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(text[at + i])) == key[i];
        if (!same) continue;
        size_t i = at + key.size();
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i < text.size() && text[i] == '=') return i + 1;
    }
    return 0;
}

// The end of the value that starts at `at`: a braced value ("}}" inside is
// one brace) or the text up to ';' or the line end.
size_t ValueEnd(std::string_view text, size_t at) {
    if (at < text.size() && text[at] == '{') {
        for (size_t i = at + 1; i < text.size(); ++i) {
            if (text[i] != '}') continue;
            if (i + 1 < text.size() && text[i + 1] == '}') {
                ++i;
                continue;
            }
            return i + 1;
        }
        return text.size();
    }
    const size_t end = text.find_first_of(";\r\n", at);
    return end == std::string_view::npos ? text.size() : end;
}

} // namespace

std::string MaskPasswords(std::string_view text) {
    std::string masked;
    masked.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t keyEnd = AtKeyStart(text, at) ? PasswordKeyEnd(text, at) : 0;
        if (keyEnd == 0) {
            masked += text[at++];
            continue;
        }
        size_t value = keyEnd;
        while (value < text.size() && text[value] == ' ') ++value;
        masked.append(text.substr(at, value - at));
        masked += "***";
        at = ValueEnd(text, value);
    }
    return masked;
}

std::vector<OdbcSource> ListOdbcDrivers() { return List(&SQLDrivers); }

std::vector<OdbcSource> ListOdbcDataSources() { return List(&SQLDataSources); }

std::vector<ConnectionPair> SplitConnectionString(const std::string& text) {
    std::vector<ConnectionPair> pairs;
    size_t at = 0;
    while (at < text.size()) {
        const size_t equals = text.find('=', at);
        const size_t semicolon = text.find(';', at);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            // A part without '=' carries no pair; skip it.
            if (semicolon == std::string::npos) break;
            at = semicolon + 1;
            continue;
        }
        std::string key = Trim(text.substr(at, equals - at));
        size_t valueStart = equals + 1;
        while (valueStart < text.size() && text[valueStart] == ' ') ++valueStart;
        std::string value;
        if (valueStart < text.size() && text[valueStart] == '{') {
            size_t i = valueStart + 1;
            for (; i < text.size(); ++i) {
                if (text[i] == '}') {
                    if (i + 1 < text.size() && text[i + 1] == '}') {
                        value += '}';
                        ++i;
                        continue;
                    }
                    break;
                }
                value += text[i];
            }
            const size_t next = text.find(';', i);
            at = next == std::string::npos ? text.size() : next + 1;
        } else {
            const size_t end = text.find(';', valueStart);
            value = Trim(text.substr(valueStart, end == std::string::npos ? std::string::npos : end - valueStart));
            at = end == std::string::npos ? text.size() : end + 1;
        }
        if (!key.empty()) pairs.emplace_back(std::move(key), std::move(value));
    }
    return pairs;
}

std::string JoinConnectionString(const std::vector<ConnectionPair>& pairs) {
    std::string text;
    for (const auto& [key, value] : pairs) {
        if (key.empty()) continue;
        text += key;
        text += '=';
        const bool braces = value.find_first_of(";{}") != std::string::npos || value != Trim(value);
        if (braces) {
            text += '{';
            for (char c : value) {
                if (c == '}') text += '}';
                text += c;
            }
            text += '}';
        } else {
            text += value;
        }
        text += ';';
    }
    return text;
}

} // namespace vantix
