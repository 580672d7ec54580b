#include "platform/d2xx/libftdi/LibFtdiD2xx.h"

#include <ftdi.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/d2xx/libftdi/EepromUserArea.h"
#include "platform/d2xx/libftdi/ReceiveQueue.h"

namespace FTDI {

namespace {

constexpr int VendorId = 0x0403;
constexpr int ProductId = 0x6001;

struct ContextDeleter {
    void operator()(ftdi_context* context) const { ftdi_free(context); } // also closes the device
};
using Context = std::unique_ptr<ftdi_context, ContextDeleter>;

struct DeviceListDeleter {
    void operator()(ftdi_device_list* list) const { ftdi_list_free(&list); }
};
using DeviceList = std::unique_ptr<ftdi_device_list, DeviceListDeleter>;

struct ListedReader {
    std::string serial;
    std::string description;
};

// One opened reader: its own context and the bytes it has delivered but
// nobody has read yet. The queue's thread only reads; every other use of the
// context comes from the backend's calls, and those that reset the chip or
// use its EEPROM pause the queue first.
struct OpenReader {
    explicit OpenReader(Context c)
        : context(std::move(c)),
          queue([raw = context.get()](std::uint8_t* buf, int size) { return ftdi_read_data(raw, buf, size); }) {}
    void Gather() {
        queue.Start();
        gathering = true;
    }
    Context context;
    ReceiveQueue queue; // after the context: stops before it is freed
    bool gathering = false;
};

// A read that the chip does not answer must not hold up closing it.
constexpr int ReadTimeoutMs = 1000;

FT_STATUS EepromStatus(EepromUserArea::Result result) {
    switch (result) {
    case EepromUserArea::Result::Ok: return FT_OK;
    case EepromUserArea::Result::NotProgrammed: return FT_EEPROM_NOT_PROGRAMMED;
    case EepromUserArea::Result::BadChecksum: return FT_EEPROM_READ_FAILED;
    case EepromUserArea::Result::NoRoom: return FT_INVALID_ARGS;
    }
    return FT_OTHER_ERROR;
}

// libftdi's text for the last failed call, per thread: the monitor and the
// reader call the backend at the same time.
thread_local std::string t_lastError;

// Keeps libftdi's own text of a failed call for the event log.
FT_STATUS Failed(FT_STATUS status, ftdi_context* context) {
    t_lastError = context ? ftdi_get_error_string(context) : "";
    return status;
}

class LibFtdiD2xx : public D2xx {
public:
    std::string LastErrorText() const override { return t_lastError; }

    explicit LibFtdiD2xx(int baudRate) : baudRate_(baudRate) {}

    // Every enumeration is fresh: nothing to reload or rescan.
    FT_STATUS FT_Reload(WORD, WORD) override { return FT_OK; }
    FT_STATUS FT_Rescan() override { return FT_OK; }

    FT_STATUS FT_CreateDeviceInfoList(DWORD* numDevs) override {
        std::lock_guard lock(mutex_);
        *numDevs = 0;
        listed_.clear();
        Context context(ftdi_new());
        if (!context)
            return FT_INSUFFICIENT_RESOURCES;
        ftdi_device_list* raw = nullptr;
        const int found = ftdi_usb_find_all(context.get(), &raw, VendorId, ProductId);
        DeviceList list(raw);
        if (found < 0)
            return Failed(FT_OTHER_ERROR, context.get());
        t_lastError.clear();
        for (ftdi_device_list* node = list.get(); node; node = node->next) {
            char description[64] = {};
            char serial[16] = {};
            // Without access rights the strings stay empty; the reader is still listed.
            if (ftdi_usb_get_strings2(context.get(), node->dev, nullptr, 0, description, sizeof description, serial,
                                      sizeof serial) < 0)
                Failed(FT_OK, context.get());
            listed_.push_back({serial, description});
        }
        *numDevs = static_cast<DWORD>(listed_.size());
        return FT_OK;
    }

    FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* dest, DWORD* numDevs) override {
        std::lock_guard lock(mutex_);
        const DWORD count = std::min(*numDevs, static_cast<DWORD>(listed_.size()));
        for (DWORD i = 0; i < count; ++i) {
            FT_DEVICE_LIST_INFO_NODE& node = dest[i];
            std::memset(&node, 0, sizeof node);
            node.Type = 5;
            node.ID = (static_cast<std::uint32_t>(VendorId) << 16) | ProductId;
            node.LocId = i;
            std::strncpy(node.SerialNumber, listed_[i].serial.c_str(), sizeof node.SerialNumber - 1);
            std::strncpy(node.Description, listed_[i].description.c_str(), sizeof node.Description - 1);
        }
        *numDevs = static_cast<DWORD>(listed_.size());
        return FT_OK;
    }

    FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* handle) override {
        std::lock_guard lock(mutex_);
        t_lastError.clear();
        if (deviceNumber < 0 || static_cast<std::size_t>(deviceNumber) >= listed_.size())
            return FT_DEVICE_NOT_FOUND;
        Context context(ftdi_new());
        if (!context)
            return FT_INSUFFICIENT_RESOURCES;
        // By serial when there is one: the bus order may have changed since the list was made.
        const std::string& serial = listed_[static_cast<std::size_t>(deviceNumber)].serial;
        const int opened = serial.empty()
            ? ftdi_usb_open_desc_index(context.get(), VendorId, ProductId, nullptr, nullptr,
                                       static_cast<unsigned>(deviceNumber))
            : ftdi_usb_open_desc_index(context.get(), VendorId, ProductId, nullptr, serial.c_str(), 0);
        if (opened < 0)
            return Failed(FT_DEVICE_NOT_OPENED, context.get());
        if (!Configure(context.get()) || ftdi_tcioflush(context.get()) < 0)
            return Failed(FT_IO_ERROR, context.get());
        context->usb_read_timeout = ReadTimeoutMs;
        const std::uintptr_t id = nextHandle_++;
        open_.emplace(id, std::make_unique<OpenReader>(std::move(context)));
        *handle = reinterpret_cast<FT_HANDLE>(id);
        return FT_OK;
    }

    FT_STATUS FT_Close(FT_HANDLE handle) override {
        std::lock_guard lock(mutex_);
        return open_.erase(reinterpret_cast<std::uintptr_t>(handle)) ? FT_OK : FT_INVALID_HANDLE;
    }

    FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesReturned) override {
        std::lock_guard lock(mutex_);
        *bytesReturned = 0;
        OpenReader* reader = Find(handle);
        if (!reader)
            return FT_INVALID_HANDLE;
        reader->Gather();
        if (reader->queue.Size() == 0 && !reader->queue.Healthy())
            return FT_IO_ERROR;
        *bytesReturned = static_cast<DWORD>(reader->queue.Take(static_cast<std::uint8_t*>(buffer), bytesToRead));
        return FT_OK;
    }

    FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten) override {
        std::lock_guard lock(mutex_);
        *bytesWritten = 0;
        OpenReader* reader = Find(handle);
        if (!reader)
            return FT_INVALID_HANDLE;
        const int written = ftdi_write_data(reader->context.get(), static_cast<const unsigned char*>(buffer),
                                            static_cast<int>(bytesToWrite));
        if (written < 0)
            return FT_IO_ERROR;
        *bytesWritten = static_cast<DWORD>(written);
        return FT_OK;
    }

    FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* amountInRxQueue) override {
        std::lock_guard lock(mutex_);
        *amountInRxQueue = 0;
        OpenReader* reader = Find(handle);
        if (!reader)
            return FT_INVALID_HANDLE;
        reader->Gather();
        if (!reader->queue.Healthy())
            return FT_IO_ERROR; // unplugged
        *amountInRxQueue = static_cast<DWORD>(reader->queue.Size());
        return FT_OK;
    }

    FT_STATUS FT_EE_UARead(FT_HANDLE handle, unsigned char* data, DWORD dataLen, DWORD* bytesRead) override {
        std::lock_guard lock(mutex_);
        t_lastError.clear();
        *bytesRead = 0;
        OpenReader* reader = Find(handle);
        if (!reader)
            return FT_INVALID_HANDLE;
        EepromUserArea::Chip chip;
        if (!ChipOf(reader->context.get(), chip))
            return FT_NOT_SUPPORTED;
        const ReceivePause pause(reader->queue, reader->gathering);
        EepromUserArea::Image image;
        if (!ReadImage(reader->context.get(), image))
            return Failed(FT_EEPROM_READ_FAILED, reader->context.get());
        std::vector<std::uint8_t> area;
        if (FT_STATUS s = EepromStatus(EepromUserArea::Read(image, chip, dataLen, area)))
            return s;
        std::copy(area.begin(), area.end(), data);
        *bytesRead = static_cast<DWORD>(area.size());
        return FT_OK;
    }

    // Read, patch the area and the checksum, write the whole image back and
    // check it: libftdi has no call for the user area alone.
    FT_STATUS FT_EE_UAWrite(FT_HANDLE handle, unsigned char* data, DWORD dataLen) override {
        std::lock_guard lock(mutex_);
        OpenReader* reader = Find(handle);
        if (!reader)
            return FT_INVALID_HANDLE;
        ftdi_context* context = reader->context.get();
        EepromUserArea::Chip chip;
        if (!ChipOf(context, chip))
            return FT_NOT_SUPPORTED;
        const ReceivePause pause(reader->queue, reader->gathering);
        EepromUserArea::Image image;
        if (!ReadImage(context, image))
            return Failed(FT_EEPROM_READ_FAILED, context);
        if (FT_STATUS s = EepromStatus(EepromUserArea::Patch(image, chip, data, dataLen)))
            return s;
        unsigned char latency = 16;
        ftdi_get_latency_timer(context, &latency);
        // Building only arms libftdi's write; the buffer is then replaced by ours.
        ftdi_eeprom_decode(context, 0);
        if (ftdi_eeprom_build(context) < 0 ||
            ftdi_set_eeprom_buf(context, image.data(), static_cast<int>(image.size())) < 0 ||
            ftdi_write_eeprom(context) < 0)
            return Failed(FT_EEPROM_WRITE_FAILED, context);
        // The write resets the chip and changes its latency timer.
        ftdi_set_latency_timer(context, latency);
        Configure(context);
        EepromUserArea::Image back;
        if (!ReadImage(context, back) || back != image)
            return FT_EEPROM_WRITE_FAILED;
        return FT_OK;
    }

    FT_STATUS FT_SetLatencyTimer(FT_HANDLE handle, UCHAR milliseconds) override {
        std::lock_guard lock(mutex_);
        OpenReader* reader = Find(handle);
        if (!reader)
            return FT_INVALID_HANDLE;
        if (milliseconds < 1)
            return FT_INVALID_PARAMETER;
        return ftdi_set_latency_timer(reader->context.get(), milliseconds) < 0 ? FT_IO_ERROR : FT_OK;
    }

    FT_STATUS FT_SetEventNotification(FT_HANDLE handle, DWORD mask, DataSignal* signal) override {
        std::lock_guard lock(mutex_);
        OpenReader* reader = Find(handle);
        if (!reader)
            return FT_INVALID_HANDLE;
        reader->queue.SetSignal((mask & FT_EVENT_RXCHAR) ? signal : nullptr);
        reader->Gather();
        return FT_OK;
    }

