#include "platform/d2xx/sim/SimulatedD2xx.h"

#include <algorithm>
#include <cstring>

#include "core/Crc8.h"
#include "core/Hex.h"

namespace FTDI {

SimulatedD2xx::SimulatedD2xx(Clock clock) : clock_(std::move(clock)) {}

SimulatedD2xx::~SimulatedD2xx() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    lineChanged_.notify_all();
    if (announcer_.joinable())
        announcer_.join();
}

const std::vector<std::string>& SimulatedD2xx::CallNames() {
    static const std::vector<std::string> names = {
        "FT_Reload", "FT_Rescan", "FT_CreateDeviceInfoList", "FT_GetDeviceInfoList",
        "FT_Open", "FT_Close", "FT_Read", "FT_Write", "FT_GetQueueStatus",
        "FT_EE_UARead", "FT_EE_UAWrite", "FT_SetLatencyTimer", "FT_SetEventNotification"};
    return names;
}

std::optional<std::string> SimulatedD2xx::CompleteIdentifier(const std::string& identifier) {
    std::uint8_t bytes[8];
    if (identifier.size() == 16)
        return vantix::FromHex(identifier, bytes, 8) ? std::optional(identifier) : std::nullopt;
    if (identifier.size() != 14 || !vantix::FromHex(identifier, bytes, 7))
        return std::nullopt;
    // CRC over family code first, then the serial number from its low byte up.
    std::uint8_t data[7];
    for (int i = 0; i < 7; ++i)
        data[i] = bytes[6 - i];
    const std::uint8_t crc = vantix::OneWireCrc8(data, 7);
    return vantix::ToHex(&crc, 1) + identifier;
}

std::string SimulatedD2xx::ProximityFrame(const std::string& identifier16) {
    // Character 0 and 17..20 carry no data; the reader's own framing bytes.
    std::string frame(21, ' ');
    frame[0] = '\x02';
    for (int pair = 0; pair < 8; ++pair) {
        frame[1 + 2 * pair] = identifier16[14 - 2 * pair];
        frame[2 + 2 * pair] = identifier16[15 - 2 * pair];
    }
    frame[17] = '\r';
    frame[18] = '\n';
    frame[19] = '\x03';
    frame[20] = '\x03';
    return frame;
}

void SimulatedD2xx::Plug(const std::string& serial, const std::string& description,
                         const std::optional<UserAreaBytes>& userArea) {
    std::lock_guard lock(mutex_);
    auto it = std::find_if(readers_.begin(), readers_.end(),
                           [&](const Reader& r) { return r.serial == serial; });
    const TimePoint now = clock_();
    Reader reader(now);
    if (it != readers_.end()) {
        reader = std::move(*it);
        readers_.erase(it);
    } else {
        reader.serial = serial;
        reader.userArea.fill(0xFF);
    }
    reader.description = description;
    reader.plugged = true;
    reader.line.Reset(now);
    if (userArea)
        reader.userArea = *userArea;
    readers_.push_back(std::move(reader));
}

bool SimulatedD2xx::Unplug(const std::string& serial) {
    std::lock_guard lock(mutex_);
    Reader* reader = Find(serial);
    if (!reader || !reader->plugged)
        return false;
    reader->plugged = false;
    reader->line.Reset(clock_());
    return true;
}

bool SimulatedD2xx::PresentCard(const std::string& serial, const std::string& identifier, Delivery delivery) {
    const auto full = CompleteIdentifier(identifier);
    if (!full)
        return false;
    const std::string frame = ProximityFrame(*full);
    return Inject(serial, Bytes(frame.begin(), frame.end()), delivery);
}

bool SimulatedD2xx::SetUserArea(const std::string& serial, const UserAreaBytes& userArea) {
    std::lock_guard lock(mutex_);
    Reader* reader = Find(serial);
    if (!reader)
        return false;
    reader->userArea = userArea;
    return true;
}

