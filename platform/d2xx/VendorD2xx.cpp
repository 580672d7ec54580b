#include "platform/d2xx/D2xx.h"

namespace FTDI {

std::unique_ptr<D2xx> CreateVendorD2xx(std::string& error) {
    error = "the vendor D2XX library backend is not built yet";
    return nullptr;
}

} // namespace FTDI
