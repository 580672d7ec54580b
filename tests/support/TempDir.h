#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace vantix::test {

// A fresh directory removed with everything in it at the end of its scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // With '/' as the program joins its paths (Windows takes both).
    std::string File(const std::string& name) const { return path_.string() + "/" + name; }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

} // namespace vantix::test
