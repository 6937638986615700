// One-line edits: what typing does to the text (limit, read-only, letter
// case, selection), the change events at the edit and at its parent, the
// selection in bytes of the text, the password character, and an edit read
// from a form file.

#include "WidgetTesting.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/EditControls.h"
#include "win32/MessageBox.h"
#include "win32/WindowManager.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <climits>

#include <functional>
#include <string>

namespace {

using namespace vcl;
using kwtest::Pump;

int g_beeps = 0;
BOOL CountBeep(UINT)
{
    ++g_beeps;
    return TRUE;
}

// An edit on a control that logs what its children tell it, and the beeps.
struct EditOnForm {
    kwtest::TestForm Form{300, 120};
    kwtest::TLoggingControl* Host;
    TEdit* Edit;
    int Changes = 0;

    win32::MessageBeepHook Before = win32::SetMessageBeepHook(&CountBeep);

    EditOnForm()
    {
        g_beeps = 0;
        Host = Create<kwtest::TLoggingControl>(Form.Get());
        Host->SetParent(Form.Get());
        Host->SetBounds(0, 0, 300, 120);
        Edit = Create<TEdit>(Form.Get());
        Edit->SetParent(Host);
        Edit->SetBounds(10, 10, 200, 25);
        Edit->OnChange = TNotifyEvent(this, &EditOnForm::Changed);
        Pump();
    }
    ~EditOnForm() { win32::SetMessageBeepHook(Before); }
    EditOnForm(const EditOnForm&) = delete;
    EditOnForm& operator=(const EditOnForm&) = delete;
    void Changed(TObject*) { ++Changes; }

