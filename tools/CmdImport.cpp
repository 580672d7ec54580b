#include <iostream>

#include "tools/Commands.h"

namespace vantixctl {

int RunImport(const Args&) {
    std::cerr << "vantixctl: not available yet\n";
    return ExitRefused;
}

} // namespace vantixctl
