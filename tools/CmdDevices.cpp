#include <iostream>
#include <optional>
#include <vector>

#include "core/Hex.h"
#include "tools/Backend.h"
#include "tools/Commands.h"
#include "tools/UserAreaFields.h"

namespace vantixctl {

namespace {

using namespace FTDI;

struct ListedReader {
    int index;
    std::string serial;
    std::string description;
};

// A handle closed when it goes out of scope.
class OpenReader {
public:
    OpenReader(D2xx& d2xx, FT_HANDLE handle) : d2xx_(d2xx), handle_(handle) {}
    ~OpenReader() { d2xx_.FT_Close(handle_); }
    OpenReader(const OpenReader&) = delete;
    OpenReader& operator=(const OpenReader&) = delete;

    FT_STATUS ReadArea(UserArea& area) {
        std::fill(std::begin(area.bytes), std::end(area.bytes), 0);
        DWORD got = 0;
        const FT_STATUS status = d2xx_.FT_EE_UARead(handle_, area.bytes, UserArea::Size, &got);
        return status == FT_OK && got != UserArea::Size ? FT_EEPROM_READ_FAILED : status;
    }
    FT_STATUS WriteArea(UserArea& area) { return d2xx_.FT_EE_UAWrite(handle_, area.bytes, UserArea::Size); }

private:
    D2xx& d2xx_;
    FT_HANDLE handle_;
};

int Refuse(const std::string& command, const std::string& reason) {
    std::cerr << "vantixctl " << command << ": " << reason << "\n";
    return ExitRefused;
}

bool ListReaders(D2xx& d2xx, std::vector<ListedReader>& readers, std::string& error) {
    DWORD count = 0;
    if (FT_STATUS s = d2xx.FT_CreateDeviceInfoList(&count)) {
        error = "cannot list readers (status " + std::to_string(s) + ")";
        return false;
    }
    if (count == 0)
        return true;
    std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(MaxListedDevices);
    DWORD listed = MaxListedDevices;
    if (FT_STATUS s = d2xx.FT_GetDeviceInfoList(nodes.data(), &listed)) {
        error = "cannot list readers (status " + std::to_string(s) + ")";
        return false;
    }
    listed = std::min(listed, MaxListedDevices);
    for (DWORD i = 0; i < listed; ++i)
        readers.push_back({static_cast<int>(i), nodes[i].SerialNumber, nodes[i].Description});
    return true;
}

std::optional<OpenReader> Open(D2xx& d2xx, const ListedReader& reader, std::string& error) {
    FT_HANDLE handle = nullptr;
    if (FT_STATUS s = d2xx.FT_Open(reader.index, &handle)) {
        error = "cannot open reader " + reader.serial + " (status " + std::to_string(s) + ")";
        return std::nullopt;
    }
    return std::optional<OpenReader>(std::in_place, d2xx, handle);
}

// The reader's block: description, type and its decoded configuration.
bool Describe(D2xx& d2xx, const ListedReader& reader, std::string& error) {
    auto open = Open(d2xx, reader, error);
    if (!open)
        return false;
    UserArea area;
    if (FT_STATUS s = open->ReadArea(area)) {
        error = "cannot read the user area of " + reader.serial + " (status " + std::to_string(s) + ")";
        return false;
    }
    const int type = DetectDeviceType(reader.description);
    area.Decode(type);
    std::cout << "serial=" << reader.serial << "\n"
              << "description=" << reader.description << "\n"
              << FormatFields(area);
    return true;
}

// The backend and the readers it lists.
struct Session {
    std::unique_ptr<D2xx> d2xx;
    std::vector<ListedReader> readers;
    const ListedReader* Find(const std::string& serial) const {
        for (const auto& r : readers)
            if (r.serial == serial)
                return &r;
        return nullptr;
    }
};

bool StartSession(const CommonOptions& options, Session& session, std::string& error) {
    session.d2xx = OpenBackend(options, error);
    return session.d2xx && ListReaders(*session.d2xx, session.readers, error);
}

// The attached reader with that serial, or null with the reason.
const ListedReader* FindAttached(const CommonOptions& options, const std::string& serial, Session& session,
                                 std::string& error) {
    if (!StartSession(options, session, error))
        return nullptr;
    const ListedReader* reader = session.Find(serial);
    if (!reader)
        error = "no reader " + serial + " is attached";
    return reader;
}

} // namespace

int RunList(const Args& args, const CommonOptions& options) {
    if (!args.empty()) {
        std::cerr << "usage: vantixctl list\n";
        return ExitUsage;
    }
    Session session;
    std::string error;
    if (!StartSession(options, session, error))
        return Refuse("list", error);
    if (session.readers.empty())
        std::cerr << "vantixctl list: no readers found\n"; // an empty list is an answer, not a failure
    int status = ExitOk;
    for (std::size_t i = 0; i < session.readers.size(); ++i) {
        if (i)
            std::cout << "\n";
        if (!Describe(*session.d2xx, session.readers[i], error)) {
            std::cout << "serial=" << session.readers[i].serial << "\nerror=" << error << "\n";
            status = ExitRefused;
        }
    }
    return status;
}

int RunShow(const Args& args, const CommonOptions& options) {
    if (args.size() != 1) {
        std::cerr << "usage: vantixctl show SERIAL\n";
        return ExitUsage;
    }
    Session session;
    std::string error;
    const ListedReader* reader = FindAttached(options, args[0], session, error);
    if (!reader)
        return Refuse("show", error);
    return Describe(*session.d2xx, *reader, error) ? ExitOk : Refuse("show", error);
}

int RunSet(const Args& args, const CommonOptions& options) {
    if (args.size() < 2) {
        std::cerr << "usage: vantixctl set SERIAL field=value...\n";
        return ExitUsage;
    }
    Session session;
    std::string error;
    const ListedReader* reader = FindAttached(options, args[0], session, error);
    if (!reader)
        return Refuse("set", error);
    const int type = DetectDeviceType(reader->description);
    if (type == DeviceTypeNotUsed)
        return Refuse("set", "\"" + reader->description + "\" is not a known reader model; its layout is unknown");
    auto open = Open(*session.d2xx, *reader, error);
    if (!open)
        return Refuse("set", error);
    UserArea area;
    if (FT_STATUS s = open->ReadArea(area))
        return Refuse("set", "cannot read the user area (status " + std::to_string(s) + ")");
    area.Decode(type);
    if (!ApplyFields(area, type, Args(args.begin() + 1, args.end()), error))
        return Refuse("set", error);
    area.Encode(type);
    if (FT_STATUS s = open->WriteArea(area))
        return Refuse("set", "cannot write the user area (status " + std::to_string(s) + ")");
    UserArea back;
    if (FT_STATUS s = open->ReadArea(back))
        return Refuse("set", "written, but cannot read it back (status " + std::to_string(s) + ")");
    if (!std::equal(std::begin(area.bytes), std::end(area.bytes), std::begin(back.bytes)))
        return Refuse("set", "the reader holds " + vantix::ToHex(back.bytes, UserArea::Size) + " after writing " +
                                 vantix::ToHex(area.bytes, UserArea::Size));
    back.Decode(type);
    std::cout << FormatFields(back);
    return ExitOk;
}

} // namespace vantixctl
