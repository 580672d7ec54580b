#pragma once
#include <string>
#include <string_view>

namespace vantix::xdg {

// XDG base directories, from the environment with their standard defaults.
std::string ConfigHome();     // $XDG_CONFIG_HOME or ~/.config
std::string DataHome();       // $XDG_DATA_HOME or ~/.local/share
std::string FirstConfigDir(); // first of $XDG_CONFIG_DIRS or /etc/xdg

// A program path as one Exec= argument of a desktop entry: quoted, with the
// quoting and string escapes the desktop entry format asks for. Empty when
// the path holds a line break (no entry can express it).
std::string ExecArgument(std::string_view path);

// The two files that make ".vtx" a document type of the desktop.
struct DocumentTypeFiles {
    std::string mimePackage;  // <data>/mime/packages/vantix-document.xml
    std::string desktopEntry; // <data>/applications/vantix-document.desktop

    static DocumentTypeFiles ForDataDir(const std::string& dataDir);
};

} // namespace vantix::xdg
