#include "platform/desktop/SingleInstance.h"

#include <windows.h>

#include "platform/system/windows/Wide.h"

namespace vantix {

// "Local": one copy per logon session, as the lock directory of the
// session's user does on POSIX systems.
std::string SingleInstanceLock::DefaultDirectory() { return "Local"; }

std::string SingleInstanceLock::LockPath(const std::string& directory) { return directory + "\\" + kGuid; }

SingleInstanceLock::SingleInstanceLock(const std::string& directory) {
    const std::string name = LockPath(directory);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, win::Wide(name).c_str());
    if (!mutex) {
        error_ = name + ": " + win::LastErrorText();
        return;
    }
    // The mutex exists as long as a handle to it is open: whoever created it
    // holds the program's place; a later copy lets go of its handle at once,
    // so the place is free as soon as the holder ends.
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        state_ = State::HeldElsewhere;
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    state_ = State::Acquired;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (handle_ != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

} // namespace vantix
