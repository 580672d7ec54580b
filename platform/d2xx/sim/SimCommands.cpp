#include "platform/d2xx/sim/SimCommands.h"

#include <algorithm>
#include <sstream>

#include "core/Hex.h"

namespace FTDI {

namespace {

std::vector<std::string> SplitWords(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string Error(const std::string& reason) { return "error " + reason; }

bool ParseArea(const std::string& hex, SimulatedD2xx::UserAreaBytes& area) {
    return vantix::FromHex(hex, area.data(), area.size());
}

bool ParseBytes(const std::string& hex, SimulatedD2xx::Bytes& bytes) {
    if (hex.empty() || hex.size() % 2 != 0)
        return false;
    bytes.resize(hex.size() / 2);
    return vantix::FromHex(hex, bytes.data(), bytes.size());
}

// "instant" as the last word asks for the bytes in one piece at once.
SimulatedD2xx::Delivery DeliveryOf(const std::vector<std::string>& words, std::size_t plainSize) {
    return words.size() == plainSize + 1 && words.back() == "instant" ? SimulatedD2xx::Delivery::Instant
                                                                      : SimulatedD2xx::Delivery::Line;
}

bool Number(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoi(text);
    return true;
}

std::string Join(std::vector<std::string>::const_iterator begin, std::vector<std::string>::const_iterator end) {
    std::string out;
    for (auto it = begin; it != end; ++it)
        out += (out.empty() ? "" : " ") + *it;
    return out;
}

} // namespace

std::string CheckSimReader(const std::string& serial, const std::string& description) {
    // The device list carries 15 and 63 characters plus their NUL.
    if (serial.empty() || serial.size() > 15)
        return "a serial number has 1 to 15 characters";
    if (std::any_of(serial.begin(), serial.end(), [](unsigned char c) { return c <= ' ' || c == '|' || c == ';'; }))
        return "a serial number has no blanks, '|' or ';'";
    if (description.size() > 63)
        return "a description has at most 63 characters";
    return {};
}

std::string SimCommands::Execute(const std::string& line) {
    const Words words = SplitWords(line);
    if (words.empty())
        return Error("empty command");
    const std::string& command = words[0];
    if (command == "plug") return Plug(words);
    if (command == "unplug") return Unplug(words);
    if (command == "card") return Card(words);
    if (command == "inject") return Inject(words);
    if (command == "stray") return Stray(words);
    if (command == "line") return Line(words);
    if (command == "fail") return Fail(words);
    if (command == "list") return words.size() == 1 ? List() : Error("usage: list");
    if (command == "written") return Written(words);
    if (command == "ua") return UserArea(words);
    return Error("unknown command " + command +
                 " (plug, unplug, card, inject, stray, line, fail, list, written, ua)");
}

std::string SimCommands::Plug(const Words& words) {
    if (words.size() < 2)
        return Error("usage: plug SERIAL DESCRIPTION... [ua=HEX32]");
    auto end = words.end();
    std::optional<SimulatedD2xx::UserAreaBytes> area;
    if (words.size() > 2 && words.back().rfind("ua=", 0) == 0) {
        area.emplace();
        if (!ParseArea(words.back().substr(3), *area))
            return Error("ua= takes 32 hex digits");
        --end;
    }
    const std::string description = Join(words.begin() + 2, end);
    if (const std::string reason = CheckSimReader(words[1], description); !reason.empty())
        return Error(reason);
    sim_.Plug(words[1], description, area);
    return "ok plugged " + words[1];
}

std::string SimCommands::Unplug(const Words& words) {
    if (words.size() != 2)
        return Error("usage: unplug SERIAL");
    return sim_.Unplug(words[1]) ? "ok unplugged " + words[1] : Error("no reader " + words[1] + " is plugged");
}

std::string SimCommands::Card(const Words& words) {
    const auto delivery = DeliveryOf(words, 3);
    if (words.size() != (delivery == SimulatedD2xx::Delivery::Instant ? 4u : 3u))
        return Error("usage: card SERIAL ID [instant] (16 hex digits, or 14 without the CRC byte)");
    const auto full = SimulatedD2xx::CompleteIdentifier(words[2]);
    if (!full)
        return Error("a card identifier has 16 hex digits, or 14 without the CRC byte");
    if (!sim_.PresentCard(words[1], *full, delivery))
        return Error("no reader " + words[1] + " is plugged");
    return "ok card " + *full;
}

std::string SimCommands::Inject(const Words& words) {
    const auto delivery = DeliveryOf(words, 3);
    SimulatedD2xx::Bytes bytes;
    if (words.size() != (delivery == SimulatedD2xx::Delivery::Instant ? 4u : 3u) || !ParseBytes(words[2], bytes))
        return Error("usage: inject SERIAL HEX [instant] (an even number of hex digits)");
    if (!sim_.Inject(words[1], bytes, delivery))
        return Error("no reader " + words[1] + " is plugged");
    return "ok injected " + std::to_string(bytes.size());
}

std::string SimCommands::Stray(const Words& words) {
    int count = 0;
    if (words.size() != 3 || !Number(words[2], count) || count < 1 || count > 4096)
        return Error("usage: stray SERIAL COUNT (1 to 4096 bytes)");
    // Line noise, without the record framing bytes 0x01 and 0x03: framed
    // noise would be a magnetic record like any other.
    std::uniform_int_distribution<int> byte(0, 255);
    SimulatedD2xx::Bytes bytes;
    while (bytes.size() < static_cast<std::size_t>(count))
        if (const int b = byte(random_); b != 0x01 && b != 0x03)
            bytes.push_back(static_cast<std::uint8_t>(b));
    if (!sim_.Inject(words[1], bytes))
        return Error("no reader " + words[1] + " is plugged");
    return "ok stray " + vantix::ToHex(bytes.data(), bytes.size());
}

std::string SimCommands::Line(const Words& words) {
    if (words.size() < 2 || words.size() > 4)
        return Error("usage: line SERIAL [baud=RATE] [latency=MS]");
    std::optional<int> baud, latency;
    for (std::size_t i = 2; i < words.size(); ++i) {
        int value = 0;
        if (words[i].rfind("baud=", 0) == 0 && Number(words[i].substr(5), value) && SimulatedD2xx::ValidBaud(value))
            baud = value;
        else if (words[i].rfind("latency=", 0) == 0 && Number(words[i].substr(8), value) &&
                 SimulatedD2xx::ValidLatency(value))
            latency = value;
        else
            return Error("a line setting is baud=300..3000000 or latency=1..255");
    }
    if (!sim_.SetLine(words[1], baud, latency))
        return Error("no reader " + words[1]);
    const auto [rate, ms] = sim_.LineOf(words[1]);
    return "ok line " + words[1] + " baud=" + std::to_string(rate) + " latency=" + std::to_string(ms);
}

std::string SimCommands::Fail(const Words& words) {
    if (words.size() != 2 && words.size() != 3)
        return Error("usage: fail CALL [STATUS]");
    FT_STATUS status = FT_IO_ERROR;
    if (words.size() == 3) {
        int value = 0;
        if (!Number(words[2], value) || value == 0)
            return Error("a failure status is a non-zero decimal number");
        status = static_cast<FT_STATUS>(value);
    }
    if (!sim_.FailNext(words[1], status)) {
        std::string names;
        for (const auto& name : SimulatedD2xx::CallNames())
            names += " " + name;
        return Error("unknown call " + words[1] + "; one of" + names);
    }
    return "ok next " + words[1] + " fails with " + std::to_string(status);
}

std::string SimCommands::List() {
    std::string lines;
    int count = 0;
    for (const auto& serial : sim_.PluggedSerials()) {
        const auto area = sim_.UserAreaOf(serial);
        lines += "\n" + serial + " " + vantix::ToHex(area->data(), area->size()) + " " +
                 std::to_string(sim_.Waiting(serial)) + " " + sim_.DescriptionOf(serial);
        ++count;
    }
    return "ok " + std::to_string(count) + lines;
}

std::string SimCommands::Written(const Words& words) {
    if (words.size() != 2)
        return Error("usage: written SERIAL");
    if (!sim_.UserAreaOf(words[1]))
        return Error("no reader " + words[1]);
    const auto bytes = sim_.Written(words[1]);
    return "ok " + vantix::ToHex(bytes.data(), bytes.size());
}

std::string SimCommands::UserArea(const Words& words) {
    if (words.size() != 2 && words.size() != 3)
        return Error("usage: ua SERIAL [HEX32]");
    if (words.size() == 3) {
        SimulatedD2xx::UserAreaBytes area;
        if (!ParseArea(words[2], area))
            return Error("a user area has 32 hex digits");
        if (!sim_.SetUserArea(words[1], area))
            return Error("no reader " + words[1]);
    }
    const auto area = sim_.UserAreaOf(words[1]);
    if (!area)
        return Error("no reader " + words[1]);
    return "ok " + vantix::ToHex(area->data(), area->size());
}

vantix::Result<std::vector<SimReader>> ParseSimReaders(const std::string& text) {
    std::vector<SimReader> readers;
    std::istringstream entries(text);
    for (std::string entry; std::getline(entries, entry, ';');) {
        if (entry.find_first_not_of(" \t") == std::string::npos)
            continue;
        std::vector<std::string> parts;
        std::istringstream fields(entry);
        for (std::string part; std::getline(fields, part, '|');)
            parts.push_back(part);
        if (parts.size() < 2 || parts.size() > 3)
            return vantix::Fail("\"" + entry + "\" is not SERIAL|DESCRIPTION[|USERAREA]");
        SimReader reader{parts[0], parts[1], std::nullopt};
        if (std::string reason = CheckSimReader(reader.serial, reader.description); !reason.empty())
            return vantix::Fail("\"" + entry + "\": " + reason);
        if (parts.size() == 3) {
            reader.userArea.emplace();
            if (!ParseArea(parts[2], *reader.userArea))
                return vantix::Fail("\"" + entry + "\": a user area has 32 hex digits");
        }
        readers.push_back(std::move(reader));
    }
    return readers;
}

} // namespace FTDI
