#pragma once
// The tree-view window: a QTreeView over a model of ours that takes its
// input by messages, as the platform's tree view does (win32/TreeViews.h).
// Qt's view never selects, expands, edits or scrolls by itself: keys, clicks
// and the wheel come in as the window's messages, and the window tells its
// parent what happens through WM_NOTIFY. It paints itself (WidgetPaints):
// each item through a device context over the paint's painter, with the
// custom-draw stages sent to the parent inside the WM_PAINT dispatch.

#include "vcl/widgets/Messages.h"

#include <QTreeView>

namespace vcl {

class TTreeWidget final : public QTreeView {
public:
    // style: the window's TVS_ styles.
    TTreeWidget(QWidget* parent, DWORD style);
    ~TTreeWidget() override;

    // The tree's handling of a message; false for one it leaves to the
    // window's default handling (WM_PAINT's is the widget's paint event).
    bool Handle(HWND window, TMessage& message);

private:
    class Impl;
    Impl* Impl_;
};

} // namespace vcl
