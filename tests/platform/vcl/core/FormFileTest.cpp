// Text form files: a golden file holding every construct, read, written back
// byte for byte and read again; and malformed files, each refused with the
// line and what was expected, leaving nothing behind.

#include "FormTestClasses.h"

#include "vcl/core/Filer.h"
#include "vcl/core/FormText.h"
#include "vcl/core/Resources.h"
#include "vcl/core/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace vcl;
using namespace formtest;

namespace {

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path DataPath(const std::string& name)
{
    return std::filesystem::path(KW_TEST_DATA_DIR) / "vcl" / name;
}

class FormFile : public ::testing::Test {
protected:
    void SetUp() override { Log().clear(); }
    void TearDown() override { Log().clear(); }
    TTestClassesRegistration Registration_;
};

// Checks what the golden file says, value by value.
void ExpectGoldenContent(TTestForm* form)
{
    EXPECT_EQ(form->Name(), "GoldenForm");
    EXPECT_EQ(form->Caption, "Golden form");
    EXPECT_EQ(form->Color, clWindow);
    EXPECT_EQ(form->Cursor, crHourGlass);
    EXPECT_EQ(form->Tag(), 7);
    ASSERT_EQ(form->ComponentCount(), 3);

    TTestTimer* timer = form->Timer1;
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Interval, 250);
    EXPECT_FALSE(timer->Enabled);
    EXPECT_EQ(timer->OnTimer.Method(), GetMethodInfo(form->ClassType(), "TimerTick")->Bind(form));

    TTestControl* panel = form->Panel1;
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Parent(), form);
    EXPECT_EQ(panel->Left, 8);
    EXPECT_EQ(panel->Top, 16);
    EXPECT_EQ(panel->Caption,
              "It's a panel\r\nwith \xC3\xA4 and \xE2\x82\xAC and a long line that goes on past the "
              "sixty-four characters of one piece");
    EXPECT_EQ(panel->Align, taClient);
    EXPECT_EQ(panel->Ratio, 0.25);
    EXPECT_EQ(panel->Letter, 'Z');
    EXPECT_EQ(panel->Big, -9000000000);
    EXPECT_EQ(panel->Options, (TTestOptions{toSecond, toFourth}));
    EXPECT_EQ(panel->Font()->Name(), "DejaVu Sans");
    EXPECT_EQ(panel->Font()->Size(), 10);
    EXPECT_EQ(panel->Font()->Color(), clBlue);
    ASSERT_EQ(panel->Items()->Count(), 3);
    EXPECT_EQ(panel->Items()->Strings(0), "first");
    EXPECT_EQ(panel->Items()->Strings(1), "");
    EXPECT_EQ(panel->Items()->Strings(2), "third");
    ASSERT_EQ(panel->Columns()->Count(), 2);
    auto* name = static_cast<TTestColumn*>(panel->Columns()->Items(0));
    auto* size = static_cast<TTestColumn*>(panel->Columns()->Items(1));
    EXPECT_EQ(name->Caption, "Name");
    EXPECT_EQ(name->Width, 120);
    EXPECT_EQ(size->Caption, "");
    EXPECT_EQ(size->Width, 50);
    EXPECT_EQ(size->Alignment, taRight);
    std::string pidl;
    for (int i = 0; i < 40; ++i)
        pidl += static_cast<char>(i * 7);
    EXPECT_EQ(panel->Folder()->Data, pidl);
    EXPECT_EQ(panel->Link(), timer);
    EXPECT_EQ(panel->Extra, (std::vector<std::pair<int, std::string>>{{1, "one"}, {-2, "two"}}));

    TTestButton* ok = form->OkBtn;
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->Parent(), panel);
    EXPECT_EQ(ok->Caption, "OK");
    EXPECT_FALSE(ok->Visible);
    EXPECT_TRUE(ok->Default);
    EXPECT_EQ(ok->ModalResult, 1);
    EXPECT_EQ(ok->Buddy(), panel);
    // The panel names the button before it is made: a forward reference.
    EXPECT_EQ(panel->Buddy(), ok);
    EXPECT_EQ(ok->OnClick.Method(), GetMethodInfo(form->ClassType(), "OkBtnClick")->Bind(form));
    bool allow = true;
    form->OnChanging(form, allow);
    EXPECT_FALSE(allow);
    ok->OnClick(ok);
    EXPECT_EQ(form->Clicks, 1);
    EXPECT_EQ(form->Buddy(), form); // a reference to the root itself
}

} // namespace

