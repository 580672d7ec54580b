#include <iostream>

#include "tools/Commands.h"

namespace vantixctl {

int RunWatch(const Args&, const CommonOptions&) {
    std::cerr << "vantixctl: not available yet\n";
    return ExitRefused;
}

} // namespace vantixctl
