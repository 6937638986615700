// The platform's popup tracker on QMenu: each HMENU becomes a QMenu built
// when it opens (after its owner had WM_INITMENUPOPUP and could fill it),
// owner-drawn items are widgets measured and painted by the owner, and
// every highlight, letter and choice goes through the tracking session.

#include "vcl/widgets/Application.h"
#include "vcl/widgets/Menus.h"
#include "win32/DeviceContext.h"
#include "win32/Menus.h"
#include "win32/WindowManager.h"

#include <QActionGroup>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWidgetAction>

namespace vcl {

namespace {

using win32::MenuItemView;
using win32::MenuTrackSession;

// An owner-drawn item: its size comes from WM_MEASUREITEM, its pixels from
// WM_DRAWITEM with a device context on the item's rectangle.
class OwnerDrawnItem : public QWidget {
public:
    OwnerDrawnItem(MenuTrackSession& session, HMENU menu, const MenuItemView& item, QAction* action,
                   QWidget* parent)
        : QWidget(parent), Session_(session), Menu_(menu), Item_(item), Action_(action)
    {
        setMouseTracking(true);
        MEASUREITEMSTRUCT measure{ODT_MENU, 0, item.Id, 0, 0, item.Data};
        SendMessageA(session.Owner(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        Size_ = QSize(static_cast<int>(measure.itemWidth), static_cast<int>(measure.itemHeight));
    }
    QSize sizeHint() const override { return Size_; }
    QSize minimumSizeHint() const override { return Size_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        HDC dc = win32::CreatePainterDC(painter);
        auto* menu = qobject_cast<QMenu*>(parentWidget());
        const bool selected = menu && menu->activeAction() == Action_;
        UINT state = 0;
        if (selected)
            state |= ODS_SELECTED;
        if (Item_.State & MF_GRAYED)
            state |= ODS_GRAYED | ODS_DISABLED;
        if (Item_.State & MF_CHECKED)
            state |= ODS_CHECKED;
        if (Item_.State & MF_DEFAULT)
            state |= ODS_DEFAULT;
        DRAWITEMSTRUCT draw{ODT_MENU,  0,
                            Item_.Id,  ODA_DRAWENTIRE,
                            state,     reinterpret_cast<HWND>(Menu_),
                            dc,        RECT{0, 0, width(), height()},
                            Item_.Data};
        try {
            SendMessageA(Session_.Owner(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        } catch (...) {
            Application()->HandleException(nullptr);
        }
        DeleteDC(dc);
    }
    void enterEvent(QEnterEvent*) override
    {
        if (auto* menu = qobject_cast<QMenu*>(parentWidget()))
            menu->setActiveAction(Action_);
        update();
    }
    void leaveEvent(QEvent*) override { update(); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton ||
            (event->button() == Qt::RightButton && Session_.RightButtonChooses()))
            Action_->trigger();
    }

private:
    MenuTrackSession& Session_;
    HMENU Menu_;
    MenuItemView Item_;
    QAction* Action_;
    QSize Size_;
};

class MenuBridge : public QObject {
public:
    explicit MenuBridge(MenuTrackSession& session) : Session_(session) {}

    // Fills a QMenu from an HMENU; submenus are filled when they open.
    void Fill(QMenu* target, HMENU menu)
    {
        target->clear();
        const std::vector<MenuItemView> items = win32::MenuItems(menu);
        QActionGroup* radios = nullptr;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const MenuItemView& item = items[i];
            const UINT position = static_cast<UINT>(i);
            if (item.Type & MFT_SEPARATOR) {
                target->addSeparator();
                radios = nullptr;
                continue;
            }
            QAction* action = nullptr;
            if (item.SubMenu) {
                QMenu* sub = target->addMenu(QString::fromStdString(item.Text));
                Watch(sub);
                const HMENU subHandle = item.SubMenu;
                connect(sub, &QMenu::aboutToShow, this, [this, sub, subHandle, position] {
                    Session_.OpenPopup(subHandle, position);
                    Fill(sub, subHandle);
                    Handles_[sub] = subHandle;
                });
                connect(sub, &QMenu::aboutToHide, this,
                        [this, subHandle] { Session_.ClosePopup(subHandle); });
                action = sub->menuAction();
            } else if (item.Type & MFT_OWNERDRAW) {
                auto* widgetAction = new QWidgetAction(target);
                widgetAction->setDefaultWidget(
                    new OwnerDrawnItem(Session_, menu, item, widgetAction, nullptr));
                target->addAction(widgetAction);
                action = widgetAction;
            } else {
                action = target->addAction(QString::fromStdString(item.Text));
            }
            action->setEnabled(!(item.State & (MF_GRAYED | MF_DISABLED)));
            if (item.State & MF_CHECKED || item.Type & MFT_RADIOCHECK) {
                action->setCheckable(true);
                action->setChecked((item.State & MF_CHECKED) != 0);
            }
            if (item.Type & MFT_RADIOCHECK) {
                if (!radios)
                    radios = new QActionGroup(target);
                radios->addAction(action);
            } else {
                radios = nullptr;
            }
            if (item.State & MF_DEFAULT) {
                QFont font = action->font();
                font.setBold(true);
                action->setFont(font);
            }
            connect(action, &QAction::hovered, this,
                    [this, menu, position] { Session_.Highlight(menu, position); });
            if (!item.SubMenu)
                connect(action, &QAction::triggered, this, [this, menu, position] {
                    if (Session_.Choose(menu, position))
                        CloseAll();
                });
        }
        Handles_[target] = menu;
    }

    void Watch(QMenu* menu)
    {
        menu->installEventFilter(this);
        Menus_.push_back(menu);
    }

    void CloseAll()
    {
        for (const QPointer<QMenu>& menu : Menus_)
            if (menu)
                menu->close();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (!menu)
            return false;
        if (event->type() == QEvent::MouseButtonRelease) {
            // The right button chooses only when the caller asked for it.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            return mouse->button() == Qt::RightButton && !Session_.RightButtonChooses();
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() != 1 || !text.front().isPrint() || (key->modifiers() & ~Qt::ShiftModifier))
            return false;
        // Letters go through the session: mnemonics first, then the owner.
        const HMENU handle = Handles_.value(menu, nullptr);
        const MenuTrackSession::CharResult result = Session_.TypeChar(handle, text.front().unicode());
        if (result.Close) {
            Session_.Cancel();
            CloseAll();
        } else if (result.Position >= 0) {
            const QList<QAction*> actions = menu->actions();
            if (result.Position < actions.size()) {
                QAction* action = actions[result.Position];
                menu->setActiveAction(action);
                if (result.Execute) {
                    if (action->menu())
                        menu->setActiveAction(action); // opens with the highlight
                    else
                        action->trigger();
                }
            }
        }
        return true;
    }

private:
    MenuTrackSession& Session_;
    QHash<QMenu*, HMENU> Handles_;
    std::vector<QPointer<QMenu>> Menus_;
};

void TrackWithQMenu(MenuTrackSession& session, POINT screen)
{
    MenuBridge bridge(session);
    QMenu menu;
    bridge.Watch(&menu);
    bridge.Fill(&menu, session.Shown());
    QPoint at(screen.x, screen.y);
    const QSize size = menu.sizeHint();
    if (session.Flags() & TPM_RIGHTALIGN)
        at.rx() -= size.width();
    else if (session.Flags() & TPM_CENTERALIGN)
        at.rx() -= size.width() / 2;
    if (session.Flags() & TPM_BOTTOMALIGN)
        at.ry() -= size.height();
    else if (session.Flags() & TPM_VCENTERALIGN)
        at.ry() -= size.height() / 2;
    menu.exec(at);
    if (!session.Finished())
        session.Cancel();
}

} // namespace

void InstallQtMenuTracker()
{
    win32::SetMenuTracker(&TrackWithQMenu);
}

} // namespace vcl
