#pragma once
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/Trace.h"
#include "ftdi/CardData.h"
#include "ftdi/CircularBuffer.h"
#include "ftdi/CriticalSectionLock.h"
#include "ftdi/DeviceTypeQuestion.h"
#include "ftdi/Exception.h"
#include "ftdi/IgnoredSerials.h"
#include "ftdi/Messages.h"
#include "ftdi/OutputSettings.h"
#include "ftdi/Pause.h"
#include "ftdi/ReadAssembly.h"
#include "ftdi/TextSender.h"
#include "ftdi/UserArea.h"
#include "platform/d2xx/D2xx.h"
#include "platform/input/KeyboardOutput.h"

namespace FTDI {

// The waits of the device link. Tests and benchmarks shorten them.
struct EngineTimings {
    std::chrono::milliseconds monitorPeriod{5000}; // between monitor passes
    std::chrono::milliseconds readerPeriod{300};   // between reader passes
    std::chrono::milliseconds idlePeriod{2000};    // reader wait while no device is known
    std::chrono::milliseconds callPause{1};        // before most calls on a device
    std::chrono::milliseconds buzzPause{100};      // before each beep of Buzz
    // While a piece of a read waits for the rest, the reader looks again
    // this soon, whether or not the backend wakes it.
    std::chrono::milliseconds fragmentPoll{20};
    // A piece that has not grown for this long, with nothing more waiting,
    // is given up: a line delivers a frame or record far sooner.
    std::chrono::milliseconds staleFragment{100};
    // The time of each read, for the pieces above.
    std::function<std::chrono::steady_clock::time_point()> clock = std::chrono::steady_clock::now;
};

// A device that could not be opened or whose user area could not be read,
// or a reader listed without its strings because the user may not open it.
struct DeviceFault {
    enum class Kind { CallFailed, NoAccess };
    Kind kind = Kind::CallFailed;
    std::string serialNumber;
    std::string description;
    std::string call;   // "FT_Open" or "FT_EE_UARead"
    FT_STATUS status = FT_OK;
    std::string detail; // the backend library's own text, when it gives one
};

// The largest read the reader makes: the 1000-byte read buffer less its NUL.
constexpr DWORD MaxReadBytes = 999;
// Reads of one magnetic reader in one pass; a longer stream goes on in the
// next pass, which follows at once.
constexpr int MaxMagneticReadsPerPass = 8;
// The bridge's latency timer while the program reads: bytes leave the
// bridge soon after they arrive instead of up to 16 ms later.
constexpr UCHAR ReaderLatencyMs = 2;

// Helpers of the engine that are not templates (FTDIHelper.cpp).
MessageRegistration MakeRegistration(const std::string& serial, const std::string& mediaId,
                                     const DevData& device);
std::string ListText(const char* field, std::size_t size);
std::string DeviceNotFound(const std::string& serial);

// The engine of the device link: the device table, the monitor thread that
// finds new readers, the reader thread that polls them, and four rings of
// event messages announced to the consumer.
//
// Consumer contract (Consumer derives from FTDIHelper<Consumer>):
//   void PostToConsumer(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
//       The thread message: 0x8001..0x8004 with the ring slot index in lParam.
//       Called on the thread that raised the event, right after the Put, and
//       for removals and changes while the device-table lock is held: it must
//       not block and must not call back into the table. A consumer that
//       passes the message on later takes its copy here (Copy<M>(lParam)).
//   bool DeviceCheckEnabled();
//       The "DevCheck" switch; asked by the monitor thread.
//   int AskDeviceType(const std::string& text);
//       Blocking unknown-device question from the monitor thread; returns the
//       chosen device type or -1. It must return -1 once StopToken() is
//       stopped, so shutdown never waits for the user.
// Optionally:
//   void ReportDeviceFault(const DeviceFault& fault);
//       Told once per device when opening it or reading its user area fails.
//   void ReportTypingProblem(const TypingProblem& problem);
//       Told on the reader thread when a line was not typed in full, and once
//       per spell of the program's own window having the focus. It must not
//       block.
// The consumer's destructor must call Stop(): the worker threads call the
// consumer, so they have to end before its part of the object is destroyed.
template <class Consumer>
class FTDIHelper {
public:
    template <class T, std::size_t N>
    using CircularBuffer = FTDI::CircularBuffer<T, N>;
    static constexpr std::size_t RingSize = 1024;

