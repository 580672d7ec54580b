#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/Result.h"
#include "platform/d2xx/DataSignal.h"

namespace FTDI {

using FT_STATUS = std::uint32_t;
using FT_HANDLE = void*;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using UCHAR = std::uint8_t;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_EEPROM_READ_FAILED = 11,
    FT_EEPROM_WRITE_FAILED = 12,
    FT_EEPROM_NOT_PROGRAMMED = 15,
    FT_INVALID_ARGS = 16,
    FT_NOT_SUPPORTED = 17,
    FT_OTHER_ERROR = 18,
};

// The event mask bit for "bytes received" (FT_SetEventNotification).
constexpr DWORD FT_EVENT_RXCHAR = 1;

// Same layout as the vendor library's node (104 bytes on 64-bit Linux), so the
// vendor backend can hand its array through unchanged.
struct FT_DEVICE_LIST_INFO_NODE {
    std::uint32_t Flags;
    std::uint32_t Type;
    std::uint32_t ID;
    DWORD LocId;
    char SerialNumber[16];
    char Description[64];
    FT_HANDLE ftHandle;
};

// The entries the monitor reads per pass.
constexpr DWORD MaxListedDevices = 256;

// The D2XX calls the device link makes. Results are FT_STATUS; 0 is success.
// Implementations: the vendor library, libftdi1 and the simulator.
class D2xx {
public:
    virtual ~D2xx() = default;

    virtual FT_STATUS FT_Reload(WORD vid, WORD pid) = 0;
    virtual FT_STATUS FT_Rescan() = 0;
    virtual FT_STATUS FT_CreateDeviceInfoList(DWORD* numDevs) = 0;
    virtual FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) = 0;
    virtual FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) = 0;
    virtual FT_STATUS FT_Close(FT_HANDLE handle) = 0;
    virtual FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesReturned) = 0;
    virtual FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten) = 0;
    virtual FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* amountInRxQueue) = 0;
    virtual FT_STATUS FT_EE_UARead(FT_HANDLE handle, unsigned char* data, DWORD dataLen, DWORD* bytesRead) = 0;
    virtual FT_STATUS FT_EE_UAWrite(FT_HANDLE handle, unsigned char* data, DWORD dataLen) = 0;
    // How long the bridge holds received bytes before handing them over
    // (1..255 ms; a chip starts with 16).
    virtual FT_STATUS FT_SetLatencyTimer(FT_HANDLE handle, UCHAR milliseconds) = 0;
    // With FT_EVENT_RXCHAR in the mask, signal->Notify() is called from a
    // backend thread whenever bytes arrive on the reader; mask 0 ends it.
    // Once FT_Close of the handle has returned the signal is not used again.
    virtual FT_STATUS FT_SetEventNotification(FT_HANDLE handle, DWORD mask, DataSignal* signal) = 0;
    // The backend library's own text for the last call of the calling thread
    // that failed, for the event log; empty when the backend has none.
    virtual std::string LastErrorText() const { return {}; }
};

// Backend names accepted on the command line.
inline constexpr const char* BackendVendor = "d2xx";
inline constexpr const char* BackendLibFtdi = "libftdi";
inline constexpr const char* BackendSimulator = "sim";

// Creates the named backend; an empty name picks the vendor library when it
// can be loaded, else libftdi1.
vantix::Result<std::unique_ptr<D2xx>> CreateD2xx(const std::string& backend);

} // namespace FTDI