TEST_F(FormFile, GoldenFileReadsWritesBackIdenticalAndReadsAgain)
{
    const std::string golden = ReadFile(DataPath("GoldenForm.txt"));
    ASSERT_FALSE(golden.empty()) << DataPath("GoldenForm.txt");

    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    ReadComponentFromText(golden, form.get());
    ExpectGoldenContent(form.get());
    // Loaded ran once for each, root first, then in the order they were made.
    EXPECT_EQ(Log(), (std::vector<std::string>{"loaded GoldenForm", "loaded Timer1", "loaded Panel1",
                                               "loaded OkBtn"}));
    EXPECT_FALSE(form->ComponentState().Contains(csLoading));
    EXPECT_FALSE(form->OkBtn->ComponentState().Contains(csLoading));
    EXPECT_FALSE(form->OkBtn->ComponentState().Contains(csReading));

    const std::string written = WriteComponentToText(form.get());
    EXPECT_EQ(written, golden);

    // A root made from the registered class the file names.
    TOwnedPtr<TComponent> again(ReadComponentFromText(written, nullptr));
    ASSERT_EQ(again->ClassType(), TTestForm::StaticClass());
    ExpectGoldenContent(static_cast<TTestForm*>(again.get()));
    EXPECT_EQ(ParseFormText(WriteComponentToText(again.get())), ParseFormText(golden));

    // Through a stream, and as a form resource.
    TMemoryStream stream;
    WriteComponentToStream(stream, form.get());
    stream.SetPosition(0);
    TOwnedPtr<TComponent> streamed(ReadComponentFromStream(stream, nullptr));
    EXPECT_EQ(WriteComponentToText(streamed.get()), golden);
    RegisterResource(HInstance(), RT_RCDATA, "TGOLDENFORM", golden.data(), golden.size());
    TOwnedPtr<TTestForm> fromResource(Create<TTestForm>(nullptr));
    EXPECT_FALSE(ReadComponentRes(HInstance(), "TNOSUCHFORM", fromResource.get()));
    EXPECT_TRUE(ReadComponentRes(HInstance(), "TGoldenForm", fromResource.get()));
    UnregisterResource(HInstance(), RT_RCDATA, "TGOLDENFORM");
    ExpectGoldenContent(fromResource.get());

    // Freeing the form clears the fields as its controls go.
    TTestForm* raw = form.get();
    raw->Panel1->Free();
    EXPECT_EQ(raw->Panel1, nullptr);
    EXPECT_EQ(raw->OkBtn, nullptr); // freed with its parent
}

TEST_F(FormFile, WriterLeavesOutDefaultsAndUnstoredProperties)
{
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    form->SetName("Plain");
    auto* button = Create<TTestButton>(form.get());
    button->SetName("OkBtn");
    button->SetParentComponent(form.get());
    button->ModalResult = 3; // unstored unless Default
    EXPECT_EQ(WriteComponentToText(form.get()), "object Plain: TTestForm\n"
                                                "  object OkBtn: TTestButton\n"
                                                "  end\n"
                                                "end\n");
    button->Default = true;
    button->Color = 0x00C8FFFF;
    button->Cursor = 5;
    button->Options = {};
    EXPECT_EQ(WriteComponentToText(form.get()), "object Plain: TTestForm\n"
                                                "  object OkBtn: TTestButton\n"
                                                "    Color = 13172735\n"
                                                "    Cursor = 5\n"
                                                "    Options = []\n"
                                                "    Default = True\n"
                                                "    ModalResult = 3\n"
                                                "  end\n"
                                                "end\n");
}

TEST_F(FormFile, HexadecimalColoursAndEmptyStructuresRead)
{
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    ReadComponentFromText("object F: TTestForm\r\n"
                          "  Color = $80000005\r\n"
                          "  Items.Strings = ()\r\n"
                          "  Columns = <>\r\n"
                          "  Font.Color = $00C8FFFF\r\n"
                          "  Ratio = 3\r\n"
                          "  Buddy = nil\r\n"
                          "  OnClick = nil\r\n"
                          "end\r\n",
                          form.get());
    EXPECT_EQ(form->Color, clWindow);
    EXPECT_EQ(form->Font()->Color(), 0x00C8FFFF);
    EXPECT_EQ(form->Ratio, 3.0);
    EXPECT_EQ(form->Name(), "F");
}

