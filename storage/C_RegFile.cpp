#include "storage/C_RegFile.h"

#include "platform/system/System.h"


#include "core/FormatText.h"
#include "core/Ids.h"
#include "core/Strings.h"

namespace vantix {

namespace {

constexpr const char* kLineEnd = "\r\n"; // the Windows text-mode form, kept on disk

} // namespace

C_RegFile::C_RegFile(const std::string& programDir, std::time_t now)
    : fileName_(FileNameFor(programDir, now)) {
    Open();
}

std::string C_RegFile::FileNameFor(const std::string& programDir, std::time_t now) {
    const std::tm local = LocalTime(now);
    char month[16];
    std::strftime(month, sizeof month, "%Y%m", &local);
    std::string name = programDir;
    if (!name.empty() && name.back() != '/') name += '/';
    return name + "Vantix-" + month + ".vtxreg";
}

std::string C_RegFile::SafeField(std::string_view field) {
    std::string safe(field);
    for (char& c : safe)
        if (c == ',' || c == '\r' || c == '\n' || c == '\0') c = '_';
    return safe;
}

std::string C_RegFile::FormatLine(const FTDI::MessageRegistration& r) {
    std::string line;
    line.reserve(r.mediaId.size() + r.dateTime.size() + r.date.size() + r.time.size() + r.idText.size() +
                 r.ecText.size() + r.serialNumber.size() + 6);
    for (const std::string* field : {&r.mediaId, &r.dateTime, &r.date, &r.time, &r.idText, &r.ecText, &r.serialNumber}) {
        if (field != &r.mediaId) line += ',';
        line += SafeField(*field);
    }
    return line;
}

bool C_RegFile::Open() {
    // O_APPEND: every write lands after the last byte, whoever else appends.
    auto file = File::Open(fileName_, File::Mode::Append);
    auto size = file ? file->Size() : Result<std::uint64_t>(Fail(file.error()));
    if (!size) {
        lastError_ = FormatText(LoadString(str::kRegFileOpenFailed), {fileName_, size.error()});
        return false;
    }
    file_ = std::move(*file);
    if (*size == 0) return WriteAll(std::string(kHeader) + kLineEnd);

    // A last line without its line end (a crash, a hand edit, a write cut
    // short that could not be taken back) is ended first, so that the next
    // registration never joins it.
    char last = 0;
    if (const auto n = file_.ReadAt(&last, 1, *size - 1); n && *n == 1 && last != '\n')
        return WriteAll(last == '\r' ? "\n" : kLineEnd);
    return true;
}

bool C_RegFile::WriteAll(const std::string& bytes) {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const auto n = file_.Write(data, left);
        if (!n || *n == 0) {
            lastError_ = FormatText(LoadString(str::kRegFileWriteFailed), {fileName_, n ? "no space written" : n.error()});
            RemovePartialLine(bytes.size() - left);
            // Reopen next time: that also ends a part that could not be removed.
            (void)file_.Close();
            return false;
        }
        data += *n;
        left -= *n;
    }
    return true;
}

void C_RegFile::RemovePartialLine(std::size_t written) {
    if (written == 0) return;
    // Only while nobody else has appended behind it: the file then ends
    // with exactly the part this write left.
    // When that fails, the part stays: the next open ends it with a line end.
    const auto end = file_.Position();
    const auto size = file_.Size();
    if (end && size && *end >= written && *size == *end)
        (void)file_.Truncate(*end - written);
}

bool C_RegFile::Append(const std::string& line) {
    if (!file_.IsOpen() && !Open()) return false;
    // One write call per line: the kernel appends it as a whole, so readers
    // never see half a registration.
    return WriteAll(line);
}

bool C_RegFile::WriteRegistration(const FTDI::MessageRegistration& registration) {
    std::string line = FormatLine(registration) + kLineEnd;
    if (backlog_.empty()) {
        if (Append(line)) {
            lastError_.clear();
            return true;
        }
    } else if (WriteBacklog() && Append(line)) {
        return true;
    }
    if (backlog_.size() < kBacklogLimit)
        backlog_.push_back(std::move(line));
    else
        ++lost_;
    return false;
}

bool C_RegFile::WriteBacklog() {
    while (!backlog_.empty()) {
        if (!Append(backlog_.front())) return false;
        backlog_.pop_front();
    }
    lastError_.clear();
    return true;
}

} // namespace vantix