bool SimulatedD2xx::Inject(const std::string& serial, const Bytes& bytes, Delivery delivery) {
    {
        std::lock_guard lock(mutex_);
        Reader* reader = Find(serial);
        if (!reader || !reader->plugged)
            return false;
        if (delivery == Delivery::Instant)
            reader->line.DeliverAtOnce(bytes);
        else
            reader->line.Send(bytes, clock_());
        AnnounceArrivals();
    }
    lineChanged_.notify_all();
    return true;
}

bool SimulatedD2xx::SetLine(const std::string& serial, std::optional<int> baud, std::optional<int> latencyMs) {
    if ((baud && !ValidBaud(*baud)) || (latencyMs && !ValidLatency(*latencyMs)))
        return false;
    {
        std::lock_guard lock(mutex_);
        Reader* reader = Find(serial);
        if (!reader)
            return false;
        if (baud)
            reader->line.SetBaud(*baud);
        if (latencyMs)
            reader->line.SetLatency(*latencyMs, clock_());
    }
    lineChanged_.notify_all();
    return true;
}

std::optional<SimulatedD2xx::TimePoint> SimulatedD2xx::AnnounceArrivals() {
    const TimePoint now = clock_();
    std::optional<TimePoint> next;
    for (auto& [handle, open] : open_) {
        Reader* reader = Find(open.serial);
        if (!open.signal || !reader || !reader->plugged)
            continue;
        const std::size_t readable = reader->line.Readable(now);
        if (readable > open.announced)
            open.signal->Notify();
        open.announced = readable;
        if (const auto at = reader->line.NextHandOver(); at && (!next || *at < *next))
            next = at;
    }
    return next;
}

void SimulatedD2xx::AnnounceLoop() {
    std::unique_lock lock(mutex_);
    while (!closing_) {
        // Waits as long as the simulator's clock says, so a test clock that
        // stands still does not make it spin.
        if (const auto next = AnnounceArrivals())
            lineChanged_.wait_for(lock, *next - clock_());
        else
            lineChanged_.wait(lock);
    }
}

bool SimulatedD2xx::FailNext(const std::string& call, FT_STATUS status) {
    const auto& names = CallNames();
    if (std::find(names.begin(), names.end(), call) == names.end())
        return false;
    std::lock_guard lock(mutex_);
    failNext_[call] = status == FT_OK ? FT_IO_ERROR : status;
    return true;
}

std::vector<std::string> SimulatedD2xx::PluggedSerials() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& r : readers_)
        if (r.plugged)
            out.push_back(r.serial);
    return out;
}

std::optional<SimulatedD2xx::UserAreaBytes> SimulatedD2xx::UserAreaOf(const std::string& serial) const {
    std::lock_guard lock(mutex_);
    const Reader* reader = Find(serial);
    if (!reader)
        return std::nullopt;
    return reader->userArea;
}

std::string SimulatedD2xx::DescriptionOf(const std::string& serial) const {
    std::lock_guard lock(mutex_);
    const Reader* reader = Find(serial);
    return reader ? reader->description : std::string{};
}

SimulatedD2xx::Bytes SimulatedD2xx::Written(const std::string& serial) const {
    std::lock_guard lock(mutex_);
    const Reader* reader = Find(serial);
    return reader ? reader->written : Bytes{};
}

std::size_t SimulatedD2xx::Waiting(const std::string& serial) const {
    std::lock_guard lock(mutex_);
    const Reader* reader = Find(serial);
    return reader ? reader->line.Unread() : 0;
}

std::pair<int, int> SimulatedD2xx::LineOf(const std::string& serial) const {
    std::lock_guard lock(mutex_);
    const Reader* reader = Find(serial);
    return reader ? std::pair(reader->line.Baud(), reader->line.LatencyMs()) : std::pair(0, 0);
}

SimulatedD2xx::TimePoint SimulatedD2xx::LineIdleAt(const std::string& serial) const {
    std::lock_guard lock(mutex_);
    const Reader* reader = Find(serial);
    return reader ? reader->line.LineIdleAt() : TimePoint{};
}

int SimulatedD2xx::OpenHandles() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(open_.size());
}

