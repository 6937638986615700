#pragma once
// The part of the dialog form that the accept path talks to, over a real
// folder: the list holds the folder's entries (sorted by their bytes), boxes
// are recorded and answered from a script, beeps are counted.

#include "FKwOpenDlg.h"

#include "shell32/ShellApi.h"
#include "vcl/core/PathUtils.h"
#include "vcl/core/Strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace kwtest {

struct RecordedBox {
    vcl::PResStringRec Message = nullptr;
    std::string Insert;
    vcl::TMsgDlgType Type = vcl::mtWarning;
    vcl::TMsgDlgButtons Buttons;
};

class FolderContext : public kw::TKwTypedNameContext {
public:
    explicit FolderContext(const std::string& folder) { Show(folder); }

    // The list shows folder; "" for a folder outside the file system.
    void Show(const std::string& folder)
    {
        Base_ = folder;
        Items_.clear();
        Selected_ = -1;
        if (folder.empty())
            return;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            kw::TKwListItemInfo item;
            item.Caption = entry.path().filename().string();
            item.Path = vcl::IncludeTrailingPathDelimiter(folder) + item.Caption;
            item.IsFolder = entry.is_directory(ec);
            Items_.push_back(item);
        }
        std::sort(Items_.begin(), Items_.end(),
                  [](const auto& a, const auto& b) { return a.Caption < b.Caption; });
    }
    int IndexOf(const std::string& caption) const
    {
        for (std::size_t i = 0; i < Items_.size(); ++i)
            if (Items_[i].Caption == caption)
                return static_cast<int>(i);
        ADD_FAILURE() << "no item " << caption;
        return -1;
    }
    void Select(const std::string& caption) { Selected_ = IndexOf(caption); }

    // What the form would have at the moment of the accept.
    kw::TKwFrmOpenDlg_LIS LastInputValue = kw::lisEdit;
    std::string Edit;
    std::string TypeMask;
    kw::TKwOpenOptions OptionsValue;
    std::string DefaultExtValue;
    std::deque<vcl::TModalResult> Answers; // for the boxes, in order

    // What the accept did.
    std::vector<RecordedBox> Boxes;
    std::vector<std::string> Shown; // every folder navigated to, in order
    std::string UserFilter;
    int Beeps = 0;
    int EditSelections = 0;
    int Focused = -1;
    vcl::TStringList Results;

    const std::vector<kw::TKwListItemInfo>& Items() const { return Items_; }
    std::vector<std::string> ResultNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < Results.Count(); ++i)
            names.push_back(Results[i]);
        return names;
    }

    // ---- TKwTypedNameContext ----
    std::string Base() override { return Base_; }
    kw::TKwFrmOpenDlg_LIS LastInput() override { return LastInputValue; }
    std::string EditText() override { return Edit; }
    void SetEditText(const std::string& text) override
    {
        Edit = text;
        LastInputValue = kw::lisEdit; // as the edit's change event does
    }
    void SelectEditText() override { ++EditSelections; }
    int ItemCount() override { return static_cast<int>(Items_.size()); }
    kw::TKwListItemInfo Item(int index) override { return Items_.at(static_cast<std::size_t>(index)); }
    int SelectedItem() override { return Selected_; }
    void SelectAndFocusItem(int index) override
    {
        Selected_ = index;
        Focused = index;
    }
    void NavigateToPath(const std::string& path) override
    {
        Navigate(vcl::ExcludeTrailingPathDelimiter(path));
    }
    void NavigateToIdList(LPCITEMIDLIST idList) override
    {
        const auto path = shell32::PathFromIdList(idList);
        ASSERT_TRUE(path.has_value());
        Navigate(*path);
    }
    void ApplyUserFilter(const std::string& mask) override { UserFilter = mask; }
    std::string SelectedTypeMask() override { return TypeMask; }
    kw::TKwOpenOptions Options() override { return OptionsValue; }
    void SetOptions(kw::TKwOpenOptions options) override { OptionsValue = options; }
    std::string DefaultExt() override { return DefaultExtValue; }
    vcl::TModalResult Ask(vcl::PResStringRec message, const std::string& insert, vcl::TMsgDlgType type,
                          vcl::TMsgDlgButtons buttons) override
    {
        Boxes.push_back({message, insert, type, buttons});
        if (buttons == vcl::TMsgDlgButtons{vcl::mbOK})
            return vcl::mrOk;
        if (Answers.empty()) {
            ADD_FAILURE() << "a box nobody scripted an answer for: " << message->Name;
            return vcl::mrCancel;
        }
        const vcl::TModalResult answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void Beep() override { ++Beeps; }
    vcl::TStrings& ResultList() override { return Results; }

private:
    void Navigate(const std::string& path)
    {
        Shown.push_back(path);
        Show(path);
    }

    std::string Base_;
    std::vector<kw::TKwListItemInfo> Items_;
    int Selected_ = -1;
};

} // namespace kwtest
