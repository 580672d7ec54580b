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

// Writes text through a temporary file and a rename, creating the
// directories on the way. False with the reason in error on failure.
bool WriteFileAtomically(const std::string& path, std::string_view text, std::string* error);

} // namespace vantix::xdg
