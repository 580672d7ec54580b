#pragma once
#include <memory>

#include "core/Result.h"
#include "platform/d2xx/D2xx.h"
#include "tools/Commands.h"

namespace vantixctl {

// The device backend named by --backend, or why it cannot be had. "sim"
// reaches the simulator a running program (or `vantixctl sim serve`) serves
// on its control socket.
vantix::Result<std::unique_ptr<FTDI::D2xx>> OpenBackend(const CommonOptions& options);

} // namespace vantixctl
