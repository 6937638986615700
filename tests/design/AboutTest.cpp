// The about box: its version text for every kind of version and release,
// in a comma locale too, the caption the component editors give it, its
// artwork from the form file, the web button, and Enter and Escape closing
// it.

#include "DesignTesting.h"

#include "FKwAbout.h"
#include "UKwSplitter.h"
#include "shell32/Opening.h"
#include "vcl/core/Filer.h"
#include "vcl/core/FormatSettingsTesting.h"

#include <QByteArray>

namespace {

using namespace vcl;
using kw::TKwFrmAbout;

std::vector<std::string> g_opened;

BOOL RecordOpen(const shell32::OpenRequest& request)
{
    g_opened.push_back(request.target);
    return TRUE;
}

struct Shown {
    std::string Caption;
    std::string Product;
    std::string Version;
    std::string Copyright;
};

// Runs show() and answers the box from its modal loop with key.
Shown ShowAndClose(const std::function<void()>& show, Qt::Key key, const std::string& picture = std::string())
{
    Shown shown;
    bool found = false;
    kwtest::Later({[&] {
        TKwFrmAbout* form = kwtest::ShownForm<TKwFrmAbout>();
        ASSERT_NE(form, nullptr);
        found = true;
        shown = {form->Caption(), form->ProductTxt->Caption(), form->VersionTxt->Caption(),
                 form->CopyrightTxt->Caption()};
        if (!picture.empty())
            kwtest::SavePicture(form->Peer(), picture);
        kwtest::PressKey(form, key);
    }});
    show();
    EXPECT_TRUE(found);
    return shown;
}

class About : public kwtest::DesignHostTest {};

TEST_F(About, VersionsAndReleases)
{
    struct Case {
        int Version;
        int Release;
        char Separator;
        const char* Text;
    };
    const Case cases[] = {
        {160, -64, '.', "Version 1.6"}, {165, 0, '.', "Version 1.65"}, {150, 0, '.', "Version 1.5"},
        {105, 0, '.', "Version 1.05"},  {100, 0, '.', "Version 1"},    {160, 2, '.', "Version 1.6b"},
        {165, 1, ',', "Version 1,65a"}, {100, 3, ',', "Version 1c"},
    };
    for (const Case& c : cases) {
        TFormatSettings settings;
        settings.DecimalSeparator = c.Separator;
        vcl::testing::SetFormatSettings(settings);
        const Shown shown =
            ShowAndClose([&] { TKwFrmAbout::Execute("Corvane", "2026\n", c.Version, c.Release); },
                         c.Version % 2 ? Qt::Key_Return : Qt::Key_Escape);
        EXPECT_EQ(shown.Version, c.Text);
        EXPECT_EQ(shown.Caption, "About");
        EXPECT_EQ(shown.Product, "Corvane");
        EXPECT_EQ(shown.Copyright, "Copyright \xC2\xA9 2026\n");
    }
    vcl::testing::ResetFormatSettings();
}

TEST_F(About, ComponentEditorsShowItForTheirClass)
{
    TComponent* splitter = Host->AddComponent(kw::TKwSplitter::StaticClass());
    TComponent* frame = Host->AddComponent(kw::TKwFrame::StaticClass());
    struct Case {
        TComponent* Component;
        int Verb;
        Qt::Key Key;
        const char* Caption;
    };
    const Case cases[] = {{splitter, 0, Qt::Key_Escape, "About TKwSplitter"},
                          {frame, 0, Qt::Key_Return, "About TKwFrame"},
                          {frame, 3, Qt::Key_Escape, "About TKwFrame"}};
    for (const Case& c : cases) {
        const Shown shown = ShowAndClose([&] { Host->ExecuteVerb(c.Component, c.Verb); }, c.Key,
                                         c.Component == splitter ? "about-box.png" : "");
        EXPECT_EQ(shown.Caption, c.Caption);
        EXPECT_EQ(shown.Version, "Version 1.6");
        EXPECT_EQ(shown.Copyright, std::string("Copyright \xC2\xA9 ") + kw::KwCopyrightYears);
    }
}

TEST_F(About, TheArtworkComesFromTheFormFileAndShows)
{
    // Colours of the artwork: the band at its top, the strip at its foot.
    const QColor band(60, 110, 170);
    const QColor foot(24, 48, 88);
    bool checked = false;
    kwtest::Later({[&] {
        TKwFrmAbout* form = kwtest::ShownForm<TKwFrmAbout>();
        ASSERT_NE(form, nullptr);
        checked = true;
        TImage* image = form->Image1;
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Parent(), form->Panel1);
        EXPECT_EQ(image->Align(), alClient);
        EXPECT_TRUE(image->Stretch());
        EXPECT_TRUE(image->Center());
        EXPECT_EQ(image->Width(), form->Panel1->ClientWidth());
        EXPECT_EQ(image->Height(), form->Panel1->ClientHeight());
        const QImage picture = image->Picture()->Graphic()->ToImage();
        ASSERT_EQ(picture.size(), QSize(160, 120));
        EXPECT_EQ(picture.pixelColor(2, 2), band);
        EXPECT_EQ(picture.pixelColor(2, 117), foot);

        // Written out, the form keeps the picture as a bitmap's PNG data.
        const std::string text = WriteComponentToText(form);
        const std::size_t data = text.find("Picture.Data = {");
        ASSERT_NE(data, std::string::npos);
        std::string hex = text.substr(data + 16, text.find('}', data) - data - 16);
        std::erase_if(hex, [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
        const QByteArray bytes = QByteArray::fromHex(QByteArray::fromStdString(hex));
        ASSERT_TRUE(bytes.startsWith(QByteArray("\x07TBitmap\x89PNG", 12)));
        EXPECT_EQ(QImage::fromData(bytes.mid(8)).convertToFormat(QImage::Format_RGB32),
                  picture.convertToFormat(QImage::Format_RGB32));

        // On the screen: the artwork inside the panel's border.
        const QImage shot = kwtest::SavePicture(form->Peer(), "about-artwork.png");
        const QPoint origin =
            form->Peer()->mapFromGlobal(QPoint(image->ClientOrigin().x, image->ClientOrigin().y));
        EXPECT_EQ(shot.pixelColor(origin + QPoint(2, 2)), band);
        EXPECT_EQ(shot.pixelColor(origin + QPoint(2, image->Height() - 3)), foot);
        kwtest::PressKey(form, Qt::Key_Escape);
    }});
    TKwFrmAbout::Execute("Corvane", "2026\n", 160, 0);
    EXPECT_TRUE(checked);
}

TEST_F(About, WebButtonOpensThePage)
{
    const shell32::OpenHook before = shell32::SetOpenHook(RecordOpen);
    g_opened.clear();
    kwtest::Later({[&] {
                       TKwFrmAbout* form = kwtest::ShownForm<TKwFrmAbout>();
                       ASSERT_NE(form, nullptr);
                       QTest::mouseClick(form->Button1->Peer(), Qt::LeftButton, {}, QPoint(10, 10));
                   },
                   [&] {
                       // The box stays open after the page is asked for.
                       TKwFrmAbout* form = kwtest::ShownForm<TKwFrmAbout>();
                       ASSERT_NE(form, nullptr);
                       kwtest::PressKey(form, Qt::Key_Escape);
                   }});
    TKwFrmAbout::Execute("Corvane", "2026\n", 160, 0);
    EXPECT_EQ(g_opened, std::vector<std::string>{kw::KwWebSiteAddress});
    shell32::SetOpenHook(before);
}

} // namespace
