#pragma once
#include <string>

#include "frame/CADODatabase.h"
#include "frame/C_RegFile.h"
#include "frame/RegistrationCall.h"
#include "ftdi/Messages.h"

namespace vantix {

// Where the pipeline reports: event-log rows and registration-pane rows.
class RegistrationSink {
public:
    virtual ~RegistrationSink() = default;
    // image: 0 error, 1 information, 2 warning.
    virtual void Log(const std::string& text, int image) = 0;
    virtual void AddRow(const FTDI::MessageRegistration& registration) = 0;
};

// The road of one registration through the frame: this month's file first,
// then the database while it is in use (a failure switches it off for good,
// until the user switches it on again), then the pane row.
class RegistrationPipeline {
public:
    RegistrationPipeline(const std::string& programDirectory, CallSyntax syntax);

    // "UseMRDB" (any non-zero value is on) and "ConnStr".
    void Load();
    // "UseMRDB" as 0 or 1, then "ConnStr".
    void Save() const;

    bool UseDatabase() const { return useDatabase_; }
    const std::string& ConnectionString() const { return connectionString_; }
    // Takes effect at the next registration; nothing connects now.
    void SetDatabase(bool use, std::string connectionString);

    void Handle(const FTDI::MessageRegistration& registration, RegistrationSink& sink);

    const C_RegFile& File() const { return file_; }

private:
    void SwitchOff(int stringId, const std::string& reason, RegistrationSink& sink);

    bool useDatabase_ = false;
    std::string connectionString_;
    CallSyntax syntax_;
    C_RegFile file_;
    CADODatabase database_;
};

} // namespace vantix
