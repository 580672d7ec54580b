#include "core/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace vantix {

namespace {

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

TraceHook& Hook() {
    static TraceHook hook;
    return hook;
}

bool TraceToStderr() {
    static const bool enabled = std::getenv("VANTIX_TRACE") != nullptr;
    return enabled;
}

} // namespace

void Trace(const std::string& text) {
    {
        std::lock_guard lock(HookMutex());
        if (Hook())
            Hook()(text);
    }
    if (TraceToStderr())
        std::fputs(text.c_str(), stderr);
}

void TraceF(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    Trace(buffer);
}

void SetTraceHook(TraceHook hook) {
    std::lock_guard lock(HookMutex());
    Hook() = std::move(hook);
}

} // namespace vantix
