#pragma once
#include <string>

#include "ftdi/Messages.h"

namespace vantix::test {

// A registration as the device link delivers it; `minute` is
// "YYYY-MM-DD hh:mm" of the read.
inline FTDI::MessageRegistration SampleRegistration(const std::string& mediaId = "0249541F", int id = 1, int ec = 12,
                                                    const std::string& minute = "2016-02-22 14:07") {
    FTDI::MessageRegistration r;
    r.serialNumber = "FT0001";
    r.mediaId = mediaId;
    r.id = id;
    r.ec = ec;
    r.dateTime = minute + ":00";
    r.date = minute.substr(0, 10);
    r.time = minute.substr(11) + ":00";
    r.idText = std::to_string(id);
    r.ecText = std::to_string(ec);
    return r;
}

} // namespace vantix::test
