#pragma once
// UKwSysFolderDlg: the platform's folder browser as a component.
//
// Execute runs the browser modally over the owner's window, rooted at a
// special folder, and gives the chosen folder back as an absolute item id
// list and as a path. While it runs, the browser's callback reaches the
// overridable Initialized and SelChanged and their events, from which OK can
// be enabled, the status line set and a folder preselected.

#include "KwCorvaneExport.h"
#include "UKwShellUtils.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Component.h"
#include "vcl/core/Events.h"
#include "vcl/core/Sets.h"

#include <string>

namespace kw {

enum TKwSysFolderDlgOption {
    fdoComputers,
    fdoPrinters,
    fdoDontGoBelowDomain,
    fdoReturnFSAncestors,
    fdoReturnOnlyFSDirs,
    fdoStatusText
};
VCL_ENUM_TYPE(TKwSysFolderDlgOption, fdoComputers, fdoPrinters, fdoDontGoBelowDomain, fdoReturnFSAncestors,
              fdoReturnOnlyFSDirs, fdoStatusText)
using TKwSysFolderDlgOptions = vcl::TSet<TKwSysFolderDlgOption>;

class TKwSysFolderDlg;
using TFDOnInitializedEvent = vcl::TEvent<void(TKwSysFolderDlg* sender, HWND hwnd)>;
using TFDOnSelChangedEvent = vcl::TEvent<void(TKwSysFolderDlg* sender, HWND hwnd, PItemIDList pidl)>;

// The browser's flags of a set of options.
KWCORVANE_EXPORT UINT SysFolderDlgFlags(TKwSysFolderDlgOptions options);

// The browser's callback: hands the message to the component in lpData.
KWCORVANE_EXPORT int BrowseCallback(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

class KWCORVANE_EXPORT TKwSysFolderDlg : public vcl::TComponent {
    VCL_DECLARE_PUBLISHED_CLASS(TKwSysFolderDlg, vcl::TComponent)
public:
    explicit TKwSysFolderDlg(vcl::TComponent* owner);

    TCSIDL Domain() const { return Domain_; }
    void SetDomain(TCSIDL value) { Domain_ = value; }
    TKwSysFolderDlgOptions Options() const { return Options_; }
    void SetOptions(TKwSysFolderDlgOptions value) { Options_ = value; }
    const std::string& Title() const { return Title_; }
    void SetTitle(const std::string& value) { Title_ = value; }

    // The chosen or preselected folder; the component keeps it.
    PItemIDList GetFolderIdList() const { return FolderIdList_; }
    // Keeps a copy; null clears.
    void SetFolderIdList(const ITEMIDLIST* value);
    // The folder's path with a "/" at its end; '' for a folder without one.
    std::string GetFolderPath() const;
    // A path that does not parse leaves the folder as it was.
    void SetFolderPath(const std::string& value);
    // The browser's window as the callback last gave it.
    HWND BrowseWindow() const { return BrowseWindow_; }

    // Only while Execute runs; they raise otherwise.
    virtual void SetOkEnabled(bool value);
    virtual void SetStatusText(const std::string& value);
    // True with a folder chosen; false when cancelled or when Domain has no
    // location here.
    virtual bool Execute();

    void HookFn(HWND wnd, UINT uMsg, LPARAM lParam);

    TFDOnInitializedEvent OnInitialized;
    TFDOnSelChangedEvent OnSelChanged;

protected:
    ~TKwSysFolderDlg() override;
    virtual void SelChanged(HWND hwnd, PItemIDList pidl);
    virtual void Initialized(HWND hwnd);

private:
    HWND BrowseWindow_ = nullptr;
    std::string Title_;
    TKwSysFolderDlgOptions Options_;
    // The ordinal 0, while the declared default is csidlNone: a form file
    // stores every other value, and a stored csidlNone loads as this.
    TCSIDL Domain_ = csidlDesktop;
    PItemIDList FolderIdList_ = nullptr;
    bool Executing_ = false;
};

} // namespace kw
