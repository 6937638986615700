#pragma once
// The list-view window: one model of ours shown by a QListView (the icon,
// small-icon and list views) or by a QTreeView without branches (the report
// view), inside one widget that is the window. It takes its input by
// messages, as the platform's list view does (win32/ListViews.h): Qt's views
// never select, edit or scroll by themselves; the window tells its parent
// what happens through WM_NOTIFY. It paints itself (WidgetPaints): each item
// through a device context over the paint's painter, with the custom-draw
// stages sent to the parent inside the WM_PAINT dispatch. Its header is a
// child window of its own (id 0) over the report view's QHeaderView.
// Exported for the hosts that speak to it by its messages alone.

#include "vcl/widgets/Messages.h"

#include <QFrame>

namespace vcl {

class CORVANE_VCL_EXPORT TListWidget final : public QFrame {
public:
    // style: the window's LVS_ styles.
    TListWidget(QWidget* parent, DWORD style);
    ~TListWidget() override;

    // The list's handling of a message; false for one it leaves to the
    // window's default handling (WM_PAINT's is the widget's paint event).
    bool Handle(HWND window, TMessage& message);

private:
    class Impl;
    Impl* Impl_;
};

} // namespace vcl
