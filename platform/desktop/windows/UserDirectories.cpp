#include "platform/desktop/UserDirectories.h"
#include "platform/system/Utf8Path.h"

#include <windows.h>
#include <shlobj.h>

#include <filesystem>

#include "platform/system/windows/Wide.h"

namespace vantix::userdirs {

namespace {
std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)))
        folder = win::Utf8(path);
    ::CoTaskMemFree(path);
    return folder;
}
} // namespace

std::string SettingsHome() { return KnownFolder(FOLDERID_RoamingAppData); }

std::string DataHome() { return KnownFolder(FOLDERID_RoamingAppData); }

bool MayWriteTo(const std::string& directory) {
    // Attributes and access lists both decide; only trying tells for sure
    // (a folder under Program Files reads as writable and is not).
    const std::wstring probe = win::Wide(directory) + L"\\.vantix-write-probe-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

// The folder inherits the access list of the user's profile, which is the
// user's alone.
Result<void> MakePrivateDirectory(const std::string& directory) {
    if (!::CreateDirectoryW(win::Wide(directory).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return Fail("cannot create " + directory + ": " + win::LastErrorText());
    return {};
}

std::string ExecutableDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return Utf8String(std::filesystem::path(path).parent_path());
}

} // namespace vantix::userdirs
