#pragma once
#include <string>

#include "settings/Profile.h"
#include "settings/Settings.h"
#include "tests/support/TempDir.h"

namespace vantix::test {

// A fresh Vantix.ini in a temporary program directory, made the profile;
// the Settings cache starts empty and is dropped (unflushed) at the end.
struct ProfileFixture {
    TempDir dir;
    std::string iniPath = dir.File("Vantix.ini");

    ProfileFixture() {
        Settings::Destroy();
        Profile::SetAppPath(iniPath);
    }
    ~ProfileFixture() {
        Profile::SetAppPath(dir.File("unused.ini"));
        Settings::Destroy();
    }
};

} // namespace vantix::test
