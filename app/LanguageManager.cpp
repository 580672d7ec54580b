#include "app/LanguageManager.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <vector>

#include "settings/IniKeys.h"
#include "settings/Profile.h"
#include "core/Strings.h"

namespace vantix {

namespace fs = std::filesystem;

namespace {

using NameFunction = const char* (*)();

std::vector<std::string> ModuleFiles(const std::string& directory) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > std::strlen(kSharedLibrarySuffix) && name.ends_with(kSharedLibrarySuffix) && it->is_regular_file(ec))
            files.push_back(name);
    }
    // The file system's order differs between machines; a sorted scan makes
    // "the first file of a name" the same everywhere.
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

LanguageManager::LanguageManager() : languages_{{kEnglish, ""}} {}

LanguageManager::~LanguageManager() { Unload(); }

void LanguageManager::Unload() {
    if (!loaded_)
        return;
    if (!Profile::Write(ini::Language, current_))
        std::cerr << "vantix: cannot write the language to " << Profile::App().Path() << "\n";
    if (module_) {
        SetLanguageLookup(nullptr); // before the module's code goes away
        module_.reset();
    }
    loaded_ = false;
}

void LanguageManager::Load(const std::string& exportName, const std::string& programDirectory) {
    Load(exportName, std::vector<std::string>{programDirectory});
}

void LanguageManager::Load(const std::string& exportName, const std::vector<std::string>& directories) {
    current_ = Profile::Get(ini::Language);
    for (std::string directory : directories) {
        if (directory.empty() || directory.back() != '/')
            directory += '/';
        for (const std::string& file : ModuleFiles(directory)) {
            auto library = SharedLibrary::Open(directory + file);
            if (!library) {
                std::cerr << "vantix: skipping language module " << file << ": " << library.error() << "\n";
                continue;
            }
            const auto nameFunction = library->Function<NameFunction>(exportName.c_str());
            const char* name = nameFunction ? nameFunction() : nullptr;
            if (!name || !*name)
                continue;
            if (languages_.emplace(name, file).second && name == current_)
                currentPath_ = directory + file;
        }
    }
    start_ = current_;

    if (current_ != kEnglish && !currentPath_.empty()) {
        auto library = SharedLibrary::Open(currentPath_);
        if (!library) {
            std::cerr << "vantix: cannot load language module " << currentPath_ << ": " << library.error() << "\n";
        } else {
            module_ = std::move(*library);
            if (const auto lookup = module_->Function<LanguageLookup>(kStringFunction))
                SetLanguageLookup(lookup);
        }
    }
    loaded_ = true;
}

} // namespace vantix
