#include <filesystem>
#include <iostream>

#include "storage/RegistrationCall.h"
#include "storage/RegistrationImport.h"
#include "platform/desktop/FileLocations.h"
#include "platform/system/Console.h"
#include "tools/Commands.h"

namespace vantixctl {

namespace {

int UsageError(const std::string& reason) {
    std::cerr << "vantixctl import: " << reason << "\n"
              << "usage: vantixctl import FILE --from \"YYYY-MM-DD hh:mm:ss\" --to \"YYYY-MM-DD hh:mm:ss\" "
                 "--conn STRING [--call-syntax exec|call]\n";
    return ExitUsage;
}

} // namespace

// Replays a registration file into the database: the import of the program,
// headless. Ctrl-C cancels and rolls back.
int RunImport(const Args& args) {
    vantix::ImportRequest request;
    std::string syntaxName = "exec";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) return false;
            into = args[++i];
            return true;
        };
        bool ok = true;
        if (arg == "--from") ok = value(request.window.from);
        else if (arg == "--to") ok = value(request.window.to);
        else if (arg == "--conn") ok = value(request.connectionString);
        else if (arg == "--call-syntax") ok = value(syntaxName);
        else if (arg.rfind("--", 0) == 0) return UsageError("unknown option " + arg);
        else if (request.filePath.empty()) request.filePath = arg;
        else return UsageError("more than one file given");
        if (!ok) return UsageError(arg + " needs a value");
    }
    if (request.filePath.empty()) return UsageError("no file given");
    // A bare file name not found here is one of the program's own files.
    if (std::error_code ec; request.filePath.find('/') == std::string::npos &&
                            !std::filesystem::exists(request.filePath, ec))
        request.filePath = vantix::FileLocations::ForRunningProgram().dataDirectory + request.filePath;
    if (!vantix::IsValidBound(request.window.from)) return UsageError("--from must be \"YYYY-MM-DD hh:mm:ss\"");
    if (!vantix::IsValidBound(request.window.to)) return UsageError("--to must be \"YYYY-MM-DD hh:mm:ss\"");
    if (request.connectionString.empty()) return UsageError("--conn needs a connection string");
    if (!vantix::ParseCallSyntax(syntaxName, request.syntax)) return UsageError("--call-syntax is exec or call");

    vantix::InterruptFlag interrupt;
    int lines = 0;
    vantix::RegistrationImport import(
        [&](int imported, int counted) {
            // A progress line, rewritten in place; not for every line of a big file.
            if (++lines % 1000 == 0) std::cerr << "\r" << imported << " / " << counted << std::flush;
        },
        [&interrupt] { return interrupt.Raised(); });
    const vantix::ImportResult result = import.Run(request);
    if (lines > 0) std::cerr << "\r" << result.imported << " / " << result.counted << "\n";

    if (!result.errorText.empty()) std::cerr << "vantixctl import: " << result.errorText << "\n";
    if (!result.summary.empty()) std::cout << result.summary << "\n";
    switch (result.outcome) {
    case vantix::ImportResult::Outcome::Finished: return ExitOk;
    case vantix::ImportResult::Outcome::Cancelled:
        std::cerr << "vantixctl import: cancelled, nothing imported\n";
        return ExitRefused;
    default: return ExitRefused;
    }
}

} // namespace vantixctl
