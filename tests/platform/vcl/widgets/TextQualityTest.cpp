// Text drawn through device contexts beside the toolkit's own text: a label,
// an edit and a button on one form, once in the framework's fonts (default
// quality) and once with a caption drawn in a non-antialiased font.

#include "WidgetTesting.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Gdi.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace vcl;
using kwtest::Pump;

// A caption drawn on the control's canvas in a font of the given quality.
class TQualityCaption : public TGraphicControl {
public:
    TQualityCaption(TComponent* owner, BYTE quality) : TGraphicControl(owner), Quality_(quality) {}

protected:
    void Paint() override
    {
        LOGFONTA log{};
        log.lfHeight = Font()->Height();
        log.lfWeight = FW_NORMAL;
        log.lfQuality = Quality_;
        std::strncpy(log.lfFaceName, Font()->Name().c_str(), LF_FACESIZE - 1);
        const HFONT font = CreateFontIndirectA(&log);
        const HDC dc = Canvas()->Handle();
        const HGDIOBJ old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        RECT rect{0, 0, Width(), Height()};
        DrawTextA(dc, Caption().c_str(), -1, &rect, DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
        DeleteObject(font);
    }

private:
    BYTE Quality_;
};

// Pixels in a rectangle of the picture that are neither the darkest ink nor
// the background: the shades of antialiased edges.
struct Ink {
    int solid = 0;
    int shades = 0;
};

Ink InkIn(const QImage& image, const QRect& area, QRgb paper)
{
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (p == 0)
                ++ink.solid;
            else if (p != (paper & 0xFFFFFF))
                ++ink.shades;
        }
    return ink;
}

TEST(TextQuality, LabelsDrawAsTheToolkitsOwnTextUnlessAskedNotTo)
{
    kwtest::TestForm form(320, 90);
    TLabel* label = Create<TLabel>(form.Get());
    label->SetParent(form.Get());
    label->SetBounds(8, 12, 80, 16);
    label->SetCaption("New Folder");
    TEdit* edit = Create<TEdit>(form.Get());
    edit->SetParent(form.Get());
    edit->SetBounds(96, 8, 120, 24);
    edit->SetText("New Folder");
    TButton* button = Create<TButton>(form.Get());
    button->SetParent(form.Get());
    button->SetBounds(230, 8, 75, 25);
    button->SetCaption("OK");
    TQualityCaption* aliased = Create<TQualityCaption>(form.Get(), NONANTIALIASED_QUALITY);
    aliased->SetParent(form.Get());
    aliased->SetBounds(8, 50, 80, 16);
    aliased->SetCaption("New Folder");
    TEdit* second = Create<TEdit>(form.Get());
    second->SetParent(form.Get());
    second->SetBounds(96, 46, 120, 24);
    second->SetText("New Folder");
    form->Show();
    Pump();
    const QImage picture = kwtest::SavePicture(form->Peer(), "text-quality.png");
    const QRgb face = picture.pixel(2, 2);

    const Ink labelInk = InkIn(picture, QRect(8, 12, 80, 16), face);
    const Ink aliasedInk = InkIn(picture, QRect(8, 50, 80, 16), face);
    const QPoint editAt = edit->Peer()->mapTo(form->Peer(), QPoint(0, 0));
    const QRgb window = picture.pixel(editAt.x() + edit->Width() - 4, editAt.y() + edit->Height() / 2);
    const Ink editInk = InkIn(picture, QRect(editAt + QPoint(3, 3), QSize(70, 18)), window);
    EXPECT_GT(editInk.shades, 0) << "the toolkit's text is antialiased here";
    EXPECT_GT(labelInk.shades, editInk.shades / 3) << "the label's text looks as the edit's";
    EXPECT_LT(labelInk.shades, editInk.shades * 3) << "the label's text looks as the edit's";
    EXPECT_GT(aliasedInk.solid, 20);
    EXPECT_EQ(aliasedInk.shades, 0) << "non-antialiased text has no shades";
}

} // namespace
