#pragma once
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

#include "storage/C_RegFile.h"
#include "ftdi/FTDIHelper.h"

namespace vantixctl {

// Writes one line per event from a thread of its own, so the device link's
// threads never wait for the terminal or a file.
class JsonLinePrinter {
public:
    // Work for the printing thread; it returns a line to print, or "".
    using Job = std::function<std::string()>;

    explicit JsonLinePrinter(std::ostream& out);
    ~JsonLinePrinter(); // does what is queued, then ends the thread
    JsonLinePrinter(const JsonLinePrinter&) = delete;
    JsonLinePrinter& operator=(const JsonLinePrinter&) = delete;

    void Push(std::string line);
    void Post(Job job);

private:
    void Run();

    std::ostream& out_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool done_ = false;
    std::thread thread_;
};

// Reports every typed line and passes the strokes on to a real output when
// one is given. The reported text is what the output really sent; what it
// could not send is named in the line's "error".
class TypedLineReporter : public FTDI::KeyboardOutput {
public:
    TypedLineReporter(JsonLinePrinter& printer, FTDI::KeyboardOutput* forward)
        : printer_(printer), forward_(forward) {}

    FTDI::FocusTarget Focus() override { return forward_ ? forward_->Focus() : FTDI::FocusTarget::OtherWindow; }
    bool BeginLine() override { return !forward_ || forward_->BeginLine(); }
    bool TypeCharacter(char32_t c) override;
    bool PressEnter() override;
    void ClickAt(int x, int y) override;
    std::string LineDone() override;

private:
    JsonLinePrinter& printer_;
    FTDI::KeyboardOutput* forward_;
    std::u32string line_;
};

// The device link without a window: every message becomes a JSON line.
class WatchConsumer : public FTDI::FTDIHelper<WatchConsumer> {
public:
    // regFile: where registrations are also written (by the printer's thread,
    // so it must outlive the printer), or null.
    WatchConsumer(FTDI::D2xx& d2xx, FTDI::OutputSettings& settings, FTDI::KeyboardOutput& keyboard,
                  JsonLinePrinter& printer, vantix::C_RegFile* regFile = nullptr, FTDI::EngineTimings timings = {})
        : FTDIHelper(d2xx, settings, keyboard, timings), printer_(printer), regFile_(regFile) {}
    ~WatchConsumer() override { Stop(); }

    void PostToConsumer(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    bool DeviceCheckEnabled() { return false; }
    int AskDeviceType(const std::string&) { return -1; }
    void ReportDeviceFault(const FTDI::DeviceFault& fault);

private:
    JsonLinePrinter& printer_;
    vantix::C_RegFile* regFile_;
};

// JSON text of 8-bit program text (read as Latin-1), quoted.
std::string JsonString(const std::string& latin1);
std::string DeviceJson(const char* event, std::uintptr_t wParam, const std::string& serial,
                       const FTDI::DevData& device);
std::string RegistrationJson(const FTDI::MessageRegistration& r);

} // namespace vantixctl
