#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/d2xx/D2xx.h"

namespace FTDI {

// Virtual readers held in memory. Tests drive it in-process; a person drives
// it through the control channel. Data presented here goes through the same
// frame parsing as a real reader's.
class SimulatedD2xx : public D2xx {
public:
    using Bytes = std::vector<std::uint8_t>;
    using UserAreaBytes = std::array<std::uint8_t, 16>;

    SimulatedD2xx() = default;

    // --- control -----------------------------------------------------------
    // Plugs a reader in (at the end of the device list). A reader plugged in
    // again keeps its user area unless a new one is given.
    void Plug(const std::string& serial, const std::string& description,
              const std::optional<UserAreaBytes>& userArea = std::nullopt);
    bool Unplug(const std::string& serial);
    // Queues the 21-character frame of a card. The identifier is 16 hex
    // digits used as given, or 14 (serial number and family code) to which
    // the valid CRC byte is prepended. False for an unknown reader or bad id.
    bool PresentCard(const std::string& serial, const std::string& identifier);
    // Replaces a known reader's user area, as a programming tool would.
    bool SetUserArea(const std::string& serial, const UserAreaBytes& userArea);
    // Queues raw bytes as if the reader had sent them.
    bool Inject(const std::string& serial, const Bytes& bytes);
    // Makes the next call of the named kind ("FT_Open", "FT_Read", ...) fail
    // with the given status. False for an unknown call name.
    bool FailNext(const std::string& call, FT_STATUS status = FT_IO_ERROR);

    // --- observation -------------------------------------------------------
    std::vector<std::string> PluggedSerials() const;
    std::optional<UserAreaBytes> UserAreaOf(const std::string& serial) const;
    std::string DescriptionOf(const std::string& serial) const;
    // Everything the program wrote to the reader (beep commands).
    Bytes Written(const std::string& serial) const;
    std::size_t Waiting(const std::string& serial) const;
    // Handles currently open, over all readers.
    int OpenHandles() const;
    // Counters for tests: how many times each call was made.
    int CallCount(const std::string& call) const;

    // The 21 characters a proximity reader sends for a card identifier.
    static std::string ProximityFrame(const std::string& identifier16);
    // 16-digit identifier for a 14-digit serial+family, with its CRC byte.
    static std::optional<std::string> CompleteIdentifier(const std::string& identifier);
    static const std::vector<std::string>& CallNames();

    // --- D2xx --------------------------------------------------------------
    FT_STATUS FT_Reload(WORD vid, WORD pid) override;
    FT_STATUS FT_Rescan() override;
    FT_STATUS FT_CreateDeviceInfoList(DWORD* numDevs) override;
    FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) override;
    FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) override;
    FT_STATUS FT_Close(FT_HANDLE handle) override;
    FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesReturned) override;
    FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten) override;
    FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* amountInRxQueue) override;
    FT_STATUS FT_EE_UARead(FT_HANDLE handle, unsigned char* data, DWORD dataLen, DWORD* bytesRead) override;
    FT_STATUS FT_EE_UAWrite(FT_HANDLE handle, unsigned char* data, DWORD dataLen) override;

private:
    struct Reader {
        std::string serial;
        std::string description;
        UserAreaBytes userArea{};
        std::deque<std::uint8_t> waiting;
        Bytes written;
        bool plugged = true;
    };

    // Call bookkeeping; returns the injected failure, or FT_OK.
    FT_STATUS Enter(const char* call);
    Reader* ReaderOf(FT_HANDLE handle);
    // Takes the lock, counts the call and runs action on the handle's reader
    // when it is open and plugged in.
    template <class Action>
    FT_STATUS OnOpenReader(const char* call, FT_HANDLE handle, Action action);
    Reader* Find(const std::string& serial);
    const Reader* Find(const std::string& serial) const;

    mutable std::mutex mutex_;
    std::vector<Reader> readers_;                 // in plug order; unplugged ones stay for their area
    std::map<std::uintptr_t, std::string> open_;  // handle -> serial
    std::uintptr_t nextHandle_ = 0x1000;
    std::map<std::string, FT_STATUS> failNext_;
    std::map<std::string, int> calls_;
};

} // namespace FTDI