    FTDIHelper(D2xx& d2xx, OutputSettings& settings, KeyboardOutput& keyboard,
               EngineTimings timings = {})
        : d2xx_(d2xx), settings_(settings), sender_(keyboard, settings), timings_(std::move(timings)) {
        if constexpr (requires(Consumer& c, const TypingProblem& p) { c.ReportTypingProblem(p); })
            sender_.SetProblemReporter([this](const TypingProblem& p) { consumer().ReportTypingProblem(p); });
    }
    // The consumer has stopped the engine by now; only handles left by an
    // engine that was never started remain, and they are closed silently.
    virtual ~FTDIHelper() {
        JoinWorkers();
        for (const auto& entry : table_)
            d2xx_.FT_Close(entry.second.handle);
    }
    FTDIHelper(const FTDIHelper&) = delete;
    FTDIHelper& operator=(const FTDIHelper&) = delete;

    // Reloads the driver's device list and starts the monitor and the reader.
    void Start() {
        std::lock_guard lifecycle(lifecycleMutex_);
        if (monitor_.joinable() || reader_.joinable())
            return;
        stop_.emplace();
        sender_.SetStopToken(stop_->Token());
        d2xx_.FT_Reload(0x0403, 0x6001);
        d2xx_.FT_Rescan();
        monitor_ = std::thread([this] { MonitorThread(); });
        reader_ = std::thread([this] { ReaderThread(); });
    }

    // Wakes both worker threads, waits until they have ended, then reports
    // every device removed (wParam 1) and closes its handle. Idempotent, and
    // it never throws: it runs from destructors.
    void Stop() noexcept {
        JoinWorkers();
        RemoveAll(1);
    }

    vantix::StopToken StopToken() const { return stop_ ? stop_->Token() : vantix::StopToken(); }

    // One pass of the monitor: enumerate, ask about unknown devices, add the
    // new ones. A reader that appears while the program runs is announced with
    // wParam 1 (the frame pops it up); readers found by the first pass or
    // found again after an error repair come with wParam 0. A reader that an
    // error repair removed and that is no longer listed was unplugged: it is
    // reported removed once more, with wParam 1.
    void MonitorPass() {
        DWORD count = 0;
        if (d2xx_.FT_CreateDeviceInfoList(&count) != FT_OK)
            return;
        count = std::min(count, MaxListedDevices);
        std::vector<FT_DEVICE_LIST_INFO_NODE> list(MaxListedDevices);
        if (count != 0 && d2xx_.FT_GetDeviceInfoList(list.data(), &count) != FT_OK)
            return;
        count = std::min(count, MaxListedDevices);
        std::set<std::string> listed;
        std::set<DWORD> withoutStrings;
        for (DWORD i = 0; i < count && !StopRequested(); ++i) {
            const std::string serial = ListText(list[i].SerialNumber, sizeof list[i].SerialNumber);
            const std::string description = ListText(list[i].Description, sizeof list[i].Description);
            if (serial.empty() || description.empty()) {
                // Listed, but its strings could not be read: the user has no
                // access to the USB device. Said once per arrival.
                withoutStrings.insert(list[i].LocId);
                if (withoutStringsLastPass_.count(list[i].LocId) == 0)
                    ReportNoAccess(list[i].LocId);
                continue;
            }
            listed.insert(serial);
            if (IgnoredSerials::Contains(serial) || InTable(serial))
                continue;
            int type = DetectDeviceType(description);
            if (type == DeviceTypeNotUsed) {
                // Asked once per arrival: the answer holds while the reader
                // stays listed, through error repairs and failed opens.
                if (const auto known = answeredTypes_.find(serial); known != answeredTypes_.end()) {
                    type = known->second;
                } else {
                    if (consumer().DeviceCheckEnabled())
                        type = consumer().AskDeviceType(serial + " (" + description + ")");
                    if (StopRequested())
                        return; // an unanswered question is not a refusal
                    if (type == DeviceTypeNotUsed) {
                        IgnoredSerials::Add(serial);
                        continue;
                    }
                    answeredTypes_[serial] = type;
                }
            }
            const bool pluggedIn = firstPassDone_ && listedLastPass_.count(serial) == 0;
            PostDeviceAdded(pluggedIn ? 1 : 0, serial, static_cast<int>(i), description, type);
        }
        if (StopRequested())
            return;
        {
            LockScope scope(lock_);
            for (const auto& [serial, device] : lostInRepair_)
                if (listed.count(serial) == 0)
                    PostDeviceRemoved(1, serial, device);
            lostInRepair_.clear();
        }
        // A reader no longer listed was unplugged: plugged in again, it is a
        // new arrival and may be asked about again.
        std::erase_if(answeredTypes_, [&](const auto& entry) { return listed.count(entry.first) == 0; });
        listedLastPass_ = std::move(listed);
        withoutStringsLastPass_ = std::move(withoutStrings);
        firstPassDone_ = true;
    }

