#include "tools/UserAreaFields.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "core/Hex.h"

namespace vantixctl {

namespace {

using FTDI::UserArea;
using vantix::Fail;
using Checked = vantix::Result<void>;

// A number in decimal or with a 0x prefix, within [low, high].
bool ParseNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty())
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, hex ? 16 : 10);
    return *end == '\0' && text.find_first_of(" -+") == std::string::npos && value >= low && value <= high;
}

std::string Range(long low, long high) { return std::to_string(low) + ".." + std::to_string(high); }

// The largest key code the program uses ("NOT USED").
constexpr long MaxKeyCode = FTDI::KeyNotUsed;

std::string Codes(const std::uint8_t (&codes)[4]) {
    std::ostringstream out;
    for (int i = 0; i < 4; ++i)
        out << (i ? "," : "") << int{codes[i]};
    return out.str();
}

std::string Hex2(std::uint8_t value) {
    static const char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[value >> 4] + digits[value & 0x0F];
}

// A blank EEPROM holds 0xFF bytes: show such bytes as \xHH, not raw.
std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        out += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : "\\x" + Hex2(c).substr(2);
    return out;
}

// One settable field: which types it applies to and how to set it.
struct Field {
    std::function<bool(int type)> appliesTo;
    // Sets the field, or says what values it takes.
    std::function<Checked(UserArea&, int type, const std::string& value)> set;
};

bool AllTypes(int) { return true; }

Field Flag(int UserArea::*member, long high, std::function<bool(int)> appliesTo = AllTypes) {
    return {std::move(appliesTo), [member, high](UserArea& a, int, const std::string& v) -> Checked {
                long n;
                if (!ParseNumber(v, 0, high, n))
                    return Fail("takes " + Range(0, high));
                a.*member = static_cast<int>(n);
                return {};
            }};
}

Field Byte(std::uint8_t UserArea::*member) {
    return {AllTypes, [member](UserArea& a, int, const std::string& v) -> Checked {
                long n;
                if (!ParseNumber(v, 0, 255, n))
                    return Fail("takes 0..255 (or 0x00..0xFF)");
                a.*member = static_cast<std::uint8_t>(n);
                return {};
            }};
}

Field Mask(std::uint8_t UserArea::*member) {
    return {AllTypes, [member](UserArea& a, int type, const std::string& v) -> Checked {
                // Only two-track readers keep a second set of bits for track 2.
                const long high = type == FTDI::DeviceTypeTwoTracks ? 255 : 15;
                long n;
                if (!ParseNumber(v, 0, high, n))
                    return Fail("takes " + Range(0, high) + " for this type");
                a.*member = static_cast<std::uint8_t>(n);
                return {};
            }};
}

Field KeyCodes(std::uint8_t (UserArea::*member)[4]) {
    return {AllTypes, [member](UserArea& a, int, const std::string& v) -> Checked {
                std::istringstream in(v);
                std::uint8_t codes[4];
                int count = 0;
                for (std::string part; std::getline(in, part, ',');) {
                    long n;
                    if (count == 4 || !ParseNumber(part, 0, MaxKeyCode, n)) {
                        count = -1;
                        break;
                    }
                    codes[count++] = static_cast<std::uint8_t>(n);
                }
                if (count != 4 || v.back() == ',')
                    return Fail("takes four key codes 0.." + std::to_string(MaxKeyCode) + " separated by commas");
                std::copy(codes, codes + 4, a.*member);
                return {};
            }};
}

