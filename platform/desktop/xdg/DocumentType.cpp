#include "platform/desktop/DocumentType.h"

#include <fstream>
#include <sstream>

#include "platform/desktop/xdg/Xdg.h"
#include "platform/system/File.h"

namespace vantix {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Result<bool> WriteIfChanged(const std::string& path, const std::string& text) {
    if (ReadAll(path) == text)
        return false;
    if (auto written = WriteFileAtomically(path, text); !written)
        return Fail(written.error());
    return true;
}

} // namespace

xdg::DocumentTypeFiles xdg::DocumentTypeFiles::ForDataDir(const std::string& dataDir) {
    return {dataDir + "/mime/packages/vantix-document.xml", dataDir + "/applications/vantix-document.desktop"};
}

std::string DefaultDocumentTypeRoot() { return xdg::DataHome(); }

std::vector<std::pair<std::string, std::string>> DocumentTypeRefreshers(const std::string& dataDir) {
    return {{"update-mime-database", dataDir + "/mime"}, {"update-desktop-database", dataDir + "/applications"}};
}

Result<bool> RegisterDocumentType(const std::string& dataDir, const std::string& executable) {
    const std::string exec = xdg::ExecArgument(executable);
    if (exec.empty())
        return Fail("the program path cannot be written into a desktop entry");
    const std::string mime = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                         "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                                         "  <mime-type type=\"") +
                             kDocumentMimeType +
                             "\">\n"
                             "    <comment>Vantix Document</comment>\n"
                             "    <glob pattern=\"*.vtx\"/>\n"
                             "  </mime-type>\n"
                             "</mime-info>\n";
    const std::string desktop = std::string("[Desktop Entry]\n"
                                            "Type=Application\n"
                                            "Name=Vantix\n"
                                            "Exec=") +
                                exec + " %f\n" + "MimeType=" + kDocumentMimeType + ";\n" +
                                "NoDisplay=true\n"
                                "Terminal=false\n";
    const xdg::DocumentTypeFiles files = xdg::DocumentTypeFiles::ForDataDir(dataDir);
    const auto mimeChanged = WriteIfChanged(files.mimePackage, mime);
    if (!mimeChanged)
        return mimeChanged;
    const auto entryChanged = WriteIfChanged(files.desktopEntry, desktop);
    if (!entryChanged)
        return entryChanged;
    return *mimeChanged || *entryChanged;
}

} // namespace vantix
