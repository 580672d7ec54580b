#include "storage/RegistrationPipeline.h"

#include <iostream>

#include "settings/IniKeys.h"
#include "core/FormatText.h"
#include "core/Ids.h"
#include "core/Strings.h"
#include "storage/CADODatabase.h"

namespace vantix {

namespace {
constexpr int kErrorImage = 0;
constexpr int kInformationImage = 1;
} // namespace

RegistrationPipeline::RegistrationPipeline(Configuration& config, const std::string& programDirectory,
                                           std::function<void()> wake)
    : config_(config), syntax_(CallSyntaxFrom(config)), file_(programDirectory), worker_(std::move(wake)) {}

void RegistrationPipeline::Load() {
    useDatabase_ = config_.Get(ini::UseMRDB) != 0;
    connectionString_ = config_.Get(ini::ConnStr);
}

bool RegistrationPipeline::Save() const {
    const bool use = config_.Write(ini::UseMRDB, useDatabase_ ? 1 : 0);
    return config_.Write(ini::ConnStr, connectionString_) && use;
}

void RegistrationPipeline::SetDatabase(bool use, std::string connectionString) {
    if (use && !useDatabase_)
        ++generation_; // a new session: nothing of a switched-off one carries over
    useDatabase_ = use;
    connectionString_ = std::move(connectionString);
}

void RegistrationPipeline::Handle(const FTDI::MessageRegistration& registration, RegistrationSink& sink) {
    // The file is the permanent record: written whatever the database does.
    WriteToFile(registration, sink);
    if (useDatabase_) {
        // An empty string would make the connection reuse the one it had
        // before, not the one the user chose: treat it as no connection.
        if (connectionString_.empty())
            SwitchOff(str::kCannotConnect, "no connection string is set\n", sink);
        else
            worker_.Submit({connectionString_, syntax_, registration, generation_});
    }
    sink.AddRow(registration);
}

void RegistrationPipeline::WriteToFile(const FTDI::MessageRegistration& registration, RegistrationSink& sink) {
    const std::size_t waitedBefore = file_.Backlog().size();
    if (file_.WriteRegistration(registration)) {
        if (waitedBefore > 0)
            sink.Log(FormatText(LoadString(str::kRegFileWrittenAgain), {std::to_string(waitedBefore)}),
                     kInformationImage);
        return;
    }
    sink.Log(FormatText(LoadString(str::kRegFileWaiting), {file_.LastError(), std::to_string(file_.Backlog().size())}),
             kErrorImage);
    ReportLost(sink);
}

void RegistrationPipeline::WriteBacklog(RegistrationSink& sink) {
    const std::size_t waiting = file_.Backlog().size();
    if (waiting > 0 && file_.WriteBacklog())
        sink.Log(FormatText(LoadString(str::kRegFileWrittenAgain), {std::to_string(waiting)}), kInformationImage);
}

void RegistrationPipeline::ReportLost(RegistrationSink& sink) {
    if (file_.Lost() == lostReported_)
        return;
    lostReported_ = file_.Lost();
    sink.Log(FormatText(LoadString(str::kRegFileLost), {std::to_string(lostReported_)}), kErrorImage);
}

bool RegistrationPipeline::Poll(RegistrationSink& sink) {
    for (const DatabaseWorker::Failure& failure : worker_.TakeFailures())
        if (useDatabase_ && failure.generation == generation_)
            SwitchOff(failure.connecting ? str::kCannotConnect : str::kCannotExecute, failure.errorText, sink);
    GiveUpUnansweredCall(sink);
    WriteBacklog(sink);
    return worker_.Outstanding() > 0 || !file_.Backlog().empty();
}

void RegistrationPipeline::GiveUpUnansweredCall(RegistrationSink& sink) {
    const DatabaseWorker::Progress now = worker_.Current();
    if (!useDatabase_ || now.phase == DatabaseWorker::Phase::Idle || now.generation != generation_)
        return;
    const bool connecting = now.phase == DatabaseWorker::Phase::Connecting;
    const std::chrono::seconds limit =
        std::chrono::seconds(connecting ? CADODatabase::kLoginTimeoutSeconds : CADODatabase::kStatementTimeoutSeconds) +
        kNoAnswerMargin;
    if (std::chrono::steady_clock::now() - now.since < limit)
        return;
    worker_.Abandon(now.generation);
    SwitchOff(connecting ? str::kCannotConnect : str::kCannotExecute,
              "no answer within " + std::to_string(limit.count()) + " s\n", sink);
}

void RegistrationPipeline::Finish(std::chrono::milliseconds grace, RegistrationSink& sink) {
    worker_.WaitIdle(grace);
    Poll(sink);
    if (const std::size_t left = worker_.Outstanding())
        std::cerr << "vantix: " << left << " database call(s) not made within " << grace.count()
                  << " ms at exit; the registrations are in " << file_.FileName() << "\n";
    if (file_.Backlog().empty())
        return;
    // The last place these registrations can be kept.
    std::cerr << "vantix: " << file_.LastError() << "\nvantix: " << file_.Backlog().size()
              << " registration(s) could not be written to the file:\n";
    for (const std::string& line : file_.Backlog())
        std::cerr << line.substr(0, line.find('\r')) << "\n";
}

void RegistrationPipeline::SwitchOff(int stringId, const std::string& reason, RegistrationSink& sink) {
    // The log line is fixed; the reason goes to the developer's output.
    sink.Log(LoadString(stringId), kErrorImage);
    std::cerr << "vantix: database switched off: " << reason;
    useDatabase_ = false;
    // What is still queued of this session is dropped unmade.
    worker_.Abandon(generation_);
    ++generation_;
}

} // namespace vantix
