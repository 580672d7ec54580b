#pragma once
#include <functional>
#include <string>

#include "storage/RegFileReader.h"
#include "storage/RegistrationCall.h"

namespace vantix {

class CADODatabase;

// What one import run replays: a registration file, its time window and the
// database to call.
struct ImportRequest {
    std::string filePath;
    TimeWindow window;
    std::string connectionString;
    CallSyntax syntax = CallSyntax::Exec;
};

struct ImportResult {
    enum class Outcome {
        Finished,       // end of file; everything committed
        Stopped,        // a failed statement or a read error; those before it committed
        Cancelled,      // rolled back; nothing to report
        Failed,         // connection, transaction or file error; nothing committed
    };
    Outcome outcome = Outcome::Failed;
    int imported = 0; // committed, not merely sent
    int counted = 0;
    int overlong = 0; // lines skipped for being too long
    std::string errorText; // shown as an error first, when not empty
    std::string summary;   // "Imported %d of %d registrations." unless cancelled or failed
};

// Replays a registration file into the database in one transaction. Knows
// nothing of windows: the caller shows progress and the messages.
class RegistrationImport {
public:
    // After every line: the counters so far.
    using Progress = std::function<void(int imported, int counted)>;
    // After every line: true stops the run and rolls it back.
    using CancelPoll = std::function<bool()>;

    RegistrationImport(Progress progress, CancelPoll cancel)
        : progress_(std::move(progress)), cancel_(std::move(cancel)) {}

    ImportResult Run(const ImportRequest& request);

private:
    // Reads and calls until end of file, a failed statement, a cancel or the
    // line `stopAt` (counted from 1; 0: no such line). Returns the number of
    // the line whose statement failed, or 0.
    int ProcessLines(RegFileReader& reader, CADODatabase& db, const ImportRequest& request, ImportResult& result,
                     int stopAt = 0);
    // After a failed statement: some servers have ended the whole
    // transaction with it, whatever a commit then says. Roll back and send
    // the statements before it again in a fresh transaction.
    void Replay(CADODatabase& db, const ImportRequest& request, int failedLine, ImportResult& result);

    Progress progress_;
    CancelPoll cancel_;
};

} // namespace vantix
