// Rich edits: the text's markup, lines read from a stream, and the look of
// a read-only one without a border.

#include "WidgetTesting.h"
#include "vcl/core/Streams.h"
#include "vcl/widgets/ComCtrls.h"

#include <gtest/gtest.h>

#include <QTextBrowser>

namespace {

using namespace vcl;
using kwtest::Pump;

TEST(RichEdit, ShowsTheMarkupAsTextAndFollowsItsLines)
{
    struct Case {
        const char* name;
        std::string source;
        std::string plain;
    };
    const Case cases[] = {
        {"paragraphs", "<p>One</p>\n<p>Two <b>bold</b></p>", "One\nTwo bold"},
        {"a heading and a list", "<h3>Title</h3><ul><li>first</li><li>second</li></ul>",
         "Title\nfirst\nsecond"},
        {"entities and breaks", "a &amp; b<br>c", "a & b\nc"},
        {"plain words", "just text", "just text"},
    };
    kwtest::TestForm form(300, 200);
    TRichEdit* edit = Create<TRichEdit>(form.Get());
    edit->SetParent(form.Get());
    edit->SetBounds(5, 5, 290, 190);
    for (const Case& c : cases) {
        TStringStream stream(c.source);
        edit->Lines()->LoadFromStream(stream);
        Pump();
        EXPECT_EQ(edit->PlainText(), c.plain) << c.name;
    }
    // The lines outlive the window.
    edit->Lines()->SetText("<p>kept</p>");
    edit->RecreateWnd();
    edit->HandleNeeded();
    EXPECT_EQ(edit->PlainText(), "kept");
}

TEST(RichEdit, ReadOnlyWithoutBorderInItsColour)
{
    struct Case {
        bool readOnly;
        TBorderStyle border;
        TColor color;
    };
    for (const Case& c : {Case{true, bsNone, clBtnFace}, Case{false, bsSingle, clWindow}}) {
        kwtest::TestForm form(300, 200);
        TRichEdit* edit = Create<TRichEdit>(form.Get());
        edit->SetParent(form.Get());
        edit->SetBounds(10, 10, 200, 120);
        edit->SetReadOnly(c.readOnly);
        edit->SetBorderStyle(c.border);
        edit->SetColor(c.color);
        edit->Lines()->SetText("<p><b>Corvane</b> shows <span style=\"color:#ff0000\">red</span> text.</p>");
        Pump();
        auto* browser = qobject_cast<QTextBrowser*>(edit->Peer());
        ASSERT_TRUE(browser);
        EXPECT_EQ(browser->isReadOnly(), c.readOnly);
        EXPECT_EQ(browser->frameShape() == QFrame::NoFrame, c.border == bsNone);
        const QImage shot = kwtest::SavePicture(
            edit->Peer(), std::string("richedit-") + (c.readOnly ? "readonly" : "editable") + ".png");
        EXPECT_EQ(shot.pixelColor(100, 100), ColorToQColor(c.color));
        bool red = false;
        for (int y = 0; y < 40 && !red; ++y)
            for (int x = 0; x < 200 && !red; ++x)
                red = shot.pixelColor(x, y).red() > 200 && shot.pixelColor(x, y).green() < 80;
        EXPECT_TRUE(red) << "the red words";
    }
}

} // namespace
