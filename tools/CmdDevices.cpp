#include <iostream>

#include "tools/Commands.h"

namespace vantixctl {

int RunList(const Args&, const CommonOptions&) {
    std::cerr << "vantixctl: not available yet\n";
    return ExitRefused;
}

int RunShow(const Args&, const CommonOptions&) {
    std::cerr << "vantixctl: not available yet\n";
    return ExitRefused;
}

int RunSet(const Args&, const CommonOptions&) {
    std::cerr << "vantixctl: not available yet\n";
    return ExitRefused;
}

} // namespace vantixctl
