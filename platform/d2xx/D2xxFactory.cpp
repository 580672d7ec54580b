#include "platform/d2xx/D2xx.h"
#ifdef VANTIX_WITH_LIBFTDI
#include "platform/d2xx/libftdi/LibFtdiD2xx.h"
#endif
#include "platform/d2xx/sim/SimControlServer.h"
#include "platform/d2xx/vendor/VendorD2xx.h"

namespace FTDI {

namespace {

// libftdi1 is built for Linux only: on Windows the vendor's driver owns the
// readers and its library is the way to them.
std::unique_ptr<D2xx> CreateLibFtdi(std::string& error) {
#ifdef VANTIX_WITH_LIBFTDI
    return CreateLibFtdiD2xx(error);
#else
    error = "the libftdi backend is not available in this build (use d2xx)";
    return nullptr;
#endif
}

} // namespace

std::unique_ptr<D2xx> CreateD2xx(const std::string& backend, std::string& error) {
    if (backend == BackendSimulator)
        return CreateServedSimulator(DefaultSimSocketPath(), error);
    if (backend == BackendVendor)
        return CreateVendorD2xx(error);
    if (backend == BackendLibFtdi)
        return CreateLibFtdi(error);
    if (backend.empty()) {
        std::string vendorError;
        if (auto vendor = CreateVendorD2xx(vendorError))
            return vendor;
        auto libftdi = CreateLibFtdi(error);
        if (!libftdi)
            error = vendorError + "; " + error;
        return libftdi;
    }
    error = "unknown device backend \"" + backend + "\" (use d2xx, libftdi or sim)";
    return nullptr;
}

} // namespace FTDI
