// A stand-in for the vendor's D2XX library: two readers, the C entry points
// only, and no FT_Rescan (as on Linux). Built in variants by the tests.
// FakeReceive and FakeLatency let a test play the device's side. Built as
// libftd2xx.so on Linux and as a DLL with the library's WINAPI calls on
// Windows.
#if defined(_WIN32)
#include <windows.h>
#define FAKE_API __declspec(dllexport)
#define FAKE_CALL __stdcall
#else
#include <pthread.h>
#define FAKE_API
#define FAKE_CALL
#endif

#include <cstdint>
#include <cstring>

#if !defined(_WIN32)
using DWORD = std::uint32_t; // 32 bits, as windows.h has it
#endif
using FT_STATUS = std::uint32_t;

struct Node {
    DWORD Flags, Type, ID, LocId;
    char SerialNumber[16];
    char Description[64];
    void* ftHandle;
};

#if defined(_WIN32)
using EventHandle = void; // a Win32 event
#else
// The library's event object on Linux.
struct EventHandle {
    pthread_cond_t eCondVar;
    pthread_mutex_t eMutex;
    int iVar;
};
#endif

namespace {
[[maybe_unused]] unsigned char userArea[2][16];
unsigned char latency[2] = {16, 16};
EventHandle* events[2] = {nullptr, nullptr};

int IndexOf(void* handle) { return handle == &userArea[1] ? 1 : 0; }
const char* const descriptions[2] = {"TR-614 proximity", "TR-613-2 magnetic"};
// The first serial fills its field without a NUL, as long EEPROM strings do.
const char serials[2][17] = {"ABCDEFGHIJKLMNOP", "FT000002"};
} // namespace

extern "C" {

FAKE_API FT_STATUS FAKE_CALL FT_CreateDeviceInfoList(DWORD* n) { *n = 2; return 0; }

FAKE_API FT_STATUS FAKE_CALL FT_GetDeviceInfoList(Node* dest, DWORD* n) {
    for (int i = 0; i < 2; ++i) {
        std::memset(&dest[i], 'x', sizeof dest[i]);
        dest[i].Type = 5;
        std::memcpy(dest[i].SerialNumber, serials[i], 16);
        std::strcpy(dest[i].Description, descriptions[i]);
        dest[i].ftHandle = nullptr;
    }
    *n = 2;
    return 0;
}

#ifndef FAKE_WITHOUT_OPEN
FAKE_API FT_STATUS FAKE_CALL FT_Open(int index, void** handle) {
    return index < 0 || index > 1 ? 2 : (*handle = &userArea[index], 0);
}
#endif

FAKE_API FT_STATUS FAKE_CALL FT_Close(void*) { return 0; }

FAKE_API FT_STATUS FAKE_CALL FT_Read(void*, void* buffer, DWORD size, DWORD* got) {
    std::memset(buffer, 'r', *got = size);
    return 0;
}

FAKE_API FT_STATUS FAKE_CALL FT_Write(void*, void*, DWORD size, DWORD* written) { *written = size; return 0; }

FAKE_API FT_STATUS FAKE_CALL FT_GetQueueStatus(void*, DWORD* waiting) { *waiting = 7; return 0; }

FAKE_API FT_STATUS FAKE_CALL FT_EE_UARead(void* handle, unsigned char* data, DWORD size, DWORD* got) {
    std::memcpy(data, handle, *got = size < 16 ? size : 16);
    return 0;
}

FAKE_API FT_STATUS FAKE_CALL FT_EE_UAWrite(void* handle, unsigned char* data, DWORD size) {
    return size > 16 ? 16 : (std::memcpy(handle, data, size), 0);
}

FAKE_API FT_STATUS FAKE_CALL FT_Reload(std::uint16_t, std::uint16_t) { return 0; }

FAKE_API FT_STATUS FAKE_CALL FT_SetLatencyTimer(void* handle, unsigned char ms) { return latency[IndexOf(handle)] = ms, 0; }

FAKE_API FT_STATUS FAKE_CALL FT_SetEventNotification(void* handle, DWORD mask, void* event) {
    events[IndexOf(handle)] = (mask & 1) ? static_cast<EventHandle*>(event) : nullptr;
    return 0;
}

// Bytes arrive on reader `index`: its event is signalled, as the library does.
FAKE_API void FakeReceive(int index) {
    if (EventHandle* event = events[index]) {
#if defined(_WIN32)
        SetEvent(event);
#else
        pthread_mutex_lock(&event->eMutex);
        pthread_cond_signal(&event->eCondVar);
        pthread_mutex_unlock(&event->eMutex);
#endif
    }
}

FAKE_API unsigned char FakeLatency(int index) { return latency[index]; }

#ifndef FAKE_VERSION
#define FAKE_VERSION 0x010428
#endif
FAKE_API FT_STATUS FAKE_CALL FT_GetLibraryVersion(DWORD* version) { return *version = FAKE_VERSION, 0; }

} // extern "C"
