#include "storage/RegFileReader.h"

#include <chrono>
#include <thread>
#include <cstdio>
#include <cstring>

namespace vantix {

namespace {

constexpr size_t kChunk = 1 << 16;
constexpr int kTailWaits = 10;
constexpr std::chrono::milliseconds kTailWait{5};

bool StartsWithDigit(std::string_view field) { return !field.empty() && field[0] >= '0' && field[0] <= '9'; }

} // namespace

bool ParseRegistrationLine(std::string_view line, RegistrationFields& fields) {
    std::string_view field[6];
    size_t start = 0;
    for (int n = 0; n < 6; ++n) {
        const size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            field[n] = line.substr(start);
            for (int rest = n + 1; rest < 6; ++rest) field[rest] = {};
            break;
        }
        field[n] = line.substr(start, comma - start);
        start = comma + 1;
    }
    if (!StartsWithDigit(field[1]) || !StartsWithDigit(field[2]) || !StartsWithDigit(field[4]) ||
        !StartsWithDigit(field[5]))
        return false;
    fields = {field[0], field[1], field[2], field[4], field[5]};
    return true;
}

std::string FormatBound(int year, int month, int day, int hour, int minute, int second) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return text;
}

bool IsValidBound(std::string_view t) {
    if (t.size() != 19) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        const char expected = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
        if (expected == '0' ? !(t[i] >= '0' && t[i] <= '9') : t[i] != expected) return false;
    }
    auto num = [&](size_t at, size_t len) {
        int v = 0;
        for (size_t i = at; i < at + len; ++i) v = v * 10 + (t[i] - '0');
        return v;
    };
    const int month = num(5, 2), day = num(8, 2);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && num(11, 2) <= 23 && num(14, 2) <= 59 &&
           num(17, 2) <= 59;
}

bool RegFileReader::Open(const std::string& path) {
    auto file = File::Open(path, File::Mode::Read);
    file_ = file ? std::move(*file) : File();
    begin_ = end_ = 0;
    eof_ = false;
    overlong_ = 0;
    if (!file) {
        error_ = file.error();
        return false;
    }
    error_.clear();
    buffer_.resize(kMaxLineLength + kChunk);
    return true;
}

bool RegFileReader::Fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const auto n = file_.Read(buffer_.data() + end_, buffer_.size() - end_);
    if (!n) {
        error_ = n.error();
        return false;
    }
    if (*n == 0) eof_ = true;
    end_ += *n;
    return *n > 0;
}

bool RegFileReader::NextLine(std::string_view& line) {
    if (!file_.IsOpen()) return false;
    size_t scanned = begin_;
    int tailWaits = 0;
    bool skipping = false; // inside a line that is too long; its start is gone
    for (;;) {
        const char* data = buffer_.data();
        const void* nl = std::memchr(data + scanned, '\n', end_ - scanned);
        if (nl) {
            const size_t at = static_cast<const char*>(nl) - data;
            if (skipping || at - begin_ > kMaxLineLength + 1) { // + 1: its CR
                ++overlong_;
                skipping = false;
                begin_ = scanned = at + 1;
                continue;
            }
            size_t len = at - begin_;
            if (len > 0 && data[begin_ + len - 1] == '\r') --len;
            line = std::string_view(data + begin_, len);
            begin_ = at + 1;
            return true;
        }
        if (end_ - begin_ > kMaxLineLength) {
            // Dropped, never held whole: the rest of it is skipped as it comes.
            skipping = true;
            begin_ = end_;
        }
        if (!error_.empty()) return false;
        const size_t seen = end_ - begin_;
        if (eof_) {
            // Text without a line end at the end of the file: either a writer
            // is in the middle of appending that line (the kernel may show a
            // write in parts) or the file really ends so. Give a writer a
            // moment to finish before taking it as the last line.
            if ((seen == 0 && !skipping) || tailWaits == kTailWaits) break;
            ++tailWaits;
            std::this_thread::sleep_for(kTailWait);
            eof_ = false;
        }
        if (!Fill() && !error_.empty()) return false;
        scanned = begin_ + seen;
    }
    if (skipping) {
        ++overlong_;
        begin_ = end_;
        return false;
    }
    if (begin_ == end_) return false;
    // The last line of a file that does not end with a line end.
    size_t len = end_ - begin_;
    if (buffer_[begin_ + len - 1] == '\r') --len;
    line = std::string_view(buffer_.data() + begin_, len);
    begin_ = end_;
    return true;
}

} // namespace vantix
