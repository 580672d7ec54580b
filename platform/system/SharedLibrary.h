#pragma once
#include <string>

#include "core/Result.h"

namespace vantix {

// One loaded shared library (a .so through dlopen, a .dll through
// LoadLibraryW), unloaded when the object goes.
class SharedLibrary {
public:
    // The library or the loader's reason why it cannot be loaded.
    static Result<SharedLibrary> Open(const std::string& path);

    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary();

    void* Symbol(const char* name) const;
    template <class Fn>
    Fn Function(const char* name) const {
        return reinterpret_cast<Fn>(Symbol(name));
    }

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void Close();
    void* handle_;
};

// How module files end here: ".so" or ".dll".
extern const char kSharedLibrarySuffix[];

} // namespace vantix
