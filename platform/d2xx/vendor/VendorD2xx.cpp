#include "platform/d2xx/vendor/VendorD2xx.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/system/SharedLibrary.h"
#include "platform/d2xx/vendor/ReceiveEvents.h"

namespace FTDI {

// The node is handed to the library as it stands, so it must match the
// library's own layout (64-bit Linux and Windows: ftHandle after 80 bytes
// of text).
static_assert(sizeof(void*) != 8 || sizeof(FT_DEVICE_LIST_INFO_NODE) == 104);
static_assert(sizeof(void*) != 8 || offsetof(FT_DEVICE_LIST_INFO_NODE, ftHandle) == 96);
static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, SerialNumber) == 16);
static_assert(offsetof(FT_DEVICE_LIST_INFO_NODE, Description) == 32);

namespace {

#ifdef _WIN32
constexpr const char* DefaultLibrary = "ftd2xx.dll";
#else
constexpr const char* DefaultLibrary = "libftd2xx.so";
#endif

// The library's calling convention: WINAPI (__stdcall) on Windows, which
// matters on 32-bit Windows; plain C everywhere else.
#if defined(_WIN32)
#define D2XX_CALL __stdcall
#else
#define D2XX_CALL
#endif

// Our own declarations of the library's entry points (DWORD is 32 bits in
// the 1.x library, as on 64-bit Windows).
extern "C" {
using ReloadFn = FT_STATUS(D2XX_CALL*)(WORD, WORD);
using RescanFn = FT_STATUS(D2XX_CALL*)();
using CreateListFn = FT_STATUS(D2XX_CALL*)(DWORD*);
using GetListFn = FT_STATUS(D2XX_CALL*)(FT_DEVICE_LIST_INFO_NODE*, DWORD*);
using OpenFn = FT_STATUS(D2XX_CALL*)(int, FT_HANDLE*);
using CloseFn = FT_STATUS(D2XX_CALL*)(FT_HANDLE);
using ReadFn = FT_STATUS(D2XX_CALL*)(FT_HANDLE, void*, DWORD, DWORD*);
using WriteFn = FT_STATUS(D2XX_CALL*)(FT_HANDLE, void*, DWORD, DWORD*);
using QueueFn = FT_STATUS(D2XX_CALL*)(FT_HANDLE, DWORD*);
using UaReadFn = FT_STATUS(D2XX_CALL*)(FT_HANDLE, unsigned char*, DWORD, DWORD*);
using UaWriteFn = FT_STATUS(D2XX_CALL*)(FT_HANDLE, unsigned char*, DWORD);
using VersionFn = FT_STATUS(D2XX_CALL*)(DWORD*);
using LatencyFn = FT_STATUS(D2XX_CALL*)(FT_HANDLE, UCHAR);
using EventFn = FT_STATUS(D2XX_CALL*)(FT_HANDLE, DWORD, void*);
}

class VendorD2xx : public D2xx {
public:
    explicit VendorD2xx(vantix::SharedLibrary library)
        : library_(std::move(library)), receiveEvents_(CreateReceiveEvents()) {}

    // Resolves every entry point; the first missing name when one is.
    vantix::Result<void> Resolve() {
        for (const vantix::Result<void>& found :
             {Need(reload_, "FT_Reload", false), Need(rescan_, "FT_Rescan", false),
              Need(createList_, "FT_CreateDeviceInfoList", true), Need(getList_, "FT_GetDeviceInfoList", true),
              Need(open_, "FT_Open", true), Need(close_, "FT_Close", true), Need(read_, "FT_Read", true),
              Need(write_, "FT_Write", true), Need(queue_, "FT_GetQueueStatus", true),
              Need(uaRead_, "FT_EE_UARead", true), Need(uaWrite_, "FT_EE_UAWrite", true),
              Need(latency_, "FT_SetLatencyTimer", false), Need(events_, "FT_SetEventNotification", false)})
            if (!found)
                return found;
        // 0.4.x libraries used 64-bit DWORDs; our declarations would not match.
        VersionFn version = nullptr;
        DWORD number = 0;
        if (Need(version, "FT_GetLibraryVersion", false) && version && version(&number) == FT_OK && number < 0x010000)
            return vantix::Fail("the D2XX library is older than 1.0 and is not supported");
        return {};
    }

    // Windows-only calls: absent on Linux, and callers ignore their result.
    FT_STATUS FT_Reload(WORD vid, WORD pid) override { return reload_ ? reload_(vid, pid) : FT_NOT_SUPPORTED; }
    FT_STATUS FT_Rescan() override { return rescan_ ? rescan_() : FT_NOT_SUPPORTED; }

