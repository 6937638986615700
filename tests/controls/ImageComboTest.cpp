// The combo box base and the image combo: items drawn with their images,
// overlays and indents (the field at no indent), the highlight only behind
// the caption, the height that follows the font and the image list, item
// objects freed in every way a combo ends, and items that outlive a new
// window.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "UKwImageCombo.h"
#include "vcl/widgets/ImgList.h"
#include "win32/ComboBoxes.h"
#include "win32/Gdi.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace vcl;
using kw::TKwImageComboItem;
using kwtest::Pump;

const TColor Red = 0x0000FF;
const TColor Green = 0x00FF00;
const TColor Blue = 0xFF0000;
const TColor Mask = 0xFF00FF;

// A list of solid pictures, and one overlay: a blue corner.
TImageList* MakeImages(TComponent* owner, int size)
{
    auto* list = Create<TImageList>(owner);
    list->SetWidth(size);
    list->SetHeight(size);
    for (const TColor color : {Red, Green}) {
        TBitmap* picture = Create<TBitmap>();
        picture->SetSize(size, size);
        picture->Canvas()->Brush()->SetColor(color);
        picture->Canvas()->FillRect({0, 0, size, size});
        list->Add(picture, nullptr);
        picture->Free();
    }
    TBitmap* corner = Create<TBitmap>();
    corner->SetSize(size, size);
    corner->Canvas()->Brush()->SetColor(Mask);
    corner->Canvas()->FillRect({0, 0, size, size});
    corner->Canvas()->Brush()->SetColor(Blue);
    corner->Canvas()->FillRect({0, size / 2, size / 2, size});
    list->Overlay(list->AddMasked(corner, Mask), 0);
    corner->Free();
    return list;
}

// Counts the item objects the combo tells of, and of its drawing.
struct Events {
    std::vector<TKwImageComboItem*> Deleted;
    int DataAsked = 0;
    int Drawn = 0;
    void DeleteItem(TObject*, TKwImageComboItem* item) { Deleted.push_back(item); }
    void GetItemData(TObject*, TKwImageComboItem* item)
    {
        ++DataAsked;
        if (item->Caption().empty() && item->ImageIndex() == 1)
            item->SetCaption("late");
    }
    void DrawItem(TWinControl*, int, TRect, TOwnerDrawState) { ++Drawn; }
};

class TCountingImageCombo : public kw::TKwImageCombo {
public:
    using TKwImageCombo::TKwImageCombo;
    int AutoSizes = 0;

protected:
    void AutoSize(HFONT font) override
    {
        ++AutoSizes;
        TKwImageCombo::AutoSize(font);
    }
};

struct ComboOnForm {
    kwtest::TestForm Form{360, 300};
    TImageList* Images;
    TCountingImageCombo* Combo;
    Events Heard;

    ComboOnForm()
    {
        Images = MakeImages(Form.Get(), 16);
        Combo = Create<TCountingImageCombo>(Form.Get());
        Combo->SetParent(Form.Get());
        Combo->SetBounds(10, 10, 220, 24);
        Combo->OnDeleteItem = kw::TKwDeleteImageComboItemEvent(&Heard, &Events::DeleteItem);
        Combo->OnGetItemData = kw::TKwImageComboGetItemDataEvent(&Heard, &Events::GetItemData);
        Pump();
    }
    void AddItems()
    {
        Combo->AddItem("Desktop", 0, 0);
        Combo->AddItem("Computer", 1, 1);
        Combo->AddItem("home", 0, 2)->SetOverlayIndex(0);
        Combo->AddItem("", 1, 3);
        Combo->AddItem("", 0, 3);
    }
    QComboBox* Widget() const { return static_cast<QComboBox*>(Combo->Peer()); }
    QAbstractItemView* List() const { return Widget()->view(); }
    QRect Row(int row) const { return List()->visualRect(List()->model()->index(row, 0)); }
    QImage OpenList(const std::string& picture)
    {
        Combo->SetFocus();
        Combo->SetDroppedDown(true);
        Pump();
        return kwtest::SavePicture(List()->window(), picture);
    }
};

QColor Shown(TColor color)
{
    return ColorToQColor(color);
}

