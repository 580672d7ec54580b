#pragma once
#include <string>

namespace FTDI {

// Serial numbers of devices refused for the rest of the run: one set for the
// whole process, never cleared, so a refused device is not looked at again
// until the program restarts.
class IgnoredSerials {
public:
    static bool Contains(const std::string& serial);
    static void Add(const std::string& serial);
};

} // namespace FTDI
