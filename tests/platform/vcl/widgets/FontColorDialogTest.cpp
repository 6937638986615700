// The font and colour dialogs with a replacement answering for the person:
// they start from what they hold and take only an accepted choice.

#include "WidgetTesting.h"
#include "vcl/widgets/Dialogs.h"
#include "vcl/widgets/Graphics.h"

#include <gtest/gtest.h>

namespace {

using namespace vcl;

// What the replacement saw and how it answers.
struct Person {
    bool Accept = true;
    std::string SeenName;
    TColor SeenColor = 0;
} g_person;

bool ChooseFont(TFont* font)
{
    g_person.SeenName = font->Name();
    font->SetName("Changed");
    font->SetStyle(TFontStyles{fsItalic});
    return g_person.Accept;
}

bool ChooseColor(TColor& color)
{
    g_person.SeenColor = color;
    color = clLime;
    return g_person.Accept;
}

TEST(FontColorDialogs, StartFromWhatTheyHoldAndTakeOnlyAnAcceptedChoice)
{
    const TFontDialogHook oldFont = SetFontDialogHook(&ChooseFont);
    const TColorDialogHook oldColor = SetColorDialogHook(&ChooseColor);
    for (bool accept : {true, false}) {
        g_person = Person{};
        g_person.Accept = accept;
        TFontDialog* fonts = Create<TFontDialog>(nullptr);
        fonts->Font()->SetName("Arial");
        EXPECT_EQ(fonts->Execute(), accept);
        EXPECT_EQ(g_person.SeenName, "Arial");
        EXPECT_EQ(fonts->Font()->Name(), accept ? "Changed" : "Arial");
        EXPECT_EQ(fonts->Font()->Style() == TFontStyles{fsItalic}, accept);
        fonts->Free();

        TColorDialog* colors = Create<TColorDialog>(nullptr);
        colors->SetColor(clRed);
        EXPECT_EQ(colors->Execute(), accept);
        EXPECT_EQ(g_person.SeenColor, clRed);
        EXPECT_EQ(colors->Color(), accept ? clLime : clRed);
        colors->Free();
    }
    EXPECT_EQ(SetFontDialogHook(oldFont), &ChooseFont);
    EXPECT_EQ(SetColorDialogHook(oldColor), &ChooseColor);
}

} // namespace
