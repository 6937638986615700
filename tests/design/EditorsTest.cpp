// The package's editors through the host: verbs of every component editor,
// the splitter's commands, the special-folder drop-down, the shell-location
// editor's dialog, and the frame-style samples drawn into a picture.

#include "DesignTesting.h"

#include "FKwFolderBrowseDlg.h"
#include "FKwOpenDlg.h"
#include "FKwShellLocatorEditor.h"
#include "UKwImageCombo.h"
#include "UKwShellControls.h"
#include "UKwSplitter.h"
#include "UKwSysFolderDlg.h"
#include "UKwTreeList.h"
#include "vcl/widgets/Graphics.h"
#include "vcl/widgets/OpenDialog.h"

#include <QApplication>

namespace {

using namespace designide;
using namespace vcl;
using namespace kw;

class Editors : public kwtest::DesignHostTest {};

// The modal window up now, if any: Qt's modal dialog or the framework's
// form in its modal loop.
QWidget* ModalWindowNow()
{
    QWidget* found = QApplication::activeModalWidget();
    for (int i = 0; !found && i < Screen()->FormCount(); ++i)
        if (TCustomForm* form = Screen()->Forms(i); form->Visible() && form->FormState().Contains(fsModal))
            found = form->Peer();
    return found;
}

// The modal window, once it has appeared.
QWidget* ModalWindow()
{
    QWidget* found = nullptr;
    kwtest::PumpUntil(
        [&] {
            found = ModalWindowNow();
            return found != nullptr;
        },
        5000);
    return found;
}

// Escape on the window's focused control, as a person presses it.
void EscapeOn(QWidget* window)
{
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused && focused->window() == window ? focused : window, Qt::Key_Escape);
}

TEST_F(Editors, VerbCountsAndTexts)
{
    const std::vector<std::string> about{"&About..."};
    const std::vector<std::string> aboutTest{"&About...", "&Test..."};
    struct Case {
        TClass Class;
        std::vector<std::string> Verbs;
        // Outside the listed ones only the about editor has a text.
        bool AnyIndex;
    };
    const std::vector<Case> table{
        {kw::TKwShellTree::StaticClass(), about, true},
        {kw::TKwShellList::StaticClass(), about, true},
        {kw::TKwFrame::StaticClass(), about, true},
        {kw::TKwListView::StaticClass(), about, true},
        {kw::TKwSplitter::StaticClass(),
         {"&About...", "&Center Panes", "Swap &Panes", "Activate Pane &1", "Activate Pane &2"},
         false},
        {kw::TKwOpenDlg::StaticClass(), aboutTest, false},
        {kw::TKwSaveDlg::StaticClass(), aboutTest, false},
        {kw::TKwFolderBrowseDlg::StaticClass(), aboutTest, false},
        {kw::TKwSysFolderDlg::StaticClass(), aboutTest, false},
        {TOpenDialog::StaticClass(), {"&Test..."}, false},
    };
    for (const Case& c : table) {
        TComponent* component = Host->AddComponent(c.Class);
        EXPECT_EQ(Host->Verbs(component), c.Verbs) << c.Class->Name;
        std::unique_ptr<TComponentEditor> editor = Host->ComponentEditor(component);
        for (int index : {-1, static_cast<int>(c.Verbs.size()), 7})
            EXPECT_EQ(editor->GetVerb(index), c.AnyIndex ? "&About..." : "") << c.Class->Name << " " << index;
    }
}

// "&Test..." runs each dialog modally at design time on the component;
// Escape closes it. The about verb names the dialog's class; an index past
// the two runs nothing.
TEST_F(Editors, DialogTestVerbs)
{
    for (TClass cls : {kw::TKwOpenDlg::StaticClass(), kw::TKwSaveDlg::StaticClass(),
                       kw::TKwFolderBrowseDlg::StaticClass(), kw::TKwSysFolderDlg::StaticClass()}) {
        TComponent* dialog = Host->AddComponent(cls);
        std::string shownTitle;
        kwtest::Later({[&] {
            QWidget* shown = ModalWindow();
            ASSERT_NE(shown, nullptr) << cls->Name;
            shownTitle = shown->windowTitle().toStdString();
            EscapeOn(shown);
        }});
        Host->ExecuteVerb(dialog, 1);
        EXPECT_FALSE(shownTitle.empty()) << cls->Name;
        EXPECT_EQ(ModalWindowNow(), nullptr) << cls->Name;

        kwtest::Later({[&] {
            QWidget* shown = ModalWindow();
            ASSERT_NE(shown, nullptr) << cls->Name;
            shownTitle = shown->windowTitle().toStdString();
            EscapeOn(shown);
        }});
        Host->ExecuteVerb(dialog, 0);
        EXPECT_EQ(shownTitle, std::string("About ") + cls->Name);

        // Had index 2 run anything, the modal run would wait for a key.
        Host->ExecuteVerb(dialog, 2);
        EXPECT_EQ(ModalWindowNow(), nullptr) << cls->Name;
    }
}

