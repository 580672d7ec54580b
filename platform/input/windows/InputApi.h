#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <memory>

namespace FTDI::windows {

// The window whose thread receives the keyboard input.
struct ForegroundWindow {
    bool exists = false;
    DWORD thread = 0;
    DWORD process = 0;
};

// The few user32 calls the keyboard output makes, behind one seam so that
// tests can record the synthesised input and play any keyboard layout.
class InputApi {
public:
    virtual ~InputApi() = default;

    // GetForegroundWindow and GetWindowThreadProcessId.
    virtual ForegroundWindow Foreground() = 0;
    virtual DWORD OwnProcess() = 0;                             // GetCurrentProcessId
    virtual HKL Layout(DWORD thread) = 0;                       // GetKeyboardLayout
    virtual SHORT KeyScan(WCHAR character, HKL layout) = 0;     // VkKeyScanExW
    virtual UINT MapKey(UINT code, UINT mapType, HKL layout) = 0; // MapVirtualKeyExW
    // ToUnicodeEx without leaving a dead key pending: the characters the key
    // makes with the given key state, -1 for a dead key.
    virtual int ToUnicode(UINT virtualKey, const BYTE* keyState, WCHAR* buffer, int size, HKL layout) = 0;
    virtual bool KeyDown(int virtualKey) = 0;                   // GetAsyncKeyState, high bit
    virtual bool CapsLockOn() = 0;                              // GetKeyState(VK_CAPITAL), low bit
    virtual int Metric(int index) = 0;                          // GetSystemMetrics
    virtual UINT Send(UINT count, INPUT* inputs) = 0;           // SendInput
};

// The real calls.
std::unique_ptr<InputApi> SystemInputApi();

} // namespace FTDI::windows
