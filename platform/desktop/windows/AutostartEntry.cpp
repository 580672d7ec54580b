#include "platform/desktop/Autostart.h"
#include "platform/system/Utf8Path.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>

#include "platform/system/windows/Wide.h"

namespace vantix {

const char kAutostartEntryName[] = "Vantix.lnk";

namespace {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)))
        folder = win::Utf8(path);
    ::CoTaskMemFree(path);
    return folder;
}

std::string HresultText(HRESULT result) { return win::ErrorText(static_cast<unsigned long>(result)); }

// COM for the calling thread for as long as the object lives; a thread the
// toolkit already initialised keeps its apartment.
class ComScope {
public:
    ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

// Releases a COM interface when it goes.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_)
            p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    void** OutVoid() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

} // namespace

AutostartFolders AutostartFolders::FromEnvironment() {
    return {KnownFolder(FOLDERID_CommonStartup), KnownFolder(FOLDERID_Startup)};
}

Result<void> CreateAutostartEntry(const std::string& folder, const std::string& executable) {
    if (HasAutostartEntry(folder))
        return {};
    const std::string path = AutostartEntryPath(folder);
    std::error_code ec;
    std::filesystem::create_directories(Utf8Path(folder), ec);
    ComScope com;
    ComPtr<IShellLinkW> link;
    HRESULT result =
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.OutVoid());
    if (FAILED(result))
        return Fail(path + ": " + HresultText(result));
    const std::filesystem::path program = Utf8Path(executable);
    link->SetPath(program.wstring().c_str());
    link->SetWorkingDirectory(program.parent_path().wstring().c_str());
    link->SetDescription(L"Vantix");
    ComPtr<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.OutVoid());
    if (SUCCEEDED(result))
        result = file->Save(win::Wide(path).c_str(), TRUE);
    if (FAILED(result))
        return Fail(path + ": " + HresultText(result));
    return {};
}

} // namespace vantix
