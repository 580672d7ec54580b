#include "frame/RegistrationPipeline.h"

#include <iostream>

#include "app/IniKeys.h"
#include "app/Profile.h"
#include "app/StringTable.h"
#include "frame/RegistrationStrings.h"

namespace vantix {

namespace {
constexpr int kErrorImage = 0;

// The recorded error starts with the connection string, which may hold a
// password: keep only the error itself.
std::string WithoutConnectionString(const std::string& errorText) {
    const auto lineEnd = errorText.find('\n');
    return lineEnd == std::string::npos ? errorText : errorText.substr(lineEnd + 1);
}

} // namespace

RegistrationPipeline::RegistrationPipeline(const std::string& programDirectory, CallSyntax syntax)
    : syntax_(syntax), file_(programDirectory) {}

void RegistrationPipeline::Load() {
    useDatabase_ = Profile::Get(ini::UseMRDB) != 0;
    connectionString_ = Profile::Get(ini::ConnStr);
}

void RegistrationPipeline::Save() const {
    Profile::Write(ini::UseMRDB, useDatabase_ ? 1 : 0);
    Profile::Write(ini::ConnStr, connectionString_);
}

void RegistrationPipeline::SetDatabase(bool use, std::string connectionString) {
    useDatabase_ = use;
    connectionString_ = std::move(connectionString);
}

void RegistrationPipeline::Handle(const FTDI::MessageRegistration& registration, RegistrationSink& sink) {
    // The file is the permanent record: written whatever the database does.
    if (!file_.WriteRegistration(registration))
        sink.Log(file_.LastError(), kErrorImage);

    if (useDatabase_) {
        // An empty string would make the connection reuse the one it had
        // before, not the one the user chose: treat it as no connection.
        if (connectionString_.empty())
            SwitchOff(kStrCannotConnect, "no connection string is set\n", sink);
        else if (!database_.Open(connectionString_, "", ""))
            SwitchOff(kStrCannotConnect, WithoutConnectionString(database_.GetLastErrorText()), sink);
        else if (!database_.Execute(LiveRegistrationCall(registration, syntax_)))
            SwitchOff(kStrCannotExecute, WithoutConnectionString(database_.GetLastErrorText()), sink);
    }
    sink.AddRow(registration);
}

void RegistrationPipeline::SwitchOff(int stringId, const std::string& reason, RegistrationSink& sink) {
    // The log line is fixed; the reason goes to the developer's output.
    sink.Log(LoadString(stringId), kErrorImage);
    std::cerr << "vantix: database switched off: " << reason;
    useDatabase_ = false;
    try {
        database_.Close();
    } catch (const ComError& e) {
        // The connection is given up either way; the switch stays off.
        std::cerr << "vantix: closing the database connection failed: " << e.what() << "\n";
    }
}

} // namespace vantix