    // One pass of the reader over every device of the table.
    void ReadAll() { ReadPass(); }

    // Reports every device removed, closes its handle and empties the table.
    // A consumer that fails to take a removal does not keep a handle open.
    void RemoveAll(std::uintptr_t wParam) noexcept {
        LockScope scope(lock_);
        // Out of the table first: whatever happens below, no handle is closed twice.
        const std::map<std::string, DevData> devices = std::exchange(table_, {});
        assembly_.clear();
        for (const auto& [serial, device] : devices) {
            try {
                PostDeviceRemoved(wParam, serial, device);
                if (wParam == 0)
                    lostInRepair_[serial] = device; // the next monitor pass tells which were unplugged
            } catch (const std::exception& e) {
                vantix::TraceF("The removal of %s was not reported: %s\n", serial.c_str(), e.what());
            }
            d2xx_.FT_Close(device.handle);
        }
    }

    // A copy of the table's record of a device.
    DevData GetDevData(const std::string& serial) {
        LockScope scope(lock_);
        const auto it = table_.find(serial);
        if (it == table_.end())
            throw Exception(DeviceNotFound(serial));
        return it->second;
    }

    std::size_t DeviceCount() {
        LockScope scope(lock_);
        return table_.size();
    }

    // Writes a new user area to the device and reports it changed.
    void WriteUserArea(const std::string& serial, const UserArea& userArea) {
        LockScope scope(lock_);
        const auto it = table_.find(serial);
        if (it == table_.end())
            throw Exception(DeviceNotFound(serial));
        CallPause();
        std::array<unsigned char, UserArea::Size> bytes;
        std::copy(std::begin(userArea.bytes), std::end(userArea.bytes), bytes.begin());
        if (d2xx_.FT_EE_UAWrite(it->second.handle, bytes.data(), UserArea::Size) != FT_OK)
            throw Exception("Unable to write user area to device " + serial + ".");
        it->second.userArea = userArea;
        PostDeviceChanged(serial, it->second);
    }

    // Three beeps 100 ms apart, whatever the device's beep setting.
    void Buzz(const std::string& serial) {
        LockScope scope(lock_);
        const auto it = table_.find(serial);
        if (it == table_.end())
            throw Exception(DeviceNotFound(serial));
        for (int i = 0; i < 3; ++i) {
            std::this_thread::sleep_for(timings_.buzzPause);
            SendBeep(it->second.handle);
        }
    }

    void PostDeviceAdded(std::uintptr_t wParam, const std::string& serial, int index,
                         const std::string& description, int type) {
        FT_HANDLE handle = nullptr;
        FT_STATUS status = d2xx_.FT_Open(index, &handle);
        if (status != FT_OK) {
            ReportFault(serial, description, "FT_Open", status);
            return;
        }
        UserArea userArea;
        DWORD bytesRead = 0;
        status = d2xx_.FT_EE_UARead(handle, userArea.bytes, UserArea::Size, &bytesRead);
        if (status != FT_OK) {
            d2xx_.FT_Close(handle);
            ReportFault(serial, description, "FT_EE_UARead", status);
            return;
        }
        PrepareForReading(handle, serial);
        userArea.Decode(type);
        MessageDeviceAdded message;
        message.serialNumber = serial;
        message.device = DevData(handle, userArea, description);
        {
            std::lock_guard faults(faultMutex_);
            reportedFaults_.erase(serial);
        }
        // Announced under the lock, so a removal of the same device can never
        // overtake its arrival on the way to the consumer.
        LockScope scope(lock_);
        if (!table_.emplace(serial, message.device).second) {
            d2xx_.FT_Close(handle);
            return;
        }
        const std::size_t slot = added_.Put(message);
        consumer().PostToConsumer(MsgDeviceAdded, wParam, static_cast<std::intptr_t>(slot));
        dataSignal_.Notify(); // a reader idling without devices polls the new one at once
    }

