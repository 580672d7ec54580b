#include "ftdi/IgnoredSerials.h"

#include <mutex>
#include <set>

namespace FTDI {

namespace {

struct SerialSet {
    std::mutex mutex;
    std::set<std::string> serials;
};

SerialSet& Ignored() {
    static SerialSet set;
    return set;
}

} // namespace

bool IgnoredSerials::Contains(const std::string& serial) {
    SerialSet& set = Ignored();
    std::lock_guard lock(set.mutex);
    return set.serials.count(serial) != 0;
}

void IgnoredSerials::Add(const std::string& serial) {
    SerialSet& set = Ignored();
    std::lock_guard lock(set.mutex);
    set.serials.insert(serial);
}

} // namespace FTDI
