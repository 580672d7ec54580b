#pragma once
#include <atomic>

namespace FTDI {

// Program-wide typing and click settings. The frame loads them from the INI
// file and saves them at close; the dialogs change them on the user-interface
// thread while the reader thread uses them, hence atomics.
struct OutputSettings {
    std::atomic<int> intercharacterDelay{1}; // "Delay", ms after each typed character
    std::atomic<int> beepPause{100};         // "BeepPause", ms before each beep command
    std::atomic<int> clickBefore{0};         // "M1"
    std::atomic<int> clickBeforeX{0};        // "SX"
    std::atomic<int> clickBeforeY{0};        // "SY"
    std::atomic<int> clickAfter{0};          // "M2"
    std::atomic<int> clickAfterX{0};         // "EX"
    std::atomic<int> clickAfterY{0};         // "EY"
};

} // namespace FTDI
