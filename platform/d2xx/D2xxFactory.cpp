#include "platform/d2xx/D2xx.h"

#include <utility>

#ifdef VANTIX_WITH_LIBFTDI
#include "platform/d2xx/libftdi/LibFtdiD2xx.h"
#endif
#include "platform/d2xx/sim/SimControlServer.h"
#include "platform/d2xx/vendor/VendorD2xx.h"

namespace FTDI {

vantix::Result<std::unique_ptr<D2xx>> CreateD2xx(const std::string& backend) {
    if (backend == BackendSimulator) {
        auto sim = CreateServedSimulator(DefaultSimSocketPath());
        if (!sim)
            return vantix::Fail(sim.error());
        return std::unique_ptr<D2xx>(std::move(sim).value());
    }
    if (backend == BackendVendor)
        return CreateVendorD2xx();
#ifdef VANTIX_WITH_LIBFTDI
    if (backend == BackendLibFtdi)
        return CreateLibFtdiD2xx();
    if (backend.empty()) {
        auto vendor = CreateVendorD2xx();
        if (vendor)
            return vendor;
        auto libftdi = CreateLibFtdiD2xx();
        if (!libftdi)
            return vantix::Fail(vendor.error() + "; " + libftdi.error());
        return libftdi;
    }
#else
    if (backend.empty())
        return CreateVendorD2xx();
#endif
    return vantix::Fail("unknown device backend \"" + backend + "\" (use d2xx, libftdi or sim)");
}

} // namespace FTDI
