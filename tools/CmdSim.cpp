#include <iostream>

#include "tools/Commands.h"

namespace vantixctl {

int RunSim(const Args&) {
    std::cerr << "vantixctl: not available yet\n";
    return ExitRefused;
}

} // namespace vantixctl