// "&Test..." runs the file dialog at design time on any index, its files
// cleared first; Escape closes it.
TEST_F(Editors, OpenDialogTestVerb)
{
    auto* dialog = static_cast<TOpenDialog*>(Host->AddComponent(TOpenDialog::StaticClass()));
    for (int index : {0, 3}) {
        dialog->Files()->Add("stale");
        int filesWhenShown = -1;
        kwtest::Later({[&] {
            QWidget* shown = QApplication::activeModalWidget();
            ASSERT_NE(shown, nullptr);
            filesWhenShown = dialog->Files()->Count();
            QTest::keyClick(shown, Qt::Key_Escape);
        }});
        Host->ExecuteVerb(dialog, index);
        EXPECT_EQ(filesWhenShown, 0) << index;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << index;
    }
}

TEST_F(Editors, SplitterCommands)
{
    auto* splitter = static_cast<kw::TKwSplitter*>(Host->AddComponent(kw::TKwSplitter::StaticClass()));
    // Center: (extent - splitter width) div 2, for an even and an odd extent.
    for (int width : {200, 201, 97}) {
        splitter->SetBounds(0, 0, width, 120);
        splitter->SetPosition(10);
        Host->ExecuteVerb(splitter, 1);
        EXPECT_EQ(splitter->Position(), (splitter->Extent() - splitter->SplitterWidth()) / 2) << width;
    }
    splitter->SetBounds(0, 0, 300, 120);
    splitter->SetPosition(70);
    kw::TKwPane* first = splitter->GetPane(0);
    kw::TKwPane* second = splitter->GetPane(1);
    Host->ExecuteVerb(splitter, 2);
    EXPECT_EQ(splitter->GetPane(0), second);
    EXPECT_EQ(splitter->GetPane(1), first);
    EXPECT_EQ(splitter->Position(), 300 - 70);

    Host->ExecuteVerb(splitter, 4);
    EXPECT_TRUE(splitter->GetPane(1)->Active());
    EXPECT_FALSE(splitter->GetPane(0)->Active());
    Host->ExecuteVerb(splitter, 3);
    EXPECT_TRUE(splitter->GetPane(0)->Active());
    EXPECT_FALSE(splitter->GetPane(1)->Active());

    // An index outside the five does nothing.
    const int position = splitter->Position();
    for (int index : {5, -1, 99}) {
        Host->ExecuteVerb(splitter, index);
        EXPECT_EQ(splitter->Position(), position);
        EXPECT_EQ(splitter->GetPane(0), second);
        EXPECT_TRUE(splitter->GetPane(0)->Active());
    }
}

TEST_F(Editors, SpecialFolderDropDown)
{
    TPropInfo prop;
    prop.Name = "Domain";
    prop.PropType = TypeInfo<TCSIDL>();
    std::unique_ptr<TPropertyEditor> editor =
        FindPropertyEditor(kw::TKwShellTree::StaticClass(), &prop).Create(Host.get(), 1);
    editor->SetEditedProperty({Host->Form()}, &prop);
    std::vector<std::string> values;
    editor->GetValues([&](const std::string& value) { values.push_back(value); });
    EXPECT_EQ(values.size(), 24u);
    EXPECT_EQ(values.front(), "csidlDesktop");
    EXPECT_EQ(values.back(), "csidlNone");
    for (const std::string& value : values)
        EXPECT_EQ(value.find('_'), std::string::npos) << value;
    EXPECT_TRUE(editor->GetAttributes().Contains(paValueList));
}

// The locator editor's dialog answered from inside its modal loop.
TEST_F(Editors, LocatorEditorOkAndCancel)
{
    auto* tree = static_cast<kw::TKwShellTree*>(Host->AddComponent(kw::TKwShellTree::StaticClass()));
    std::unique_ptr<TPropertyEditor> editor = Host->PropertyEditor(tree, "BaseFolder");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetAttributes(), (TPropertyAttributes{paDialog, paReadOnly}));
    EXPECT_EQ(editor->GetValue(), "(TKwShellLocator)");
    tree->BaseFolder()->SetCSIDL(csidlPersonal);

    struct Case {
        const char* Name;
        bool Ok;
        int Modified;
        TCSIDL After;
    };
    const Case cases[] = {{"cancel", false, 0, csidlPersonal}, {"ok", true, 1, csidlFonts}};
    for (const Case& c : cases) {
        const int before = Host->ModifiedCount();
        kw::TFrmShellLocatorEditor* form = nullptr;
        kwtest::Later({[&] {
                           form = kwtest::ShownForm<kw::TFrmShellLocatorEditor>();
                           ASSERT_NE(form, nullptr);
                           form->ComboBox1->SetItemIndex(form->ComboBox1->Items()->IndexOf("csidlFonts"));
                       },
                       [&] { kwtest::PressKey(form, c.Ok ? Qt::Key_Return : Qt::Key_Escape); }});
        editor->Edit();
        EXPECT_EQ(Host->ModifiedCount() - before, c.Modified) << c.Name;
        EXPECT_EQ(tree->BaseFolder()->GetCSIDL(), c.After) << c.Name;
    }
}

