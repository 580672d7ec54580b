#include "settings/IniFile.h"

#include "platform/system/File.h"
#include "platform/system/System.h"
#include "platform/system/Utf8Path.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <optional>

namespace vantix {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
    const auto notBlank = [](char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; };
    std::size_t b = 0, e = s.size();
    while (b < e && !notBlank(s[b]))
        ++b;
    while (e > b && !notBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "[name]" -> name
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// "key = value" -> key, value (comments and other lines give nullopt)
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(Trim(t.substr(0, eq)), Trim(t.substr(eq + 1)));
}

struct Location {
    std::optional<std::size_t> sectionLine; // the "[section]" line
    std::optional<std::size_t> keyLine;     // the first matching key line
    std::size_t insertAt = 0;               // after the last key line of the section
};

Location Locate(const std::vector<std::string>& lines, std::string_view section, std::string_view key) {
    // Names are read trimmed from the file; a name asked for is trimmed alike.
    section = Trim(section);
    key = Trim(key);
    Location loc;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // Editors on Windows may save a UTF-8 byte order mark; it is not part
        // of the first section name, and it stays in the file on a write.
        std::string_view line = lines[i];
        if (i == 0 && line.rfind(kUtf8Bom, 0) == 0)
            line.remove_prefix(sizeof kUtf8Bom - 1);
        if (auto name = SectionName(line)) {
            if (inSection)
                break; // a section ends where the next begins; later duplicates are ignored
            if (EqualNoCase(*name, section)) {
                inSection = true;
                loc.sectionLine = i;
                loc.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!Trim(line).empty())
            loc.insertAt = i + 1;
        if (auto kv = KeyValue(line); kv && !loc.keyLine && EqualNoCase(kv->first, key))
            loc.keyLine = i;
    }
    return loc;
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

Result<std::vector<std::string>> IniFile::ReadLines() const {
    std::vector<std::string> lines;
    auto file = File::Open(path_, File::Mode::Read);
    if (!file) {
        // A missing file is an empty profile; one that exists but cannot be
        // read must not be replaced by a write that would drop its content.
        std::error_code ec;
        if (std::filesystem::status(Utf8Path(path_), ec).type() == std::filesystem::file_type::not_found)
            return lines;
        return Fail(file.error());
    }
    std::string text;
    char buffer[16384];
    for (;;) {
        const auto n = file->Read(buffer, sizeof buffer);
        if (!n)
            return Fail(n.error());
        if (*n == 0)
            break;
        text.append(buffer, *n);
    }
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> IniFile::Lines() const {
    auto lines = ReadLines();
    return lines ? std::move(*lines) : std::vector<std::string>();
}

void IniFile::RemoveStaleTemporaries() {
    if (std::exchange(staleRemoved_, true))
        return;
    namespace fs = std::filesystem;
    const fs::path path(path_);
    const std::string prefix = path.filename().string() + ".tmp";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(path.parent_path().empty() ? "." : path.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string pid = name.substr(prefix.size());
        if (pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // A writer that still runs (another process saving now) keeps its file.
        const long owner = std::stol(pid);
        if (owner != CurrentProcessId() && ProcessRuns(owner))
            continue;
        fs::remove(entry.path(), error);
    }
}

bool IniFile::WriteLines(const std::vector<std::string>& lines) {
    // Write beside the file and rename over it, so a crash never leaves a
    // half-written settings file. The replacement keeps the file's mode; a
    // new file is the owner's alone, whatever the umask, since whoever may
    // write it may replace the password hash.
    RemoveStaleTemporaries();
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    const std::string temp = path_ + ".tmp" + std::to_string(CurrentProcessId());
    const auto existing = FilePermissions(path_);
    const unsigned mode = existing ? *existing : 0600;
    auto file = File::Open(temp, File::Mode::Replace, mode);
    if (!file) {
        lastWriteError_ = file.error();
        return false;
    }
    Result<void> ok = file->SetPermissions(mode);
    for (std::size_t done = 0; ok && done < text.size();) {
        const auto n = file->Write(text.data() + done, text.size() - done);
        if (!n)
            ok = Fail(n.error());
        else if (*n == 0)
            ok = Fail("no space written");
        else
            done += *n;
    }
    if (ok)
        ok = file->Sync();
    if (auto closed = file->Close(); ok)
        ok = closed;
    if (ok)
        ok = MoveFileOver(temp, path_);
    if (!ok) {
        lastWriteError_ = ok.error();
        std::error_code ec;
        std::filesystem::remove(Utf8Path(temp), ec);
        return false;
    }
    return true;
}

int IniFile::ParseInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint32_t value = 0; // wraps like the Windows parser does
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        value = value * base + digit;
    }
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
    return Locate(Lines(), section, key).keyLine.has_value();
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
    const auto lines = Lines();
    const Location loc = Locate(lines, section, key);
    if (!loc.keyLine)
        return std::nullopt;
    std::string_view value = KeyValue(lines[*loc.keyLine])->second;
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                              (value.front() == '\'' && value.back() == '\'')))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
    auto value = Find(section, key);
    return value ? std::move(*value) : std::string(defaultValue);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto value = Find(section, key);
    return value ? ParseInt(*value) : defaultValue;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // A line break would end the entry early and could smuggle in other keys.
    const auto hasBreak = [](std::string_view t) { return t.find_first_of("\r\n") != std::string_view::npos; };
    // A name that starts like a section or a comment could never be read back.
    if (hasBreak(section) || hasBreak(key) || hasBreak(value) || Trim(key).empty() ||
        Trim(key).front() == '[' || Trim(key).front() == ';' || key.find('=') != std::string_view::npos ||
        section.find(']') != std::string_view::npos)
        return false;
    auto read = ReadLines();
    if (!read)
        return Failed(section, key, read.error());
    auto& lines = *read;
    const Location loc = Locate(lines, section, key);
    std::string line = std::string(Trim(key)) + "=" + std::string(value);
    if (loc.keyLine) {
        // Keep the name as the file spells it.
        line = std::string(KeyValue(lines[*loc.keyLine])->first) + "=" + std::string(value);
        lines[*loc.keyLine] = line;
    } else if (loc.sectionLine) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(loc.insertAt), line);
    } else {
        lines.push_back("[" + std::string(Trim(section)) + "]");
        lines.push_back(line);
    }
    return WriteLines(lines) || Failed(section, key, lastWriteError_);
}

bool IniFile::Failed(std::string_view section, std::string_view key, const std::string& reason) {
    lastWriteError_ = reason;
    failedWrites_.push_back(std::string(section) + "/" + std::string(key));
    return false;
}

std::vector<std::string> IniFile::TakeFailedWrites() { return std::exchange(failedWrites_, {}); }

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBinary(std::string_view section, std::string_view key, const std::uint8_t* data,
                          std::size_t size) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 0x0F];
        sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    text += digits[sum >> 4];
    text += digits[sum & 0x0F];
    return WriteString(section, key, text);
}

} // namespace vantix
