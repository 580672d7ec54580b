#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/SharedLibrary.h"

namespace vantix {

// The interface languages: English built in, others from modules ("*.so",
// "*.dll" on Windows) in the program directory. A module exports
//   extern "C" const char* GetLanguageNameForVantix();
//   extern "C" const char* GetStringForVantix(int id); // null when it lacks the id
// The language chosen for the next start is written back as "Language" when
// the manager goes.
class LanguageManager {
public:
    static constexpr char kEnglish[] = "English";
    static constexpr char kNameFunction[] = "GetLanguageNameForVantix";
    static constexpr char kStringFunction[] = "GetStringForVantix";

    LanguageManager();
    ~LanguageManager();
    LanguageManager(const LanguageManager&) = delete;
    LanguageManager& operator=(const LanguageManager&) = delete;

    // Reads "Language", scans the directory's modules (in file-name order;
    // the first file of a name wins), and puts the current language's
    // module in front of the string table when it has one.
    void Load(const std::string& exportName, const std::string& programDirectory);
    // The same over several directories, in order (an installed copy has
    // its modules beside the program and in the library directory).
    void Load(const std::string& exportName, const std::vector<std::string>& directories);

    void SetCurrent(const std::string& name) { current_ = name; }
    std::string GetCurrent() const { return current_; }
    std::string GetStartLanguage() const { return start_; }
    // Language name -> module file name ("English" -> "").
    const std::map<std::string, std::string>& GetLanguages() const { return languages_; }
    // Writes "Language" and unloads the module; the destructor does it
    // unless it was done.
    void Unload();

private:
    bool loaded_ = false;
    std::string current_;
    std::string currentPath_;
    std::optional<SharedLibrary> module_;
    std::string start_;
    std::map<std::string, std::string> languages_;
};

} // namespace vantix
