#pragma once
#include <memory>
#include <string>

#include "platform/d2xx/D2xx.h"
#include "tools/Commands.h"

namespace vantixctl {

// The device backend named by --backend. "sim" reaches the simulator a
// running program (or `vantixctl sim serve`) serves on its control socket.
std::unique_ptr<FTDI::D2xx> OpenBackend(const CommonOptions& options, std::string& error);

} // namespace vantixctl
