#include "platform/d2xx/D2xx.h"
#ifdef VANTIX_WITH_LIBFTDI
#include "platform/d2xx/libftdi/LibFtdiD2xx.h"
#endif
#include "platform/d2xx/sim/SimControlServer.h"
#include "platform/d2xx/vendor/VendorD2xx.h"

namespace FTDI {

std::unique_ptr<D2xx> CreateD2xx(const std::string& backend, std::string& error) {
    if (backend == BackendSimulator)
        return CreateServedSimulator(DefaultSimSocketPath(), error);
    if (backend == BackendVendor)
        return CreateVendorD2xx(error);
#ifdef VANTIX_WITH_LIBFTDI
    if (backend == BackendLibFtdi)
        return CreateLibFtdiD2xx(error);
    if (backend.empty()) {
        std::string vendorError;
        if (auto vendor = CreateVendorD2xx(vendorError))
            return vendor;
        auto libftdi = CreateLibFtdiD2xx(error);
        if (!libftdi)
            error = vendorError + "; " + error;
        return libftdi;
    }
#else
    if (backend.empty())
        return CreateVendorD2xx(error);
#endif
    error = "unknown device backend \"" + backend + "\" (use d2xx, libftdi or sim)";
    return nullptr;
}

} // namespace FTDI
