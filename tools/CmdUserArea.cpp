#include <iostream>

#include "core/Hex.h"
#include "tools/Commands.h"
#include "tools/UserAreaFields.h"

namespace vantixctl {

namespace {

int Refuse(const std::string& reason) {
    std::cerr << "vantixctl ua: " << reason << "\n";
    return ExitRefused;
}

int Usage() {
    std::cerr << "usage: vantixctl ua decode HEX32 TYPE | ua encode TYPE field=value...\n";
    return ExitUsage;
}

int Decode(const Args& args) {
    if (args.size() != 3)
        return Usage();
    FTDI::UserArea area;
    if (!vantix::FromHex(args[1], area.bytes, FTDI::UserArea::Size))
        return Refuse("a user area is 32 hex digits, not \"" + args[1] + "\"");
    const auto type = ParseDeviceType(args[2]);
    if (!type)
        return Refuse(type.error());
    area.Decode(type.value());
    std::cout << FormatFields(area);
    return ExitOk;
}

int Encode(const Args& args) {
    if (args.size() < 2)
        return Usage();
    const auto parsed = ParseDeviceType(args[1]);
    if (!parsed)
        return Refuse(parsed.error());
    const int type = parsed.value();
    // A cleared record: every field that applies to the type is 0, the name empty.
    FTDI::UserArea cleared;
    cleared.Decode(type);
    auto area = ApplyFields(cleared, type, Args(args.begin() + 2, args.end()));
    if (!area)
        return Refuse(area.error());
    area->Encode(type);
    std::cout << vantix::ToHex(area->bytes, FTDI::UserArea::Size) << "\n";
    return ExitOk;
}

} // namespace

int RunUserArea(const Args& args) {
    if (!args.empty() && args[0] == "decode")
        return Decode(args);
    if (!args.empty() && args[0] == "encode")
        return Encode(args);
    return Usage();
}

} // namespace vantixctl