TEST(ImageCombo, ItemsAreDrawnIndentedInTheListWithTheirImagesAndHighlight)
{
    ComboOnForm f;
    f.Combo->SetImageList(f.Images);
    f.AddItems();
    f.Combo->SetItemIndex(1);
    const QImage list = f.OpenList("image-combo-open.png");
    const QPoint offset = f.List()->viewport()->mapTo(f.List()->window(), QPoint(0, 0));
    struct Case {
        int row;
        QColor image;  // at the icon's middle
        QColor corner; // its bottom-left corner: the overlay's
        bool selected;
    };
    const Case cases[] = {
        {0, Shown(Red), Shown(Red), false},  {1, Shown(Green), Shown(Green), true},
        {2, Shown(Red), Shown(Blue), false}, {3, Shown(Green), Shown(Green), false},
        {4, Shown(Red), Shown(Red), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const QRect row = f.Row(c.row).translated(offset);
        const int indent = f.Combo->GetImageComboItem(c.row)->Indent();
        // The icon: IndentPixels a level from the row's left, plus two.
        const int x = row.left() + indent * 12 + 2;
        const int y = (row.top() + row.bottom() + 1 - 16) / 2;
        // A selected picture is blended with the highlight.
        const QColor middle = list.pixelColor(x + 8, y + 4);
        if (c.selected) {
            EXPECT_NE(middle, c.image);
            EXPECT_NE(middle, Shown(clHighlight));
            EXPECT_NE(middle, Shown(clWindow));
        } else {
            EXPECT_EQ(middle, c.image);
            EXPECT_EQ(list.pixelColor(x + 1, y + 14), c.corner);
        }
        EXPECT_EQ(list.pixelColor(x - 1, y + 4), Shown(clWindow));
        // Only the caption's box carries the highlight.
        const int textLeft = x + 16 + 4 - 1;
        EXPECT_EQ(list.pixelColor(textLeft, row.top() + 1),
                  c.selected ? Shown(clHighlight) : Shown(clWindow));
        EXPECT_EQ(list.pixelColor(row.right() - 2, row.center().y()), Shown(clWindow));
        EXPECT_EQ(list.pixelColor(textLeft - 1, row.top() + 1), Shown(clWindow));
    }
    // The item with no caption was filled in late; the other one was not.
    EXPECT_EQ(f.Combo->GetImageComboItem(3)->Caption(), "late");
    EXPECT_EQ(f.Combo->GetImageComboItem(4)->Caption(), "");
    QTest::keyClick(f.List(), Qt::Key_Escape);
    Pump();

    // The field shows the current item at no indent, in the highlight while
    // the combo has the focus.
    f.Combo->SetItemIndex(3);
    const QImage field = kwtest::SavePicture(f.Widget(), "image-combo-field.png");
    QStyleOptionComboBox option;
    option.initFrom(f.Widget());
    option.editable = false;
    const QRect edit = f.Widget()->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, f.Widget());
    const int y = (edit.top() + edit.bottom() + 1 - 16) / 2;
    EXPECT_NE(field.pixelColor(edit.left() + 2 + 8, y + 8), Shown(clWindow));
    EXPECT_EQ(field.pixelColor(edit.left() + 1, y + 8), Shown(clWindow));
    EXPECT_EQ(field.pixelColor(edit.left() + 2 + 16 + 3, edit.top() + 1), Shown(clHighlight));
}

TEST(ImageCombo, TheApplicationsDrawingReplacesTheDefault)
{
    ComboOnForm f;
    f.Combo->SetImageList(f.Images);
    f.AddItems();
    f.Combo->OnDrawItem = TDrawItemEvent(&f.Heard, &Events::DrawItem);
    f.OpenList("image-combo-own-drawing.png");
    EXPECT_GT(f.Heard.Drawn, 0);
    EXPECT_EQ(f.Heard.DataAsked, 0);
    QTest::keyClick(f.List(), Qt::Key_Escape);
}

TEST(ImageCombo, TheItemHeightFollowsTheFontAndTheImageList)
{
    ComboOnForm f;
    const auto fontLine = [&] {
        TEXTMETRICA metrics{};
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, f.Combo->Font()->Handle());
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return std::abs(static_cast<int>(metrics.tmHeight)) + 2;
    };
    struct Case {
        const char* what;
        int fontPixels;
        int imageSize; // 0: no image list
        bool imageWins;
    };
    const Case cases[] = {
        {"the font alone", 11, 0, false},
        {"a larger font alone", 24, 0, false},
        {"an image list taller than the font", 11, 32, true},
        {"an image list lower than the font", 24, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        f.Combo->SetImageList(nullptr);
        f.Combo->Font()->SetHeight(-c.fontPixels);
        if (c.imageSize > 0)
            f.Combo->SetImageList(MakeImages(f.Form.Get(), c.imageSize));
        EXPECT_EQ(f.Combo->ItemHeight(), c.imageWins ? c.imageSize : fontLine());
        EXPECT_EQ(f.Combo->Perform(CB_GETITEMHEIGHT, 0), f.Combo->ItemHeight());
    }
}

