#pragma once
#include <memory>
#include <string>

#include "platform/d2xx/D2xx.h"

namespace FTDI {

// Readers reached through libftdi1 (0x0403/0x6001). Line settings come from
// VANTIX_FTDI_BAUD (default 9600, 8N1, no flow control).
vantix::Result<std::unique_ptr<D2xx>> CreateLibFtdiD2xx();

} // namespace FTDI
