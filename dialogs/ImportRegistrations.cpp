#include "dialogs/ImportRegistrations.h"

#include <QMessageBox>

#include "core/FormatText.h"
#include "core/Ids.h"
#include "dialogs/CD_ImportReg.h"
#include "dialogs/CD_Progress.h"
#include "views/Tr.h"

namespace vantix {

ImportResult RunImportWithProgress(QWidget* owner, const ImportRequest& request) {
    CD_Progress progress(str::kImportingCaption);
    progress.Create(owner);
    progress.HideProgressBar();
    const std::string statusFormat = LoadString(str::kProgressStatus);
    RegistrationImport import(
        [&](int imported, int counted) {
            progress.SetStatus(QString::fromStdString(
                FormatText(statusFormat, {std::to_string(imported), std::to_string(counted)})));
        },
        [&] { return progress.PollCancel(); });
    ImportResult result = import.Run(request);
    progress.Destroy();
    return result;
}

void ImportRegistrations(QWidget* owner, const std::string& connectionString, CallSyntax syntax,
                         const QString& filePath) {
    CD_ImportReg dialog(owner);
    dialog.filePath = filePath;
    if (dialog.exec() != QDialog::Accepted) return;
    const ImportRequest request{dialog.filePath.toStdString(), {dialog.From(), dialog.To()}, connectionString, syntax};
    const ImportResult result = RunImportWithProgress(owner, request);
    const QString title = Tr(str::kImportTitle);
    if (!result.errorText.empty()) QMessageBox::critical(owner, title, QString::fromStdString(result.errorText));
    if (!result.summary.empty()) QMessageBox::information(owner, title, QString::fromStdString(result.summary));
}

} // namespace vantix
