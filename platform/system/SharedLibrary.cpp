#include "platform/system/SharedLibrary.h"

#include <utility>

namespace vantix {

// Loading, unloading and lookup are the system's (posix/, windows/).
SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

SharedLibrary::~SharedLibrary() { Close(); }

} // namespace vantix
