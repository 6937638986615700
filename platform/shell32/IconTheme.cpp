// The icon theme behind the shell's icons, through QIcon.

#include "shell32/IconTheme.h"

#include "shell32/IconTesting.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QStringList>
#include <QThread>

#include <map>
#include <mutex>

namespace shell32 {

namespace {

constexpr const char* kDefaultTheme = "Adwaita";
constexpr const char* kDefaultSearchPath = "/usr/share/icons";
constexpr const char* kNoTheme = "none";

struct ThemeState {
    std::mutex mutex;
    IconThemeSettings settings{kDefaultTheme, {kDefaultSearchPath}};
    // Bumped on every change; QIcon is told again when it differs from applied.
    unsigned revision = 1;
    unsigned applied = 0;
    // Names looked up under the applied theme: a list is drawn item by item,
    // and most items ask for the same few names.
    std::map<std::string, std::optional<std::string>> resolved;
};

ThemeState& State()
{
    static auto& state = *new ThemeState;
    return state;
}

bool OnGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return qobject_cast<const QGuiApplication*>(app) && QThread::currentThread() == app->thread();
}

// Tells QIcon the theme in use when it has not been told yet; false when no
// theme is to be used here.
bool ThemeReady()
{
    if (!OnGuiThread())
        return false;
    ThemeState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.settings.name.empty() || state.settings.name == kNoTheme)
        return false;
    if (state.applied != state.revision) {
        QStringList paths;
        for (const std::string& path : state.settings.searchPaths)
            paths << QString::fromStdString(path);
        QIcon::setThemeSearchPaths(paths);
        QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
        QIcon::setThemeName(QString::fromStdString(state.settings.name));
        state.applied = state.revision;
        state.resolved.clear();
    }
    return true;
}

} // namespace

bool IsIconThemeThread()
{
    return OnGuiThread();
}

std::optional<std::string> ResolveThemeIcon(const std::vector<std::string>& names)
{
    if (!ThemeReady())
        return std::nullopt;
    std::string key;
    for (const std::string& name : names)
        key.append(name).push_back('\n');
    ThemeState& state = State();
    {
        std::lock_guard lock(state.mutex);
        const auto it = state.resolved.find(key);
        if (it != state.resolved.end())
            return it->second;
    }
    std::optional<std::string> found;
    for (const std::string& name : names) {
        if (!name.empty() && QIcon::hasThemeIcon(QString::fromStdString(name))) {
            found = name;
            break;
        }
    }
    std::lock_guard lock(state.mutex);
    state.resolved.emplace(std::move(key), found);
    return found;
}

QImage RenderThemeIcon(const std::string& name, int size)
{
    if (size <= 0 || !ThemeReady())
        return {};
    const QIcon icon = QIcon::fromTheme(QString::fromStdString(name));
    if (icon.isNull())
        return {};
    // At a device pixel ratio of 1 whatever the screen says: list pictures
    // are exactly size pixels.
    const QImage picture = icon.pixmap(QSize(size, size), 1.0).toImage();
    if (picture.isNull())
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    if (picture.width() > size || picture.height() > size) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, size, size), picture);
    } else {
        painter.drawImage((size - picture.width()) / 2, (size - picture.height()) / 2, picture);
    }
    return image;
}

IconThemeSettings CurrentIconTheme()
{
    ThemeState& state = State();
    std::lock_guard lock(state.mutex);
    return state.settings;
}

} // namespace shell32

namespace shell32::testing {

void SetIconTheme(const std::string& name, const std::vector<std::string>& searchPaths)
{
    {
        ThemeState& state = State();
        std::lock_guard lock(state.mutex);
        state.settings.name = name;
        state.settings.searchPaths =
            searchPaths.empty() ? std::vector<std::string>{kDefaultSearchPath} : searchPaths;
        ++state.revision;
    }
    ResetSystemImageLists();
}

void ResetIconTheme()
{
    SetIconTheme(kDefaultTheme);
}

} // namespace shell32::testing
