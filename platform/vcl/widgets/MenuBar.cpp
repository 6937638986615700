// A window's menu bar, drawn with the style's menu bar items.

#include "vcl/widgets/MenuBar_p.h"

#include "vcl/widgets/Application.h"
#include "vcl/widgets/Menus.h"
#include "win32/Menus.h"
#include "win32/SystemSettings.h"
#include "win32/WindowManager.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionMenuItem>

namespace vcl {

namespace {

// Room around an item's text.
constexpr int kItemPadding = 8;

} // namespace

TMenuBarWidget::TMenuBarWidget(QWidget* parent, HWND owner) : QWidget(parent), Owner_(owner)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    // The desktop's menu font, not the window's.
    setFont(MenuFont());
}

QFont TMenuBarWidget::MenuFont()
{
    return QApplication::font("QMenuBar");
}

void TMenuBarWidget::SetMenu(HMENU menu)
{
    Menu_ = menu;
    Items_.clear();
    for (const win32::MenuItemView& entry : win32::MenuItems(menu)) {
        Item item;
        item.Text = entry.Text;
        item.Enabled = !(entry.State & (MF_GRAYED | MF_DISABLED));
        Items_.push_back(item);
    }
    Layout();
    update();
}

int TMenuBarWidget::BarHeight() const
{
    return Menu_ ? HeightFor(font()) : 0;
}

int TMenuBarWidget::HeightFor(const QFont& font)
{
    return win32::MenuBarHeight(font);
}

void TMenuBarWidget::Layout()
{
    int x = 0;
    const int height = BarHeight();
    for (Item& item : Items_) {
        // The width of the text as shown: without its mnemonic mark.
        const QString shown = QString::fromStdString(StripHotkey(item.Text.substr(0, item.Text.find('\t'))));
        const int width = fontMetrics().horizontalAdvance(shown) + 2 * kItemPadding;
        item.Rect = QRect(x, 0, width, height);
        x += width;
    }
}

int TMenuBarWidget::ItemOfMnemonic(char16_t ch) const
{
    const char16_t lower = ch < 0x80 ? static_cast<char16_t>(std::tolower(static_cast<int>(ch))) : ch;
    for (std::size_t i = 0; i < Items_.size(); ++i)
        if (Items_[i].Enabled && lower != 0 &&
            static_cast<char16_t>(static_cast<unsigned char>(win32::MenuMnemonic(Items_[i].Text))) == lower)
            return static_cast<int>(i);
    return -1;
}

void TMenuBarWidget::Open(int position)
{
    if (!Menu_ || position < 0 || position >= static_cast<int>(Items_.size()) ||
        !Items_[static_cast<std::size_t>(position)].Enabled)
        return;
    Active_ = position;
    ++Tracking_;
    repaint();
    const QPoint drop =
        mapToGlobal(Items_[static_cast<std::size_t>(position)].Rect.bottomLeft() + QPoint(0, 1));
    // The owner's handlers may free the window, and the bar with it.
    const QPointer<TMenuBarWidget> self(this);
    try {
        TrackMenuBar(Menu_, static_cast<UINT>(position), Owner_, POINT{drop.x(), drop.y()});
    } catch (...) {
        Application()->HandleException(nullptr);
    }
    if (self) {
        --Tracking_;
        Active_ = -1;
        update();
    }
}

void TMenuBarWidget::Dispose()
{
    hide();
    // Still tracking one of its items: it goes once that is over.
    if (Tracking_ > 0) {
        setParent(nullptr);
        deleteLater();
        return;
    }
    delete this;
}

void TMenuBarWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionMenuItem empty;
    empty.initFrom(this);
    empty.menuRect = rect();
    empty.rect = rect();
    empty.menuItemType = QStyleOptionMenuItem::EmptyArea;
    style()->drawControl(QStyle::CE_MenuBarEmptyArea, &empty, &painter, this);
    for (std::size_t i = 0; i < Items_.size(); ++i) {
        const Item& item = Items_[i];
        QStyleOptionMenuItem option;
        option.initFrom(this);
        option.menuRect = rect();
        option.rect = item.Rect;
        option.menuItemType = QStyleOptionMenuItem::Normal;
        QString text = QString::fromStdString(item.Text);
        text.truncate(text.indexOf(u'\t') >= 0 ? text.indexOf(u'\t') : text.size());
        option.text = text;
        option.state = QStyle::State_None;
        if (item.Enabled)
            option.state |= QStyle::State_Enabled;
        else
            option.palette.setCurrentColorGroup(QPalette::Disabled);
        if (static_cast<int>(i) == Active_)
            option.state |= QStyle::State_Selected | QStyle::State_Sunken;
        style()->drawControl(QStyle::CE_MenuBarItem, &option, &painter, this);
    }
}

void TMenuBarWidget::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    for (std::size_t i = 0; i < Items_.size(); ++i)
        if (Items_[i].Rect.contains(event->position().toPoint())) {
            Open(static_cast<int>(i));
            return;
        }
}

void TMenuBarWidget::resizeEvent(QResizeEvent*)
{
    Layout();
}

} // namespace vcl
