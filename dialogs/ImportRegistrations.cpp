#include "dialogs/ImportRegistrations.h"

#include <QMessageBox>
#include <optional>

#include "core/FormatText.h"
#include "core/Ids.h"
#include "core/Text.h"
#include "views/Tr.h"
#include "dialogs/CD_ImportReg.h"
#include "dialogs/CD_Progress.h"

namespace vantix {

namespace {

// The registration lines of a file, for the progress total; nothing when it
// cannot be read (the run itself then reports why).
std::optional<int> CountRegistrations(const std::string& path) {
    RegFileReader reader;
    if (!reader.Open(path)) return std::nullopt;
    int count = 0;
    std::string_view line;
    RegistrationFields fields;
    while (reader.NextLine(line))
        if (ParseRegistrationLine(AnsiToUtf8(line), fields)) ++count;
    return reader.Error().empty() ? std::optional<int>(count) : std::nullopt;
}

} // namespace

ImportResult RunImportWithProgress(QWidget* owner, const ImportRequest& request) {
    CD_Progress progress(str::kImportingCaption);
    progress.Create(owner);
    progress.HideProgressBar();
    const std::optional<int> total = CountRegistrations(request.filePath);
    const std::string statusFormat = LoadString(total ? str::kProgressOfTotal : str::kProgressStatus);
    const std::string totalText = std::to_string(total.value_or(0));
    RegistrationImport import(
        [&](int imported, int counted) {
            progress.SetStatus(QString::fromStdString(
                FormatText(statusFormat, {std::to_string(imported), std::to_string(counted), totalText})));
        },
        [&] { return progress.PollCancel(); });
    ImportResult result = import.Run(request);
    progress.Destroy();
    return result;
}

void ImportRegistrations(QWidget* owner, Configuration& config, const std::string& connectionString,
                         CallSyntax syntax, const QString& filePath) {
    CD_ImportReg dialog(config, owner);
    dialog.filePath = filePath;
    if (dialog.exec() != QDialog::Accepted) return;
    const ImportRequest request{dialog.filePath.toStdString(), {dialog.From(), dialog.To()}, connectionString, syntax};
    const ImportResult result = RunImportWithProgress(owner, request);
    const QString title = Tr(str::kProgramName);
    if (!result.errorText.empty()) QMessageBox::critical(owner, title, QString::fromStdString(result.errorText));
    if (!result.summary.empty()) QMessageBox::information(owner, title, QString::fromStdString(result.summary));
}

} // namespace vantix
