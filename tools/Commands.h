#pragma once
#include <string>
#include <vector>

namespace vantixctl {

using Args = std::vector<std::string>;

// Exit statuses of every command.
enum ExitStatus { ExitOk = 0, ExitRefused = 1, ExitUsage = 2 };

// Options common to the commands that talk to readers.
struct CommonOptions {
    std::string backend; // empty: vendor library when loadable, else libftdi1
};

// Each command gets the words after its name. They print results to stdout
// and a one-line reason to stderr.
int RunUserArea(const Args& args);
int RunList(const Args& args, const CommonOptions& options);
int RunShow(const Args& args, const CommonOptions& options);
int RunSet(const Args& args, const CommonOptions& options);
int RunSim(const Args& args);
int RunWatch(const Args& args, const CommonOptions& options);
int RunImport(const Args& args);
int RunPassword(const Args& args);

} // namespace vantixctl
