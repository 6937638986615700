#pragma once
// The combo box window: a QComboBox over a model of ours that takes its
// input by messages, as the platform's combo does. The drop-down style's
// field is the edit window; owner-drawn styles paint each item through
// WM_DRAWITEM to the parent, in the field (inside WM_PAINT) and in the open
// list. Qt's combo never changes the selection by itself: keys and clicks,
// in the field and in the open list, come in as the window's messages.

#include "vcl/widgets/Messages.h"

#include <QComboBox>

#include <memory>
#include <string>
#include <vector>

namespace vcl {

class TEditWidget;

class TComboWidget final : public QComboBox {
public:
    // style: the window's CBS_ styles.
    TComboWidget(QWidget* parent, DWORD style);
    ~TComboWidget() override;

    // The combo's handling of a message; false for one it leaves to the
    // window's default handling.
    bool Handle(HWND window, TMessage& message);

    void showPopup() override;
    void hidePopup() override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Item {
        std::string Text;
        ULONG_PTR Data = 0;
        int Height = -1; // measured once (variable style)
    };
    class Model;
    class Delegate;
    class EditProcedure;
    friend class Model;
    friend class Delegate;

    bool HasStrings() const;
    bool OwnerDraw() const;
    bool ListOnly() const; // no edit field
    int Insert(int index, LPARAM value);
    void Delete(int index);
    void Reset();
    int Find(int after, const char* text, bool exact) const;
    void Select(int index);
    void Sync();
    void DropDown();
    void CloseUp(bool accept);
    void Retract();
    void Pick(int index);
    void MoveHighlight(int index);
    bool Key(WORD key, bool alt);
    void Char(WPARAM unit, TMessage& message);
    void PaintField();
    int MeasureItem(int index);
    int FixedHeight(int index);
    void DrawItem(QPainter& painter, int index, const QRect& rect, UINT state, HWND dcWindow);
    void Notify(WORD code) const;
    void Show(int index);

    HWND Window_ = nullptr;
    DWORD Style_;
    std::vector<Item> Items_;
    Model* Model_;
    int Current_ = -1;
    int Highlight_ = -1;
    int Before_ = -1;
    bool Dropped_ = false;
    bool Showing_ = false;
    bool Hiding_ = false;
    bool Syncing_ = false;
    bool ExtendedUI_ = false;
    int FieldHeight_ = -1;
    int ItemHeight_ = -1;
    TEditWidget* Edit_ = nullptr;
    HWND EditWindow_ = nullptr;
    std::unique_ptr<EditProcedure> EditProcedure_;
};

} // namespace vcl
