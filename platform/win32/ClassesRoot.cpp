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
    for (const QMimeType& type : database.allMimeTypes()) {
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

        for (const QString& suffix : type.suffixes()) {
            const std::string extension = "." + Utf8(suffix);
            if (!IsValidKeyName(extension) || root->FindSubkey(extension))
                continue;
            Key& extensionKey = root->Subkey(extension);
            extensionKey.SetValue(TextValue("", progId));
            extensionKey.SetValue(TextValue("Content Type", name));
        }
    }
    Key& shellLink = root->Subkey("CLSID").Subkey(kShellLinkClassText);
    shellLink.SetValue(TextValue("", "Shortcut"));
    shellLink.Subkey("InprocServer32").SetValue(TextValue("", "shell32.dll"));
    return root;
}

} // namespace win32::registry
