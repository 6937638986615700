// OLE drag and drop over Qt's: the registrations and the bridge that turns a
// drop widget's drag events into the target's calls, and the drag loops.

#include "shell32/DragAndDrop.h"

#include "shell32/ClipboardMime.h"
#include "win32/VirtualKeys.h"
#include "win32/WindowManager.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace shell32 {

namespace {

constexpr DWORD kEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
// How long a finished drag keeps its data for a late request; longer than
// the xcb platform's own wait for the other side's answer.
constexpr std::chrono::seconds kDragAfterlife{30};
constexpr DWORD kButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

// One action of an effect word: the target names one; of several, copy
// wins, then move, then link, as the desktop offers them.
Qt::DropAction ActionOf(DWORD effect)
{
    if (effect & DROPEFFECT_COPY)
        return Qt::CopyAction;
    if (effect & DROPEFFECT_MOVE)
        return Qt::MoveAction;
    if (effect & DROPEFFECT_LINK)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

// A target's call inside the boundary: whatever it throws is reported and
// answers no effect.
template <typename Call>
HRESULT CallTarget(DWORD* effect, Call&& call) noexcept
{
    try {
        return call();
    } catch (...) {
        win32::HandleCurrentException();
    }
    if (effect)
        *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
}

class Bridge;

struct Registration {
    com::ComPtr<IDropTarget> Target;
    std::unique_ptr<Bridge> Filter;
};

std::map<HWND, Registration>& Registrations()
{
    static std::map<HWND, Registration> registrations;
    return registrations;
}

DragLoop& InstalledLoop()
{
    static DragLoop loop;
    return loop;
}

// Watches the drop widget of one window. A control that shows one of
// several views (a list view's styles) takes drags on the shown one's
// viewport, so the viewports of the views beside the receiver's are watched
// too: a change of view keeps the registration.
class Bridge final : public QObject {
public:
    Bridge(HWND window, QObject* receiver) : Window_(window)
    {
        Receivers_.emplace_back(receiver);
        QObject* view = receiver->parent();
        if (view && view->inherits("QAbstractScrollArea") && view->parent())
            for (QObject* sibling : view->parent()->children())
                if (sibling != view && sibling->inherits("QAbstractScrollArea"))
                    if (QObject* viewport = sibling->findChild<QObject*>("qt_scrollarea_viewport",
                                                                         Qt::FindDirectChildrenOnly))
                        Receivers_.emplace_back(viewport);
        for (const QPointer<QObject>& each : Receivers_)
            Watch(each);
    }
    ~Bridge() override
    {
        for (const QPointer<QObject>& each : Receivers_)
            if (each) {
                each->removeEventFilter(this);
                each->setProperty("acceptDrops", false);
            }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (std::find(Receivers_.begin(), Receivers_.end(), watched) == Receivers_.end())
            return false;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            Handle(static_cast<QDropEvent*>(event));
            return true;
        case QEvent::DragLeave:
            Leave();
            return true;
        default:
            return false;
        }
    }

private:
    POINTL ScreenPoint(const QDropEvent* event) const
    {
        RECT origin{0, 0, 0, 0};
        if (win32::WindowPeer* peer = win32::GetWindowPeer(Window_))
            origin = peer->PeerDropReceiverRect();
        const QPoint at = event->position().toPoint();
        return POINTL{origin.left + at.x(), origin.top + at.y()};
    }

    void Handle(QDropEvent* event)
    {
        // The target may revoke itself in its call: it is held for the call.
        const com::ComPtr<IDropTarget> target(RegisteredDropTarget(Window_));
        const DWORD keys =
            DragKeyState(static_cast<int>(event->buttons()), static_cast<int>(event->modifiers()));
        const POINTL point = ScreenPoint(event);
        const DWORD allowed = static_cast<DWORD>(event->possibleActions().toInt()) & kEffects;
        DWORD effect = allowed;
        if (event->type() == QEvent::DragEnter) {
            Entered_ = nullptr;
            IDataObject* own = DataObjectOfMimeData(event->mimeData());
            Foreign_ = !own;
            if (own)
                Entered_.Reset(own);
            else
                DataObjectFromMimeData(event->mimeData(), Entered_.ReleaseAndGetAddressOf());
            if (!target || FAILED(CallTarget(&effect, [&] {
                    return target->DragEnter(Entered_.Get(), keys, point, &effect);
                })))
                effect = DROPEFFECT_NONE;
            // The enter is taken whatever the answer, so that the moves that
            // follow still come here; the answer is the action proposed.
            Proposed_ = effect & allowed;
            Answer(event, Proposed_);
            event->accept();
            return;
        }
        if (event->type() == QEvent::DragMove) {
            if (!target ||
                FAILED(CallTarget(&effect, [&] { return target->DragOver(keys, point, &effect); })))
                effect = DROPEFFECT_NONE;
            Proposed_ = effect & allowed;
            Answer(event, Proposed_);
            return;
        }
        // The drop: the button that carried the drag is up by now.
        com::ComPtr<IDataObject> data = std::move(Entered_);
        if (Foreign_ && target && data && (Proposed_ & kEffects) != DROPEFFECT_NONE) {
            // Another program waits for the drop's end while the toolkit
            // delivers it; a target that asks (a name taken, the drop menu)
            // or copies much would hold that program's drag open. It is
            // told the action last proposed, and the target drops once the
            // delivery has ended: its data was read when the drag came in.
            Answer(event, Proposed_);
            QTimer::singleShot(0, this, [this, target, data = std::move(data), keys, point, allowed] {
                // A target revoked meanwhile has left the drag.
                if (RegisteredDropTarget(Window_) != target.Get())
                    return;
                DWORD dropped = allowed;
                CallTarget(&dropped, [&] { return target->Drop(data.Get(), keys, point, &dropped); });
            });
            return;
        }
        if (!target || !data ||
            FAILED(CallTarget(&effect, [&] { return target->Drop(data.Get(), keys, point, &effect); })))
            effect = DROPEFFECT_NONE;
        Answer(event, effect & allowed);
    }

    static void Answer(QDropEvent* event, DWORD effect)
    {
        const Qt::DropAction action = ActionOf(effect & ~DROPEFFECT_SCROLL);
        if (action == Qt::IgnoreAction) {
            event->setDropAction(Qt::IgnoreAction);
            event->ignore();
            return;
        }
        event->setDropAction(action);
        event->accept();
    }

    void Leave()
    {
        const com::ComPtr<IDataObject> data = std::move(Entered_);
        if (const com::ComPtr<IDropTarget> target{RegisteredDropTarget(Window_)})
            CallTarget(nullptr, [&] { return target->DragLeave(); });
    }

    // The view's own drag and drop and auto-scroll give way to the target's;
    // its viewport takes the drags.
    void Watch(QObject* receiver)
    {
        if (QObject* view = receiver->parent()) {
            if (view->property("dragDropMode").isValid())
                view->setProperty("dragDropMode", 0);
            if (view->property("dragEnabled").isValid())
                view->setProperty("dragEnabled", false);
            if (view->property("autoScroll").isValid())
                view->setProperty("autoScroll", false);
        }
        receiver->setProperty("acceptDrops", true);
        receiver->installEventFilter(this);
    }

    HWND Window_;
    std::vector<QPointer<QObject>> Receivers_;
    com::ComPtr<IDataObject> Entered_;
    // The drag is another program's: its data was read at the enter.
    bool Foreign_ = false;
    // The effect of the target's last answer, within what the drag allows.
    DWORD Proposed_ = DROPEFFECT_NONE;
};

// A destroyed window's registration goes with it.
void WindowDestroyed(HWND window)
{
    auto& registrations = Registrations();
    const auto found = registrations.find(window);
    if (found == registrations.end())
        return;
    Registration gone = std::move(found->second);
    registrations.erase(found);
}

bool Contains(const RECT& rect, POINT point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

} // namespace

DWORD DragKeyState(int buttons, int modifiers)
{
    DWORD keys = 0;
    if (buttons & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        keys |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        keys |= MK_CONTROL;
    if (modifiers & Qt::AltModifier)
        keys |= MK_ALT;
    return keys;
}

IDropTarget* RegisteredDropTarget(HWND window)
{
    const auto found = Registrations().find(window);
    return found == Registrations().end() ? nullptr : found->second.Target.Get();
}

HWND DropWindowAt(POINT screen)
{
    HWND best = nullptr;
    for (const auto& [window, registration] : Registrations()) {
        win32::WindowPeer* peer = win32::GetWindowPeer(window);
        if (!peer || !IsWindowVisible(window) || !Contains(peer->PeerDropReceiverRect(), screen))
            continue;
        if (!best || IsChild(best, window))
            best = window;
    }
    return best;
}

DragLoop SetDragLoop(DragLoop loop)
{
    return std::exchange(InstalledLoop(), std::move(loop));
}

HRESULT DesktopDragLoop(IDataObject* data, IDropSource*, DWORD okEffects, DWORD* effect)
{
    QMimeData* mime = nullptr;
    if (const HRESULT hr = MimeDataFromDataObject(data, &mime); FAILED(hr))
        return hr;
    QObject* source = QGuiApplication::focusObject();
    auto* drag = new QDrag(source ? source : QCoreApplication::instance());
    drag->setMimeData(mime);
    const Qt::DropActions allowed = Qt::DropActions::fromInt(static_cast<int>(okEffects & kEffects));
    const Qt::DropAction taken =
        drag->exec(allowed, ActionOf(okEffects & DROPEFFECT_MOVE ? DROPEFFECT_MOVE : okEffects));
    // Another program asks for the data after the drop, when the loop has
    // ended: the drag must outlive it. The xcb platform deletes it once the
    // other side has finished; the timer ends it where none does.
    QTimer::singleShot(kDragAfterlife, drag, &QObject::deleteLater);
    // A move taken by another program is its business: the source deletes
    // nothing of what it gave.
    *effect = static_cast<DWORD>(taken) & kEffects;
    return *effect != DROPEFFECT_NONE ? DRAGDROP_S_DROP : DRAGDROP_S_CANCEL;
}

HRESULT ScriptedDragLoop(const std::vector<DragStep>& steps, IDataObject* data, IDropSource* source,
                         DWORD okEffects, DWORD* effect)
{
    HWND current = nullptr;
    com::ComPtr<IDropTarget> target;
    DWORD last = DROPEFFECT_NONE;
    const auto leave = [&] {
        if (target)
            CallTarget(nullptr, [&] { return target->DragLeave(); });
        target = nullptr;
        current = nullptr;
    };
    for (const DragStep& step : steps) {
        const DWORD keys = step.Release ? step.Keys & ~kButtons : step.Keys;
        const POINTL point{step.Screen.x, step.Screen.y};
        const HRESULT go = source->QueryContinueDrag(step.Escape ? TRUE : FALSE, keys);
        if (go == DRAGDROP_S_DROP) {
            if (!target || (last & kEffects) == DROPEFFECT_NONE) {
                leave();
                break;
            }
            const com::ComPtr<IDropTarget> dropOn = std::move(target);
            current = nullptr;
            DWORD dropped = okEffects;
            if (FAILED(CallTarget(&dropped, [&] { return dropOn->Drop(data, keys, point, &dropped); })))
                dropped = DROPEFFECT_NONE;
            *effect = dropped & okEffects & kEffects;
            if (step.Then)
                step.Then();
            return DRAGDROP_S_DROP;
        }
        if (go != S_OK) {
            leave();
            break;
        }
        const HWND under = DropWindowAt(step.Screen);
        last = okEffects;
        if (under != current) {
            leave();
            current = under;
            target.Reset(RegisteredDropTarget(under));
            if (!target ||
                FAILED(CallTarget(&last, [&] { return target->DragEnter(data, keys, point, &last); })))
                last = DROPEFFECT_NONE;
        } else if (!target ||
                   FAILED(CallTarget(&last, [&] { return target->DragOver(keys, point, &last); }))) {
            last = DROPEFFECT_NONE;
        }
        source->GiveFeedback(last & ~DROPEFFECT_SCROLL & okEffects);
        if (step.Then)
            step.Then();
    }
    leave();
    *effect = DROPEFFECT_NONE;
    return DRAGDROP_S_CANCEL;
}

} // namespace shell32

HRESULT RegisterDragDrop(HWND window, IDropTarget* target)
{
    if (!target)
        return E_INVALIDARG;
    win32::WindowPeer* peer = IsWindow(window) ? win32::GetWindowPeer(window) : nullptr;
    QObject* receiver = peer ? peer->PeerDropReceiver() : nullptr;
    if (!receiver)
        return DRAGDROP_E_INVALIDHWND;
    auto& registrations = shell32::Registrations();
    if (registrations.count(window))
        return DRAGDROP_E_ALREADYREGISTERED;
    static const bool observing = [] {
        win32::SetWindowDestroyedObserver(&shell32::WindowDestroyed);
        return true;
    }();
    (void)observing;
    shell32::Registration& registration = registrations[window];
    registration.Target.Reset(target);
    registration.Filter = std::make_unique<shell32::Bridge>(window, receiver);
    return S_OK;
}

HRESULT RevokeDragDrop(HWND window)
{
    if (!IsWindow(window))
        return DRAGDROP_E_INVALIDHWND;
    auto& registrations = shell32::Registrations();
    const auto found = registrations.find(window);
    if (found == registrations.end())
        return DRAGDROP_E_NOTREGISTERED;
    shell32::Registration gone = std::move(found->second);
    registrations.erase(found);
    return S_OK;
}

HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect)
{
    if (!data || !source || !effect)
        return E_INVALIDARG;
    *effect = DROPEFFECT_NONE;
    // A copy: the loop may put another in place while it runs.
    const shell32::DragLoop loop = shell32::InstalledLoop();
    // Nothing a loop throws reaches the caller, which reads a failure.
    try {
        return loop ? loop(data, source, okEffects, effect)
                    : shell32::DesktopDragLoop(data, source, okEffects, effect);
    } catch (...) {
    }
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
}
