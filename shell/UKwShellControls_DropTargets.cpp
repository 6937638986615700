// What the tree's and the list's drag and drop share: the effects a dropped id list array allows, the desktop
// directory's lists and the auto-scroll of a drag.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "shell32/ClipboardMime.h"
#include "shell32/IdListArray.h"
#include "vcl/core/Exceptions.h"
#include "win32/Clock.h"
#include "win32/ScrollBars.h"
#include "win32/WindowManager.h"

#include <optional>
#include <vector>

namespace kw {

namespace {

constexpr DWORD kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

} // namespace

// ---- the effects of a drop ----

DWORD GetDropEffectMask(IDataObject* dataObject)
{
    DWORD mask = kAllEffects;
    if (!dataObject)
        return mask;
    FORMATETC format{shell32::IdListArrayFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (dataObject->QueryGetData(&format) != S_OK)
        return mask;
    STGMEDIUM medium{};
    if (dataObject->GetData(&format, &medium) != S_OK)
        return mask;
    struct Release {
        STGMEDIUM& Medium;
        ~Release() { ReleaseStgMedium(&Medium); }
    } release{medium};
    // The block may come from anybody: it is read only by the checked
    // reader, and a block it refuses lets nothing be dropped.
    const std::optional<shell32::IdListArray> array =
        medium.tymed == TYMED_HGLOBAL ? shell32::ReadIdListArray(medium.hGlobal) : std::nullopt;
    if (!array)
        return DROPEFFECT_NONE;
    if (array->Items.empty())
        return mask;
    com::ComPtr<IShellFolder> folder;
    vcl::OleCheck(ShellGetFolderFromIdList(array->Parent.get(), folder.ReleaseAndGetAddressOf()));
    std::vector<LPCITEMIDLIST> items;
    items.reserve(array->Items.size());
    for (const shell32::OwnedIdList& item : array->Items)
        items.push_back(item.get());
    ULONG attributes = kAllEffects;
    vcl::OleCheck(folder->GetAttributesOf(static_cast<UINT>(items.size()), items.data(), &attributes));
    return mask & attributes;
}

void GetDesktopDirectoryIdLists(PItemIDList& parent, PItemIDList& last)
{
    parent = nullptr;
    last = nullptr;
    detail::ScopedList directory;
    if (ShellGetIdListFromPath(ShellGetSpecialFolderPath(nullptr, csidlDesktop), directory.Out()) != S_OK)
        return;
    TKwIdListArray lists(directory.Get());
    if (lists.GetCount() == 0)
        return;
    detail::ScopedList up;
    *up.Out() = CopyIdList(nullptr, lists.GoUp(1));
    last = CopyIdList(nullptr, lists.GetItem(lists.GetCount() - 1));
    parent = up.Release();
}

HRESULT detail::DropOnShellTarget(IDropTarget* target, IDataObject* data, DWORD keys, DWORD enteredKeys,
                                  const POINTL& pt, DWORD& effect)
{
    keys |= enteredKeys & (MK_RBUTTON | MK_LBUTTON);
    DWORD scratch = effect;
    target->DragEnter(data, keys, pt, &scratch);
    target->DragOver(keys, pt, &scratch);
    try {
        effect &= GetDropEffectMask(data);
    } catch (...) {
        target->DragLeave();
        throw;
    }
    return target->Drop(data, keys, pt, &effect);
}

// ---- auto-scroll ----

void detail::DragAutoScroll(vcl::TWinControl* control, DWORD& lastScrollTime, const vcl::TPoint& client)
{
    // Unsigned: a tick count that wrapped still counts on.
    if (GetTickCount() - lastScrollTime <= static_cast<DWORD>(KWSH_AUTOSCROLL_MINDELAY_MS))
        return;
    // The edges are those of the area the drags reach: a report view's
    // header takes none, so its top edge lies below the header.
    vcl::TRect area = control->ClientRect();
    if (const win32::WindowPeer* peer = win32::GetWindowPeer(control->Handle());
        peer && peer->PeerDropReceiver()) {
        const RECT screen = peer->PeerDropReceiverRect();
        const vcl::TPoint topLeft = control->ScreenToClient(vcl::TPoint{screen.left, screen.top});
        area = {topLeft.x, topLeft.y, topLeft.x + (screen.right - screen.left),
                topLeft.y + (screen.bottom - screen.top)};
    }
    if (client.x < area.left + KWSH_AUTOSCROLL_THRESHOLD_X)
        ScrollOneStep(control, SB_HORZ, SB_LINEUP);
    else if (client.x > area.right - KWSH_AUTOSCROLL_THRESHOLD_X)
        ScrollOneStep(control, SB_HORZ, SB_LINEDOWN);
    if (client.y < area.top + KWSH_AUTOSCROLL_THRESHOLD_Y)
        ScrollOneStep(control, SB_VERT, SB_LINEUP);
    else if (client.y > area.bottom - KWSH_AUTOSCROLL_THRESHOLD_Y)
        ScrollOneStep(control, SB_VERT, SB_LINEDOWN);
    lastScrollTime = GetTickCount();
}

} // namespace kw
