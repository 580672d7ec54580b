#include <iostream>
#include <optional>
#include <vector>

#include "core/Hex.h"
#include "core/Result.h"
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

vantix::Result<std::vector<ListedReader>> ListReaders(D2xx& d2xx) {
    std::vector<ListedReader> readers;
    DWORD count = 0;
    if (FT_STATUS s = d2xx.FT_CreateDeviceInfoList(&count))
        return vantix::Fail("cannot list readers (status " + std::to_string(s) + ")");
    if (count == 0)
        return readers;
    std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(MaxListedDevices);
    DWORD listed = MaxListedDevices;
    if (FT_STATUS s = d2xx.FT_GetDeviceInfoList(nodes.data(), &listed))
        return vantix::Fail("cannot list readers (status " + std::to_string(s) + ")");
    listed = std::min(listed, MaxListedDevices);
    for (DWORD i = 0; i < listed; ++i)
        readers.push_back({static_cast<int>(i), nodes[i].SerialNumber, nodes[i].Description});
    return readers;
}

vantix::Result<std::unique_ptr<OpenReader>> Open(D2xx& d2xx, const ListedReader& reader) {
    FT_HANDLE handle = nullptr;
    if (FT_STATUS s = d2xx.FT_Open(reader.index, &handle))
        return vantix::Fail("cannot open reader " + reader.serial + " (status " + std::to_string(s) + ")");
    return std::make_unique<OpenReader>(d2xx, handle);
}

// The reader's block: description, type and its decoded configuration.
vantix::Result<void> Describe(D2xx& d2xx, const ListedReader& reader) {
    auto open = Open(d2xx, reader);
    if (!open)
        return vantix::Fail(open.error());
    UserArea area;
    if (FT_STATUS s = (*open)->ReadArea(area))
        return vantix::Fail("cannot read the user area of " + reader.serial + " (status " + std::to_string(s) + ")");
    const int type = DetectDeviceType(reader.description);
    area.Decode(type);
    std::cout << "serial=" << reader.serial << "\n"
              << "description=" << reader.description << "\n"
              << FormatFields(area);
    return {};
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

vantix::Result<Session> StartSession(const CommonOptions& options) {
    auto d2xx = OpenBackend(options);
    if (!d2xx)
        return vantix::Fail(d2xx.error());
    auto readers = ListReaders(**d2xx);
    if (!readers)
        return vantix::Fail(readers.error());
    return Session{std::move(*d2xx), std::move(*readers)};
}

// The attached reader with that serial, or the reason there is none.
vantix::Result<const ListedReader*> FindAttached(const Session& session, const std::string& serial) {
    if (const ListedReader* reader = session.Find(serial))
        return reader;
    return vantix::Fail("no reader " + serial + " is attached");
}

} // namespace

int RunList(const Args& args, const CommonOptions& options) {
    if (!args.empty()) {
        std::cerr << "usage: vantixctl list\n";
        return ExitUsage;
    }
    auto session = StartSession(options);
    if (!session)
        return Refuse("list", session.error());
    if (session->readers.empty())
        std::cerr << "vantixctl list: no readers found\n"; // an empty list is an answer, not a failure
    int status = ExitOk;
    for (std::size_t i = 0; i < session->readers.size(); ++i) {
        if (i)
            std::cout << "\n";
        if (const auto described = Describe(*session->d2xx, session->readers[i]); !described) {
            std::cout << "serial=" << session->readers[i].serial << "\nerror=" << described.error() << "\n";
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
    auto session = StartSession(options);
    if (!session)
        return Refuse("show", session.error());
    const auto reader = FindAttached(*session, args[0]);
    if (!reader)
        return Refuse("show", reader.error());
    const auto described = Describe(*session->d2xx, *reader.value());
    return described ? ExitOk : Refuse("show", described.error());
}

int RunSet(const Args& args, const CommonOptions& options) {
    if (args.size() < 2) {
        std::cerr << "usage: vantixctl set SERIAL field=value...\n";
        return ExitUsage;
    }
    auto session = StartSession(options);
    if (!session)
        return Refuse("set", session.error());
    const auto found = FindAttached(*session, args[0]);
    if (!found)
        return Refuse("set", found.error());
    const ListedReader& reader = *found.value();
    const int type = DetectDeviceType(reader.description);
    if (type == DeviceTypeNotUsed)
        return Refuse("set", "\"" + reader.description + "\" is not a known reader model; its layout is unknown");
    auto opened = Open(*session->d2xx, reader);
    if (!opened)
        return Refuse("set", opened.error());
    OpenReader& open = **opened;
    UserArea current;
    if (FT_STATUS s = open.ReadArea(current))
        return Refuse("set", "cannot read the user area (status " + std::to_string(s) + ")");
    current.Decode(type);
    auto changed = ApplyFields(current, type, Args(args.begin() + 1, args.end()));
    if (!changed)
        return Refuse("set", changed.error());
    UserArea& area = *changed;
    area.Encode(type);
    if (FT_STATUS s = open.WriteArea(area))
        return Refuse("set", "cannot write the user area (status " + std::to_string(s) + ")");
    UserArea back;
    if (FT_STATUS s = open.ReadArea(back))
        return Refuse("set", "written, but cannot read it back (status " + std::to_string(s) + ")");
    if (!std::equal(std::begin(area.bytes), std::end(area.bytes), std::begin(back.bytes)))
        return Refuse("set", "the reader holds " + vantix::ToHex(back.bytes, UserArea::Size) + " after writing " +
                                 vantix::ToHex(area.bytes, UserArea::Size));
    back.Decode(type);
    std::cout << FormatFields(back);
    return ExitOk;
}

} // namespace vantixctl
