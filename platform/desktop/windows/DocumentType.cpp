#include "platform/desktop/DocumentType.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/system/windows/Wide.h"

namespace vantix {

namespace {

constexpr wchar_t kProgId[] = L"Vantix.Document";

// One registry key of the current user, closed with the object.
class RegistryKey {
public:
    static Result<RegistryKey> Create(const std::wstring& path) {
        HKEY key = nullptr;
        const LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                                 KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
        if (status != ERROR_SUCCESS)
            return Fail(win::Utf8(path) + ": " + win::ErrorText(static_cast<unsigned long>(status)));
        return RegistryKey(key);
    }
    RegistryKey(RegistryKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegistryKey& operator=(RegistryKey&&) = delete;
    RegistryKey(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (key_)
            ::RegCloseKey(key_);
    }

    // The default value set to text; true when it was different.
    Result<bool> SetDefault(const std::wstring& text) {
        wchar_t current[1024];
        DWORD size = sizeof current;
        DWORD type = 0;
        if (::RegQueryValueExW(key_, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(current), &size) ==
                ERROR_SUCCESS &&
            type == REG_SZ && std::wstring(current, size / sizeof(wchar_t)).c_str() == text)
            return false;
        const LSTATUS status = ::RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        if (status != ERROR_SUCCESS)
            return Fail(win::ErrorText(static_cast<unsigned long>(status)));
        return true;
    }

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    HKEY key_;
};

} // namespace

std::string DefaultDocumentTypeRoot() { return "Software\\Classes"; }

std::vector<std::pair<std::string, std::string>> DocumentTypeRefreshers(const std::string&) { return {}; }

Result<bool> RegisterDocumentType(const std::string& root, const std::string& executable) {
    const std::wstring classes = win::Wide(root) + L"\\";
    const std::pair<std::wstring, std::wstring> values[] = {
        {classes + L".vtx", kProgId},
        {classes + kProgId, L"Vantix Document"},
        {classes + kProgId + L"\\shell\\open\\command", L"\"" + win::Wide(executable) + L"\" \"%1\""},
    };
    bool changed = false;
    for (const auto& [path, text] : values) {
        auto key = RegistryKey::Create(path);
        if (!key)
            return Fail(key.error());
        const auto set = key->SetDefault(text);
        if (!set)
            return Fail(win::Utf8(path) + ": " + set.error());
        changed = changed || *set;
    }
    if (changed) // Explorer reads its associations again
        ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return changed;
}

} // namespace vantix
