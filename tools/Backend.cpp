#include "tools/Backend.h"

#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimControlServer.h"

namespace vantixctl {

std::unique_ptr<FTDI::D2xx> OpenBackend(const CommonOptions& options, std::string& error) {
    if (options.backend == FTDI::BackendSimulator)
        return FTDI::CreateSimClientD2xx(FTDI::DefaultSimSocketPath(), error);
    return FTDI::CreateD2xx(options.backend, error);
}

} // namespace vantixctl
