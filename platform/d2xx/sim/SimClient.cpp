#include "platform/d2xx/sim/SimClient.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <sstream>
#include <vector>

#include "core/Hex.h"
#include "platform/d2xx/sim/ControlTransport.h"

namespace FTDI {

vantix::Result<std::string> SimRequest(const std::string& path, const std::string& commands) {
    // A simulator that hangs must not hang its client.
    const vantix::Result<ControlSocket> connected = ConnectControl(path, std::chrono::seconds(5));
    if (!connected)
        return vantix::Fail(connected.error());
    const ControlSocket& socket = *connected;
    const std::string text = commands + "\n";
    std::string sendError;
    for (std::size_t sent = 0; sent < text.size();) {
        const Transfer moved = Send(socket, text.data() + sent, text.size() - sent);
        if (moved.status != Transfer::Moved || moved.count == 0) {
            sendError = moved.status == Transfer::WouldBlock ? "timed out" : moved.error;
            break;
        }
        sent += moved.count;
    }
    const bool sent = sendError.empty();
    if (sent)
        ShutdownSend(socket);
    // A server that refuses or cuts off a client closes without reading what
    // it sent, but what it said before has arrived all the same.
    std::string reply;
    char buffer[4096];
    for (;;) {
        const Transfer got = Receive(socket, buffer, sizeof buffer);
        if (got.status == Transfer::Moved) {
            reply.append(buffer, got.count);
            continue;
        }
        if (got.status == Transfer::Closed || !sent || (got.status == Transfer::Reset && !reply.empty()))
            break;
        return vantix::Fail("no reply from the simulator: " +
                            (got.status == Transfer::WouldBlock ? "timed out" : got.error));
    }
    if (!sent && reply.empty())
        return vantix::Fail("cannot send to the simulator: " + sendError);
    if (!reply.empty() && reply.back() == '\n')
        reply.pop_back();
    return reply;
}

namespace {

class SimClientD2xx : public D2xx {
public:
    explicit SimClientD2xx(std::string path) : path_(std::move(path)) {}

    FT_STATUS FT_Reload(WORD, WORD) override { return FT_OK; }
    FT_STATUS FT_Rescan() override { return FT_OK; }

    FT_STATUS FT_CreateDeviceInfoList(DWORD* numDevs) override {
        *numDevs = 0;
        listed_.clear();
        std::string reply;
        if (!Ask("list", reply))
            return FT_OTHER_ERROR;
        std::istringstream lines(reply);
        std::string line;
        std::getline(lines, line); // "ok N"
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            Listed reader;
            std::string area, waiting;
            words >> reader.serial >> area >> waiting;
            std::getline(words >> std::ws, reader.description);
            listed_.push_back(reader);
        }
        *numDevs = static_cast<DWORD>(listed_.size());
        return FT_OK;
    }

    FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) override {
        const DWORD count = std::min(*numDevs, static_cast<DWORD>(listed_.size()));
        for (DWORD i = 0; i < count; ++i) {
            std::memset(&dest[i], 0, sizeof dest[i]);
            dest[i].Type = 5;
            dest[i].ID = 0x04036001;
            std::strncpy(dest[i].SerialNumber, listed_[i].serial.c_str(), sizeof dest[i].SerialNumber - 1);
            std::strncpy(dest[i].Description, listed_[i].description.c_str(), sizeof dest[i].Description - 1);
        }
        *numDevs = static_cast<DWORD>(listed_.size());
        return FT_OK;
    }

    // A handle is the listed reader's position plus one.
    FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) override {
        if (deviceNumber < 0 || static_cast<std::size_t>(deviceNumber) >= listed_.size())
            return FT_DEVICE_NOT_FOUND;
        *handle = reinterpret_cast<FT_HANDLE>(static_cast<std::uintptr_t>(deviceNumber) + 1);
        return FT_OK;
    }
    FT_STATUS FT_Close(FT_HANDLE handle) override { return Serial(handle) ? FT_OK : FT_INVALID_HANDLE; }

    FT_STATUS FT_Read(FT_HANDLE, void*, DWORD, DWORD* bytesReturned) override {
        *bytesReturned = 0;
        return FT_NOT_SUPPORTED;
    }
    FT_STATUS FT_Write(FT_HANDLE, const void*, DWORD, DWORD* bytesWritten) override {
        *bytesWritten = 0;
        return FT_NOT_SUPPORTED;
    }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE, DWORD* amountInRxQueue) override {
        *amountInRxQueue = 0;
        return FT_NOT_SUPPORTED;
    }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE, UCHAR) override { return FT_NOT_SUPPORTED; }
    FT_STATUS FT_SetEventNotification(FT_HANDLE, DWORD, DataSignal*) override { return FT_NOT_SUPPORTED; }

    FT_STATUS FT_EE_UARead(FT_HANDLE handle, unsigned char* data, DWORD dataLen, DWORD* bytesRead) override {
        *bytesRead = 0;
        const std::string* serial = Serial(handle);
        if (!serial)
            return FT_INVALID_HANDLE;
        UserAreaBytes area;
        if (FT_STATUS s = AskArea("ua " + *serial, area))
            return s;
        const DWORD n = std::min<DWORD>(dataLen, static_cast<DWORD>(area.size()));
        std::copy_n(area.begin(), n, data);
        *bytesRead = n;
        return FT_OK;
    }

    FT_STATUS FT_EE_UAWrite(FT_HANDLE handle, unsigned char* data, DWORD dataLen) override {
        const std::string* serial = Serial(handle);
        if (!serial)
            return FT_INVALID_HANDLE;
        UserAreaBytes area;
        if (dataLen > area.size())
            return FT_INVALID_ARGS;
        // A shorter write keeps the rest of the area, as on a real chip.
        if (FT_STATUS s = AskArea("ua " + *serial, area))
            return s;
        std::copy_n(data, dataLen, area.begin());
        return AskArea("ua " + *serial + " " + vantix::ToHex(area.data(), area.size()), area);
    }

private:
    using UserAreaBytes = std::array<std::uint8_t, 16>;
    struct Listed {
        std::string serial;
        std::string description;
    };

    bool Ask(const std::string& command, std::string& reply) {
        vantix::Result<std::string> answer = SimRequest(path_, command);
        if (!answer)
            return false;
        reply = std::move(answer).value();
        return reply.rfind("ok", 0) == 0;
    }

    FT_STATUS AskArea(const std::string& command, UserAreaBytes& area) {
        std::string reply;
        if (!Ask(command, reply))
            return FT_DEVICE_NOT_FOUND;
        return reply.size() == 3 + 32 && vantix::FromHex(reply.substr(3), area.data(), area.size()) ? FT_OK
                                                                                             : FT_OTHER_ERROR;
    }

    const std::string* Serial(FT_HANDLE handle) const {
        const auto index = reinterpret_cast<std::uintptr_t>(handle);
        return index >= 1 && index <= listed_.size() ? &listed_[index - 1].serial : nullptr;
    }

    std::string path_;
    std::vector<Listed> listed_;
};

} // namespace

vantix::Result<std::unique_ptr<D2xx>> CreateSimClientD2xx(const std::string& path) {
    if (auto listed = SimRequest(path, "list"); !listed)
        return vantix::Fail(listed.error());
    return std::unique_ptr<D2xx>(std::make_unique<SimClientD2xx>(path));
}

} // namespace FTDI
