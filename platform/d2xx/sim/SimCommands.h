#pragma once
#include <random>
#include <string>
#include <vector>

#include "core/Result.h"
#include "platform/d2xx/sim/SimulatedD2xx.h"

namespace FTDI {

// The simulator's control language: one command line in, one reply out.
// A reply starts with "ok" or "error <reason>"; "list" answers "ok N" and
// then one line per reader: SERIAL USERAREAHEX WAITING DESCRIPTION.
class SimCommands {
public:
    explicit SimCommands(SimulatedD2xx& sim) : sim_(sim) {}

    // The reply, without its final line end.
    std::string Execute(const std::string& line);

private:
    using Words = std::vector<std::string>;
    std::string Plug(const Words& words);
    std::string Unplug(const Words& words);
    std::string Card(const Words& words);
    std::string Inject(const Words& words);
    std::string Stray(const Words& words);
    std::string Line(const Words& words);
    std::string Fail(const Words& words);
    std::string List();
    std::string Written(const Words& words);
    std::string UserArea(const Words& words);

    SimulatedD2xx& sim_;
    std::mt19937 random_{std::random_device{}()};
};

struct SimReader {
    std::string serial;
    std::string description;
    std::optional<SimulatedD2xx::UserAreaBytes> userArea;
};

// Checks a reader's serial and description as the device list can carry
// them; empty when fine, else the reason.
std::string CheckSimReader(const std::string& serial, const std::string& description);

// "SERIAL|DESCRIPTION[|UAHEX32];..." (the VANTIX_SIM_READERS format).
vantix::Result<std::vector<SimReader>> ParseSimReaders(const std::string& text);

} // namespace FTDI
