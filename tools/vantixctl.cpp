#include <cstring>
#include <iostream>

#include "tools/Commands.h"

using namespace vantixctl;

namespace {

void Usage(std::ostream& out) {
    out << "usage: vantixctl [--backend d2xx|libftdi|sim] COMMAND ...\n"
           "  list                         readers with their configuration\n"
           "  show SERIAL                  one reader's configuration\n"
           "  set SERIAL field=value...    change a reader's configuration\n"
           "  ua decode HEX32 TYPE         decode a 16-byte user area\n"
           "  ua encode TYPE field=value...  encode a user area\n"
           "  watch [--type] [--regfile [DIR]]  run the device link, one JSON line per event\n"
           "  import FILE --from T --to T --conn STRING  replay registrations into a database\n"
           "  password [--ini PATH]        store a new password hash (default: the program's INI)\n"
           "  sim COMMAND ...              talk to the simulator of a running program\n";
}

} // namespace

int main(int argc, char* argv[]) {
    CommonOptions options;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string opt = argv[i];
        if (opt == "--backend" && i + 1 < argc) {
            options.backend = argv[++i];
        } else if (opt.rfind("--backend=", 0) == 0) {
            options.backend = opt.substr(10);
        } else if (opt == "--help") {
            Usage(std::cout);
            return ExitOk;
        } else {
            std::cerr << "vantixctl: unknown option " << opt << "\n";
            return ExitUsage;
        }
    }
    if (i >= argc) {
        Usage(std::cerr);
        return ExitUsage;
    }
    const std::string command = argv[i++];
    const Args args(argv + i, argv + argc);
    if (command == "ua") return RunUserArea(args);
    if (command == "list") return RunList(args, options);
    if (command == "show") return RunShow(args, options);
    if (command == "set") return RunSet(args, options);
    if (command == "sim") return RunSim(args);
    if (command == "watch") return RunWatch(args, options);
    if (command == "import") return RunImport(args);
    if (command == "password") return RunPassword(args);
    std::cerr << "vantixctl: unknown command " << command << "\n";
    Usage(std::cerr);
    return ExitUsage;
}