namespace {

struct MalformedCase {
    const char* What;
    std::string Text;
    const char* Line;     // the line the message must name
    const char* Expected; // a part of the message
};

std::string Nested(int depth)
{
    std::string text = "object F: TTestForm\n";
    for (int i = 1; i < depth; ++i)
        text += "object P" + std::to_string(i) + ": TTestControl\n";
    for (int i = 0; i < depth; ++i)
        text += "end\n";
    return text;
}

// A valid body, then one bad line: everything made before the bad line must go.
std::string WithChildrenThen(const std::string& rootProperty, const std::string& badLine)
{
    return "object F: TTestForm\n" + rootProperty +
           "  object Timer1: TTestTimer\n  end\n"
           "  object Panel1: TTestControl\n    Caption = 'made'\n" +
           badLine + "  end\nend\n";
}

} // namespace

TEST_F(FormFile, MalformedFilesRaiseNamingLineAndExpectation)
{
    const std::vector<MalformedCase> cases = {
        {"truncated", "object F: TTestForm\n  Caption = 'x'\n", "Line 3", "end of file"},
        {"truncated string", "object F: TTestForm\n  Caption = 'x\nend\n", "Line 2", "closing quote"},
        {"unbalanced end", "object F: TTestForm\nend\nend\n", "Line 3", "end of file expected"},
        {"value kind", "object F: TTestForm\n  Left = 'abc'\nend\n", "Line 2", "an integer expected"},
        {"value kind of a set", "object F: TTestForm\n  Options = toFirst\nend\n", "Line 2",
         "a set expected"},
        {"unknown class", WithChildrenThen("", "    object X: TNoSuchClass\n    end\n"), "Line 6",
         "class TNoSuchClass not found"},
        {"unknown property", WithChildrenThen("", "    Bogus = 1\n"), "Line 6", "Bogus"},
        {"unknown sub-property", "object F: TTestForm\n  Font.Weight = 1\nend\n", "Line 2", "Weight"},
        {"unknown identifier", WithChildrenThen("", "    Color = clNoSuch\n"), "Line 6", "clNoSuch"},
        {"unknown enumeration member", "object F: TTestForm\n  Align = alClient\nend\n", "Line 2",
         "a member of TTestAlign expected"},
        {"unknown set member", "object F: TTestForm\n  Options = [toFirst, toNope]\nend\n", "Line 2",
         "toNope"},
        {"out of range", WithChildrenThen("", "    Left = 3000000000\n"), "Line 6", "out of range"},
        {"out of 64 bits", "object F: TTestForm\n  Big = 99999999999999999999\nend\n", "Line 2",
         "out of range"},
        {"cursor out of range", "object F: TTestForm\n  Cursor = 40000\nend\n", "Line 2", "out of range"},
        {"odd binary", "object F: TTestForm\n  Folder.Pidl = {\n    012}\nend\n", "Line 3", "odd length"},
        {"bad binary digit", "object F: TTestForm\n  Folder.Pidl = {0G}\nend\n", "Line 2",
         "hexadecimal digit"},
        {"binary for a listed property", "object F: TTestForm\n  Extra = {00}\nend\n", "Line 2",
         "a value other than binary data expected"},
        {"nesting 257 deep", Nested(257), "Line 257", "nested more than 256 levels"},
        {"name not an identifier", "object F: TTestForm\n  object 1st: TTestControl\n  end\nend\n", "Line 2",
         "'1st' is neither a number nor an identifier"},
        {"duplicate name", WithChildrenThen("", "  end\n  object Panel1: TTestControl\n"), "Line 7",
         "a component named Panel1 already exists"},
        {"defined property past its block", WithChildrenThen("", "    Folder.Pidl = {00FF000000}\n"),
         "Line 6", "Stream read error"},
        {"defined property not read whole", "object F: TTestForm\n  Extra = (1 'a' 2)\nend\n", "Line 2",
         "a value expected but the end"},
        {"defined property of the wrong shape", "object F: TTestForm\n  Extra = 5\nend\n", "Line 2",
         "a list expected"},
        {"form inheritance", "inherited F: TTestForm\nend\n", "Line 1", "form inheritance is not supported"},
        {"wrong root class", "object F: TTestButton\nend\n", "Line 1", "the form of a TTestForm expected"},
        {"field of another class", "object F: TTestForm\n  object OkBtn: TTestControl\n  end\nend\n",
         "Line 2", "field OkBtn"},
        {"unresolved reference", WithChildrenThen("", "    Buddy = Nobody\n"), "Line 6", "Nobody not found"},
        {"reference of the wrong class", WithChildrenThen("", "    Buddy = Timer1\n"), "Line 6",
         "a TTestControl expected"},
        {"unknown handler", WithChildrenThen("", "    OnClick = NoHandler\n"), "Line 6", "method NoHandler"},
        {"handler of another signature", WithChildrenThen("", "    OnClick = FormChanging\n"), "Line 6",
         "does not fit"},
        {"root property after children", WithChildrenThen("  Caption = 'changed'\n  Cursor = crNoSuch\n", ""),
         "Line 3", "crNoSuch"},
        {"bad collection item",
         "object F: TTestForm\n  Columns = <\n    item\n      Width = 'x'\n    end>\nend\n", "Line 4",
         "an integer expected"},
        {"string list of numbers", "object F: TTestForm\n  Items.Strings = (\n    'a'\n    1)\nend\n",
         "Line 4", "a string expected"},
        {"stray character", "object F: TTestForm\n  Left = 1;\nend\n", "Line 2", "invalid character"},
        {"char of two letters", "object F: TTestForm\n  Letter = 'ab'\nend\n", "Line 2", "one character"},
        {"character code out of range", "object F: TTestForm\n  Caption = #70000\nend\n", "Line 2",
         "character code out of range"},
    };
    for (const MalformedCase& test : cases) {
        SCOPED_TRACE(test.What);
        TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
        form->SetName("Before");
        form->Caption = "before";
        form->Cursor = crArrow;
        try {
            ReadComponentFromText(test.Text, form.get());
            ADD_FAILURE() << "accepted";
        } catch (const EReadError& e) {
            const std::string message = e.what();
            EXPECT_EQ(e.ClassType(), EReadError::StaticClass()) << message;
            EXPECT_EQ(message.rfind(std::string(test.Line) + ":", 0), 0u) << message;
            EXPECT_NE(message.find(test.Expected), std::string::npos) << message;
        }
        // Nothing made survives, and the root keeps its state.
        EXPECT_EQ(form->ComponentCount(), 0);
        EXPECT_EQ(form->Timer1, nullptr);
        EXPECT_EQ(form->Panel1, nullptr);
        EXPECT_EQ(form->Name(), "Before");
        EXPECT_EQ(form->Caption, "before");
        EXPECT_EQ(form->Cursor, crArrow);
        EXPECT_FALSE(form->ComponentState().Contains(csLoading));
        for (const std::string& entry : Log())
            EXPECT_EQ(entry.rfind("loaded", 0), std::string::npos) << entry;
        Log().clear();
    }
    // 256 levels are still read.
    TOwnedPtr<TTestForm> deep(Create<TTestForm>(nullptr));
    ReadComponentFromText(Nested(256), deep.get());
    EXPECT_EQ(deep->ComponentCount(), 255);
    // A made root goes too when reading fails.
    EXPECT_THROW(ReadComponentFromText("object F: TTestForm\n  Left = x\nend\n", nullptr), EReadError);
}