TEST_F(Editors, FrameStyleSamples)
{
    auto* group = static_cast<kw::TKwGroup*>(Host->AddComponent(kw::TKwGroup::StaticClass()));
    std::unique_ptr<TPropertyEditor> editor = Host->PropertyEditor(group, "FrameStyle");
    ASSERT_NE(editor, nullptr);
    std::vector<std::string> values;
    editor->GetValues([&](const std::string& value) { values.push_back(value); });
    ASSERT_EQ(values.size(), 11u);
    // This generation draws through the two interfaces; the previous one
    // through the editor's own virtuals, with the same drawing.
#if defined(KW_PREVIOUS_GENERATION)
    EXPECT_EQ(dynamic_cast<ICustomPropertyListDrawing*>(editor.get()), nullptr);
    EXPECT_EQ(dynamic_cast<ICustomPropertyDrawing*>(editor.get()), nullptr);
#else
    EXPECT_NE(dynamic_cast<ICustomPropertyListDrawing*>(editor.get()), nullptr);
    EXPECT_NE(dynamic_cast<ICustomPropertyDrawing*>(editor.get()), nullptr);
#endif

    TOwnedPtr<TBitmap> bitmap(Create<TBitmap>());
    TCanvas* canvas = bitmap->Canvas();
    canvas->Font()->SetName("DejaVu Sans");
    canvas->Font()->SetHeight(-11);
    const int w = 2 * canvas->TextWidth("X");
    int width = 100;
    HostListMeasureWidth(editor.get(), values.front(), canvas, width);
    EXPECT_EQ(width, 100 + w);

    const int rowHeight = 18;
    const int listWidth = 140;
    bitmap->SetSize(listWidth, rowHeight * static_cast<int>(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int top = static_cast<int>(i) * rowHeight;
        HostListDrawValue(editor.get(), values[i], canvas, TRect{0, top, listWidth, top + rowHeight}, i == 3);
    }
    const QImage picture = bitmap->ToImage();
    picture.save(QString::fromStdString(kwtest::OutputPath("frame-style-dropdown.png")));

    // Each row: the strip is the frame routine's drawing on button face,
    // the text right of it on the window (or selection) colour.
    TOwnedPtr<TBitmap> expected(Create<TBitmap>());
    expected->SetSize(w, rowHeight);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int top = static_cast<int>(i) * rowHeight;
        TCanvas* c = expected->Canvas();
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(TRect{0, 0, w, rowHeight});
        std::int64_t style = 0;
        ASSERT_TRUE(GetEnumValue(TypeInfo<kw::TKwFrameStyle>(), values[i], style));
        kw::DrawFrame(static_cast<kw::TKwFrameStyle>(style), c, TRect{2, 2, w - 2, rowHeight - 2});
        const QImage strip = expected->ToImage();
        for (int y = 0; y < rowHeight; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(picture.pixel(x, top + y), strip.pixel(x, y)) << values[i] << " " << x << "," << y;
        const COLORREF back = ColorToRGB(i == 3 ? clHighlight : clWindow);
        const QRgb background = qRgb(GetRValue(back), GetGValue(back), GetBValue(back));
        EXPECT_EQ(picture.pixel(listWidth - 2, top + rowHeight - 2) | 0xFF000000u, background) << values[i];
        // Some text was drawn right of the strip.
        bool text = false;
        for (int y = top; y < top + rowHeight && !text; ++y)
            for (int x = w; x < listWidth && !text; ++x)
                text = (picture.pixel(x, y) | 0xFF000000u) != background;
        EXPECT_TRUE(text) << values[i];
    }

    // The inspector's value cell draws the same entry.
    group->SetFrameStyle(kw::kwfsBump);
    bitmap->SetSize(listWidth, rowHeight);
    HostPropDrawValue(editor.get(), canvas, TRect{0, 0, listWidth, rowHeight}, false);
    TOwnedPtr<TBitmap> entry(Create<TBitmap>());
    entry->SetSize(listWidth, rowHeight);
    entry->Canvas()->Font()->Assign(canvas->Font());
    HostListDrawValue(editor.get(), "kwfsBump", entry->Canvas(), TRect{0, 0, listWidth, rowHeight}, false);
    EXPECT_EQ(bitmap->ToImage(), entry->ToImage());
}

} // namespace
