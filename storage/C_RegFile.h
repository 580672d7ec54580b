#pragma once
#include <ctime>
#include <deque>
#include <string>
#include <string_view>

#include "ftdi/Messages.h"
#include "platform/system/File.h"

namespace vantix {

// The monthly registration file: one comma-separated line per registration,
// appended and handed to the operating system at once so that other readers
// (the import, a technician's tools) always see whole lines. A line that
// cannot be written (disk full, read-only mount) waits, in order, until the
// file can be written again.
class C_RegFile {
public:
    // Lines kept while the file cannot be written; later ones are lost.
    static constexpr std::size_t kBacklogLimit = 100000;

    // Opens (or creates) the file of the month of `now` in `programDir`.
    explicit C_RegFile(const std::string& programDir, std::time_t now = std::time(nullptr));
    virtual ~C_RegFile() = default;
    C_RegFile(const C_RegFile&) = delete;
    C_RegFile& operator=(const C_RegFile&) = delete;

    static constexpr const char* kHeader = "MediaID,DateTime,Date,Time,ID,Code,Serial";

    // "Vantix-YYYYMM.vtxreg" in `programDir`.
    static std::string FileNameFor(const std::string& programDir, std::time_t now);
    // The seven fields of one registration, without the line end.
    static std::string FormatLine(const FTDI::MessageRegistration& registration);
    // A field with every character that would change the shape of a line
    // (',', CR, LF, NUL) replaced by '_'. A reader's serial number comes
    // from the device and may hold any of them.
    static std::string SafeField(std::string_view field);

    // Appends one line after the lines still waiting. True when it is in
    // the file; false when it waits (LastError() says why) or was lost
    // because too many wait.
    bool WriteRegistration(const FTDI::MessageRegistration& registration);
    // Writes the waiting lines, oldest first. True when none waits any more.
    bool WriteBacklog();

    // Lines that wait to be written, oldest first.
    const std::deque<std::string>& Backlog() const { return backlog_; }
    // Lines lost because the backlog was full.
    std::size_t Lost() const { return lost_; }

    const std::string& FileName() const { return fileName_; }
    bool IsOpen() const { return file_.IsOpen(); }
    // Why the last open or write failed (empty when it did not).
    const std::string& LastError() const { return lastError_; }

private:
    bool Open();
    // One line (with its line end) in one write, or nothing of it.
    bool Append(const std::string& line);
    bool WriteAll(const std::string& bytes);
    void RemovePartialLine(std::size_t written);

    std::string fileName_;
    File file_;
    std::deque<std::string> backlog_;
    std::size_t lost_ = 0;
    std::string lastError_;
};

} // namespace vantix
