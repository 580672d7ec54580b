#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "storage/C_RegFile.h"
#include "storage/DatabaseWorker.h"
#include "storage/RegistrationCall.h"
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
// then the pane row, and the database call handed to the database worker
// while the database is in use. The first failed connection or call
// switches the database off for good, until the user switches it on again.
// The file never waits for the database.
class RegistrationPipeline {
public:
    // A call that gets no answer this long after its timeout counts as failed.
    static constexpr std::chrono::seconds kNoAnswerMargin{3};

    // The call syntax is taken from `config` now; the database switch and
    // connection string at Load. `wake` is called on the database worker's
    // thread when a call has ended; the owner then calls Poll on its own
    // thread. `config` must outlive the pipeline.
    RegistrationPipeline(Configuration& config, const std::string& programDirectory,
                         std::function<void()> wake = {});

    // "UseMRDB" (any non-zero value is on) and "ConnStr".
    void Load();
    // "UseMRDB" as 0 or 1, then "ConnStr". False when a write failed.
    bool Save() const;

    bool UseDatabase() const { return useDatabase_; }
    const std::string& ConnectionString() const { return connectionString_; }
    // Takes effect at the next registration; nothing connects now.
    void SetDatabase(bool use, std::string connectionString);

    void Handle(const FTDI::MessageRegistration& registration, RegistrationSink& sink);

    // Applies what the database worker reported, gives up a call that gets
    // no answer, and writes the file lines that wait. True while something
    // is still pending: poll again a little later.
    bool Poll(RegistrationSink& sink);
    // At exit: gives the database calls `grace` to end and applies their
    // results; what cannot be done any more is reported on stderr.
    void Finish(std::chrono::milliseconds grace, RegistrationSink& sink);

    const C_RegFile& File() const { return file_; }
    const DatabaseWorker& Database() const { return worker_; }

private:
    void WriteToFile(const FTDI::MessageRegistration& registration, RegistrationSink& sink);
    void WriteBacklog(RegistrationSink& sink);
    void ReportLost(RegistrationSink& sink);
    void GiveUpUnansweredCall(RegistrationSink& sink);
    void SwitchOff(int stringId, const std::string& reason, RegistrationSink& sink);

    Configuration& config_;
    bool useDatabase_ = false;
    std::string connectionString_;
    CallSyntax syntax_;
    std::uint64_t generation_ = 1; // the database session of the calls now submitted
    std::size_t lostReported_ = 0;
    C_RegFile file_;
    DatabaseWorker worker_; // last: its thread ends before the rest goes
};

} // namespace vantix
