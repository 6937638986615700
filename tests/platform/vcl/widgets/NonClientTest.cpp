// Windows with a non-client area of their own: measured by WM_NCCALCSIZE,
// again on SetWindowPos with SWP_FRAMECHANGED, children inside it; and the
// design-time hook of the window procedure.

#include "WidgetTesting.h"
#include "win32/WindowManager.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace vcl;
using kwtest::Pump;

// Keeps Margins out of its client area, and counts its messages.
class TFramed : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    RECT Margins{0, 0, 0, 0};
    std::map<UINT, int> Counts;
    bool OwnDesignMessages = false;

protected:
    void Dispatch(TMessage& message) override
    {
        ++Counts[message.Msg];
        if (message.Msg == WM_NCCALCSIZE) {
            RECT& r = message.WParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0]
                                     : *reinterpret_cast<RECT*>(message.LParam);
            r = {r.left + Margins.left, r.top + Margins.top, r.right - Margins.right,
                 r.bottom - Margins.bottom};
            return;
        }
        if (message.Msg == CM_DESIGNHITTEST) {
            message.Result = 0;
            return;
        }
        TCustomControl::Dispatch(message);
    }
    bool DesignWndProc(TMessage& message) override
    {
        return OwnDesignMessages ? false : TCustomControl::DesignWndProc(message);
    }
};

TEST(NonClient, ChildrenLieInsideTheMeasuredFrame)
{
    kwtest::TestForm form(300, 200);
    TFramed* framed = Create<TFramed>(form.Get());
    framed->Margins = {3, 5, 7, 9};
    framed->SetBounds(10, 10, 100, 80);
    framed->SetParent(form.Get());
    TFramed* child = Create<TFramed>(form.Get());
    child->SetBounds(0, 0, 10, 10);
    child->SetParent(framed);
    Pump();
    EXPECT_EQ(framed->ClientRect(), (TRect{0, 0, 90, 66}));
    EXPECT_EQ(child->Peer()->mapTo(framed->Peer(), QPoint(0, 0)), QPoint(3, 5));
    EXPECT_GE(framed->Counts[WM_NCPAINT], 1);
    // A new frame is measured only when the window is told.
    framed->Margins = {1, 1, 1, 1};
    Pump();
    EXPECT_EQ(framed->ClientWidth(), 90);
    struct Call {
        const char* what;
        UINT flags;
        BOOL result;
        int clientWidth;
    };
    const Call calls[] = {
        {"a move is the control's", SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED, FALSE, 90},
        {"nothing changes without the flag", SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER, TRUE, 90},
        {"the frame changed", SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED, TRUE, 98},
    };
    for (const Call& c : calls) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SetWindowPos(framed->Handle(), nullptr, 0, 0, 0, 0, c.flags), c.result);
        EXPECT_EQ(framed->ClientWidth(), c.clientWidth);
    }
    EXPECT_EQ(child->Peer()->mapTo(framed->Peer(), QPoint(0, 0)), QPoint(1, 1));
    // Painting the client area leaves the frame alone.
    Pump();
    const int frames = framed->Counts[WM_NCPAINT];
    framed->Invalidate();
    Pump();
    EXPECT_EQ(framed->Counts[WM_NCPAINT], frames);
}

TEST(NonClient, DesignWndProcDecidesBeforeTheDesignersGate)
{
    kwtest::TestForm form(300, 200);
    for (bool own : {false, true}) {
        SCOPED_TRACE(own ? "the control's own" : "the designer's");
        TFramed* framed = Create<TFramed>(form.Get());
        framed->OwnDesignMessages = own;
        framed->SetDesigning(true);
        framed->SetBounds(10, 10, 100, 80);
        framed->SetParent(form.Get());
        framed->Perform(WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(framed->Counts[CM_DESIGNHITTEST], own ? 0 : 1);
        EXPECT_EQ(framed->Counts[WM_LBUTTONDOWN], own ? 1 : 0);
        framed->Free();
    }
}

} // namespace