    void PostDeviceRemoved(std::uintptr_t wParam, const std::string& serial, const DevData& device) {
        MessageDeviceRemoved message;
        message.serialNumber = serial;
        message.device = device;
        const std::size_t slot = removed_.Put(message);
        consumer().PostToConsumer(MsgDeviceRemoved, wParam, static_cast<std::intptr_t>(slot));
    }

    void PostDeviceChanged(const std::string& serial, const DevData& device) {
        MessageDeviceChanged message;
        message.serialNumber = serial;
        message.device = device;
        const std::size_t slot = changed_.Put(message);
        consumer().PostToConsumer(MsgDeviceChanged, 0, static_cast<std::intptr_t>(slot));
    }

    void PostRegistration(const std::string& serial, const std::string& mediaId, const DevData& device) {
        const std::size_t slot = registrations_.Put(MakeRegistration(serial, mediaId, device));
        consumer().PostToConsumer(MsgRegistration, 0, static_cast<std::intptr_t>(slot));
    }

    // A copy of a ring slot; M picks the ring.
    template <class M>
    M Copy(std::intptr_t slot) const {
        return RingOf<M>().Copy(static_cast<std::size_t>(slot));
    }

protected:
    void MonitorThread() {
        const vantix::StopToken stop = StopToken();
        while (!stop.StopRequested()) {
            MonitorPass();
            PauseFor(timings_.monitorPeriod, stop);
        }
    }

    // Sleeps between passes, but a reader that receives bytes (or arrives
    // while none is known) wakes it at once.
    void ReaderThread() {
        const vantix::StopToken stop = StopToken();
        while (!stop.StopRequested()) {
            std::chrono::milliseconds wait = timings_.idlePeriod;
            if (DeviceCount() > 0) {
                const PassOutcome pass = ReadPass();
                if (pass.moreWaiting)
                    continue;
                wait = pass.piecesKept ? std::min(timings_.fragmentPoll, timings_.readerPeriod)
                                       : timings_.readerPeriod;
            }
            dataSignal_.WaitFor(wait, stop);
        }
    }

private:
    // What one reader pass leaves behind.
    struct PassOutcome {
        bool piecesKept = false;  // a device holds part of a frame or record
        bool moreWaiting = false; // a device had more bytes than one pass reads
    };

    // The pieces of reads kept for one device between passes.
    struct ReadAssembly {
        ProximityFrames proximity;
        MagneticRecords magnetic;
        std::size_t Pending() const { return proximity.Pending() + magnetic.Pending(); }
    };

    using ReadBuffer = std::array<std::uint8_t, MaxReadBytes>;

    Consumer& consumer() { return static_cast<Consumer&>(*this); }
    bool StopRequested() const { return stop_ && stop_->StopRequested(); }

    void JoinWorkers() noexcept {
        try {
            std::lock_guard lifecycle(lifecycleMutex_);
            if (stop_)
                stop_->RequestStop();
            if (reader_.joinable())
                reader_.join();
            if (monitor_.joinable())
                monitor_.join();
        } catch (const std::exception& e) {
            vantix::TraceF("The device link's threads did not end: %s\n", e.what());
        }
    }

    template <class M>
    const auto& RingOf() const {
        if constexpr (std::is_same_v<M, MessageDeviceAdded>)
            return added_;
        else if constexpr (std::is_same_v<M, MessageDeviceRemoved>)
            return removed_;
        else if constexpr (std::is_same_v<M, MessageDeviceChanged>)
            return changed_;
        else
            return registrations_;
    }

    bool InTable(const std::string& serial) {
        LockScope scope(lock_);
        return table_.count(serial) != 0;
    }

    void CallPause() { PauseFor(timings_.callPause, StopToken()); }