TEST_F(FormFile, ReadingFailureFreesNestedControlsOnce)
{
    // The panel frees its children; after the failure both must be gone once.
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    const std::string text = "object F: TTestForm\n"
                             "  object Panel1: TTestControl\n"
                             "    object OkBtn: TTestButton\n"
                             "    end\n"
                             "  end\n"
                             "  Tag = 'x'\n"
                             "end\n";
    EXPECT_THROW(ReadComponentFromText(text, form.get()), EReadError); // properties after objects
    const std::string late = "object F: TTestForm\n"
                             "  object Panel1: TTestControl\n"
                             "    object OkBtn: TTestButton\n"
                             "      Buddy = Missing\n"
                             "    end\n"
                             "  end\n"
                             "end\n";
    EXPECT_THROW(ReadComponentFromText(late, form.get()), EReadError);
    EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(FormFile, StringsKeepEveryByteAcrossPieces)
{
    // A character outside the 16-bit range falls on the cut between two
    // pieces; bytes that are no UTF-8 and NUL come along.
    const std::string caption =
        std::string(63, 'a') + "\xF0\x9F\x98\x80" + "\xFF\xFE" + std::string(1, '\0') + "'";
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    form->SetName("F");
    form->Caption = caption;
    form->Letter = '\xE4';
    const std::string text = WriteComponentToText(form.get());
    EXPECT_NE(text.find("#55357#56832 +"), std::string::npos) << text; // the pair stays in one piece
    TOwnedPtr<TTestForm> again(Create<TTestForm>(nullptr));
    ReadComponentFromText(text, again.get());
    EXPECT_EQ(again->Caption, caption);
    EXPECT_EQ(again->Letter, '\xE4');
    // A pair that a file cuts with '+' is joined.
    ReadComponentFromText("object F: TTestForm\n  Caption = #55357 +\n    #56832\nend\n", again.get());
    EXPECT_EQ(again->Caption, "\xF0\x9F\x98\x80");
}

namespace {

// Frees the component it is given, as a control that replaces another may:
// a component can go while the form that made it is still being read.
class TTestReplacer : public TTestControl {
    VCL_DECLARE_PUBLISHED_CLASS(TTestReplacer, TTestControl)
public:
    using TTestControl::TTestControl;
    TComponent* Victim() const { return nullptr; }
    void SetVictim(TComponent* victim)
    {
        if (victim)
            victim->Free();
    }

protected:
    ~TTestReplacer() override = default;
};

const TClassRtti& TTestReplacer::PublishedTable()
{
    static const TClassRtti table =
        Publish<TTestReplacer>().Property<&TTestReplacer::Victim, &TTestReplacer::SetVictim>("Victim");
    return table;
}

} // namespace

TEST_F(FormFile, ComponentsFreedWhileTheFormIsReadAreLeftAlone)
{
    ASSERT_TRUE(RegisterClass(TTestReplacer::StaticClass()));
    // Panel1 waits for a reference to a later component and is freed before
    // that is fixed up; its reading states and Loaded are no business of the
    // reader any more.
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    ReadComponentFromText("object F: TTestForm\n"
                          "  object Panel1: TTestControl\n"
                          "    Buddy = Later\n"
                          "  end\n"
                          "  object Killer: TTestReplacer\n"
                          "    Victim = Panel1\n"
                          "  end\n"
                          "  object Later: TTestControl\n"
                          "  end\n"
                          "end\n",
                          form.get());
    EXPECT_EQ(form->Panel1, nullptr);
    ASSERT_EQ(form->ComponentCount(), 2);
    EXPECT_EQ(Log(),
              (std::vector<std::string>{"destroying Panel1", "loaded F", "loaded Killer", "loaded Later"}));

    // A component that frees itself cannot take the rest of what the file
    // says of it: the reading fails there, and the rest goes.
    TOwnedPtr<TTestForm> other(Create<TTestForm>(nullptr));
    try {
        ReadComponentFromText("object F: TTestForm\n"
                              "  object Timer1: TTestTimer\n"
                              "  end\n"
                              "  object Killer: TTestReplacer\n"
                              "    Victim = Killer\n"
                              "    Caption = 'after'\n"
                              "  end\n"
                              "end\n",
                              other.get());
        ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Line 5:", 0), 0u) << e.what();
        EXPECT_NE(std::string(e.what()).find("freed"), std::string::npos) << e.what();
    }
    EXPECT_EQ(other->ComponentCount(), 0);
    UnRegisterClass(TTestReplacer::StaticClass());
}

namespace {

// Made in a slot of its own while that is free, as a heap hands a freed
// block to the next request of its size: a component made after another was
// freed then sits at the freed one's address, in every build.
class TTestRecycled : public TTestControl {
    VCL_DECLARE_PUBLISHED_CLASS(TTestRecycled, TTestControl)
public:
    using TTestControl::TTestControl;

    static void* operator new(std::size_t size)
    {
        if (SlotTaken || size > sizeof Slot)
            return ::operator new(size);
        SlotTaken = true;
        return Slot;
    }
    static void operator delete(void* block)
    {
        if (block == Slot)
            SlotTaken = false;
        else
            ::operator delete(block);
    }

    // Frees the owner's component of that name, while the file is read.
    std::string Evict() const { return {}; }
    void SetEvict(const std::string& name)
    {
        if (TComponent* victim = Owner()->FindComponent(name))
            victim->Free();
    }

protected:
    ~TTestRecycled() override = default;

private:
    alignas(std::max_align_t) static inline unsigned char Slot[4096];
    static inline bool SlotTaken = false;
};

const TClassRtti& TTestRecycled::PublishedTable()
{
    static const TClassRtti table =
        Publish<TTestRecycled>().Property<&TTestRecycled::Evict, &TTestRecycled::SetEvict>("Evict");
    return table;
}

} // namespace

TEST_F(FormFile, AComponentMadeWhereAFreedOneWasIsNotTakenForIt)
{
    ASSERT_TRUE(RegisterClass(TTestRecycled::StaticClass()));
    // A takes the slot and waits for a reference; B frees A; C is made in
    // A's slot. C is loaded once, in its place, and A's reference goes with A.
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    ReadComponentFromText("object F: TTestForm\n"
                          "  object A: TTestRecycled\n"
                          "    Buddy = Later\n"
                          "  end\n"
                          "  object B: TTestRecycled\n"
                          "    Evict = 'A'\n"
                          "  end\n"
                          "  object C: TTestRecycled\n"
                          "  end\n"
                          "  object Later: TTestControl\n"
                          "  end\n"
                          "end\n",
                          form.get());
    EXPECT_EQ(Log(),
              (std::vector<std::string>{"destroying A", "loaded F", "loaded B", "loaded C", "loaded Later"}));
    auto* c = As<TTestControl>(form->FindComponent("C"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Buddy(), nullptr);
    EXPECT_FALSE(c->ComponentState().Contains(csReading));
    EXPECT_FALSE(c->ComponentState().Contains(csLoading));
    form.reset();
    UnRegisterClass(TTestRecycled::StaticClass());
}

TEST_F(FormFile, FailedReadingKeepsTheRootsListsCollectionsAndDefinedProperties)
{
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    form->SetName("Before");
    form->Caption = "before";
    form->Items()->Add("keep");
    auto* column = static_cast<TTestColumn*>(form->Columns()->Add());
    column->Caption = "old";
    form->Extra = {{5, "five"}};
    form->Folder()->Data = "abc";
    form->Font()->SetName("Old");

    auto expectUnchanged = [&] {
        EXPECT_EQ(form->Name(), "Before");
        EXPECT_EQ(form->Caption, "before");
        ASSERT_EQ(form->Items()->Count(), 1);
        EXPECT_EQ(form->Items()->Strings(0), "keep");
        ASSERT_EQ(form->Columns()->Count(), 1);
        EXPECT_EQ(form->Columns()->Items(0), column);
        EXPECT_EQ(column->Caption, "old");
        EXPECT_EQ(form->Extra, (std::vector<std::pair<int, std::string>>{{5, "five"}}));
        EXPECT_EQ(form->Folder()->Data, "abc");
        EXPECT_EQ(form->Font()->Name(), "Old");
    };

    // The root's compound values of every kind, ending with a defined
    // property of a sub-object whose block is given.
    auto everyCompoundValue = [](const std::string& pidlBlock) {
        return "object F: TTestForm\n"
               "  Items.Strings = (\n"
               "    'new')\n"
               "  Columns = <\n"
               "    item\n"
               "      Caption = 'a'\n"
               "    end>\n"
               "  Extra = (\n"
               "    1\n"
               "    'one')\n"
               "  Folder.Pidl = {" +
               pidlBlock + "}\n" + "end\n";
    };

    // An item of the root's collection that cannot be read, after other
    // compound values of the root.
    EXPECT_THROW(ReadComponentFromText("object F: TTestForm\n"
                                       "  Caption = 'changed'\n"
                                       "  Font.Name = 'New'\n"
                                       "  Items.Strings = (\n"
                                       "    'new')\n"
                                       "  Extra = (\n"
                                       "    1\n"
                                       "    'one')\n"
                                       "  Columns = <\n"
                                       "    item\n"
                                       "      Caption = 'a'\n"
                                       "    end\n"
                                       "    item\n"
                                       "      Bogus = 1\n"
                                       "    end>\n"
                                       "end\n",
                                       form.get()),
                 EReadError);
    expectUnchanged();

    // A defined property of a sub-object of the root that reads past its
    // block, after every other kind of compound value.
    EXPECT_THROW(ReadComponentFromText(everyCompoundValue("00FF000000"), form.get()), EReadError);
    expectUnchanged();

    // Defined properties that stored nothing before come back empty.
    form->Extra.clear();
    form->Folder()->Data.clear();
    EXPECT_THROW(ReadComponentFromText("object F: TTestForm\n"
                                       "  Folder.Pidl = {0001000000AA}\n"
                                       "  Items.Strings = (\n"
                                       "    'new')\n"
                                       "  Tag = 3\n"
                                       "  Extra = (\n"
                                       "    1\n"
                                       "    'one'\n"
                                       "    2)\n"
                                       "end\n",
                                       form.get()),
                 EReadError);
    EXPECT_TRUE(form->Folder()->Data.empty());
    EXPECT_TRUE(form->Extra.empty());
    EXPECT_EQ(form->Tag(), 0);
    EXPECT_THROW(ReadComponentFromText("object F: TTestForm\n"
                                       "  Extra = (\n"
                                       "    1\n"
                                       "    'one')\n"
                                       "  Folder.Pidl = {0001000000}\n"
                                       "end\n",
                                       form.get()),
                 EReadError);
    EXPECT_TRUE(form->Extra.empty());
    EXPECT_TRUE(form->Folder()->Data.empty());
    form->Extra = {{5, "five"}};
    form->Folder()->Data = "abc";
    expectUnchanged();

    // A name the root's owner already has for another: refused last, and
    // everything before it is taken back.
    TOwnedPtr<TTestForm> owner(Create<TTestForm>(nullptr));
    Create<TTestTimer>(owner.get())->SetName("Taken");
    owner->InsertComponent(form.get());
    EXPECT_THROW(ReadComponentFromText("object Taken: TTestForm\n"
                                       "  Caption = 'changed'\n"
                                       "  Items.Strings = (\n"
                                       "    'new')\n"
                                       "end\n",
                                       form.get()),
                 EReadError);
    owner->RemoveComponent(form.get());
    expectUnchanged();

    // The same file without the failure is read whole.
    ReadComponentFromText(everyCompoundValue("0001000000AA"), form.get());
    EXPECT_EQ(form->Name(), "F");
    EXPECT_EQ(form->Items()->Text(), "new\n");
    ASSERT_EQ(form->Columns()->Count(), 1);
    EXPECT_EQ(static_cast<TTestColumn*>(form->Columns()->Items(0))->Caption, "a");
    EXPECT_EQ(form->Extra, (std::vector<std::pair<int, std::string>>{{1, "one"}}));
    EXPECT_EQ(form->Folder()->Data, "\xAA");
}

TEST_F(FormFile, WriterRefusesWhatTheReaderCannotNest)
{
    // 256 levels of objects are read; a list one level further down is not,
    // so the writer must not write it.
    TOwnedPtr<TTestForm> form(Create<TTestForm>(nullptr));
    form->SetName("F");
    TTestControl* parent = form.get();
    for (int i = 1; i < MaxFormNesting; ++i) {
        auto* child = Create<TTestControl>(form.get());
        child->SetName("P" + std::to_string(i));
        child->SetParentComponent(parent);
        parent = child;
    }
    const std::string text = WriteComponentToText(form.get());
    TOwnedPtr<TTestForm> again(Create<TTestForm>(nullptr));
    ReadComponentFromText(text, again.get());
    parent->Items()->Add("one level too deep");
    EXPECT_THROW(WriteComponentToText(form.get()), EWriteError);
    parent->Items()->Clear();
    parent->Extra = {{1, "a"}};
    EXPECT_THROW(WriteComponentToText(form.get()), EWriteError);
}
