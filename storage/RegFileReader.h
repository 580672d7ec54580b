#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/File.h"

namespace vantix {

// The fields of a registration line that the import uses. They point into
// the line they came from.
struct RegistrationFields {
    std::string_view mediaId;  // field 0
    std::string_view dateTime; // field 1
    std::string_view date;     // field 2
    std::string_view id;       // field 4
    std::string_view code;     // field 5
};

// Splits a line (without its line end) at commas by position. Returns false
// for anything but a registration line: fields 1, 2, 4 and 5 must each start
// with a decimal digit (the header and empty lines fail).
bool ParseRegistrationLine(std::string_view line, RegistrationFields& fields);

// The selection window of the import: both bounds in the form
// "YYYY-MM-DD hh:mm:ss", compared byte-wise and inclusive.
struct TimeWindow {
    std::string from;
    std::string to;
    bool Contains(std::string_view dateTime) const { return dateTime >= from && dateTime <= to; }
};

// "%04d-%02d-%02d %02d:%02d:%02d".
std::string FormatBound(int year, int month, int day, int hour, int minute, int second);
// True for a text of exactly that form with plausible values.
bool IsValidBound(std::string_view text);

// Reads a registration file line by line while others may still append to
// it. Accepts CR LF and LF line ends; the line end is not part of the line.
// Memory stays bounded: a line longer than kMaxLineLength is skipped (and
// counted), never held whole.
class RegFileReader {
public:
    static constexpr size_t kMaxLineLength = 65536;

    RegFileReader() = default;
    RegFileReader(const RegFileReader&) = delete;
    RegFileReader& operator=(const RegFileReader&) = delete;

    // On failure returns false and Error() holds the system's reason.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_.IsOpen(); }
    const std::string& Error() const { return error_; }

    // The next line; valid until the next call. False at end of file or on a
    // read error (then Error() is set).
    bool NextLine(std::string_view& line);
    // Lines skipped so far for being too long.
    size_t Overlong() const { return overlong_; }

private:
    bool Fill();

    File file_;
    std::vector<char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
    size_t overlong_ = 0;
    std::string error_;
};

} // namespace vantix