    // Bytes leave the bridge sooner, and the reader thread is woken when
    // they arrive; without either the reader is still polled.
    void PrepareForReading(FT_HANDLE handle, const std::string& serial) {
        if (const FT_STATUS status = d2xx_.FT_SetLatencyTimer(handle, ReaderLatencyMs))
            vantix::TraceF("The latency timer of %s stays as it was (status %d)\n", serial.c_str(), static_cast<int>(status));
        if (const FT_STATUS status = d2xx_.FT_SetEventNotification(handle, FT_EVENT_RXCHAR, &dataSignal_))
            vantix::TraceF("%s gives no receive events (status %d); it is polled\n", serial.c_str(), static_cast<int>(status));
    }

    PassOutcome ReadPass() {
        PassOutcome outcome;
        bool error = false;
        {
            LockScope scope(lock_);
            for (auto& [serial, device] : table_) {
                if (device.deviceType == DeviceTypeNotUsed)
                    continue;
                CallPause();
                DWORD waiting = 0;
                if (d2xx_.FT_GetQueueStatus(device.handle, &waiting) != FT_OK || error) {
                    error = true;
                    vantix::Trace("Greska u komunikaciji\n");
                    continue;
                }
                ReadAssembly& assembly = assembly_[serial];
                if (waiting == 0) {
                    vantix::Trace("Nema primljenih podataka\n");
                    GiveUpStalePiece(device, assembly);
                } else if (device.deviceType == DeviceTypeProximity) {
                    ReadProximity(serial, device, assembly.proximity, waiting, outcome);
                } else {
                    ReadMagnetic(device, assembly.magnetic, waiting, outcome);
                }
                outcome.piecesKept = outcome.piecesKept || assembly.Pending() > 0;
            }
        }
        if (error)
            RemoveAll(0);
        return outcome;
    }

    // Only when nothing more waits: bytes still arriving complete a piece,
    // however long the pass before took.
    void GiveUpStalePiece(const DevData& device, ReadAssembly& assembly) {
        const auto now = timings_.clock();
        if (device.deviceType == DeviceTypeProximity) {
            TraceGivenUp(assembly.proximity.DropStale(now, timings_.staleFragment).dropped);
        } else {
            AssembledReads stale = assembly.magnetic.DropStale(now, timings_.staleFragment);
            TraceGivenUp(stale.dropped);
            HandOnMagnetic(device, stale.reads);
        }
    }

    static void TraceGivenUp(std::size_t bytes) {
        if (bytes == 0)
            return;
        vantix::TraceF("****BROJ BAJTOVA U BAFERU JE %d\n", static_cast<int>(bytes));
        vantix::TraceF("!!!!Ispraznio bafer, kod: %d \n", 0);
    }

    static void TraceDropped(std::size_t bytes) {
        if (bytes != 0)
            vantix::TraceF("Dropped %d bytes that belong to no card read\n", static_cast<int>(bytes));
    }

    void ReadProximity(const std::string& serial, const DevData& device, ProximityFrames& frames, DWORD waiting,
                       PassOutcome& outcome) {
        ReadBuffer buffer;
        DWORD got = 0;
        CallPause();
        if (d2xx_.FT_Read(device.handle, buffer.data(), std::min(waiting, MaxReadBytes), &got) != FT_OK) {
            vantix::Trace("Ne mogu da iscitam podatke iz buffera uredaja\n");
            return;
        }
        got = std::min(got, MaxReadBytes);
        outcome.moreWaiting = outcome.moreWaiting || waiting > MaxReadBytes;
        const AssembledReads reads = frames.Add(buffer.data(), got, timings_.clock());
        TraceDropped(reads.dropped);
        for (const std::string& identifier : reads.reads) {
            Beep(device);
            if (device.userArea.sendToKeyboard == 1)
                sender_.TypeIdentifier(device.userArea, identifier);
            if (device.userArea.storeToDatabase == 1)
                PostRegistration(serial, MediaIdOf(identifier), device);
        }
    }

