#include "platform/input/windows/InputApi.h"

namespace FTDI::windows {

namespace {

class SystemApi : public InputApi {
public:
    ForegroundWindow Foreground() override {
        const HWND window = GetForegroundWindow();
        if (!window)
            return {};
        DWORD process = 0;
        const DWORD thread = GetWindowThreadProcessId(window, &process);
        // A window that went away in between counts as none.
        return {thread != 0, thread, process};
    }
    DWORD OwnProcess() override { return GetCurrentProcessId(); }
    HKL Layout(DWORD thread) override { return GetKeyboardLayout(thread); }
    SHORT KeyScan(WCHAR character, HKL layout) override { return VkKeyScanExW(character, layout); }
    UINT MapKey(UINT code, UINT mapType, HKL layout) override { return MapVirtualKeyExW(code, mapType, layout); }
    int ToUnicode(UINT virtualKey, const BYTE* keyState, WCHAR* buffer, int size, HKL layout) override {
        const UINT scan = MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC, layout);
        // Flag 4: leave the keyboard state alone (Windows 10 1607 and later).
        const int result = ToUnicodeEx(virtualKey, scan, keyState, buffer, size, 4, layout);
        if (result < 0) {
            // Older systems keep the dead key for the next call: take it back out.
            WCHAR discard[8];
            ToUnicodeEx(virtualKey, scan, keyState, discard, 8, 4, layout);
        }
        return result;
    }
    bool KeyDown(int virtualKey) override { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
    bool CapsLockOn() override { return (GetKeyState(VK_CAPITAL) & 1) != 0; }
    int Metric(int index) override { return GetSystemMetrics(index); }
    UINT Send(UINT count, INPUT* inputs) override { return SendInput(count, inputs, sizeof(INPUT)); }
};

} // namespace

std::unique_ptr<InputApi> SystemInputApi() { return std::make_unique<SystemApi>(); }

} // namespace FTDI::windows
