#include "win32/ClassesRoot.h"

#include "win32/Registry.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>

namespace win32::registry {

namespace {

constexpr std::string_view kShortcutTypes[] = {"application/x-desktop", "inode/symlink"};

Value TextValue(std::string name, std::string_view text)
{
    Value value;
    value.name = std::move(name);
    value.type = REG_SZ;
    value.data.assign(text);
    value.data.push_back('\0');
    return value;
}

std::string Utf8(const QString& text)
{
    // Display text from the database; it carries no file-name bytes.
    return text.toUtf8().toStdString();
}

// Some globs are patterns ("*.[1-9]" gives the suffix "[1-9]"): no extension.
bool IsGlobPattern(const QString& suffix)
{
    return suffix.contains(QLatin1Char('[')) || suffix.contains(QLatin1Char('*')) ||
           suffix.contains(QLatin1Char('?'));
}

} // namespace

std::string ProgIdForMimeType(std::string_view mimeTypeName)
{
    std::string progId(mimeTypeName);
    std::replace(progId.begin(), progId.end(), '/', '.');
    return progId;
}

std::unique_ptr<Key> MakeClassesRoot()
{
    auto root = std::make_unique<Key>();
    const QMimeDatabase database;
    // The database lists its types in no fixed order: sort them, so the keys
    // are the same in every run.
    QList<QMimeType> types = database.allMimeTypes();
    std::sort(types.begin(), types.end(),
              [](const QMimeType& a, const QMimeType& b) { return a.name() < b.name(); });
    for (const QMimeType& type : types) {
        const std::string name = Utf8(type.name());
        const std::string progId = ProgIdForMimeType(name);
        if (!IsValidKeyName(progId))
            continue;
        Key& progIdKey = root->Subkey(progId);
        progIdKey.SetValue(TextValue("", Utf8(type.comment())));
        const std::string icon = Utf8(type.iconName());
        if (!icon.empty())
            progIdKey.Subkey("DefaultIcon").SetValue(TextValue("", icon));
        if (std::find(std::begin(kShortcutTypes), std::end(kShortcutTypes), name) != std::end(kShortcutTypes))
            progIdKey.Subkey("CLSID").SetValue(TextValue("", kShellLinkClassText));
    }

    // An extension belongs to the type a file of that name is given (by its
    // name alone, as items are typed), whichever types claim it. Lower-case
    // spellings go first: names of keys ignore case, and ".c" is C while
    // ".C" is C++.
    for (const bool lowerCase : {true, false}) {
        for (const QMimeType& type : types) {
            for (const QString& suffix : type.suffixes()) {
                if ((suffix == suffix.toLower()) != lowerCase || IsGlobPattern(suffix))
                    continue;
                const std::string extension = "." + Utf8(suffix);
                if (!IsValidKeyName(extension) || root->FindSubkey(extension))
                    continue;
                const QList<QMimeType> typed = database.mimeTypesForFileName(QStringLiteral("x.") + suffix);
                const std::string owner = Utf8((typed.isEmpty() ? type : typed.first()).name());
                const std::string ownerProgId = ProgIdForMimeType(owner);
                if (!root->FindSubkey(ownerProgId))
                    continue;
                Key& extensionKey = root->Subkey(extension);
                extensionKey.SetValue(TextValue("", ownerProgId));
                extensionKey.SetValue(TextValue("Content Type", owner));
            }
        }
    }
    Key& shellLink = root->Subkey("CLSID").Subkey(kShellLinkClassText);
    shellLink.SetValue(TextValue("", "Shortcut"));
    shellLink.Subkey("InprocServer32").SetValue(TextValue("", "shell32.dll"));
    return root;
}

} // namespace win32::registry
