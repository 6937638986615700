#include "shell32/ItemContextMenu.h"

#include "com/ComObject.h"
#include "shell32/ItemVerbs.h"
#include "shell32/Opening.h"
#include "shell32/PropertiesDialog.h"
#include "win32/Errors.h"
#include "win32/Menus.h"
#include "win32/WideText.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <sys/stat.h>

namespace shell32 {

namespace {

struct FixedCommand {
    UINT offset;
    const char* verb;
    const char* text;
    const char* help;
};

constexpr std::array kFixedCommands = {
    FixedCommand{kCmdOpen, "open", "&Open", "Opens the selected items."},
    FixedCommand{kCmdCut, "cut", "Cu&t", "Removes the selected items and copies them onto the Clipboard."},
    FixedCommand{kCmdCopy, "copy", "&Copy", "Copies the selected items to the Clipboard."},
    FixedCommand{kCmdPaste, "paste", "&Paste", "Inserts the items you have copied or cut into the folder."},
    FixedCommand{kCmdDelete, "delete", "&Delete", "Moves the selected items to the Trash."},
    FixedCommand{kCmdLink, "link", "Create &Link", "Creates links to the selected items."},
    FixedCommand{kCmdProperties, "properties", "P&roperties", "Shows the properties of the selected items."},
    FixedCommand{kCmdRename, "rename", "Rena&me", "Renames the selected item."},
};

// A command as GetCommandString and InvokeCommand see it.
struct Command {
    std::string verb;
    std::string text;
    std::string help;
};

bool EqualNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

// '&' in a name would make a mnemonic.
std::string MenuText(const std::string& name)
{
    std::string text;
    for (char c : name) {
        text += c;
        if (c == '&')
            text += '&';
    }
    return text;
}

bool IsFolderPath(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Copies as much of text as fits with its terminator; never past count units.
template <typename Char>
void CopyTruncated(std::basic_string_view<Char> text, Char* buffer, UINT count)
{
    const std::size_t length = std::min<std::size_t>(text.size(), count - 1);
    std::copy_n(text.data(), length, buffer);
    buffer[length] = Char{};
}

class ItemContextMenu : public com::ComObject<IContextMenu> {
public:
    ItemContextMenu(std::vector<std::string> paths, bool movable)
        : Paths_(std::move(paths)), Movable_(movable)
    {
        // Paste goes into a folder item, or a link to one.
        if (Paths_.size() == 1 && IsFolderPath(Paths_[0]))
            PasteFolder_ = Paths_[0];
    }

    HRESULT QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override
    {
        return com::Guard([&] { return Query(menu, index, first, last, flags); });
    }
    HRESULT InvokeCommand(LPCMINVOKECOMMANDINFO info) override
    {
        return com::Guard([&] { return Invoke(info); });
    }
    HRESULT GetCommandString(UINT_PTR id, UINT type, UINT*, LPSTR name, UINT count) override
    {
        return com::Guard([&] { return CommandString(id, type, name, count); });
    }

private:
    // The type's applications for "Open with": one file only, asked once.
    const std::vector<OpenApplication>& Applications()
    {
        if (!Applications_) {
            Applications_.emplace();
            if (Paths_.size() == 1 && !PasteFolder_)
                *Applications_ = ApplicationsFor(Paths_[0]);
            if (Applications_->size() > kMaxOpenWith)
                Applications_->resize(kMaxOpenWith);
        }
        return *Applications_;
    }

    std::optional<Command> Find(UINT offset)
    {
        if (offset >= kCmdOpenWithFirst) {
            const std::vector<OpenApplication>& apps = Applications();
            if (offset - kCmdOpenWithFirst >= apps.size())
                return std::nullopt;
            const OpenApplication& app = apps[offset - kCmdOpenWithFirst];
            return Command{app.id, MenuText(app.name), "Opens the item with " + app.name + "."};
        }
        if ((offset == kCmdPaste && !PasteFolder_) || (offset == kCmdRename && Paths_.size() != 1))
            return std::nullopt;
        if (!Movable_ &&
            (offset == kCmdCut || offset == kCmdDelete || offset == kCmdLink || offset == kCmdRename))
            return std::nullopt;
        for (const FixedCommand& fixed : kFixedCommands) {
            if (fixed.offset == offset)
                return Command{fixed.verb, fixed.text, fixed.help};
        }
        return std::nullopt;
    }

    std::optional<UINT> FindVerb(std::string_view verb)
    {
        for (const FixedCommand& fixed : kFixedCommands) {
            if (EqualNoCase(verb, fixed.verb))
                return Find(fixed.offset) ? std::optional<UINT>(fixed.offset) : std::nullopt;
        }
        const std::vector<OpenApplication>& apps = Applications();
        for (std::size_t i = 0; i < apps.size(); ++i) {
            if (apps[i].id == verb)
                return kCmdOpenWithFirst + static_cast<UINT>(i);
        }
        return std::nullopt;
    }

    HRESULT Query(HMENU menu, UINT index, UINT first, UINT last, UINT flags)
    {
        if (!IsMenu(menu))
            return E_INVALIDARG;
        UINT position = std::min<UINT>(index, static_cast<UINT>(GetMenuItemCount(menu)));
        std::optional<UINT> highest;
        bool separatorDue = false;
        const auto fits = [&](UINT offset) { return first <= last && offset <= last - first; };
        const auto used = [&](UINT offset) { highest = std::max(highest.value_or(0), offset); };
        const auto insert = [&](HMENU into, UINT& at, UINT offset, const std::string& text, UINT state) {
            if (!fits(offset))
                return false;
            InsertMenuA(into, at++, MF_BYPOSITION | MF_STRING | state, first + offset, text.c_str());
            used(offset);
            return true;
        };
        const auto add = [&](UINT offset, UINT state = MF_ENABLED) {
            if (std::optional<Command> command = Find(offset); command && fits(offset)) {
                if (separatorDue && position > 0)
                    InsertMenuA(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
                separatorDue = false;
                insert(menu, position, offset, command->text, state);
            }
        };
        const auto submenu = [&](const char* text, HMENU popup) {
            if (separatorDue && position > 0)
                InsertMenuA(menu, position++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
            separatorDue = false;
            InsertMenuA(menu, position++, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), text);
        };

        add(kCmdOpen);
        if (fits(kCmdOpen) && !(flags & CMF_NODEFAULT))
            SetMenuDefaultItem(menu, first + kCmdOpen, FALSE);
        if (flags & CMF_DEFAULTONLY)
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, highest ? *highest + 1 : 0);

        if (!(flags & (CMF_VERBSONLY | CMF_NOVERBS)) && !Applications().empty()) {
            HMENU popup = CreatePopupMenu();
            UINT at = 0;
            for (UINT i = 0; i < Applications().size(); ++i)
                insert(popup, at, kCmdOpenWithFirst + i, Find(kCmdOpenWithFirst + i)->text, MF_ENABLED);
            // No submenu without an application in it.
            if (at > 0)
                submenu("Open Wit&h", popup);
            else
                DestroyMenu(popup);
        }
        separatorDue = true;
        if (!(flags & CMF_VERBSONLY) && fits(kCmdSendToPlaceholder)) {
            // The library fills this itself; the one grayed item says so.
            HMENU popup = CreatePopupMenu();
            UINT at = 0;
            insert(popup, at, kCmdSendToPlaceholder, "(empty)", MF_GRAYED);
            submenu("Se&nd To", popup);
            separatorDue = true;
        }
        add(kCmdCut);
        add(kCmdCopy);
        add(kCmdPaste, PasteFolder_ && ClipboardHasFiles() ? MF_ENABLED : MF_GRAYED);
        separatorDue = true;
        add(kCmdLink);
        add(kCmdDelete);
        if (flags & CMF_CANRENAME)
            add(kCmdRename);
        separatorDue = true;
        add(kCmdProperties);
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, highest ? *highest + 1 : 0);
    }

    HRESULT Invoke(LPCMINVOKECOMMANDINFO info)
    {
        if (!info)
            return E_INVALIDARG;
        const auto verbValue = reinterpret_cast<UINT_PTR>(info->lpVerb);
        std::optional<UINT> offset;
        if (verbValue >> 16 == 0)
            offset = static_cast<UINT>(verbValue);
        else
            offset = FindVerb(info->lpVerb);
        if (!offset || !Find(*offset))
            return E_INVALIDARG;
        return Run(*offset, info->hwnd);
    }

    HRESULT Run(UINT offset, HWND owner)
    {
        switch (offset) {
        case kCmdOpen:
            return OpenPaths(owner, Paths_);
        case kCmdCut:
        case kCmdCopy:
            return PutPathsOnClipboard(Paths_, offset == kCmdCut);
        case kCmdPaste:
            return PasteInto(owner, *PasteFolder_);
        case kCmdDelete:
            return DeleteToTrash(owner, Paths_);
        case kCmdLink:
            return CreateLinksBeside(Paths_);
        case kCmdProperties:
            return ShowPropertiesDialog(owner, Paths_) ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        case kCmdRename:
            // The caller edits the item's label; the menu cannot.
            return E_NOTIMPL;
        default:
            break;
        }
        const OpenApplication& app = Applications()[offset - kCmdOpenWithFirst];
        return OpenItemWith(owner, app.id, Paths_[0]) ? S_OK : HRESULT_FROM_WIN32(GetLastError());
    }

    HRESULT CommandString(UINT_PTR id, UINT type, LPSTR name, UINT count)
    {
        const std::optional<Command> command = id <= UINT_MAX ? Find(static_cast<UINT>(id)) : std::nullopt;
        if (type == GCS_VALIDATEA || type == GCS_VALIDATEW)
            return command ? S_OK : S_FALSE;
        if (!command)
            return E_INVALIDARG;
        if (type != GCS_VERBA && type != GCS_HELPTEXTA && type != GCS_VERBW && type != GCS_HELPTEXTW)
            return E_INVALIDARG;
        if (!name || count == 0)
            return E_INVALIDARG;
        const std::string& text = (type & ~GCS_UNICODE) == GCS_VERBA ? command->verb : command->help;
        if (type & GCS_UNICODE)
            CopyTruncated<char16_t>(win32::BytesToWide(text), reinterpret_cast<char16_t*>(name), count);
        else
            CopyTruncated<char>(text, name, count);
        return S_OK;
    }

    std::vector<std::string> Paths_;
    bool Movable_;
    std::optional<std::string> PasteFolder_;
    std::optional<std::vector<OpenApplication>> Applications_;
};

} // namespace

HRESULT MakeItemContextMenu(std::vector<std::string> paths, REFIID riid, void** out, bool movable)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (paths.empty())
        return E_INVALIDARG;
    return com::MakeComObject<ItemContextMenu>(std::move(paths), movable).QueryInterface(riid, out);
}

} // namespace shell32
