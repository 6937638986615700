// UKwShellUtils: shortcut files through the shell-link object, and the class
// identifier the registry gives a file type.

#include "UKwShellUtils.h"

#include "com/ClassRegistry.h"
#include "com/Persist.h"
#include "shell32/ShellLink.h"
#include "vcl/core/PathUtils.h"
#include "vcl/core/Registry.h"
#include "vcl/core/SysUtils.h"
#include "win32/Errors.h"
#include "win32/WideText.h"

#include <vector>

namespace kw {

namespace {

// The shell's text buffers start at its classic size and grow while the
// object says the text does not fit: no text is ever taken cut.
constexpr int kFirstTextBuffer = 261;
constexpr int kMostTextBuffer = 1 << 20;

template <class Get>
HRESULT ReadLinkText(Get get, std::string& text)
{
    std::vector<char> buffer(kFirstTextBuffer);
    while (true) {
        buffer[0] = '\0';
        const HRESULT hr = get(buffer.data(), static_cast<int>(buffer.size()));
        if (hr == HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER) && buffer.size() < kMostTextBuffer) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        if (FAILED(hr))
            return hr;
        text.assign(buffer.data()); // up to the zero byte
        return hr;
    }
}

HRESULT MakeShellLink(com::ComPtr<IShellLinkA>& link, com::ComPtr<IPersistFile>& persist)
{
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.ReleaseAndGetVoidAddress());
    if (FAILED(hr))
        return hr;
    return link->QueryInterface(IID_IPersistFile, persist.ReleaseAndGetVoidAddress());
}

bool ConvertClsid(const std::string& text, GUID& classId)
{
    const std::u16string wide = win32::BytesToWide(text);
    return SUCCEEDED(CLSIDFromString(wide.c_str(), &classId));
}

} // namespace

HRESULT CreateShortcut(const std::string& linkFile, const TLinkData& data)
{
    com::ComPtr<IShellLinkA> link;
    com::ComPtr<IPersistFile> persist;
    if (const HRESULT made = MakeShellLink(link, persist); FAILED(made))
        return made;
    link->SetPath(data.Path.c_str());
    if (data.Options.Contains(ldoUseDesc))
        link->SetDescription(data.Description.c_str());
    if (data.Options.Contains(ldoUseArgs))
        link->SetArguments(data.Arguments.c_str());
    if (data.Options.Contains(ldoUseIcon))
        link->SetIconLocation(data.IconLocation.c_str(), data.IconIndex);
    if (data.Options.Contains(ldoUseWorkDir))
        link->SetWorkingDirectory(data.WorkingDirectory.c_str());
    if (data.Options.Contains(ldoUseHotKey))
        link->SetHotkey(data.HotKey);
    if (data.Options.Contains(ldoUseShowCmd))
        link->SetShowCmd(data.ShowCmd);
    const std::u16string wideName = win32::BytesToWide(linkFile);
    return persist->Save(wideName.c_str(), TRUE);
}

HRESULT CreateQuickShortcut(const std::string& linkFile, const std::string& target)
{
    TLinkData data;
    data.Path = target;
    data.Description = target;
    data.WorkingDirectory = vcl::ExtractFilePath(target);
    data.Options = {ldoUseDesc, ldoUseWorkDir};
    return CreateShortcut(linkFile, data);
}

HRESULT ResolveShortcut(const std::string& linkFile, TLinkData& data, bool wantIdList)
{
    com::ComPtr<IShellLinkA> link;
    com::ComPtr<IPersistFile> persist;
    HRESULT hr = MakeShellLink(link, persist);
    if (FAILED(hr))
        return hr;
    const std::u16string wideName = win32::BytesToWide(linkFile);
    if (hr = persist->Load(wideName.c_str(), STGM_READ); FAILED(hr))
        return hr;
    if (hr = link->Resolve(nullptr, SLR_ANY_MATCH | (data.NoUI ? SLR_NO_UI : 0)); FAILED(hr))
        return hr;

    std::string text;
    WIN32_FIND_DATAA findData{};
    hr =
        ReadLinkText([&](char* buffer, int size) { return link->GetPath(buffer, size, &findData, 0); }, text);
    if (FAILED(hr))
        return hr;
    data.Path = text;
    data.FindData = findData;
    if (hr = ReadLinkText([&](char* buffer, int size) { return link->GetArguments(buffer, size); }, text);
        FAILED(hr))
        return hr;
    data.Arguments = text;
    if (hr = ReadLinkText([&](char* buffer, int size) { return link->GetDescription(buffer, size); }, text);
        FAILED(hr))
        return hr;
    data.Description = text;
    int iconIndex = 0;
    if (hr = ReadLinkText(
            [&](char* buffer, int size) { return link->GetIconLocation(buffer, size, &iconIndex); }, text);
        FAILED(hr))
        return hr;
    data.IconLocation = text;
    data.IconIndex = iconIndex;
    if (hr = ReadLinkText([&](char* buffer, int size) { return link->GetWorkingDirectory(buffer, size); },
                          text);
        FAILED(hr))
        return hr;
    data.WorkingDirectory = text;
    int showCmd = 0;
    if (hr = link->GetShowCmd(&showCmd); FAILED(hr))
        return hr;
    data.ShowCmd = showCmd;
    WORD hotKey = 0;
    if (hr = link->GetHotkey(&hotKey); FAILED(hr))
        return hr;
    data.HotKey = hotKey;
    data.Options = {ldoUseDesc, ldoUseArgs, ldoUseIcon, ldoUseWorkDir, ldoUseHotKey, ldoUseShowCmd};

    data.IdList = nullptr;
    if (!wantIdList)
        return hr;
    LPITEMIDLIST idList = nullptr;
    hr = link->GetIDList(&idList);
    data.IdList = idList;
    return hr;
}

bool KwClsidFromFileType(const std::string& fileType, GUID& classId)
{
    vcl::TRegistry reg;
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    if (!reg.KeyExists(fileType) || !reg.OpenKey(fileType, false))
        return false;
    const std::string value = reg.ReadString("");
    if (value.size() >= 6 && vcl::SameText(std::string_view(value).substr(0, 6), "clsid\\"))
        return ConvertClsid(value.substr(6, 255), classId);
    if (reg.KeyExists("CLSID")) {
        if (!reg.OpenKey("CLSID", false))
            return false;
        return ConvertClsid(reg.ReadString(""), classId);
    }
    // The value names a program identifier, whose key holds the class.
    reg.CloseKey();
    if (!reg.OpenKey(value, false) || !reg.KeyExists("CLSID") || !reg.OpenKey("CLSID", false))
        return false;
    return ConvertClsid(reg.ReadString(""), classId);
}

} // namespace kw
