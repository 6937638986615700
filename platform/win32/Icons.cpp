// Icon handles, icons from module resources and from files, shared icons.

#include "win32/Icons.h"

#include "win32/AtomicFile.h"
#include "win32/Errors.h"
#include "win32/HandleTable.h"
#include "win32/Modules.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <tuple>

namespace {

// Larger icons are refused rather than drawn: a size is outside input.
constexpr int kMaxIconSide = 1024;
// An icon file holds a few pictures; a larger file is no icon.
constexpr std::size_t kMaxIconFileBytes = 32u << 20;

struct IconRecord {
    QImage image;
    bool shared = false;
};

win32::HandleTable<HICON, IconRecord>& Table()
{
    // Never destroyed: icons may be let go of by objects that die late.
    static auto& table = *new win32::HandleTable<HICON, IconRecord>(win32::HandleKind::Icon);
    return table;
}

// Shared icons by module, resource and size.
using SharedKey = std::tuple<std::string, std::string, int, int>;

struct SharedIcons {
    std::mutex mutex;
    std::map<SharedKey, HICON> icons;
};

SharedIcons& Shared()
{
    static auto& shared = *new SharedIcons;
    return shared;
}

QImage Normalized(const QImage& image)
{
    return image.format() == QImage::Format_ARGB32_Premultiplied
               ? image
               : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage ScaledTo(const QImage& image, int cx, int cy)
{
    if (image.width() == cx && image.height() == cy)
        return image;
    return image.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The suffix of a file name, as a hint of the picture's format.
QByteArray FormatHint(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    const std::string_view name = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return {};
    const std::string_view suffix = name.substr(dot + 1);
    return QByteArray(suffix.data(), static_cast<qsizetype>(suffix.size())).toLower();
}

// The picture of an icon file nearest the size asked: the exact size, else
// the smallest larger one, else the largest. The file's bytes are read by
// its name as given, so a name in no encoding at all loads too; nothing with
// a picture of its own is read past kMaxIconFileBytes. error is the
// platform's code of a failure.
std::optional<QImage> ReadIconFile(const char* path, int cx, int cy, DWORD& error)
{
    std::string bytes;
    if (const int err = win32::ReadSmallFile(path, kMaxIconFileBytes, bytes)) {
        // A folder or a device opened as a file is refused, as the platform refuses a folder.
        error = err == EFBIG    ? ERROR_INVALID_DATA
                : err == EINVAL ? ERROR_ACCESS_DENIED
                                : win32::ErrorFromPathErrno(err, path, win32::PathUse::Existing);
        return std::nullopt;
    }
    error = ERROR_INVALID_DATA;
    QByteArray data = QByteArray::fromStdString(bytes);
    bytes = std::string();
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, FormatHint(path));
    const auto fits = [&](const QImage& image) { return image.width() >= cx && image.height() >= cy; };
    const auto better = [&](const QImage& candidate, const QImage& best) {
        if (best.isNull())
            return true;
        if (fits(candidate) != fits(best))
            return fits(candidate);
        return fits(candidate) ? candidate.width() < best.width() : candidate.width() > best.width();
    };
    const int count = std::max(reader.imageCount(), 1);
    QImage best;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        QImage candidate = reader.read();
        if (candidate.isNull())
            continue;
        if (candidate.size() == QSize(cx, cy)) {
            best = std::move(candidate);
            break;
        }
        if (better(candidate, best))
            best = std::move(candidate);
    }
    if (best.isNull())
        return std::nullopt;
    error = ERROR_SUCCESS;
    return ScaledTo(Normalized(best), cx, cy);
}

} // namespace

namespace win32::detail {
// ModuleIcons.cpp: the picture of a resource given by key, and the key of a
// resource name ("#29" for 29 and "#029", "NAME" for "name").
std::optional<QImage> ModuleIconByKey(std::string_view moduleName, std::string_view key, int size);
std::string NormalizedResourceKey(std::string_view name);
} // namespace win32::detail

namespace {

std::string ResourceKey(LPCSTR name)
{
    if (IS_INTRESOURCE(name))
        return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name));
    return win32::detail::NormalizedResourceKey(name);
}

HICON InsertIcon(QImage image, bool shared)
{
    if (image.isNull())
        return nullptr;
    const HICON icon = Table().Insert(IconRecord{Normalized(image), shared});
    if (!icon)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return icon;
}

} // namespace

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags)
{
    if (!name || cx < 0 || cy < 0 || cx > kMaxIconSide || cy > kMaxIconSide) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    // Without a size the system's icon size, or the resource's own: ours are
    // all drawn at the system size.
    if (cx == 0)
        cx = win32::kSystemIconSize;
    if (cy == 0)
        cy = win32::kSystemIconSize;
    const bool shared = (flags & LR_SHARED) != 0;

    std::string moduleName;
    std::string key;
    if (flags & LR_LOADFROMFILE) {
        if (IS_INTRESOURCE(name)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        moduleName = "<file>";
        key = name;
    } else {
        if (instance) {
            std::optional<std::string> loaded = win32::ModuleNameOf(instance);
            if (!loaded) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            moduleName = std::move(*loaded);
        }
        key = ResourceKey(name);
    }

    SharedKey sharedKey{moduleName, key, cx, cy};
    if (shared) {
        SharedIcons& cache = Shared();
        std::lock_guard lock(cache.mutex);
        const auto it = cache.icons.find(sharedKey);
        if (it != cache.icons.end() && Table().IsValid(it->second))
            return it->second;
    }

    std::optional<QImage> image;
    if (flags & LR_LOADFROMFILE) {
        DWORD error = ERROR_SUCCESS;
        image = ReadIconFile(name, cx, cy, error);
        if (!image) {
            SetLastError(error);
            return nullptr;
        }
    } else {
        image = win32::detail::ModuleIconByKey(moduleName, key, std::max(cx, cy));
        if (!image) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        *image = ScaledTo(Normalized(*image), cx, cy);
    }

    if (!shared)
        return InsertIcon(std::move(*image), false);
    SharedIcons& cache = Shared();
    std::lock_guard lock(cache.mutex);
    // Another thread may have made it meanwhile: one handle per resource.
    const auto it = cache.icons.find(sharedKey);
    if (it != cache.icons.end() && Table().IsValid(it->second))
        return it->second;
    const HICON icon = InsertIcon(std::move(*image), true);
    if (icon)
        cache.icons[sharedKey] = icon;
    return icon;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name)
{
    return static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

HICON CopyIcon(HICON icon)
{
    std::optional<QImage> image = win32::IconImage(icon);
    if (!image) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return nullptr;
    }
    return InsertIcon(std::move(*image), false);
}

BOOL DestroyIcon(HICON icon)
{
    bool shared = false;
    if (!Table().Read(icon, [&](const IconRecord& record) { shared = record.shared; })) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    if (!shared)
        Table().Remove(icon);
    return TRUE;
}

namespace win32 {

HICON CreateIconFromImage(const QImage& image)
{
    return InsertIcon(image, false);
}

std::optional<QImage> IconImage(HICON icon)
{
    std::optional<QImage> image;
    Table().Read(icon, [&](const IconRecord& record) { image = record.image; });
    return image;
}

bool IsIcon(HICON icon)
{
    return Table().IsValid(icon);
}

std::size_t LiveIconCount()
{
    return Table().Size();
}

} // namespace win32
