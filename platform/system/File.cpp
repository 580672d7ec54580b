#include "platform/system/File.h"
#include "platform/system/Utf8Path.h"

#include <filesystem>

#include "platform/system/System.h"

namespace vantix {

Result<void> WriteFileAtomically(const std::string& path, std::string_view text) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(Utf8Path(path).parent_path(), ec);
    const std::string temp = path + ".tmp" + std::to_string(CurrentProcessId());
    const auto cleanUp = [&](const std::string& reason) {
        fs::remove(Utf8Path(temp), ec);
        return Fail(reason);
    };
    auto file = File::Open(temp, File::Mode::Replace);
    if (!file)
        return Fail(temp + ": " + file.error());
    for (std::size_t done = 0; done < text.size();) {
        const auto n = file->Write(text.data() + done, text.size() - done);
        if (!n || *n == 0)
            return cleanUp(temp + ": " + (n ? "no space written" : n.error()));
        done += *n;
    }
    if (auto closed = file->Close(); !closed)
        return cleanUp(temp + ": " + closed.error());
    if (auto replaced = MoveFileOver(temp, path); !replaced)
        return cleanUp(path + ": " + replaced.error());
    return {};
}

} // namespace vantix