private:
    OpenReader* Find(FT_HANDLE handle) {
        auto it = open_.find(reinterpret_cast<std::uintptr_t>(handle));
        return it == open_.end() ? nullptr : it->second.get();
    }

    bool Configure(ftdi_context* context) const {
        return ftdi_set_baudrate(context, baudRate_) >= 0 &&
               ftdi_set_line_property(context, BITS_8, STOP_BIT_1, NONE) >= 0 &&
               ftdi_setflowctrl(context, SIO_DISABLE_FLOW_CTRL) >= 0;
    }

    static bool ChipOf(ftdi_context* context, EepromUserArea::Chip& chip) {
        if (context->type == TYPE_R)
            chip = EepromUserArea::Chip::FT232R;
        else if (context->type == TYPE_BM)
            chip = EepromUserArea::Chip::FT232BM;
        else
            return false;
        return true;
    }

    static bool ReadImage(ftdi_context* context, EepromUserArea::Image& image) {
        if (ftdi_read_eeprom(context) < 0)
            return false;
        int size = 0;
        if (ftdi_get_eeprom_value(context, CHIP_SIZE, &size) < 0 || size <= 0)
            size = 0x80; // an unprogrammed 93C46 reports no size
        image.assign(static_cast<std::size_t>(size), 0);
        return ftdi_get_eeprom_buf(context, image.data(), size) >= 0;
    }

    const int baudRate_;
    std::mutex mutex_;
    std::vector<ListedReader> listed_;
    std::map<std::uintptr_t, std::unique_ptr<OpenReader>> open_;
    std::uintptr_t nextHandle_ = 1;
};

} // namespace

vantix::Result<std::unique_ptr<D2xx>> CreateLibFtdiD2xx() {
    int baudRate = 9600;
    if (const char* text = std::getenv("VANTIX_FTDI_BAUD"); text && *text) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (*end != '\0' || value < 300 || value > 3000000)
            return vantix::Fail(std::string("VANTIX_FTDI_BAUD is not a baud rate: ") + text);
        baudRate = static_cast<int>(value);
    }
    if (!Context(ftdi_new()))
        return vantix::Fail("libftdi1 cannot initialise USB access");
    return std::unique_ptr<D2xx>(std::make_unique<LibFtdiD2xx>(baudRate));
}

} // namespace FTDI
