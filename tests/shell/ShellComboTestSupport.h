#pragma once
// Helpers of the shell combo's tests: a combo that counts its rebuilds and
// may refuse items, its entries read as (indent, caption, current), and a
// form with a combo, a tree and the recording list.

#include "ShellTreeTestSupport.h"

#include "win32/ListedFoldersTesting.h"

#include <QAbstractItemView>
#include <QComboBox>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace kwtest {

// A real folder as the shell hands it, but for what a test makes fail: its
// listing answers Listing with no enumerator (when set), and the attributes
// of the item named Unreadable cannot be read.
class DelegatingFolder : public com::ComObject<IShellFolder> {
public:
    explicit DelegatingFolder(IShellFolder* folder) : Folder_(folder) {}

    HRESULT Listing = S_OK;
    std::string Unreadable;
    // Every two items compare equal.
    bool AllEqual = false;

    HRESULT EnumObjects(HWND owner, DWORD flags, IEnumIDList** list) override
    {
        if (Listing != S_OK) {
            *list = nullptr;
            return Listing;
        }
        return Folder_->EnumObjects(owner, flags, list);
    }
    HRESULT GetAttributesOf(UINT count, LPCITEMIDLIST* items, ULONG* attributes) override
    {
        std::string name;
        kw::GetShellDisplayName(Folder_.Get(), items[0], SHGDN_INFOLDER, name);
        if (count == 1 && name == Unreadable) {
            *attributes = 0xFFFFFFFF;
            return E_FAIL;
        }
        return Folder_->GetAttributesOf(count, items, attributes);
    }
    HRESULT CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) override
    {
        return AllEqual ? S_OK : Folder_->CompareIDs(column, a, b);
    }
    HRESULT ParseDisplayName(HWND owner, IBindCtx* bind, LPWSTR name, ULONG* eaten, LPITEMIDLIST* list,
                             ULONG* attributes) override
    {
        return Folder_->ParseDisplayName(owner, bind, name, eaten, list, attributes);
    }
    HRESULT BindToObject(LPCITEMIDLIST list, IBindCtx* bind, REFIID iid, void** out) override
    {
        return Folder_->BindToObject(list, bind, iid, out);
    }
    HRESULT BindToStorage(LPCITEMIDLIST list, IBindCtx* bind, REFIID iid, void** out) override
    {
        return Folder_->BindToStorage(list, bind, iid, out);
    }
    HRESULT CreateViewObject(HWND owner, REFIID iid, void** out) override
    {
        return Folder_->CreateViewObject(owner, iid, out);
    }
    HRESULT GetUIObjectOf(HWND owner, UINT count, LPCITEMIDLIST* items, REFIID iid, UINT* reserved,
                          void** out) override
    {
        return Folder_->GetUIObjectOf(owner, count, items, iid, reserved, out);
    }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST list, DWORD flags, STRRET* name) override
    {
        return Folder_->GetDisplayNameOf(list, flags, name);
    }
    HRESULT SetNameOf(HWND owner, LPCITEMIDLIST list, LPCWSTR name, DWORD flags, LPITEMIDLIST* out) override
    {
        return Folder_->SetNameOf(owner, list, name, flags, out);
    }

private:
    com::ComPtr<IShellFolder> Folder_;
};

class TProbeCombo : public kw::TKwShellCombo {
public:
    using TKwCustomShellCombo::GetItemData;
    using TKwCustomShellCombo::Reentry;
    using TKwShellCombo::TKwShellCombo;

    int Rebuilds = 0;
    // Captions CanAdd refuses.
    std::set<std::string> Refuse;
    // The folder a level (-1: the desktop's) is listed from, when set.
    std::function<void(int level, DelegatingFolder&)> Alter;

protected:
    void FillCombo(IShellFolder* folder, kw::PItemIDList parent, int level,
                   kw::TKwIdListArray* chain) override
    {
        Rebuilds += level < 0;
        if (!Alter) {
            TKwShellCombo::FillCombo(folder, parent, level, chain);
            return;
        }
        const com::ComPtr<DelegatingFolder> altered = com::MakeComObject<DelegatingFolder>(folder);
        Alter(level, *altered.Get());
        TKwShellCombo::FillCombo(altered.Get(), parent, level, chain);
    }
    bool CanAdd(IShellFolder* folder, kw::PItemIDList, kw::PItemIDList item, ULONG) override
    {
        std::string name;
        kw::GetShellDisplayName(folder, item, SHGDN_INFOLDER, name);
        return !Refuse.count(name);
    }
};

// Each entry as "<indent> <caption>", "*" after the current one; captions
// fetched as drawing would.
inline std::vector<std::string> Shape(TProbeCombo* combo)
{
    std::vector<std::string> shape;
    for (int i = 0; i < combo->Items()->Count(); ++i) {
        kw::TKwImageComboItem* item = combo->GetImageComboItem(i);
        combo->GetItemData(item);
        shape.push_back(std::to_string(item->Indent()) + " " + item->Caption() +
                        (i == combo->ItemIndex() ? " *" : ""));
    }
    return shape;
}

// A combo on a shown form in a home of its own with the sample drives.
class ShellComboFixture : public ::testing::Test {
public:
    ScopedHome Home;
    win32::testing::ScopedMountSource Mounts{SampleMountSource()};
    const int BeforeDelay = std::exchange(kw::KWSH_TREE_KEY_UPDATE_DELAY, 100);
    TestForm Form{420, 420};
    TProbeCombo* Combo = nullptr;

    void SetUp() override
    {
        Combo = vcl::Create<TProbeCombo>(Form.Get());
        Combo->SetParent(Form.Get());
        Combo->SetBounds(0, 0, 300, 24);
        Pump();
    }
    void TearDown() override
    {
        vcl::Free(Combo);
        Pump();
        kw::KWSH_TREE_KEY_UPDATE_DELAY = BeforeDelay;
        // The folders listed here, gone with the home, are no one's to watch.
        win32::testing::ResetListedFolders();
    }
    std::string H(const std::string& name) const { return Home.Home() + "/" + name; }
    QComboBox* Widget() const { return static_cast<QComboBox*>(Combo->Peer()); }
    QAbstractItemView* View() const { return Widget()->view(); }
    // Opens the list by a click on the combo.
    void Open()
    {
        QTest::mouseClick(Widget(), Qt::LeftButton, {},
                          QPoint(Widget()->width() - 8, Widget()->height() / 2));
        Pump();
    }
    int IndexOf(const std::string& caption)
    {
        const std::vector<std::string> shape = Shape(Combo);
        for (int i = 0; i < static_cast<int>(shape.size()); ++i)
            if (shape[i].substr(shape[i].find(' ') + 1) == caption ||
                shape[i].substr(shape[i].find(' ') + 1) == caption + " *")
                return i;
        ADD_FAILURE() << "no entry " << caption;
        return 0;
    }
};

} // namespace kwtest
