#include "shell32/FolderBrowser.h"

#include "com/TaskAllocator.h"
#include "com/Unknown.h"
#include "shell32/FileInfo.h"
#include "shell32/Folders.h"
#include "shell32/ItemIdList.h"
#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "shell32/ShellTesting.h"
#include "shell32/SystemImageList.h"
#include "win32/FolderPicker.h"
#include "win32/WideText.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// A node of the browser's tree: one folder, known by its absolute list.
struct win32::FolderPickerNode {
    std::string Items; // the absolute list's bytes, terminator left out
    FolderPickerNode* Parent = nullptr;
    ULONG Attributes = 0;
    std::string Name;
    int Icon = -2; // -2: not asked yet
    bool Listed = false;
    com::ComPtr<IShellFolder> Folder; // bound when listed
    std::vector<std::unique_ptr<FolderPickerNode>> Children;
};

namespace {

using win32::FolderPickerItem;
using win32::FolderPickerNode;

constexpr std::size_t kDisplayNameBytes = 260; // MAX_PATH, the zero included
constexpr ULONG kAskedAttributes =
    SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;

std::mutex g_probeLock;
BROWSEINFOA g_lastInfo{};
std::string g_lastTitle;
std::vector<std::string> g_listings;

std::string ListBytes(LPCITEMIDLIST pidl)
{
    const std::size_t size = shell32::IdListSize(pidl);
    return size >= 2 ? std::string(reinterpret_cast<const char*>(pidl), size - 2) : std::string();
}

std::string TextOf(STRRET& name, LPCITEMIDLIST item)
{
    switch (name.uType) {
    case STRRET_WSTR: {
        std::string text = name.pOleStr ? win32::WideToBytes(name.pOleStr) : std::string();
        CoTaskMemFree(name.pOleStr);
        return text;
    }
    case STRRET_OFFSET:
        return reinterpret_cast<const char*>(item) + name.uOffset;
    default:
        return std::string(name.cStr, strnlen(name.cStr, sizeof name.cStr));
    }
}

// At most limit bytes of text, without a character cut in two.
std::string CutOnCharacter(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

class BrowseSession final : public win32::FolderPickerSource {
public:
    BrowseSession(const BROWSEINFOA& info, com::ComPtr<IShellFolder> desktop)
        : Info_(info), Desktop_(std::move(desktop))
    {
    }

    bool MakeRoot()
    {
        Root_ = std::make_unique<FolderPickerNode>();
        if (Info_.pidlRoot) {
            if (!shell32::IdListSize(Info_.pidlRoot))
                return false;
            Root_->Items = ListBytes(Info_.pidlRoot);
        }
        SHFILEINFOA info{};
        const shell32::OwnedIdList root(shell32::AllocIdList(Root_->Items));
        info.dwAttributes = kAskedAttributes;
        if (!root ||
            !SHGetFileInfoA(reinterpret_cast<LPCSTR>(root.get()), 0, &info, sizeof info,
                            SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED))
            return false;
        Root_->Name = info.szDisplayName;
        Root_->Attributes = info.dwAttributes;
        return (Root_->Attributes & SFGAO_FOLDER) || Root_->Items.empty();
    }

    void SetPicker(win32::FolderPicker* picker) { Picker_ = picker; }
    FolderPickerNode* RootNode() const { return Root_.get(); }

    FolderPickerItem Root() override { return ItemOf(Root_.get()); }

    std::vector<FolderPickerItem> Children(FolderPickerNode* node) override
    {
        List(node);
        std::vector<FolderPickerItem> items;
        items.reserve(node->Children.size());
        for (const auto& child : node->Children)
            items.push_back(ItemOf(child.get()));
        return items;
    }

    HIMAGELIST Images() override { return shell32::SystemImageList(true); }

    int IconIndex(FolderPickerNode* node) override
    {
        if (node->Icon == -2) {
            node->Icon = -1;
            SHFILEINFOA info{};
            const shell32::OwnedIdList list(shell32::AllocIdList(node->Items));
            if (list && SHGetFileInfoA(reinterpret_cast<LPCSTR>(list.get()), 0, &info, sizeof info,
                                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
                node->Icon = info.iIcon;
        }
        return node->Icon;
    }

    void Initialized(HWND picker) override { Call(picker, BFFM_INITIALIZED, 0); }

    void SelectionChanged(HWND picker, FolderPickerNode* node) override
    {
        if (!node)
            return;
        // The flags decide first; the callback may change it after.
        Picker_->EnableOk(Acceptable(*node));
        const shell32::OwnedIdList list(shell32::AllocIdList(node->Items));
        if (list)
            Call(picker, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(list.get()));
    }

    bool PickerMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        result = 0;
        switch (message) {
        case BFFM_SETSTATUSTEXTA:
            if (Info_.ulFlags & BIF_STATUSTEXT)
                Picker_->SetStatusText(lParam ? reinterpret_cast<const char*>(lParam) : "");
            return true;
        case BFFM_ENABLEOK:
            Picker_->EnableOk(lParam != 0);
            return true;
        case BFFM_SETSELECTIONA:
            result = SelectItems(wParam, lParam) ? TRUE : FALSE;
            return true;
        default:
            return false;
        }
    }

    // What the chosen node gives back.
    LPITEMIDLIST Result(FolderPickerNode* node, BROWSEINFOA& info)
    {
        LPITEMIDLIST list = shell32::AllocIdList(node->Items);
        if (!list)
            return nullptr;
        if (info.pszDisplayName) {
            const std::string name = CutOnCharacter(node->Name, kDisplayNameBytes - 1);
            std::memcpy(info.pszDisplayName, name.c_str(), name.size() + 1);
        }
        info.iImage = IconIndex(node);
        return list;
    }

private:
    static FolderPickerItem ItemOf(FolderPickerNode* node)
    {
        return {node, node->Name, (node->Attributes & SFGAO_HASSUBFOLDER) != 0};
    }

    void Call(HWND picker, UINT message, LPARAM lParam)
    {
        if (Info_.lpfn)
            Info_.lpfn(picker, message, lParam, Info_.lParam);
    }

    bool Acceptable(const FolderPickerNode& node)
    {
        const UINT flags = Info_.ulFlags;
        if (flags & BIF_BROWSEFORCOMPUTER)
            return false;
        if ((flags & BIF_BROWSEFORPRINTER) && !(node.Parent && node.Parent->Items == PrintersItems()))
            return false;
        if ((flags & BIF_RETURNONLYFSDIRS) &&
            (node.Attributes & (SFGAO_FILESYSTEM | SFGAO_FOLDER)) != (SFGAO_FILESYSTEM | SFGAO_FOLDER))
            return false;
        if ((flags & BIF_RETURNFSANCESTORS) &&
            !(node.Attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)))
            return false;
        return true;
    }

    const std::string& PrintersItems()
    {
        if (!Printers_) {
            LPITEMIDLIST printers = nullptr;
            Printers_ = SHGetSpecialFolderLocation(nullptr, CSIDL_PRINTERS, &printers) == S_OK
                            ? ListBytes(printers)
                            : std::string("\xff", 1); // matches no list
            CoTaskMemFree(printers);
        }
        return *Printers_;
    }

    void List(FolderPickerNode* node)
    {
        if (node->Listed)
            return;
        node->Listed = true;
        if (node->Items.empty()) {
            node->Folder = Desktop_;
        } else {
            const shell32::OwnedIdList list(shell32::AllocIdList(node->Items));
            if (!list || FAILED(Desktop_->BindToObject(list.get(), nullptr,
                                                       IID_PPV_ARGS(node->Folder.ReleaseAndGetAddressOf()))))
                return;
        }
        {
            const std::lock_guard lock(g_probeLock);
            g_listings.push_back(node->Items);
        }
        com::ComPtr<IEnumIDList> items;
        if (node->Folder->EnumObjects(Info_.hwndOwner, SHCONTF_FOLDERS, items.ReleaseAndGetAddressOf()) !=
                S_OK ||
            !items)
            return;
        std::vector<shell32::OwnedIdList> children;
        LPITEMIDLIST child = nullptr;
        ULONG fetched = 0;
        while (items->Next(1, &child, &fetched) == S_OK && fetched == 1)
            children.emplace_back(child);
        IShellFolder* folder = node->Folder.Get();
        std::stable_sort(children.begin(), children.end(), [folder](const auto& a, const auto& b) {
            return static_cast<short>(HRESULT_CODE(folder->CompareIDs(0, a.get(), b.get()))) < 0;
        });
        node->Children.reserve(children.size());
        for (const shell32::OwnedIdList& item : children) {
            LPCITEMIDLIST one = item.get();
            ULONG attributes = kAskedAttributes;
            if (FAILED(folder->GetAttributesOf(1, &one, &attributes)) || !(attributes & SFGAO_FOLDER))
                continue;
            STRRET name{};
            if (FAILED(folder->GetDisplayNameOf(one, SHGDN_INFOLDER, &name)))
                continue;
            auto made = std::make_unique<FolderPickerNode>();
            made->Items = node->Items + ListBytes(one);
            made->Parent = node;
            made->Attributes = attributes;
            made->Name = TextOf(name, one);
            node->Children.push_back(std::move(made));
        }
    }

    // Where the items below the root begin in an absolute list, when the
    // list leads through the root. The desktop compares the lists by what
    // they name: their bytes also hold what listing saw of each folder
    // (modification time, size), and a folder on the way that changed
    // since the root's list was made (a file added to /tmp) would
    // otherwise put the list outside the root.
    std::optional<std::size_t> BelowRoot(const std::string& target)
    {
        if (Root_->Items.empty())
            return 0;
        const shell32::OwnedIdList root(shell32::AllocIdList(Root_->Items));
        if (!root)
            return std::nullopt;
        std::size_t at = 0;
        while (at < target.size()) {
            const auto size = shell32::ItemByteCount(target.data() + at, target.size() - at);
            if (!size || *size == 0)
                return std::nullopt;
            at += *size;
            const shell32::OwnedIdList head(shell32::AllocIdList(std::string_view(target).substr(0, at)));
            if (!head)
                return std::nullopt;
            const HRESULT order = Desktop_->CompareIDs(0, root.get(), head.get());
            if (SUCCEEDED(order) && HRESULT_CODE(order) == 0)
                return at;
        }
        return std::nullopt;
    }

    // Finds the folder of a path (fromPath) or of an absolute list below the
    // root, listing the folders on the way, and selects it.
    bool SelectItems(WPARAM fromPath, LPARAM lParam)
    {
        if (!lParam)
            return false;
        std::string target;
        if (fromPath) {
            if (FAILED(shell32::ParseAbsolutePath(reinterpret_cast<const char*>(lParam), target)))
                return false;
        } else {
            const auto* pidl = reinterpret_cast<LPCITEMIDLIST>(lParam);
            if (!shell32::IdListSize(pidl))
                return false;
            target = ListBytes(pidl);
        }
        const std::optional<std::size_t> below = BelowRoot(target);
        if (!below)
            return false;
        std::vector<FolderPickerNode*> path{Root_.get()};
        std::size_t at = *below;
        while (at < target.size()) {
            const auto size = shell32::ItemByteCount(target.data() + at, target.size() - at);
            if (!size || *size == 0)
                return false;
            FolderPickerNode* node = path.back();
            List(node);
            if (!node->Folder)
                return false;
            const shell32::OwnedIdList wanted(
                shell32::AllocIdList(std::string_view(target).substr(at, *size)));
            if (!wanted)
                return false;
            FolderPickerNode* found = nullptr;
            for (const auto& child : node->Children) {
                const shell32::OwnedIdList own(
                    shell32::AllocIdList(std::string_view(child->Items).substr(node->Items.size())));
                if (own && HRESULT_CODE(node->Folder->CompareIDs(0, own.get(), wanted.get())) == 0) {
                    found = child.get();
                    break;
                }
            }
            if (!found)
                return false;
            path.push_back(found);
            at += *size;
        }
        Picker_->Select(path);
        return true;
    }

    BROWSEINFOA Info_;
    com::ComPtr<IShellFolder> Desktop_;
    std::unique_ptr<FolderPickerNode> Root_;
    win32::FolderPicker* Picker_ = nullptr;
    std::optional<std::string> Printers_;
};

} // namespace

LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA bi)
{
    if (!bi)
        return nullptr;
    {
        const std::lock_guard lock(g_probeLock);
        g_lastInfo = *bi;
        g_lastTitle = bi->lpszTitle ? bi->lpszTitle : "";
    }
    com::ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf())))
        return nullptr;
    BrowseSession session(*bi, desktop);
    if (!session.MakeRoot())
        return nullptr;
    win32::FolderPickerRequest request;
    request.Owner = bi->hwndOwner;
    request.Title = bi->lpszTitle ? bi->lpszTitle : "";
    request.StatusLine = (bi->ulFlags & BIF_STATUSTEXT) != 0;
    request.Source = &session;
    std::unique_ptr<win32::FolderPicker> picker = win32::CreateFolderPicker(request);
    if (!picker)
        return nullptr;
    session.SetPicker(picker.get());
    FolderPickerNode* chosen = picker->Run();
    return chosen ? session.Result(chosen, *bi) : nullptr;
}

namespace shell32::testing {

BROWSEINFOA LastBrowseInfo(std::string* title)
{
    const std::lock_guard lock(g_probeLock);
    if (title)
        *title = g_lastTitle;
    return g_lastInfo;
}

std::vector<std::string> FolderBrowserListings()
{
    const std::lock_guard lock(g_probeLock);
    return g_listings;
}

void ForgetFolderBrowserListings()
{
    const std::lock_guard lock(g_probeLock);
    g_listings.clear();
}

} // namespace shell32::testing
