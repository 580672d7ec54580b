#pragma once
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/d2xx/sim/BridgeLine.h"
#include "platform/d2xx/D2xx.h"

namespace FTDI {

// Virtual readers held in memory. Tests drive it in-process; a person drives
// it through the control channel. Data presented here goes through the same
// frame parsing as a real reader's, and reaches the program the way a real
// bridge delivers it: paced by each reader's line (BridgeLine), unless
// instant delivery is asked for.
class SimulatedD2xx : public D2xx {
public:
    using Bytes = std::vector<std::uint8_t>;
    using UserAreaBytes = std::array<std::uint8_t, 16>;
    using TimePoint = BridgeLine::TimePoint;
    using Clock = std::function<TimePoint()>;

    enum class Delivery {
        Line,   // in the pieces the reader's line and bridge make
        Instant // readable at once, in one piece
    };

    // Tests that step time themselves pass their own clock; receive events
    // are meant for the real one.
    explicit SimulatedD2xx(Clock clock = std::chrono::steady_clock::now);
    ~SimulatedD2xx() override;
    SimulatedD2xx(const SimulatedD2xx&) = delete;
    SimulatedD2xx& operator=(const SimulatedD2xx&) = delete;

    // --- control -----------------------------------------------------------
    // Plugs a reader in (at the end of the device list). A reader plugged in
    // again keeps its user area unless a new one is given.
    void Plug(const std::string& serial, const std::string& description,
              const std::optional<UserAreaBytes>& userArea = std::nullopt);
    bool Unplug(const std::string& serial);
    // Sends the 21-character frame of a card. The identifier is 16 hex
    // digits used as given, or 14 (serial number and family code) to which
    // the valid CRC byte is prepended. False for an unknown reader or bad id.
    bool PresentCard(const std::string& serial, const std::string& identifier,
                     Delivery delivery = Delivery::Line);
    // Replaces a known reader's user area, as a programming tool would.
    bool SetUserArea(const std::string& serial, const UserAreaBytes& userArea);
    // Sends raw bytes as if the reader had sent them.
    bool Inject(const std::string& serial, const Bytes& bytes, Delivery delivery = Delivery::Line);
    // The reader's baud rate (default 9600, 8N1) and its bridge's latency
    // timer (16 ms after plugging in; FT_SetLatencyTimer changes it). Unset
    // values stay. False for an unknown reader or a value out of range.
    bool SetLine(const std::string& serial, std::optional<int> baud, std::optional<int> latencyMs);
    // Makes the next call of the named kind ("FT_Open", "FT_Read", ...) fail
    // with the given status. False for an unknown call name.
    bool FailNext(const std::string& call, FT_STATUS status = FT_IO_ERROR);

    // --- observation -------------------------------------------------------
    std::vector<std::string> PluggedSerials() const;
    std::optional<UserAreaBytes> UserAreaOf(const std::string& serial) const;
    std::string DescriptionOf(const std::string& serial) const;
    // Everything the program wrote to the reader (beep commands).
    Bytes Written(const std::string& serial) const;
    // Bytes the program has not read yet, readable or still on their way.
    std::size_t Waiting(const std::string& serial) const;
    // Baud rate and latency timer, 0 and 0 for an unknown reader.
    std::pair<int, int> LineOf(const std::string& serial) const;
    // When the last byte sent to the reader's bridge has crossed the line.
    TimePoint LineIdleAt(const std::string& serial) const;
    // Handles currently open, over all readers.
    int OpenHandles() const;
    // Counters for tests: how many times each call was made.
    int CallCount(const std::string& call) const;

    // The 21 characters a proximity reader sends for a card identifier.
    static std::string ProximityFrame(const std::string& identifier16);
    // 16-digit identifier for a 14-digit serial+family, with its CRC byte.
    static std::optional<std::string> CompleteIdentifier(const std::string& identifier);
    static const std::vector<std::string>& CallNames();
    static bool ValidBaud(int baud) { return baud >= 300 && baud <= 3000000; }
    static bool ValidLatency(int milliseconds) { return milliseconds >= 1 && milliseconds <= 255; }

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
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE handle, UCHAR milliseconds) override;
    FT_STATUS FT_SetEventNotification(FT_HANDLE handle, DWORD mask, DataSignal* signal) override;

private:
    struct Reader {
        explicit Reader(TimePoint now) : line(now) {}
        std::string serial;
        std::string description;
        UserAreaBytes userArea{};
        BridgeLine line;
        Bytes written;
        bool plugged = true;
    };
    struct OpenHandle {
        std::string serial;
        DataSignal* signal = nullptr;
        std::size_t announced = 0; // readable bytes the signal was told of
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
    // Notifies the signals of handles whose reader has new readable bytes;
    // returns the next moment bytes become readable on a watched reader.
    std::optional<TimePoint> AnnounceArrivals();
    // The receive-event thread: wakes at each hand-over of a watched reader.
    void AnnounceLoop();

    const Clock clock_;
    mutable std::mutex mutex_;
    std::vector<Reader> readers_;                 // in plug order; unplugged ones stay for their area
    std::map<std::uintptr_t, OpenHandle> open_;
    std::uintptr_t nextHandle_ = 0x1000;
    std::map<std::string, FT_STATUS> failNext_;
    std::map<std::string, int> calls_;

    std::condition_variable lineChanged_; // new bytes sent, a watch added, or closing
    bool closing_ = false;
    std::thread announcer_;               // started with the first receive event asked for
};

} // namespace FTDI
