#include <iostream>

#include "tools/Commands.h"

namespace vantixctl {

int RunUserArea(const Args&) {
    std::cerr << "vantixctl: not available yet\n";
    return ExitRefused;
}

} // namespace vantixctl