    FT_STATUS FT_CreateDeviceInfoList(DWORD* numDevs) override {
        const FT_STATUS status = createList_(numDevs);
        listed_ = status == FT_OK ? *numDevs : 0;
        return status;
    }

    FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) override {
        // The library fills as many nodes as its last list holds, whatever
        // the caller's array size: go through a buffer big enough for that.
        std::vector<FT_DEVICE_LIST_INFO_NODE> all(std::max<DWORD>(listed_, 1));
        DWORD count = static_cast<DWORD>(all.size());
        const FT_STATUS status = getList_(all.data(), &count);
        if (status != FT_OK)
            return status;
        count = std::min<DWORD>(count, static_cast<DWORD>(all.size()));
        const DWORD copied = std::min(count, *numDevs);
        for (DWORD i = 0; i < copied; ++i) {
            dest[i] = all[i];
            // Long EEPROM strings come without their NUL.
            dest[i].SerialNumber[sizeof dest[i].SerialNumber - 1] = '\0';
            dest[i].Description[sizeof dest[i].Description - 1] = '\0';
        }
        *numDevs = count;
        return FT_OK;
    }

    FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) override { return open_(deviceNumber, handle); }
    FT_STATUS FT_Close(FT_HANDLE handle) override {
        receiveEvents_->Watch(handle, nullptr);
        return close_(handle);
    }
    FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesReturned) override {
        return read_(handle, buffer, bytesToRead, bytesReturned);
    }
    FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten) override {
        // The library's prototype is not const-correct; it does not write to the buffer.
        return write_(handle, const_cast<void*>(buffer), bytesToWrite, bytesWritten);
    }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* amountInRxQueue) override {
        return queue_(handle, amountInRxQueue);
    }
    FT_STATUS FT_EE_UARead(FT_HANDLE handle, unsigned char* data, DWORD dataLen, DWORD* bytesRead) override {
        return uaRead_(handle, data, dataLen, bytesRead);
    }
    FT_STATUS FT_EE_UAWrite(FT_HANDLE handle, unsigned char* data, DWORD dataLen) override {
        return uaWrite_(handle, data, dataLen);
    }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE handle, UCHAR milliseconds) override {
        return latency_ ? latency_(handle, milliseconds) : FT_NOT_SUPPORTED;
    }
    FT_STATUS FT_SetEventNotification(FT_HANDLE handle, DWORD mask, DataSignal* signal) override {
        if (!events_)
            return FT_NOT_SUPPORTED;
        const bool watch = (mask & FT_EVENT_RXCHAR) && signal;
        void* event = receiveEvents_->Event();
        if (watch && !event)
            return FT_INSUFFICIENT_RESOURCES; // no event object: the reader is polled
        const FT_STATUS status = events_(handle, watch ? FT_EVENT_RXCHAR : 0, event);
        receiveEvents_->Watch(handle, status == FT_OK && watch ? signal : nullptr);
        return status;
    }

private:
    template <typename Fn>
    vantix::Result<void> Need(Fn& fn, const char* name, bool required) {
        fn = library_.Function<Fn>(name);
        if (!fn && required)
            return vantix::Fail(std::string("the D2XX library lacks ") + name);
        return {};
    }

    vantix::SharedLibrary library_;
    DWORD listed_ = 0;
    ReloadFn reload_ = nullptr;
    RescanFn rescan_ = nullptr;
    CreateListFn createList_ = nullptr;
    GetListFn getList_ = nullptr;
    OpenFn open_ = nullptr;
    CloseFn close_ = nullptr;
    ReadFn read_ = nullptr;
    WriteFn write_ = nullptr;
    QueueFn queue_ = nullptr;
    UaReadFn uaRead_ = nullptr;
    UaWriteFn uaWrite_ = nullptr;
    LatencyFn latency_ = nullptr;
    EventFn events_ = nullptr;
    // After library_: its thread ends before the library is unloaded.
    std::unique_ptr<ReceiveEvents> receiveEvents_;
};

} // namespace

vantix::Result<std::unique_ptr<D2xx>> CreateVendorD2xx(const std::string& libraryPath) {
    const std::string path = libraryPath.empty() ? DefaultLibrary : libraryPath;
    vantix::Result<vantix::SharedLibrary> library = vantix::SharedLibrary::Open(path);
    if (!library)
        return vantix::Fail("the FTDI D2XX library " + path + " cannot be loaded" +
                            (library.error().empty() ? "" : ": " + library.error()));
    auto d2xx = std::make_unique<VendorD2xx>(std::move(library).value());
    if (auto resolved = d2xx->Resolve(); !resolved)
        return vantix::Fail(resolved.error());
    return std::unique_ptr<D2xx>(std::move(d2xx));
}

} // namespace FTDI
