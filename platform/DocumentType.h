#pragma once
#include <string>

namespace vantix {

// ".vtx" files as "Vantix Document" for the desktop: a shared-mime-info
// type and a desktop entry that opens them with this program, both under
// the user's data directory ($XDG_DATA_HOME).
inline constexpr char kDocumentMimeType[] = "application/x-vantix-document";

struct DocumentTypeFiles {
    std::string mimePackage;  // <data>/mime/packages/vantix-document.xml
    std::string desktopEntry; // <data>/applications/vantix-document.desktop

    static DocumentTypeFiles ForDataDir(const std::string& dataDir);
};

// Writes both files when their content differs from what is there. Sets
// changed when something was written (the desktop's databases then need a
// refresh). False with the reason in error on failure.
bool RegisterDocumentType(const std::string& dataDir, const std::string& executable, bool* changed,
                          std::string* error);

} // namespace vantix
