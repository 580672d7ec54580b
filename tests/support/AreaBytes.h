#pragma once
#include <algorithm>
#include <iterator>

#include "ftdi/UserArea.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"

namespace vantix::test {

// The stored image of a user area, as the simulator keeps it.
inline FTDI::SimulatedD2xx::UserAreaBytes AreaBytes(const FTDI::UserArea& ua) {
    FTDI::SimulatedD2xx::UserAreaBytes out;
    std::copy(std::begin(ua.bytes), std::end(ua.bytes), out.begin());
    return out;
}

} // namespace vantix::test
