#include "storage/RegistrationImport.h"

#include "core/FormatText.h"
#include "core/Ids.h"
#include "core/Strings.h"
#include "core/Text.h"
#include "storage/CADODatabase.h"

namespace vantix {

namespace {

// One transaction step failed: report the text of the failure.
std::string TransactionError(int id, CADODatabase& db, const ComError& error) {
    db.RecordComError(error);
    return FormatText(LoadString(id), {db.GetLastErrorText()});
}

} // namespace

ImportResult RegistrationImport::Run(const ImportRequest& request) {
    ImportResult result;
    CADODatabase db;
    if (!db.Open(request.connectionString)) {
        result.errorText = FormatText(LoadString(str::kImportConnectFailed), {db.GetLastErrorText()});
        return result;
    }
    try {
        db.BeginTransaction();
    } catch (const ComError& error) {
        result.errorText = TransactionError(str::kImportBeginFailed, db, error);
        return result;
    }

    RegFileReader reader;
    if (!reader.Open(request.filePath)) {
        result.errorText = FormatText(LoadString(str::kFileOpenFailed), {request.filePath, reader.Error()});
        try {
            db.RollbackTransaction();
        } catch (const ComError&) {
            // Closing the connection below drops the empty transaction anyway.
        }
        return result;
    }

    result.outcome = ImportResult::Outcome::Finished;
    const int failedLine = ProcessLines(reader, db, request, result);
    result.overlong = static_cast<int>(reader.Overlong());
    if (failedLine > 0 && result.imported > 0)
        Replay(db, request, failedLine, result);

    try {
        if (result.outcome == ImportResult::Outcome::Cancelled) {
            db.RollbackTransaction();
            return result;
        }
        db.CommitTransaction();
    } catch (const ComError& error) {
        const bool cancelled = result.outcome == ImportResult::Outcome::Cancelled;
        const std::string text =
            TransactionError(cancelled ? str::kImportRollbackFailed : str::kImportCommitFailed, db, error);
        result.errorText += (result.errorText.empty() ? "" : "\n\n") + text;
        result.outcome = ImportResult::Outcome::Failed;
        result.imported = 0;
        return result;
    }
    if (result.overlong > 0) {
        const std::string note = FormatText(LoadString(str::kImportLongLines), {std::to_string(result.overlong), std::to_string(RegFileReader::kMaxLineLength)});
        result.errorText += (result.errorText.empty() ? "" : "\n\n") + note;
    }
    result.summary = FormatText(LoadString(str::kImportedCount),
                                {std::to_string(result.imported), std::to_string(result.counted)});
    return result;
}

void RegistrationImport::Replay(CADODatabase& db, const ImportRequest& request, int failedLine,
                                ImportResult& result) {
    ImportResult again;
    RegFileReader reader;
    try {
        db.RollbackTransaction();
        db.BeginTransaction();
        if (!reader.Open(request.filePath))
            throw ComError(0xFFFFFFFFu, "Unknown error", "Import",
                           FormatText(LoadString(str::kFileOpenFailed), {request.filePath, reader.Error()}));
    } catch (const ComError& error) {
        result.errorText += "\n\n" + TransactionError(str::kImportBeginFailed, db, error);
        result.imported = 0;
        return;
    }
    again.outcome = result.outcome;
    if (ProcessLines(reader, db, request, again, failedLine) > 0) {
        // What went in once fails now: nothing of the run is kept.
        result.errorText += "\n\n" + again.errorText;
        try {
            db.RollbackTransaction();
            db.BeginTransaction();
        } catch (const ComError&) {
            // The commit that follows fails then, and says so.
        }
        result.imported = 0;
        return;
    }
    if (again.outcome == ImportResult::Outcome::Cancelled) result.outcome = again.outcome;
    result.imported = again.imported;
}

int RegistrationImport::ProcessLines(RegFileReader& reader, CADODatabase& db, const ImportRequest& request,
                                     ImportResult& result, int stopAt) {
    std::string_view line;
    RegistrationFields fields;
    for (int number = 1; (stopAt == 0 || number < stopAt) && reader.NextLine(line); ++number) {
        const std::string text = AnsiToUtf8(line);
        if (ParseRegistrationLine(text, fields)) {
            ++result.counted;
            if (request.window.Contains(fields.dateTime)) {
                if (!db.Execute(ImportRegistrationCall(fields, request.syntax, db.BackslashEscapes()))) {
                    result.errorText = db.GetLastErrorText();
                    result.outcome = ImportResult::Outcome::Stopped;
                    return number;
                }
                ++result.imported;
            }
        }
        if (progress_) progress_(result.imported, result.counted);
        if (cancel_ && cancel_()) {
            result.outcome = ImportResult::Outcome::Cancelled;
            return 0;
        }
    }
    if (!reader.Error().empty()) {
        // A read error ends the file early: keep what was imported, but say so.
        result.errorText = FormatText(LoadString(str::kImportFileReadFailed), {request.filePath, reader.Error()});
        result.outcome = ImportResult::Outcome::Stopped;
    }
    return 0;
}

} // namespace vantix
