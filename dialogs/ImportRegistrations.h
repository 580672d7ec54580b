#pragma once
#include <QString>
#include <string>

#include "storage/RegistrationImport.h"

class QWidget;

namespace vantix {

class Configuration;

// Runs one import with a progress window (caption "Importing
// registrations", status "imported / counted", Cancel). The owner is
// disabled until the run ends, whatever way it ends.
ImportResult RunImportWithProgress(QWidget* owner, const ImportRequest& request);

// The frame's Import command: asks for the file and the window, runs the
// import and shows its error and count messages. The caller has checked the
// database switch and the password gate. `config` keeps the last file.
void ImportRegistrations(QWidget* owner, Configuration& config, const std::string& connectionString,
                         CallSyntax syntax, const QString& filePath = {});

} // namespace vantix
