#include "UKwSysFolderDlg.h"

#include "shell32/FolderBrowser.h"
#include "shell32/ShellApi.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Format.h"
#include "vcl/core/Publish.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/Controls.h"
#include "vcl/widgets/Forms.h"
#include "win32/Errors.h"
#include "win32/WindowManager.h"

#include <array>

namespace kw {

using namespace vcl;

namespace {

// The flag of each option, in the options' order.
constexpr std::array<UINT, 6> kOptionFlags{BIF_BROWSEFORCOMPUTER, BIF_BROWSEFORPRINTER, BIF_DONTGOBELOWDOMAIN,
                                           BIF_RETURNFSANCESTORS, BIF_RETURNONLYFSDIRS, BIF_STATUSTEXT};

// The name buffer the browser fills; the name is not used.
constexpr std::size_t kDisplayNameBuffer = 261;

} // namespace

UINT SysFolderDlgFlags(TKwSysFolderDlgOptions options)
{
    UINT flags = 0;
    for (std::size_t i = 0; i < kOptionFlags.size(); ++i)
        if (options.Contains(static_cast<TKwSysFolderDlgOption>(i)))
            flags |= kOptionFlags[i];
    return flags;
}

int BrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData)
{
    reinterpret_cast<TKwSysFolderDlg*>(lpData)->HookFn(hwnd, uMsg, lParam);
    return 0;
}

TKwSysFolderDlg::TKwSysFolderDlg(TComponent* owner) : TComponent(owner) {}

TKwSysFolderDlg::~TKwSysFolderDlg()
{
    ShellMemFree(FolderIdList_);
}

void TKwSysFolderDlg::SetFolderIdList(const ITEMIDLIST* value)
{
    ShellMemFree(FolderIdList_);
    FolderIdList_ = CopyIdList(nullptr, value);
}

std::string TKwSysFolderDlg::GetFolderPath() const
{
    std::string path = ShellGetPathFromIdList(FolderIdList_);
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

void TKwSysFolderDlg::SetFolderPath(const std::string& value)
{
    PItemIDList pidl = nullptr;
    if (ShellGetIdListFromPath(value, &pidl) != S_OK || !pidl) {
        ShellMemFree(pidl);
        return;
    }
    ShellMemFree(FolderIdList_);
    FolderIdList_ = pidl;
}

void TKwSysFolderDlg::SetOkEnabled(bool value)
{
    if (!Executing_)
        throw Exception(Format("%s: SetOkEnabled assignment only valid during Execute", {Name()}));
    SendMessageA(BrowseWindow_, BFFM_ENABLEOK, 0, value ? 1 : 0);
}

void TKwSysFolderDlg::SetStatusText(const std::string& value)
{
    if (!Executing_)
        throw Exception(Format("%s: Status text assignment only valid during Execute", {Name()}));
    SendMessageA(BrowseWindow_, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(value.c_str()));
}

void TKwSysFolderDlg::HookFn(HWND wnd, UINT uMsg, LPARAM lParam)
{
    BrowseWindow_ = wnd;
    if (uMsg == BFFM_INITIALIZED)
        Initialized(wnd);
    else if (uMsg == BFFM_SELCHANGED)
        SelChanged(wnd, reinterpret_cast<PItemIDList>(lParam));
}

void TKwSysFolderDlg::Initialized(HWND hwnd)
{
    if (OnInitialized)
        OnInitialized(this, hwnd);
    if (FolderIdList_)
        SendMessageA(hwnd, BFFM_SETSELECTIONA, 0, reinterpret_cast<LPARAM>(FolderIdList_));
}

void TKwSysFolderDlg::SelChanged(HWND hwnd, PItemIDList pidl)
{
    ShellMemFree(FolderIdList_);
    FolderIdList_ = CopyIdList(nullptr, pidl);
    if (OnSelChanged)
        OnSelChanged(this, hwnd, FolderIdList_);
}

bool TKwSysFolderDlg::Execute()
{
    if (Executing_)
        throw Exception(Format("%s: Execute already called.", {Name()}));
    IMalloc* malloc = nullptr;
    if (SHGetMalloc(&malloc) != S_OK || !malloc)
        throw Exception(SysErrorMessage(GetLastError()));
    bool result = false;
    Executing_ = true;
    LPITEMIDLIST root = nullptr;
    LPITEMIDLIST chosen = nullptr;
    TTaskWindowList windows = nullptr;
    bool disabled = false;
    HWND active = nullptr;
    const auto cleanUp = [&] {
        if (root)
            malloc->Free(root);
        if (chosen)
            malloc->Free(chosen);
        malloc->Release();
        Executing_ = false;
        if (disabled) {
            EnableTaskWindows(windows);
            if (active)
                SetActiveWindow(active);
        }
    };
    try {
        HWND owner = nullptr;
        if (auto* control = dynamic_cast<TWinControl*>(Owner()))
            owner = control->Handle();
        if (SHGetSpecialFolderLocation(owner, static_cast<int>(Domain_), &root) == S_OK) {
            active = GetActiveWindow();
            windows = DisableTaskWindows(nullptr);
            disabled = true;
            char displayName[kDisplayNameBuffer] = {};
            BROWSEINFOA info{};
            info.hwndOwner = owner;
            info.pidlRoot = root;
            info.pszDisplayName = displayName;
            info.lpszTitle = Title_.c_str();
            info.ulFlags = SysFolderDlgFlags(Options_);
            info.lpfn = &BrowseCallback;
            info.lParam = reinterpret_cast<LPARAM>(this);
            chosen = SHBrowseForFolder(&info);
            ShellMemFree(FolderIdList_);
            FolderIdList_ = chosen ? CopyIdList(nullptr, chosen) : nullptr;
            result = chosen != nullptr;
        }
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
    return result;
}

const TClassRtti& TKwSysFolderDlg::PublishedTable()
{
    using C = TKwSysFolderDlg;
    static const TClassRtti table = Publish<C>()
                                        .Property<&C::Domain, &C::SetDomain>("Domain")
                                        .Default(csidlNone)
                                        .Property<&C::Options, &C::SetOptions>("Options")
                                        .NoDefault()
                                        .Property<&C::Title, &C::SetTitle>("Title")
                                        .Property<&C::OnInitialized>("OnInitialized")
                                        .Property<&C::OnSelChanged>("OnSelChanged");
    return table;
}

} // namespace kw
