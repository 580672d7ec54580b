#include "tools/Backend.h"

#include <string>

#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimControlServer.h"

namespace vantixctl {

vantix::Result<std::unique_ptr<FTDI::D2xx>> OpenBackend(const CommonOptions& options) {
    std::string error;
    std::unique_ptr<FTDI::D2xx> d2xx = options.backend == FTDI::BackendSimulator
        ? FTDI::CreateSimClientD2xx(FTDI::DefaultSimSocketPath(), error)
        : FTDI::CreateD2xx(options.backend, error);
    if (!d2xx)
        return vantix::Fail(error.empty() ? "no backend \"" + options.backend + "\"" : error);
    return d2xx;
}

} // namespace vantixctl