int SimulatedD2xx::CallCount(const std::string& call) const {
    std::lock_guard lock(mutex_);
    auto it = calls_.find(call);
    return it == calls_.end() ? 0 : it->second;
}

FT_STATUS SimulatedD2xx::Enter(const char* call) {
    ++calls_[call];
    auto it = failNext_.find(call);
    if (it == failNext_.end())
        return FT_OK;
    const FT_STATUS status = it->second;
    failNext_.erase(it);
    return status;
}

SimulatedD2xx::Reader* SimulatedD2xx::Find(const std::string& serial) {
    for (auto& r : readers_)
        if (r.serial == serial)
            return &r;
    return nullptr;
}

const SimulatedD2xx::Reader* SimulatedD2xx::Find(const std::string& serial) const {
    for (const auto& r : readers_)
        if (r.serial == serial)
            return &r;
    return nullptr;
}

template <class Action>
FT_STATUS SimulatedD2xx::OnOpenReader(const char* call, FT_HANDLE handle, Action action) {
    std::lock_guard lock(mutex_);
    if (FT_STATUS s = Enter(call))
        return s;
    Reader* reader = ReaderOf(handle);
    if (!reader)
        return FT_INVALID_HANDLE;
    if (!reader->plugged)
        return FT_IO_ERROR; // what an unplugged reader's handle answers
    return action(*reader);
}

SimulatedD2xx::Reader* SimulatedD2xx::ReaderOf(FT_HANDLE handle) {
    auto it = open_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == open_.end())
        return nullptr;
    return Find(it->second.serial);
}

FT_STATUS SimulatedD2xx::FT_Reload(WORD, WORD) {
    std::lock_guard lock(mutex_);
    return Enter("FT_Reload");
}

FT_STATUS SimulatedD2xx::FT_Rescan() {
    std::lock_guard lock(mutex_);
    return Enter("FT_Rescan");
}

FT_STATUS SimulatedD2xx::FT_CreateDeviceInfoList(DWORD* numDevs) {
    std::lock_guard lock(mutex_);
    if (FT_STATUS s = Enter("FT_CreateDeviceInfoList"))
        return s;
    *numDevs = static_cast<DWORD>(std::count_if(readers_.begin(), readers_.end(),
                                                [](const Reader& r) { return r.plugged; }));
    return FT_OK;
}

FT_STATUS SimulatedD2xx::FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) {
    std::lock_guard lock(mutex_);
    if (FT_STATUS s = Enter("FT_GetDeviceInfoList"))
        return s;
    // The caller's array holds *numDevs entries at most (the real library
    // trusts the caller; we do not write past what it says it has).
    const DWORD capacity = *numDevs;
    DWORD n = 0;
    for (const auto& r : readers_) {
        if (!r.plugged)
            continue;
        if (n < capacity) {
            FT_DEVICE_LIST_INFO_NODE& node = dest[n];
            std::memset(&node, 0, sizeof node);
            node.Type = 5; // FT232R
            node.ID = (0x0403u << 16) | 0x6001u;
            node.LocId = 0x100 + n;
            std::strncpy(node.SerialNumber, r.serial.c_str(), sizeof node.SerialNumber - 1);
            std::strncpy(node.Description, r.description.c_str(), sizeof node.Description - 1);
            for (const auto& [h, open] : open_)
                if (open.serial == r.serial) {
                    node.Flags |= 1;
                    node.ftHandle = reinterpret_cast<FT_HANDLE>(h);
                }
        }
        ++n;
    }
    *numDevs = n;
    return FT_OK;
}

FT_STATUS SimulatedD2xx::FT_Open(int deviceNumber, FT_HANDLE* handle) {
    std::lock_guard lock(mutex_);
    if (FT_STATUS s = Enter("FT_Open"))
        return s;
    int n = 0;
    for (const auto& r : readers_) {
        if (!r.plugged)
            continue;
        if (n++ == deviceNumber) {
            const std::uintptr_t h = nextHandle_++;
            open_[h] = OpenHandle{r.serial};
            *handle = reinterpret_cast<FT_HANDLE>(h);
            return FT_OK;
        }
    }
    return FT_DEVICE_NOT_FOUND;
}

