#pragma once
#include <optional>
#include <string>

namespace vantix {

// One dlopen handle, closed when the object goes.
class SharedLibrary {
public:
    // nullopt with the loader's reason in error when the file cannot be loaded.
    static std::optional<SharedLibrary> Open(const std::string& path, std::string* error = nullptr);

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
    void* handle_;
};

} // namespace vantix