    // EN_CHANGE notifications the host had from the edit.
    int Notified(WORD code) const
    {
        int n = 0;
        for (const TMessage& m : Host->Messages)
            if (m.Msg == WM_COMMAND && m.WParamHi() == code &&
                reinterpret_cast<HWND>(m.LParam) == Edit->Handle())
                ++n;
        return n;
    }
    void Type(const QString& text)
    {
        if (!Edit->Focused())
            Edit->SetFocus();
        QTest::keyClicks(Edit->Peer(), text);
        Pump();
    }
};

TEST(Edit, TypingChangesTheTextAsTheEditAllows)
{
    struct Case {
        const char* what;
        std::function<void(TEdit*)> setup;
        QString typed;
        std::string text;
        int changes;
        int beeps = 0;
    };
    const Case cases[] = {
        {"typing fills the edit", [](TEdit*) {}, "abc", "abc", 3},
        {"the limit keeps what is typed beyond it out", [](TEdit* e) { e->SetMaxLength(3); }, "abcde", "abc",
         3, 2},
        {"a read-only edit refuses typing",
         [](TEdit* e) {
             e->SetText("xy");
             e->SetReadOnly(true);
         },
         "ab\b", "xy", 0, 3},
        {"upper case", [](TEdit* e) { e->SetCharCase(ecUpperCase); }, "aBc", "ABC", 3},
        {"lower case", [](TEdit* e) { e->SetCharCase(ecLowerCase); }, "aBc", "abc", 3},
        {"a character replaces the selection",
         [](TEdit* e) {
             e->SetText("hello");
             e->SelectAll();
         },
         "x", "x", 1},
        {"Ctrl+A selects the whole text, which the next character replaces",
         [](TEdit* e) {
             e->SetText("hello");
             e->SetSelStart(2);
             QTest::keyClick(e->Peer(), Qt::Key_A, Qt::ControlModifier);
         },
         "x", "x", 1},
        {"typing goes in at the caret",
         [](TEdit* e) {
             e->SetText("ac");
             e->SetSelStart(1);
         },
         "b", "abc", 1},
        {"backspace takes the character before the caret",
         [](TEdit* e) {
             e->SetText("abc");
             e->SetSelStart(3);
         },
         "\b", "ab", 1},
        {"a full edit takes a typed character over the selection",
         [](TEdit* e) {
             e->SetMaxLength(2);
             e->SetText("ab");
             e->SetSelStart(1);
             e->SetSelLength(1);
         },
         "xy", "ax", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditOnForm f;
        f.Edit->SetFocus();
        c.setup(f.Edit);
        const int before = f.Changes;
        const int notifiedBefore = f.Notified(EN_CHANGE);
        f.Type(c.typed);
        EXPECT_EQ(f.Edit->Text(), c.text);
        EXPECT_EQ(f.Changes - before, c.changes);
        EXPECT_EQ(f.Notified(EN_CHANGE) - notifiedBefore, c.changes);
        EXPECT_EQ(f.Edit->Modified(), c.changes > 0);
        EXPECT_EQ(g_beeps, c.beeps);
    }
}

TEST(Edit, KeysReachTheEditAsKeyMessagesFirst)
{
    EditOnForm f;
    std::string log;
    struct Handlers {
        std::string& Log;
        void Press(TObject*, char16_t& key)
        {
            Log += static_cast<char>(key);
            if (key == u'x')
                key = 0; // taken: the edit never sees it
        }
    } handlers{log};
    f.Edit->OnKeyPress = TKeyPressEvent(&handlers, &Handlers::Press);
    f.Type("axb");
    EXPECT_EQ(log, "axb");
    EXPECT_EQ(f.Edit->Text(), "ab");

    // Enter and Escape put nothing in a one-line edit; Tab leaves it.
    f.Type("\r");
    QTest::keyClick(f.Edit->Peer(), Qt::Key_Escape);
    EXPECT_EQ(f.Edit->Text(), "ab");
    // Home, then Shift+End selects everything; Delete takes it.
    QTest::keyClick(f.Edit->Peer(), Qt::Key_Home);
    QTest::keyClick(f.Edit->Peer(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(f.Edit->SelText(), "ab");
    QTest::keyClick(f.Edit->Peer(), Qt::Key_Delete);
    EXPECT_EQ(f.Edit->Text(), "");
}

TEST(Edit, SetTextTellsOfTheChangeAndIsNotATypedOne)
{
    EditOnForm f;
    f.Type("a");
    EXPECT_TRUE(f.Edit->Modified());
    f.Edit->SetText("a much longer text than the limit");
    f.Edit->SetMaxLength(4);
    f.Edit->SetText("set as a whole, past the limit");
    EXPECT_EQ(f.Edit->Text(), "set as a whole, past the limit");
    EXPECT_FALSE(f.Edit->Modified());
    EXPECT_EQ(f.Changes, 3);
    EXPECT_EQ(f.Notified(EN_CHANGE), 3);
}

TEST(Edit, SelectionCountsBytesOfTheText)
{
    EditOnForm f;
    f.Edit->SetText("a\xC3\xA9\xE2\x82\xAC"
                    "b"); // a é € b: 1 + 2 + 3 + 1 bytes
    struct Case {
        const char* what;
        int start;
        int length;
        int selStart;
        std::string selText;
    };
    const Case cases[] = {
        {"the two middle characters", 1, 5, 1, "\xC3\xA9\xE2\x82\xAC"},
        {"a start inside a character is that character's", 2, 2, 1, "\xC3\xA9"},
        {"past the end stops at the end", 6, 40, 6, "b"},
        {"nothing selected", 3, 0, 3, ""},
        {"MaxInt selects to the end", 6, INT_MAX, 6, "b"},
    };
    EXPECT_EQ(SendMessageA(f.Edit->Handle(), WM_GETTEXTLENGTH, 0, 0), 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        f.Edit->SetSelStart(c.start);
        f.Edit->SetSelLength(c.length);
        EXPECT_EQ(f.Edit->SelStart(), c.selStart);
        EXPECT_EQ(f.Edit->SelText(), c.selText);
    }
    f.Edit->SetSelStart(1);
    f.Edit->SetSelLength(2);
    f.Edit->SetSelText("e");
    EXPECT_EQ(f.Edit->Text(), "ae\xE2\x82\xAC"
                              "b");
    EXPECT_EQ(f.Changes, 2);
}

TEST(Edit, BytesThatAreNotUtf8ComeBackAsTheyWentIn)
{
    // A file name is bytes; the edit must not change those that are not
    // UTF-8 (here two stray bytes, é, and an encoded surrogate).
    EditOnForm f;
    const std::string name = "bad\xFF\xFE\xC3\xA9\xED\xA0\x80"
                             "end";
    f.Edit->SetText(name);
    EXPECT_EQ(f.Edit->Text(), name);
    EXPECT_EQ(SendMessageA(f.Edit->Handle(), WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(name.size()));
    struct Case {
        int start;
        int length;
        std::string selText;
    };
    const Case cases[] = {{3, 1, "\xFF"}, {4, 3, "\xFE\xC3\xA9"}, {7, 3, "\xED\xA0\x80"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        f.Edit->SetSelStart(c.start);
        f.Edit->SetSelLength(c.length);
        EXPECT_EQ(f.Edit->SelStart(), c.start);
        EXPECT_EQ(f.Edit->SelText(), c.selText);
    }
    f.Edit->SetSelStart(0);
    f.Edit->SetSelLength(3);
    f.Edit->SetSelText("\x80");
    EXPECT_EQ(f.Edit->Text(), "\x80\xFF\xFE\xC3\xA9\xED\xA0\x80"
                              "end");
}

TEST(Edit, TheLimitCountsBytesAndTakesCharactersWhole)
{
    EditOnForm f;
    f.Edit->SetMaxLength(4);
    const HWND edit = f.Edit->Handle();
    f.Edit->SetFocus();
    for (char16_t unit : {u'\u00E9', u'\u00E9', u'x'})
        SendMessageA(edit, WM_CHAR, unit, 0);
    EXPECT_EQ(f.Edit->Text(), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(f.Notified(EN_MAXTEXT), 1);
    // A character beyond the first plane comes in two halves, and goes in
    // whole.
    f.Edit->SetText("");
    SendMessageA(edit, WM_CHAR, 0xD83D, 0);
    SendMessageA(edit, WM_CHAR, 0xDE00, 0);
    EXPECT_EQ(f.Edit->Text(), "\xF0\x9F\x98\x80");
}

TEST(Edit, ThePasswordCharacterStandsForEveryCharacter)
{
    EditOnForm f;
    TEdit* plain = Create<TEdit>(f.Form.Get());
    plain->SetParent(f.Host);
    plain->SetBounds(10, 50, 200, 25);
    plain->SetText("###");
    f.Edit->SetText("abc");
    f.Edit->SetPasswordChar('#');
    Pump();
    // What the frames hold (their rounded corners show what is behind them).
    const auto inside = [](const QImage& image) { return image.copy(image.rect().adjusted(3, 3, -3, -3)); };
    const QImage hidden = inside(kwtest::SavePicture(f.Edit->Peer(), "edit-password.png"));
    const QImage shown = inside(plain->Peer()->grab().toImage());
    EXPECT_EQ(hidden, shown);
    // A password is not copied out of the edit.
    f.Edit->SelectAll();
    QGuiApplication::clipboard()->setText("before");
    f.Edit->CopyToClipboard();
    f.Edit->CutToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "before");
    EXPECT_EQ(f.Edit->Text(), "abc");
    f.Edit->SetPasswordChar(0);
    Pump();
    EXPECT_NE(inside(f.Edit->Peer()->grab().toImage()), shown);
}

TEST(Edit, TextAndStateOutliveTheWindow)
{
    EditOnForm f;
    f.Type("abc");
    f.Edit->SetCharCase(ecUpperCase); // made again with the new style
    EXPECT_EQ(f.Edit->Text(), "ABC");
    EXPECT_TRUE(f.Edit->Modified());
    f.Edit->SetParent(nullptr);
    EXPECT_FALSE(f.Edit->HandleAllocated());
    EXPECT_EQ(f.Edit->Text(), "ABC");
    f.Edit->SetParent(f.Host);
    EXPECT_EQ(SendMessageA(f.Edit->Handle(), WM_GETTEXTLENGTH, 0, 0), 3);
}

TEST(Edit, TabSelectsTheWholeTextOfTheEditItEnters)
{
    EditOnForm f;
    TEdit* second = Create<TEdit>(f.Form.Get());
    second->SetParent(f.Host);
    second->SetBounds(10, 50, 200, 25);
    second->SetText("second");
    f.Edit->SetFocus();
    QTest::keyClick(f.Edit->Peer(), Qt::Key_Tab);
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(second->SelText(), "second");
    second->SetAutoSelect(false);
    second->SetSelLength(0);
    QTest::keyClick(second->Peer(), Qt::Key_Tab);
    QTest::keyClick(f.Edit->Peer(), Qt::Key_Tab);
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(second->SelText(), "");
}

TEST(Edit, ReadFromAFormFile)
{
    RegisterClasses({TEdit::StaticClass(), TForm::StaticClass()});
    TOwnedPtr<TComponent> root(ReadComponentFromText(R"(object Host: TForm
  Left = 0
  Top = 0
  Width = 200
  Height = 60
  object NameEdt: TEdit
    Left = 8
    Top = 8
    Width = 150
    Height = 21
    CharCase = ecUpperCase
    MaxLength = 8
    PasswordChar = '*'
    ReadOnly = True
    TabOrder = 0
    Text = 'SECRET'
  end
end
)",
                                                     nullptr));
    auto* edit = dynamic_cast<TEdit*>(root->FindComponent("NameEdt"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Text(), "SECRET");
    EXPECT_EQ(edit->MaxLength(), 8);
    EXPECT_EQ(edit->PasswordChar(), '*');
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_EQ(edit->CharCase(), ecUpperCase);
    EXPECT_TRUE(edit->TabStop());
}

} // namespace
