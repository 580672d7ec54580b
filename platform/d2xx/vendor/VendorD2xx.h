#pragma once
#include <memory>
#include <string>

#include "platform/d2xx/D2xx.h"

namespace FTDI {

// FTDI's own D2XX library, loaded at run time. libraryPath empty: the
// platform's usual name (libftd2xx.so / ftd2xx.dll) through the loader's
// search path. The reason when it cannot be used.
vantix::Result<std::unique_ptr<D2xx>> CreateVendorD2xx(const std::string& libraryPath = {});

} // namespace FTDI
