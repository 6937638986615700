#pragma once
// Helpers the shell views' tests share: a list's item by file name and the
// screen point a pointer takes over it, the item view shown inside a
// control, and a scroll bar as the window reports it.

#include "UKwShellControls.h"

#include "win32/ScrollBars.h"

#include <QAbstractScrollArea>
#include <QWidget>

#include <string>

namespace kwtest {

// The item whose shell data names the file; null when there is none.
inline vcl::TListItem* ItemNamed(kw::TKwCustomShellList* list, const std::string& name)
{
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (kw::TKwShListData* data = list->GetDataFromItem(list->Items()->Item(i));
            data && data->GetFilename() == name)
            return list->Items()->Item(i);
    return nullptr;
}

// The screen point of an item's label; null: the empty area below them.
inline POINT ItemScreenPoint(kw::TKwCustomShellList* list, const vcl::TListItem* item)
{
    vcl::TPoint client{60, list->ClientHeight() - 30};
    if (item) {
        const vcl::TRect r = item->DisplayRect(vcl::drLabel);
        client = {r.left + 5, (r.top + r.bottom) / 2};
    }
    return list->ClientToScreen(client);
}

// The viewport of the item view a control shows now (a list keeps one a
// view style); null when none is shown.
inline QWidget* ShownViewport(vcl::TWinControl* control)
{
    if (auto* view = qobject_cast<QAbstractScrollArea*>(control->Peer()))
        return view->viewport();
    for (auto* view : control->Peer()->findChildren<QAbstractScrollArea*>(Qt::FindDirectChildrenOnly))
        if (!view->isHidden())
            return view->viewport();
    return nullptr;
}

inline SCROLLINFO ScrollInfoOf(vcl::TWinControl* control, int bar)
{
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    GetScrollInfo(control->Handle(), bar, &info);
    return info;
}

} // namespace kwtest
