#include "platform/d2xx/D2xx.h"

namespace FTDI {

std::unique_ptr<D2xx> CreateLibFtdiD2xx(std::string& error) {
    error = "the libftdi1 backend is not built yet";
    return nullptr;
}

} // namespace FTDI
