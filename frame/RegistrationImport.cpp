#include "frame/RegistrationImport.h"

#include "app/StringTable.h"
#include "frame/CADODatabase.h"
#include "frame/RegistrationStrings.h"

namespace vantix {

namespace {

// One transaction step failed: report the text of the failure.
std::string TransactionError(int id, CADODatabase& db, const ComError& error) {
    db.RecordComError(error);
    return FormatString(LoadString(id), db.GetLastErrorText());
}

} // namespace

ImportResult RegistrationImport::Run(const ImportRequest& request) {
    ImportResult result;
    CADODatabase db;
    if (!db.Open(request.connectionString)) {
        result.errorText = FormatString(LoadString(kStrImportConnectFailed), db.GetLastErrorText());
        return result;
    }
    try {
        db.BeginTransaction();
    } catch (const ComError& error) {
        result.errorText = TransactionError(kStrImportBeginFailed, db, error);
        return result;
    }

    RegFileReader reader;
    if (!reader.Open(request.filePath)) {
        result.errorText = FormatString(LoadString(kStrFileOpenFailed), request.filePath, reader.Error());
        try {
            db.RollbackTransaction();
        } catch (const ComError&) {
            // Closing the connection below drops the empty transaction anyway.
        }
        return result;
    }

    result.outcome = ImportResult::Outcome::Finished;
    ProcessLines(reader, db, request, result);

    try {
        if (result.outcome == ImportResult::Outcome::Cancelled) {
            db.RollbackTransaction();
            return result;
        }
        db.CommitTransaction();
    } catch (const ComError& error) {
        const bool cancelled = result.outcome == ImportResult::Outcome::Cancelled;
        const std::string text =
            TransactionError(cancelled ? kStrImportRollbackFailed : kStrImportCommitFailed, db, error);
        result.errorText += (result.errorText.empty() ? "" : "\n\n") + text;
        result.outcome = ImportResult::Outcome::Failed;
        return result;
    }
    result.summary = FormatText(LoadString(kStrImportedCount),
                                {std::to_string(result.imported), std::to_string(result.counted)});
    return result;
}

void RegistrationImport::ProcessLines(RegFileReader& reader, CADODatabase& db, const ImportRequest& request,
                                      ImportResult& result) {
    std::string_view line;
    RegistrationFields fields;
    while (reader.NextLine(line)) {
        if (ParseRegistrationLine(line, fields)) {
            ++result.counted;
            if (request.window.Contains(fields.dateTime)) {
                if (!db.Execute(ImportRegistrationCall(fields, request.syntax))) {
                    result.errorText = db.GetLastErrorText();
                    result.outcome = ImportResult::Outcome::Stopped;
                    return;
                }
                ++result.imported;
            }
        }
        if (progress_) progress_(result.imported, result.counted);
        if (cancel_ && cancel_()) {
            result.outcome = ImportResult::Outcome::Cancelled;
            return;
        }
    }
    if (!reader.Error().empty()) {
        // A read error ends the file early: keep what was imported, but say so.
        result.errorText = FormatString(LoadString(kStrImportFileReadFailed), request.filePath, reader.Error());
        result.outcome = ImportResult::Outcome::Stopped;
    }
}

} // namespace vantix
