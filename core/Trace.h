#pragma once
#include <functional>
#include <string>

namespace vantix {

// Developer traces (the device link and the platform backends). They go to stderr only when the
// environment variable VANTIX_TRACE is set; a hook (tests) sees every trace.
void Trace(const std::string& text);
// printf-style form of Trace.
void TraceF(const char* format, ...) __attribute__((format(printf, 1, 2)));

using TraceHook = std::function<void(const std::string&)>;
// Installs a hook that receives every trace; an empty hook removes it.
void SetTraceHook(TraceHook hook);

} // namespace vantix
