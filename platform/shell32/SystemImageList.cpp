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

struct Entry {
    int index = 0;
    // Drawn built in off the GUI thread: the theme's picture is still to
    // be read.
    bool themeUnread = false;
    IconRequest icon;
};

struct Lists {
    std::mutex mutex;
    HIMAGELIST small = nullptr;
    HIMAGELIST large = nullptr;
    std::map<std::string, Entry> entries; // icon key -> its index in both lists
    std::size_t unread = 0;               // entries whose theme picture is still to be read

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

// How an icon is known: by the theme names it asks for, whatever the
// thread and whatever the theme answers, so that it has one index.
std::string KeyOf(const IconRequest& icon)
{
    if (icon.themeNames.empty())
        return std::string("builtin:") + BuiltInIconName(icon.fallback);
    std::string key = "theme:";
    for (const std::string& name : icon.themeNames)
        key.append(name).push_back('\n');
    return key;
}

// The picture of an icon at size: the theme's first name it has (read on
// the GUI thread only), else the built-in one.
QImage Picture(const IconRequest& icon, int size)
{
    if (const std::optional<std::string> name = ResolveThemeIcon(icon.themeNames)) {
        QImage image = RenderThemeIcon(*name, size);
        if (!image.isNull())
            return image;
    }
    return DrawBuiltInIcon(icon.fallback, size);
}

// Puts the theme's pictures in for icons drawn built in on other threads
// (the caller holds the mutex and is on the GUI thread).
void ReadUnreadPictures(Lists& lists)
{
    if (lists.unread == 0)
        return;
    for (auto& [key, entry] : lists.entries) {
        if (!entry.themeUnread)
            continue;
        entry.themeUnread = false;
        --lists.unread;
        if (!ResolveThemeIcon(entry.icon.themeNames))
            continue; // the built-in picture is the right one
        win32::ImageListSetImage(lists.small, entry.index, Picture(entry.icon, kSmallSize));
        win32::ImageListSetImage(lists.large, entry.index, Picture(entry.icon, kLargeSize));
    }
}

} // namespace

HIMAGELIST SystemImageList(bool small)
{
    Lists& lists = TheLists();
    std::lock_guard lock(lists.mutex);
    if (!lists.Ready())
        return nullptr;
    if (IsIconThemeThread())
        ReadUnreadPictures(lists);
    return small ? lists.small : lists.large;
}

int SystemIconIndex(const IconRequest& icon)
{
    const std::string key = KeyOf(icon);
    const bool themeThread = IsIconThemeThread();
    Lists& lists = TheLists();
    std::lock_guard lock(lists.mutex);
    if (!lists.Ready())
        return -1;
    if (themeThread)
        ReadUnreadPictures(lists);
    if (const auto known = lists.entries.find(key); known != lists.entries.end())
        return known->second.index;

    // The first index free in both lists (never 0: the reserved picture is
    // there even if someone removed it since). Others may add to either list
    // meanwhile without this lock (the overlay set-up does): nothing of theirs
    // is cut away, and when they took the index in one list the icon goes on
    // to the next index free in both. A copy left behind is never handed out.
    const QImage smallPicture = Picture(icon, kSmallSize);
    const QImage largePicture = Picture(icon, kLargeSize);
    int next = 1;
    for (int attempt = 0; attempt < 64; ++attempt) {
        const int small = win32::ImageListAppendFrom(lists.small, next, smallPicture);
        if (small < 0)
            return -1;
        const int large = win32::ImageListAppendFrom(lists.large, small, largePicture);
        if (large < 0)
            return -1;
        if (large == small) {
            const bool unread = !themeThread && !icon.themeNames.empty();
            lists.entries.emplace(key, Entry{small, unread, icon});
            lists.unread += unread ? 1 : 0;
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
    lists.entries.clear();
    lists.unread = 0;
    if (!lists.small || !lists.large)
        return;
    for (HIMAGELIST list : {lists.small, lists.large}) {
        ImageList_Remove(list, -1);
        ImageList_SetBkColor(list, CLR_NONE);
    }
    lists.PutReserved();
}

} // namespace shell32::testing
