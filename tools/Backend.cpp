#include "tools/Backend.h"

#include <string>

#include "platform/d2xx/sim/SimClient.h"
#include "platform/d2xx/sim/SimControlServer.h"

namespace vantixctl {

vantix::Result<std::unique_ptr<FTDI::D2xx>> OpenBackend(const CommonOptions& options) {
    if (options.backend == FTDI::BackendSimulator)
        return FTDI::CreateSimClientD2xx(FTDI::DefaultSimSocketPath());
    return FTDI::CreateD2xx(options.backend);
}

} // namespace vantixctl
