#include "platform/DocumentType.h"

#include <fstream>
#include <sstream>

#include "platform/Xdg.h"

namespace vantix {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteIfChanged(const std::string& path, const std::string& text, bool* changed, std::string* error) {
    if (ReadAll(path) == text)
        return true;
    if (!xdg::WriteFileAtomically(path, text, error))
        return false;
    if (changed)
        *changed = true;
    return true;
}

} // namespace

DocumentTypeFiles DocumentTypeFiles::ForDataDir(const std::string& dataDir) {
    return {dataDir + "/mime/packages/vantix-document.xml", dataDir + "/applications/vantix-document.desktop"};
}

bool RegisterDocumentType(const std::string& dataDir, const std::string& executable, bool* changed,
                          std::string* error) {
    const std::string exec = xdg::ExecArgument(executable);
    if (exec.empty()) {
        if (error)
            *error = "the program path cannot be written into a desktop entry";
        return false;
    }
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
    const DocumentTypeFiles files = DocumentTypeFiles::ForDataDir(dataDir);
    return WriteIfChanged(files.mimePackage, mime, changed, error) &&
           WriteIfChanged(files.desktopEntry, desktop, changed, error);
}

} // namespace vantix
