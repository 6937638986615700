#include "shell32/ItemDropTargets.h"

#include "com/ComObject.h"
#include "shell32/FileDataObjects.h"
#include "shell32/ItemVerbs.h"
#include "shell32/Opening.h"
#include "win32/Menus.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <sys/stat.h>

#include <optional>
#include <utility>
#include <vector>

namespace shell32 {

namespace {

bool SameFileSystem(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return lstat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// What both kinds share: the drag's first file is read when it comes in
// (what the effect depends on) and forgotten when it leaves; the drop reads
// all of its own data and acts only when its keys and allowed effects leave
// an effect.
class FilesDropTarget : public com::ComObject<IDropTarget> {
public:
    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) override
    {
        return com::Guard([&] { return Enter(data, keyState, effect); });
    }
    HRESULT DragOver(DWORD keyState, POINTL, DWORD* effect) override
    {
        return com::Guard([&] {
            if (!effect)
                return E_INVALIDARG;
            Allowed_ = *effect;
            *effect = Effect(keyState);
            return S_OK;
        });
    }
    HRESULT DragLeave() override
    {
        First_.reset();
        return S_OK;
    }
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override
    {
        return com::Guard([&] {
            if (!effect)
                return E_INVALIDARG;
            const std::vector<std::string> files =
                data ? DroppedFileNames(*data) : std::vector<std::string>{};
            First_.reset();
            Allowed_ = *effect;
            *effect = files.empty() ? DROPEFFECT_NONE : Choose(files.front(), keyState, Allowed_);
            // A drop by the right button asks what to do, the keys' effect
            // offered first.
            if (!files.empty() && (keyState & MK_RBUTTON) && OffersDropMenu())
                *effect = AskDropEffect(point, *effect);
            if (*effect != DROPEFFECT_NONE && Act(files, *effect) != S_OK)
                *effect = DROPEFFECT_NONE;
            return S_OK;
        });
    }

protected:
    FilesDropTarget(HWND owner) : Owner_(owner) {}
    // The effect with those keys for files of which first is the first.
    virtual DWORD Choose(const std::string& first, DWORD keyState, DWORD allowed) = 0;
    virtual HRESULT Act(const std::vector<std::string>& files, DWORD effect) = 0;
    virtual bool OffersDropMenu() const { return false; }
    HWND Owner() const { return Owner_; }

private:
    DWORD AskDropEffect(POINTL point, DWORD keysEffect) const
    {
        HWND owner = Owner_;
        if (!IsWindow(owner))
            owner = GetActiveWindow();
        if (!IsWindow(owner))
            owner = GetFocus();
        return ChooseDropEffect(owner, POINT{point.x, point.y}, Allowed_, keysEffect);
    }

    HRESULT Enter(IDataObject* data, DWORD keyState, DWORD* effect)
    {
        if (!effect)
            return E_INVALIDARG;
        First_ = data ? FirstDroppedFileName(*data) : std::nullopt;
        Allowed_ = *effect;
        *effect = Effect(keyState);
        return S_OK;
    }
    DWORD Effect(DWORD keyState) { return First_ ? Choose(*First_, keyState, Allowed_) : DROPEFFECT_NONE; }

    HWND Owner_;
    std::optional<std::string> First_;
    DWORD Allowed_ = DROPEFFECT_NONE;
};

class FolderDropTarget : public FilesDropTarget {
public:
    FolderDropTarget(HWND owner, std::string folder) : FilesDropTarget(owner), Folder_(std::move(folder)) {}

private:
    DWORD Choose(const std::string& first, DWORD keyState, DWORD allowed) override
    {
        return DropEffectForKeys(keyState, allowed, SameFileSystem(first, Folder_));
    }
    HRESULT Act(const std::vector<std::string>& files, DWORD effect) override
    {
        const TransferOperation operation = effect == DROPEFFECT_MOVE   ? TransferOperation::Move
                                            : effect == DROPEFFECT_LINK ? TransferOperation::Link
                                                                        : TransferOperation::Copy;
        return TransferAsking(Owner(), operation, files, Folder_);
    }

    bool OffersDropMenu() const override { return true; }

    std::string Folder_;
};

class EntryDropTarget : public FilesDropTarget {
public:
    EntryDropTarget(HWND owner, std::string entry) : FilesDropTarget(owner), Entry_(std::move(entry)) {}

private:
    // The program gets the files to read; they stay where they are.
    DWORD Choose(const std::string&, DWORD, DWORD allowed) override { return allowed & DROPEFFECT_COPY; }
    HRESULT Act(const std::vector<std::string>& files, DWORD) override
    {
        return LaunchEntryWith(Owner(), Entry_, files) ? S_OK : E_FAIL;
    }

    std::string Entry_;
};

} // namespace

DWORD DropEffectForKeys(DWORD keyState, DWORD allowed, bool sameFileSystem)
{
    const bool control = keyState & MK_CONTROL;
    const bool shift = keyState & MK_SHIFT;
    DWORD chosen = DROPEFFECT_NONE;
    if ((control && shift) || (keyState & MK_ALT))
        chosen = DROPEFFECT_LINK;
    else if (control)
        chosen = DROPEFFECT_COPY;
    else if (shift)
        chosen = DROPEFFECT_MOVE;
    if (chosen != DROPEFFECT_NONE)
        return allowed & chosen;
    const DWORD preferred = sameFileSystem ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    const DWORD other = sameFileSystem ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    for (const DWORD effect : {preferred, other, DROPEFFECT_LINK}) {
        if (allowed & effect)
            return effect;
    }
    return DROPEFFECT_NONE;
}

DWORD ChooseDropEffect(HWND owner, POINT screen, DWORD allowed, DWORD preferred)
{
    struct Entry {
        DWORD Effect;
        const char* Text;
    };
    static constexpr Entry entries[] = {
        {DROPEFFECT_COPY, "&Copy Here"}, {DROPEFFECT_MOVE, "&Move Here"}, {DROPEFFECT_LINK, "&Link Here"}};
    constexpr UINT cancel = 0x100;
    const HMENU menu = CreatePopupMenu();
    if (!menu)
        return DROPEFFECT_NONE;
    bool any = false;
    for (const Entry& entry : entries)
        if (allowed & entry.Effect) {
            AppendMenuA(menu, MF_STRING, entry.Effect, entry.Text);
            any = true;
        }
    DWORD chosen = DROPEFFECT_NONE;
    if (any) {
        if (allowed & preferred & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK))
            SetMenuDefaultItem(menu, preferred, FALSE);
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, cancel, "Cancel");
        const auto command = static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr));
        if (command != cancel)
            chosen = command & allowed & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK);
    }
    DestroyMenu(menu);
    return chosen;
}

HRESULT MakeFolderDropTarget(HWND owner, std::string folder, IDropTarget** out)
{
    if (!out)
        return E_POINTER;
    *out = com::MakeComObject<FolderDropTarget>(owner, std::move(folder)).Detach();
    return S_OK;
}

HRESULT MakeEntryDropTarget(HWND owner, std::string entryPath, IDropTarget** out)
{
    if (!out)
        return E_POINTER;
    *out = com::MakeComObject<EntryDropTarget>(owner, std::move(entryPath)).Detach();
    return S_OK;
}

} // namespace shell32
