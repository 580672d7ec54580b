#pragma once
#include <string>
#include <utility>
#include <vector>

#include "core/Result.h"

namespace vantix {

// ".vtx" files as "Vantix Document", opened with this program: a
// shared-mime-info type and a desktop entry under the user's data directory
// on XDG desktops, the classes key of the user's registry on Windows.
inline constexpr char kDocumentMimeType[] = "application/x-vantix-document";

// Where the registration goes: $XDG_DATA_HOME, or the registry path under
// HKEY_CURRENT_USER ("Software\Classes").
std::string DefaultDocumentTypeRoot();

// Writes the registration when it differs from what is there. True when
// something was written.
Result<bool> RegisterDocumentType(const std::string& root, const std::string& executable);

// Programs (with their argument) that make the desktop re-read a changed
// registration; run them when they exist.
std::vector<std::pair<std::string, std::string>> DocumentTypeRefreshers(const std::string& root);

} // namespace vantix