const std::map<std::string, Field>& Fields() {
    using namespace FTDI;
    static const std::map<std::string, Field> fields = {
        {"name", {AllTypes, [](UserArea& a, int, const std::string& v) -> Checked {
                      // A space would end the name when the reader's area is read back.
                      if (v.size() > 6 || v.find(' ') != std::string::npos)
                          return Fail("takes up to 6 characters without spaces");
                      std::fill(a.name, a.name + 7, '\0');
                      std::copy(v.begin(), v.end(), a.name);
                      return {};
                  }}},
        {"id", Byte(&UserArea::id)},
        {"ec", Byte(&UserArea::ec)},
        {"beep", Flag(&UserArea::beep, 7)},
        {"prefixCode", KeyCodes(&UserArea::prefixCode)},
        {"prefixMask", Mask(&UserArea::prefixMask)},
        {"suffixCode", KeyCodes(&UserArea::suffixCode)},
        {"suffixMask", Mask(&UserArea::suffixMask)},
        {"mediaIdFormat", Flag(&UserArea::mediaIdFormat, 3, [](int t) { return t == DeviceTypeProximity; })},
        {"bothTracks", Flag(&UserArea::bothTracks, 1, [](int t) { return t == DeviceTypeTwoTracks; })},
        {"omitSentinel", Flag(&UserArea::omitSentinel, 1, [](int t) { return t != DeviceTypeProximity; })},
        {"secondTrackBit", Flag(&UserArea::secondTrackBit, 1, [](int t) { return t == DeviceTypeTwoTracks; })},
        {"sendToKeyboard", Flag(&UserArea::sendToKeyboard, 1)},
        {"storeToDatabase", Flag(&UserArea::storeToDatabase, 1)},
    };
    return fields;
}

} // namespace

vantix::Result<int> ParseDeviceType(const std::string& text) {
    static const std::map<std::string, int> names = {
        {"0", 0}, {"1", 1}, {"2", 2}, {"3", 3},
        {"proximity", 0}, {"track1", 1}, {"track2", 2}, {"tracks12", 3}};
    const auto it = names.find(text);
    if (it == names.end())
        return Fail("unknown reader type \"" + text + "\" (0 proximity, 1 track1, 2 track2, 3 tracks12)");
    return it->second;
}

std::string FormatFields(const UserArea& a) {
    std::ostringstream out;
    out << "name=" << Printable(a.Name()) << "\n"
        << "id=" << Hex2(a.id) << "\n"
        << "ec=" << Hex2(a.ec) << "\n"
        << "beep=" << a.beep << "\n"
        << "prefixCode=" << Codes(a.prefixCode) << "\n"
        << "prefixMask=" << int{a.prefixMask} << "\n"
        << "suffixCode=" << Codes(a.suffixCode) << "\n"
        << "suffixMask=" << int{a.suffixMask} << "\n"
        << "mediaIdFormat=" << a.mediaIdFormat << "\n"
        << "bothTracks=" << a.bothTracks << "\n"
        << "omitSentinel=" << a.omitSentinel << "\n"
        << "secondTrackBit=" << a.secondTrackBit << "\n"
        << "sendToKeyboard=" << a.sendToKeyboard << "\n"
        << "storeToDatabase=" << a.storeToDatabase << "\n"
        << "bytes=" << vantix::ToHex(a.bytes, UserArea::Size) << "\n"
        << "deviceType=" << a.deviceType << "\n";
    return out.str();
}

vantix::Result<UserArea> ApplyFields(const UserArea& area, int type, const std::vector<std::string>& assignments) {
    UserArea changed = area;
    for (const auto& word : assignments) {
        const auto equals = word.find('=');
        if (equals == std::string::npos)
            return Fail("\"" + word + "\" is not field=value");
        const std::string name = word.substr(0, equals);
        const std::string value = word.substr(equals + 1);
        const auto it = Fields().find(name);
        if (it == Fields().end()) {
            std::string known;
            for (const auto& [n, f] : Fields())
                known += " " + n;
            return Fail("unknown field \"" + name + "\"; settable:" + known);
        }
        if (!it->second.appliesTo(type))
            return Fail(name + " does not apply to reader type " + std::to_string(type));
        if (const Checked set = it->second.set(changed, type, value); !set)
            return Fail(name + " " + set.error() + ", not \"" + value + "\"");
    }
    return changed;
}

} // namespace vantixctl