TEST(ImageCombo, ItemsOutliveANewWindow)
{
    struct Case {
        const char* what;
        std::function<void(ComboOnForm&)> change;
        int itemHeight;
        int autoSizes;
    };
    const Case cases[] = {
        // Sized once: the new window's own WM_SETFONT does not size again.
        {"a font change", [](ComboOnForm& f) { f.Combo->Font()->SetHeight(-30); }, -1, 1},
        // Sized, then again by the new window's font, to the same height.
        {"an image list assigned after the items",
         [](ComboOnForm& f) { f.Combo->SetImageList(MakeImages(f.Form.Get(), 40)); }, 40, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ComboOnForm f;
        f.AddItems();
        f.Combo->SetItemIndex(2);
        std::vector<TKwImageComboItem*> before;
        for (int i = 0; i < 5; ++i)
            before.push_back(f.Combo->GetImageComboItem(i));
        const HWND window = f.Combo->Handle();
        f.Combo->AutoSizes = 0;
        c.change(f);
        EXPECT_NE(f.Combo->Handle(), window);
        EXPECT_EQ(f.Combo->AutoSizes, c.autoSizes);
        if (c.itemHeight > 0) {
            EXPECT_EQ(f.Combo->ItemHeight(), c.itemHeight);
        }
        ASSERT_EQ(f.Combo->Items()->Count(), 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(f.Combo->GetImageComboItem(i), before[static_cast<std::size_t>(i)]);
        EXPECT_EQ(f.Combo->ItemIndex(), 2);
        EXPECT_TRUE(f.Heard.Deleted.empty());
        // The new window has the extended keyboard interface too.
        EXPECT_EQ(f.Combo->Perform(CB_GETEXTENDEDUI), TRUE);
    }
}

TEST(ImageCombo, ItemObjectsAreFreedHoweverTheComboEnds)
{
    struct Case {
        const char* what;
        bool parented;
        bool formGoes;
        bool told;
    };
    const Case cases[] = {
        {"the combo freed with its window", true, false, true},
        {"the combo freed without ever having a window", false, false, true},
        // The form's handlers may be gone: nothing is told, all is freed.
        {"the form freed", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Events heard;
        auto* form = Create<TCustomForm>(nullptr);
        auto* combo = Create<kw::TKwImageCombo>(form);
        if (c.parented) {
            combo->SetParent(form);
            combo->HandleNeeded();
        }
        combo->OnDeleteItem = kw::TKwDeleteImageComboItemEvent(&heard, &Events::DeleteItem);
        std::vector<TKwImageComboItem*> items;
        for (int i = 0; i < 4; ++i)
            items.push_back(combo->AddItem("item", 0, i));
        EXPECT_EQ(combo->HandleAllocated(), c.parented);
        if (c.formGoes)
            form->Free();
        else
            combo->Free();
        if (c.told) {
            EXPECT_EQ(heard.Deleted, std::vector<TKwImageComboItem*>(items.rbegin(), items.rend()));
        } else {
            EXPECT_TRUE(heard.Deleted.empty());
        }
        if (!c.formGoes)
            form->Free();
        Pump();
    }
}

TEST(ImageCombo, ItemHeightOfTheBaseChangesOnlyOwnerDrawnCombos)
{
    kwtest::TestForm form;
    struct Case {
        TComboBoxStyle style;
        bool changes;
    };
    for (const Case c : {Case{csDropDown, false}, Case{csDropDownList, false}, Case{csOwnerDrawFixed, true},
                         Case{csOwnerDrawVariable, true}}) {
        SCOPED_TRACE(c.style);
        auto* combo = Create<kw::TKwCombobox>(form.Get());
        combo->SetStyle(c.style);
        combo->SetParent(form.Get());
        const int height = combo->ItemHeight();
        const HWND window = combo->Handle();
        combo->SetItemHeight(height + 9);
        EXPECT_EQ(combo->ItemHeight(), c.changes ? height + 9 : height);
        EXPECT_EQ(combo->Handle() != window, c.changes);
        combo->Free();
    }
}

} // namespace