FT_STATUS SimulatedD2xx::FT_Close(FT_HANDLE handle) {
    std::lock_guard lock(mutex_);
    if (FT_STATUS s = Enter("FT_Close"))
        return s;
    return open_.erase(reinterpret_cast<std::uintptr_t>(handle)) ? FT_OK : FT_INVALID_HANDLE;
}

FT_STATUS SimulatedD2xx::FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesReturned) {
    *bytesReturned = 0;
    return OnOpenReader("FT_Read", handle, [&](Reader& reader) -> FT_STATUS {
        *bytesReturned = static_cast<DWORD>(reader.line.Take(static_cast<std::uint8_t*>(buffer), bytesToRead, clock_()));
        // What was read is no longer news for the receive events.
        const std::size_t left = reader.line.Readable(clock_());
        for (auto& [h, open] : open_)
            if (open.serial == reader.serial)
                open.announced = std::min(open.announced, left);
        return FT_OK;
    });
}

FT_STATUS SimulatedD2xx::FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten) {
    *bytesWritten = 0;
    return OnOpenReader("FT_Write", handle, [&](Reader& reader) -> FT_STATUS {
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        reader.written.insert(reader.written.end(), in, in + bytesToWrite);
        *bytesWritten = bytesToWrite;
        return FT_OK;
    });
}

FT_STATUS SimulatedD2xx::FT_GetQueueStatus(FT_HANDLE handle, DWORD* amountInRxQueue) {
    *amountInRxQueue = 0;
    return OnOpenReader("FT_GetQueueStatus", handle, [&](Reader& reader) -> FT_STATUS {
        *amountInRxQueue = static_cast<DWORD>(reader.line.Readable(clock_()));
        return FT_OK;
    });
}

FT_STATUS SimulatedD2xx::FT_EE_UARead(FT_HANDLE handle, unsigned char* data, DWORD dataLen, DWORD* bytesRead) {
    *bytesRead = 0;
    return OnOpenReader("FT_EE_UARead", handle, [&](Reader& reader) -> FT_STATUS {
        const DWORD n = std::min<DWORD>(dataLen, static_cast<DWORD>(reader.userArea.size()));
        std::copy_n(reader.userArea.begin(), n, data);
        *bytesRead = n;
        return FT_OK;
    });
}

FT_STATUS SimulatedD2xx::FT_EE_UAWrite(FT_HANDLE handle, unsigned char* data, DWORD dataLen) {
    return OnOpenReader("FT_EE_UAWrite", handle, [&](Reader& reader) -> FT_STATUS {
        if (dataLen > reader.userArea.size())
            return FT_INVALID_ARGS;
        std::copy_n(data, dataLen, reader.userArea.begin());
        return FT_OK;
    });
}

FT_STATUS SimulatedD2xx::FT_SetLatencyTimer(FT_HANDLE handle, UCHAR milliseconds) {
    const FT_STATUS status = OnOpenReader("FT_SetLatencyTimer", handle, [&](Reader& reader) -> FT_STATUS {
        if (!ValidLatency(milliseconds))
            return FT_INVALID_PARAMETER;
        reader.line.SetLatency(milliseconds, clock_());
        return FT_OK;
    });
    lineChanged_.notify_all();
    return status;
}

FT_STATUS SimulatedD2xx::FT_SetEventNotification(FT_HANDLE handle, DWORD mask, DataSignal* signal) {
    const FT_STATUS status = OnOpenReader("FT_SetEventNotification", handle, [&](Reader&) -> FT_STATUS {
        OpenHandle& open = open_.at(reinterpret_cast<std::uintptr_t>(handle));
        open.signal = (mask & FT_EVENT_RXCHAR) ? signal : nullptr;
        open.announced = 0;
        if (open.signal && !announcer_.joinable())
            announcer_ = std::thread([this] { AnnounceLoop(); });
        AnnounceArrivals();
        return FT_OK;
    });
    lineChanged_.notify_all();
    return status;
}

} // namespace FTDI
