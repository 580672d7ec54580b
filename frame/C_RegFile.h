#pragma once
#include <ctime>
#include <string>

#include "platform/UniqueFd.h"
#include "ftdi/Messages.h"

namespace vantix {

// The monthly registration file: one comma-separated line per registration,
// appended and handed to the operating system at once so that other readers
// (the import, a technician's tools) always see whole lines.
class C_RegFile {
public:
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

    // Appends one line. A file that could not be opened before is opened
    // again first. On failure returns false and LastError() says why.
    bool WriteRegistration(const FTDI::MessageRegistration& registration);

    const std::string& FileName() const { return fileName_; }
    bool IsOpen() const { return fd_.Valid(); }
    // Why the last open or write failed (empty when it did not).
    const std::string& LastError() const { return lastError_; }

private:
    bool Open();
    bool WriteAll(const std::string& bytes);

    std::string fileName_;
    UniqueFd fd_;
    std::string lastError_;
};

} // namespace vantix