    // Reads what the reader has sent, and what follows meanwhile, then beeps
    // once for the records completed and hands each on.
    void ReadMagnetic(const DevData& device, MagneticRecords& records, DWORD waiting, PassOutcome& outcome) {
        ReadBuffer buffer;
        AssembledReads all;
        for (int reads = 0; waiting > 0; ++reads) {
            if (reads == MaxMagneticReadsPerPass) {
                outcome.moreWaiting = true;
                break;
            }
            DWORD got = 0;
            CallPause();
            if (d2xx_.FT_Read(device.handle, buffer.data(), std::min(waiting, MaxReadBytes), &got) != FT_OK) {
                vantix::Trace("Ne mogu da iscitam podatke iz buffera uredaja\n");
                break;
            }
            AssembledReads more = records.Add(buffer.data(), std::min(got, MaxReadBytes), timings_.clock());
            all.dropped += more.dropped;
            std::move(more.reads.begin(), more.reads.end(), std::back_inserter(all.reads));
            CallPause();
            if (d2xx_.FT_GetQueueStatus(device.handle, &waiting) != FT_OK)
                break; // the next pass finds the failure
        }
        TraceDropped(all.dropped);
        HandOnMagnetic(device, all.reads);
    }

    void HandOnMagnetic(const DevData& device, const std::vector<std::string>& records) {
        if (records.empty())
            return;
        Beep(device);
        for (const std::string& record : records)
            sender_.ProcessMagneticRecord(device.userArea, record);
    }

    void Beep(const DevData& device) {
        const int times = 8 - (device.userArea.beep & 0x07);
        for (int i = 0; i < times; ++i) {
            PauseFor(std::chrono::milliseconds(settings_.beepPause.load()), StopToken());
            SendBeep(device.handle);
        }
    }

    void SendBeep(FT_HANDLE handle) {
        static const unsigned char command[3] = {0x01, 0x2A, 0x31};
        DWORD written = 0;
        d2xx_.FT_Write(handle, command, sizeof command, &written);
    }

    void ReportFault(const std::string& serial, const std::string& description, const char* call,
                     FT_STATUS status) {
        {
            std::lock_guard faults(faultMutex_);
            if (!reportedFaults_.insert(serial).second)
                return;
        }
        const std::string detail = d2xx_.LastErrorText();
        vantix::TraceF("%s failed for device %s, status %d %s\n", call, serial.c_str(), static_cast<int>(status),
                       detail.c_str());
        if constexpr (requires(Consumer& c, const DeviceFault& f) { c.ReportDeviceFault(f); })
            consumer().ReportDeviceFault(
                DeviceFault{DeviceFault::Kind::CallFailed, serial, description, call, status, detail});
    }

    void ReportNoAccess(DWORD location) {
        vantix::TraceF("A reader at location %u is listed without serial number and description: no access\n",
                       static_cast<unsigned>(location));
        if constexpr (requires(Consumer& c, const DeviceFault& f) { c.ReportDeviceFault(f); })
            consumer().ReportDeviceFault(DeviceFault{DeviceFault::Kind::NoAccess, "", "", "FT_GetDeviceInfoList",
                                                     FT_OK, d2xx_.LastErrorText()});
    }

    D2xx& d2xx_;
    OutputSettings& settings_;
    TextSender sender_;
    const EngineTimings timings_;

    std::mutex lifecycleMutex_;
    // Made by Start; none before, so nothing counts as stopped then.
    std::optional<vantix::StopSource> stop_;
    std::thread monitor_;
    std::thread reader_;
    // Woken by the backends when bytes arrive, and by a device's arrival.
    DataSignal dataSignal_;

    CriticalSectionLock lock_;
    std::map<std::string, DevData> table_;
    std::map<std::string, DevData> lostInRepair_; // under lock_: removed by the last error repair
    std::map<std::string, ReadAssembly> assembly_; // under lock_: pieces of reads, per device

    // Monitor thread only: what the last pass listed, to tell a reader plugged
    // in from one found at start or found again after a repair; and the types
    // chosen for unknown readers that are still listed.
    std::set<std::string> listedLastPass_;
    // Locations of the readers listed without strings in the last pass.
    std::set<DWORD> withoutStringsLastPass_;
    bool firstPassDone_ = false;
    std::map<std::string, int> answeredTypes_;

    CircularBuffer<MessageDeviceAdded, RingSize> added_;
    CircularBuffer<MessageDeviceChanged, RingSize> changed_;
    CircularBuffer<MessageDeviceRemoved, RingSize> removed_;
    CircularBuffer<MessageRegistration, RingSize> registrations_;

    std::mutex faultMutex_;
    std::set<std::string> reportedFaults_;
};

} // namespace FTDI
