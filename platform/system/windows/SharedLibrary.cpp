#include "platform/system/SharedLibrary.h"

#include <windows.h>


#include "platform/system/windows/Wide.h"

namespace vantix {

Result<SharedLibrary> SharedLibrary::Open(const std::string& path) {
    // With a full path, the altered search order finds the module's own
    // dependencies beside it; a bare name is searched the standard way.
    const DWORD flags = path.find_first_of("/\\") != std::string::npos ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
    HMODULE module = ::LoadLibraryExW(win::Wide(path).c_str(), nullptr, flags);
    if (!module)
        return Fail(path + ": " + win::LastErrorText());
    return SharedLibrary(module);
}

void SharedLibrary::Close() {
    if (handle_)
        ::FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
    return handle_ ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

const char kSharedLibrarySuffix[] = ".dll";

} // namespace vantix
