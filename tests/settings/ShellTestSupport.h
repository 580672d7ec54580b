#pragma once
#include <string>

#include "settings/Configuration.h"
#include "tests/support/TempDir.h"

namespace vantix::test {

// A configuration on a fresh Vantix.ini in a temporary program directory;
// its cache starts empty and is dropped (unflushed) at the end.
struct ConfigurationFixture {
    TempDir dir;
    std::string iniPath = dir.File("Vantix.ini");
    Configuration config{iniPath};
};

} // namespace vantix::test
