// The process-wide small and large system image lists.

#include "shell32/SystemImageList.h"

#include "shell32/IconTesting.h"
#include "win32/ImageLists.h"

#include <map>
#include <mutex>
#include <string>

namespace shell32 {

namespace {

constexpr int kSmallSize = 16;
constexpr int kLargeSize = 32;

struct Lists {
    std::mutex mutex;
    HIMAGELIST small = nullptr;
    HIMAGELIST large = nullptr;
    std::map<std::string, int> indexes; // icon key -> index in both lists

    // The caller holds the mutex.
    bool Ready()
    {
        if (small && large)
            return true;
        const UINT flags = ILC_COLOR32 | ILC_MASK;
        if (!small)
            small = ImageList_Create(kSmallSize, kSmallSize, flags, 64, 64);
        if (!large)
            large = ImageList_Create(kLargeSize, kLargeSize, flags, 64, 64);
        if (!small || !large)
            return false;
        win32::MakeImageListPermanent(small);
        win32::MakeImageListPermanent(large);
        PutReserved();
        return true;
    }

    void PutReserved()
    {
        win32::ImageListSetImage(small, -1, DrawBuiltInIcon(BuiltInIcon::Blank, kSmallSize));
        win32::ImageListSetImage(large, -1, DrawBuiltInIcon(BuiltInIcon::Blank, kLargeSize));
    }
};

Lists& TheLists()
{
    static auto& lists = *new Lists;
    return lists;
}

// How an icon is known, and its pictures: the theme's when it has one of the
// names, else the built-in one.
struct Resolved {
    std::string key;
    std::optional<std::string> themeName;
};

Resolved Resolve(const IconRequest& icon)
{
    if (std::optional<std::string> name = ResolveThemeIcon(icon.themeNames))
        return {"theme:" + *name, std::move(name)};
    return {std::string("builtin:") + BuiltInIconName(icon.fallback), std::nullopt};
}

QImage Picture(const Resolved& resolved, const IconRequest& icon, int size)
{
    if (resolved.themeName) {
        QImage image = RenderThemeIcon(*resolved.themeName, size);
        if (!image.isNull())
            return image;
    }
    return DrawBuiltInIcon(icon.fallback, size);
}

} // namespace

HIMAGELIST SystemImageList(bool small)
{
    Lists& lists = TheLists();
    std::lock_guard lock(lists.mutex);
    if (!lists.Ready())
        return nullptr;
    return small ? lists.small : lists.large;
}

int SystemIconIndex(const IconRequest& icon)
{
    const Resolved resolved = Resolve(icon);
    Lists& lists = TheLists();
    std::lock_guard lock(lists.mutex);
    if (!lists.Ready())
        return -1;
    const auto known = lists.indexes.find(resolved.key);
    if (known != lists.indexes.end())
        return known->second;

    // The first index free in both lists (never 0: the reserved picture is
    // there even if someone removed it since). Others may add to either list
    // meanwhile without this lock (the overlay set-up does): nothing of theirs
    // is cut away, and when they took the index in one list the icon goes on
    // to the next index free in both. A copy left behind is never handed out.
    const QImage smallPicture = Picture(resolved, icon, kSmallSize);
    const QImage largePicture = Picture(resolved, icon, kLargeSize);
    int next = 1;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const int small = win32::ImageListAppendFrom(lists.small, next, smallPicture);
        if (small < 0)
            return -1;
        const int large = win32::ImageListAppendFrom(lists.large, small, largePicture);
        if (large < 0)
            return -1;
        if (large == small) {
            lists.indexes.emplace(resolved.key, small);
            return small;
        }
        next = large;
    }
    return -1;
}

} // namespace shell32

namespace shell32::testing {

void ResetSystemImageLists()
{
    Lists& lists = TheLists();
    std::lock_guard lock(lists.mutex);
    lists.indexes.clear();
    if (!lists.small || !lists.large)
        return;
    for (HIMAGELIST list : {lists.small, lists.large}) {
        ImageList_Remove(list, -1);
        ImageList_SetBkColor(list, CLR_NONE);
    }
    lists.PutReserved();
}

} // namespace shell32::testing
