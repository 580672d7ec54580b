#include "tools/WatchSession.h"

#include <cstdio>
#include <sstream>

#include "core/Hex.h"

namespace vantixctl {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string JsonText(const std::u32string& text) {
    std::string out = "\"";
    for (char32_t c : text) {
        switch (c) {
        case U'"': out += "\\\""; break;
        case U'\\': out += "\\\\"; break;
        case U'\n': out += "\\n"; break;
        case U'\r': out += "\\r"; break;
        case U'\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                AppendUtf8(out, c);
            }
        }
    }
    return out + "\"";
}

std::string CodeList(const std::uint8_t* codes) {
    std::ostringstream out;
    out << "[" << int(codes[0]) << "," << int(codes[1]) << "," << int(codes[2]) << "," << int(codes[3]) << "]";
    return out.str();
}

} // namespace

std::string JsonString(const std::string& latin1) {
    std::u32string text;
    for (unsigned char c : latin1)
        text += static_cast<char32_t>(c);
    return JsonText(text);
}

std::string DeviceJson(const char* event, std::uintptr_t wParam, const std::string& serial,
                       const FTDI::DevData& device) {
    const FTDI::UserArea& ua = device.userArea;
    std::ostringstream out;
    out << "{\"event\":\"" << event << "\",\"wParam\":" << wParam << ",\"serial\":" << JsonString(serial)
        << ",\"description\":" << JsonString(device.description) << ",\"type\":" << device.deviceType
        << ",\"userArea\":{\"bytes\":\"" << vantix::ToHex(ua.bytes, FTDI::UserArea::Size) << "\""
        << ",\"name\":" << JsonString(ua.Name()) << ",\"id\":" << int(ua.id) << ",\"ec\":" << int(ua.ec)
        << ",\"beep\":" << ua.beep << ",\"mediaIdFormat\":" << ua.mediaIdFormat
        << ",\"sendToKeyboard\":" << ua.sendToKeyboard << ",\"storeToDatabase\":" << ua.storeToDatabase
        << ",\"bothTracks\":" << ua.bothTracks << ",\"omitSentinel\":" << ua.omitSentinel
        << ",\"secondTrackBit\":" << ua.secondTrackBit << ",\"prefixCode\":" << CodeList(ua.prefixCode)
        << ",\"prefixMask\":" << int(ua.prefixMask) << ",\"suffixCode\":" << CodeList(ua.suffixCode)
        << ",\"suffixMask\":" << int(ua.suffixMask) << "}}";
    return out.str();
}

std::string RegistrationJson(const FTDI::MessageRegistration& r) {
    std::ostringstream out;
    out << "{\"event\":\"registration\",\"serial\":" << JsonString(r.serialNumber)
        << ",\"mediaId\":" << JsonString(r.mediaId) << ",\"id\":" << r.id << ",\"ec\":" << r.ec
        << ",\"dateTime\":" << JsonString(r.dateTime) << ",\"date\":" << JsonString(r.date)
        << ",\"time\":" << JsonString(r.time) << ",\"idText\":" << JsonString(r.idText)
        << ",\"ecText\":" << JsonString(r.ecText) << "}";
    return out.str();
}

JsonLinePrinter::JsonLinePrinter(std::ostream& out) : out_(out), thread_([this] { Run(); }) {}

JsonLinePrinter::~JsonLinePrinter() {
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void JsonLinePrinter::Push(std::string line) {
    Post([line = std::move(line)] { return line; });
}

void JsonLinePrinter::Post(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    wake_.notify_all();
}

void JsonLinePrinter::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return done_ || !jobs_.empty(); });
        while (!jobs_.empty()) {
            const Job job = std::move(jobs_.front());
            jobs_.pop_front();
            lock.unlock();
            if (const std::string line = job(); !line.empty())
                out_ << line << std::endl;
            lock.lock();
        }
        if (done_)
            return;
    }
}

bool TypedLineReporter::TypeCharacter(char32_t c) {
    if (forward_ && !forward_->TypeCharacter(c))
        return false;
    line_ += c;
    return true;
}

bool TypedLineReporter::PressEnter() {
    if (forward_ && !forward_->PressEnter())
        return false;
    line_ += U'\n';
    return true;
}

void TypedLineReporter::ClickAt(int x, int y) {
    printer_.Push("{\"event\":\"click\",\"x\":" + std::to_string(x) + ",\"y\":" + std::to_string(y) + "}");
    if (forward_)
        forward_->ClickAt(x, y);
}

std::string TypedLineReporter::LineDone() {
    std::string problem = forward_ ? forward_->LineDone() : std::string();
    std::string json = "{\"event\":\"typed\",\"text\":" + JsonText(line_);
    if (!problem.empty())
        json += ",\"error\":" + JsonString(problem);
    printer_.Push(json + "}");
    line_.clear();
    return problem;
}

void WatchConsumer::PostToConsumer(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case FTDI::MsgDeviceAdded: {
        const auto m = Copy<FTDI::MessageDeviceAdded>(lParam);
        printer_.Push(DeviceJson("added", wParam, m.serialNumber, m.device));
        break;
    }
    case FTDI::MsgDeviceRemoved: {
        const auto m = Copy<FTDI::MessageDeviceRemoved>(lParam);
        printer_.Push(DeviceJson("removed", wParam, m.serialNumber, m.device));
        break;
    }
    case FTDI::MsgDeviceChanged: {
        const auto m = Copy<FTDI::MessageDeviceChanged>(lParam);
        printer_.Push(DeviceJson("changed", wParam, m.serialNumber, m.device));
        break;
    }
    case FTDI::MsgRegistration: {
        const auto registration = Copy<FTDI::MessageRegistration>(lParam);
        printer_.Push(RegistrationJson(registration));
        // Written by the printing thread: this runs under the device-table
        // lock, which a file write must not hold up.
        if (regFile_)
            printer_.Post([file = regFile_, registration]() -> std::string {
                if (file->WriteRegistration(registration))
                    return {};
                return "{\"event\":\"regfile-error\",\"error\":" + JsonString(file->LastError()) + "}";
            });
        break;
    }
    default:
        printer_.Push("{\"event\":\"message\",\"number\":" + std::to_string(message) +
                      ",\"wParam\":" + std::to_string(wParam) + ",\"lParam\":" + std::to_string(lParam) + "}");
    }
}

void WatchConsumer::ReportDeviceFault(const FTDI::DeviceFault& fault) {
    const bool noAccess = fault.kind == FTDI::DeviceFault::Kind::NoAccess;
    printer_.Push("{\"event\":\"fault\",\"serial\":" + JsonString(fault.serialNumber) +
                  ",\"description\":" + JsonString(fault.description) + ",\"call\":\"" + fault.call +
                  "\",\"status\":" + std::to_string(fault.status) + ",\"detail\":" + JsonString(fault.detail) +
                  (noAccess ? ",\"access\":false" : "") + "}");
}

} // namespace vantixctl
