#pragma once
// A window's menu bar, drawn in the desktop's style over the top of the
// window: one item per item of the bar's HMENU. A click on an item (or
// Open, for its mnemonic) tracks it through the platform's menu tracker, so
// the owner hears the menu messages as for a popup menu.

#include "win32/WinTypes.h"

#include <QWidget>

#include <string>
#include <vector>

namespace vcl {

class TMenuBarWidget final : public QWidget {
public:
    TMenuBarWidget(QWidget* parent, HWND owner);

    // Shows the items of menu (null: none).
    void SetMenu(HMENU menu);
    HMENU Menu() const { return Menu_; }
    // The height the bar takes; the height of a bar in a font.
    int BarHeight() const;
    static int HeightFor(const QFont& font);
    static QFont MenuFont();
    // The item whose mnemonic is ch; -1 for none.
    int ItemOfMnemonic(char16_t ch) const;
    // Tracks the item at position as a click on it does.
    void Open(int position);
    // Ends the bar (later, when one of its items is being tracked).
    void Dispose();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Item {
        std::string Text;
        bool Enabled = true;
        QRect Rect;
    };
    void Layout();

    HWND Owner_;
    HMENU Menu_ = nullptr;
    std::vector<Item> Items_;
    int Active_ = -1;
    int Tracking_ = 0;
};

} // namespace vcl
