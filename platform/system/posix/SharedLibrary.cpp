#include "platform/system/SharedLibrary.h"

#include <dlfcn.h>

namespace vantix {

Result<SharedLibrary> SharedLibrary::Open(const std::string& path) {
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = ::dlerror();
        return Fail(reason ? reason : "cannot load " + path);
    }
    return SharedLibrary(handle);
}

void SharedLibrary::Close() {
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::Symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

const char kSharedLibrarySuffix[] = ".so";

} // namespace vantix
