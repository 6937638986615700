// The Trash: the entries of the user's trash, by their original names, with
// where they came from and when they were deleted.

#include "shell32/Trash.h"
#include "shell32/UserDirs.h"
#include "shell32/VirtualFolderProviders.h"

#include <cstdio>
#include <tuple>

namespace shell32 {
namespace {

enum TrashColumn : UINT { kName = 0, kOriginalLocation = 1, kDateDeleted = 2 };

std::string FormatDate(const TrashDate& date)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", date.Year, date.Month, date.Day, date.Hour,
                  date.Minute);
    return text;
}

class TrashFolder final : public VirtualFolderProvider {
public:
    std::string DisplayName() const override { return "Trash"; }
    ULONG Attributes() const override { return SFGAO_FOLDER | SFGAO_DROPTARGET; }
    int SortRank() const override { return 3; }
    std::optional<std::string> StoragePath() const override { return TrashDirectory() + "/files"; }

    HRESULT Enumerate(DWORD flags, std::string& items) override
    {
        return ListDirectoryItems(TrashDirectory() + "/files", flags, true, items);
    }

    HRESULT ChildDisplayName(const ItemView& child, DWORD flags, std::string& text) override
    {
        // Parsing names stay those of the entries in files/.
        if (child.kind != ItemKind::TrashEntry || (flags & SHGDN_FORPARSING))
            return E_NOTIMPL;
        TrashEntry entry;
        text = ReadTrashEntry(TrashDirectory(), child.text, entry) ? entry.DisplayName()
                                                                   : std::string(child.text);
        return S_OK;
    }

    std::vector<ColumnInfo> Columns() const override
    {
        return {
            {"Name", LVCFMT_LEFT, 20, SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT},
            {"Original location", LVCFMT_LEFT, 30, SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT},
            {"Date deleted", LVCFMT_LEFT, 18, SHCOLSTATE_TYPE_DATE | SHCOLSTATE_ONBYDEFAULT},
        };
    }

    HRESULT ChildColumnText(const ItemView& child, UINT column, std::string& text) override
    {
        if (column > kDateDeleted)
            return E_INVALIDARG;
        if (child.kind != ItemKind::TrashEntry)
            return E_NOTIMPL;
        text.clear();
        TrashEntry entry;
        if (!ReadTrashEntry(TrashDirectory(), child.text, entry) || !entry.Info)
            return S_OK;
        if (column == kOriginalLocation)
            text = ParentPath(entry.Info->OriginalPath);
        else if (column == kDateDeleted && entry.Info->DeletionDate)
            text = FormatDate(*entry.Info->DeletionDate);
        return S_OK;
    }

    int CompareChildren(const ItemView& a, const ItemView& b, UINT column) override
    {
        if (column != kOriginalLocation && column != kDateDeleted)
            return 0;
        TrashEntry ea, eb;
        const bool hasA =
            a.kind == ItemKind::TrashEntry && ReadTrashEntry(TrashDirectory(), a.text, ea) && ea.Info;
        const bool hasB =
            b.kind == ItemKind::TrashEntry && ReadTrashEntry(TrashDirectory(), b.text, eb) && eb.Info;
        // Entries without information sort first.
        if (!hasA || !hasB)
            return hasA == hasB ? 0 : hasA ? 1 : -1;
        if (column == kOriginalLocation)
            return ParentPath(ea.Info->OriginalPath).compare(ParentPath(eb.Info->OriginalPath));
        const auto key = [](const std::optional<TrashDate>& d) {
            return d ? std::make_tuple(1, d->Year, d->Month, d->Day, d->Hour, d->Minute, d->Second)
                     : std::make_tuple(0, 0, 0, 0, 0, 0, 0);
        };
        const auto ka = key(ea.Info->DeletionDate), kb = key(eb.Info->DeletionDate);
        return ka < kb ? -1 : kb < ka ? 1 : 0;
    }
};

} // namespace

std::shared_ptr<VirtualFolderProvider> MakeTrashFolder()
{
    return std::make_shared<TrashFolder>();
}

} // namespace shell32
