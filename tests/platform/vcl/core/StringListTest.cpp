#include "vcl/core/Exceptions.h"
#include "vcl/core/Streams.h"
#include "vcl/core/Strings.h"
#include "vcl/core/SysUtils.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace vcl;

namespace {

std::vector<std::string> Lines(const TStrings& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list[i]);
    return out;
}

using V = std::vector<std::string>;

// Counts the change events of a list.
class Watcher : public TObject {
public:
    int Changing = 0;
    int Changed = 0;
    void OnChanging(TObject*) { ++Changing; }
    void OnChanged(TObject*) { ++Changed; }
    void Hook(TStringList& list)
    {
        list.OnChanging = {this, &Watcher::OnChanging};
        list.OnChange = {this, &Watcher::OnChanged};
    }
};

// Counts its own destructions.
class Tracked : public TObject {
public:
    explicit Tracked(int& destroyed) : Destroyed_(destroyed) {}
    ~Tracked() override { ++Destroyed_; }

private:
    int& Destroyed_;
};

// Counts how it ends; BeforeDestruction runs only through Free.
class TrackedPersistent : public TPersistent {
public:
    explicit TrackedPersistent(int& destroyed) : Destroyed_(destroyed) {}
    void BeforeDestruction() override { ++Destroyed_; }

private:
    int& Destroyed_;
};

template <class E>
std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace

TEST(StringList, TextRoundTripsWithEveryLineBreak)
{
    TStringList list;
    list.SetText("a\rb\nc\r\nd\n\re");
    EXPECT_EQ(Lines(list), (V{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(list.Text(), "a\nb\nc\nd\n\ne\n");

    list.SetText("one\r\n\r\ntwo\r\n");
    EXPECT_EQ(Lines(list), (V{"one", "", "two"}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    list.SetText("\n");
    EXPECT_EQ(Lines(list), (V{""}));
    list.SetText(std::string("nul\0byte\xFF\nx", 11)); // every other byte is kept
    EXPECT_EQ(Lines(list), (V{std::string("nul\0byte\xFF", 9), "x"}));

    // Whatever lines hold no CR or LF come back as they were.
    const V lines = {"", "  padded  ", "", "\xC3\xA4", "last"};
    for (const std::string& s : lines)
        list.Add(s);
    TStringList copy;
    copy.SetText(list.Text());
    EXPECT_TRUE(copy.Equals(list));
    copy.SetLineBreak("\r\n");
    EXPECT_EQ(copy.Text().substr(0, 9), std::string("nul\0byte\xFF\r\n", 11).substr(0, 9));
    TStringList back;
    back.SetText(copy.Text());
    EXPECT_TRUE(back.Equals(list));
}

TEST(StringList, CommaAndDelimitedText)
{
    TStringList list;
    list.SetCommaText("a, b ,\"c d\",\"e\"\"f\",,g,");
    EXPECT_EQ(Lines(list), (V{"a", "b", "c d", "e\"f", "", "g", ""}));
    EXPECT_EQ(list.CommaText(), "a,b,\"c d\",\"e\"\"f\",,g,");

    list.SetCommaText("x y\tz");
    EXPECT_EQ(Lines(list), (V{"x", "y", "z"})); // blanks separate outside quotes
    list.SetCommaText("\"open");
    EXPECT_EQ(Lines(list), (V{"open"}));
    list.SetCommaText("");
    EXPECT_EQ(list.Count(), 0);
    list.SetCommaText(std::string("a\0b", 3));
    EXPECT_EQ(Lines(list), (V{"a", "b"}));

    list.Clear();
    list.Add("");
    EXPECT_EQ(list.CommaText(), "\"\"");
    list.SetCommaText("\"\"");
    EXPECT_EQ(Lines(list), (V{""}));

    list.Clear();
    for (const char* s : {"plain", "with,comma", "tab\there", "quote\"d", "", "\xC3\xA4\xFF"})
        list.Add(s);
    const std::string comma = list.CommaText();
    EXPECT_EQ(comma, "plain,\"with,comma\",\"tab\there\",\"quote\"\"d\",,\xC3\xA4\xFF");
    TStringList back;
    back.SetCommaText(comma);
    EXPECT_TRUE(back.Equals(list));

    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    EXPECT_EQ(list.DelimitedText(), "plain;with,comma;'tab\there';quote\"d;;\xC3\xA4\xFF");
    list.SetDelimitedText("x;'y;z';'it''s'");
    EXPECT_EQ(Lines(list), (V{"x", "y;z", "it's"}));
}

TEST(StringList, DelimitedTextWithEachKindOfDelimiter)
{
    struct Case {
        char Delimiter;
        const char* Text;
        V Lines;
    };
    const Case cases[] = {
        // A blank delimiter goes with the blanks around it.
        {' ', "a  b", {"a", "b"}},
        {' ', " a b ", {"a", "b"}},
        {' ', "  ", {}},
        {' ', "a", {"a"}},
        {' ', "a\tb", {"a", "b"}},
        {' ', "\"x y\"  \"\"  z", {"x y", "", "z"}},
        {'\t', "a\t\tb", {"a", "b"}},
        {'\t', "\ta\t b\t", {"a", "b"}},
        {'\t', "\t\t", {}},
        // Any other delimiter marks empty strings.
        {',', "a,,b", {"a", "", "b"}},
        {',', "a , ,b", {"a", "", "b"}},
        {',', "a,", {"a", ""}},
        {',', " , ", {""}}, // a blank after the last delimiter ends nothing
        {';', "a b;c", {"a", "b", "c"}},
        {';', ";", {"", ""}},
    };
    for (const Case& c : cases) {
        TStringList list;
        list.SetDelimiter(c.Delimiter);
        list.SetDelimitedText(c.Text);
        EXPECT_EQ(Lines(list), c.Lines) << "delimiter " << int(c.Delimiter) << " text '" << c.Text << "'";
    }

    // What a blank delimiter writes reads back the same, empty strings too.
    for (const char delimiter : {' ', '\t'}) {
        TStringList list;
        list.SetDelimiter(delimiter);
        for (const char* s : {"a", "", "b c", ""})
            list.Add(s);
        TStringList back;
        back.SetDelimiter(delimiter);
        back.SetDelimitedText(list.DelimitedText());
        EXPECT_TRUE(back.Equals(list)) << list.DelimitedText();
    }
}

TEST(StringList, NamesAndValues)
{
    TStringList list;
    list.SetText("Key=1\nother=two=2\nnovalue\n=empty name\n");
    EXPECT_EQ(list.Names(0), "Key");
    EXPECT_EQ(list.Names(1), "other");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.Values("key"), "1"); // names compare without case
    EXPECT_EQ(list.Values("OTHER"), "two=2");
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.Values(""), "empty name");
    EXPECT_EQ(list.ValueFromIndex(1), "two=2");
    EXPECT_EQ(list.ValueFromIndex(2), ""); // no separator: no value, not a clipped name
    EXPECT_EQ(list.IndexOfName("novalue"), -1);

    list.SetValues("Key", "10");
    EXPECT_EQ(list[0], "Key=10");
    list.SetValues("new", "x");
    EXPECT_EQ(list[list.Count() - 1], "new=x");
    list.SetValues("other", "");
    EXPECT_EQ(list.IndexOfName("other"), -1);
    list.SetValueFromIndex(0, "11");
    EXPECT_EQ(list[0], "Key=11");
    list.SetNameValueSeparator(':');
    list.Add("a:b");
    EXPECT_EQ(list.Values("A"), "b");
}

TEST(StringList, EditingObjectsAndIndexErrors)
{
    TStringList list;
    TObject one, two;
    list.AddObject("one", &one);
    list.AddObject("two", &two);
    list.Insert(0, "zero");
    list.InsertObject(3, "three", &one);
    EXPECT_EQ(Lines(list), (V{"zero", "one", "two", "three"}));
    EXPECT_EQ(list.Objects(1), &one);
    EXPECT_EQ(list.IndexOfObject(&two), 2);
    EXPECT_EQ(list.IndexOf("TWO"), 2);
    EXPECT_EQ(list.IndexOf("four"), -1);
    list.Exchange(0, 2);
    EXPECT_EQ(Lines(list), (V{"two", "one", "zero", "three"}));
    EXPECT_EQ(list.Objects(0), &two);
    list.Move(0, 3);
    EXPECT_EQ(Lines(list), (V{"one", "zero", "three", "two"}));
    EXPECT_EQ(list.Objects(3), &two);
    list.SetStrings(1, "nil");
    list.SetObjects(1, &two);
    EXPECT_EQ(list[1], "nil");
    EXPECT_EQ(list.Objects(1), &two);
    list.Delete(1);
    EXPECT_EQ(Lines(list), (V{"one", "three", "two"}));

    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Strings(3); }), "List index out of bounds (3)");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Delete(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(5, "x"); }), "List index out of bounds (5)");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Exchange(0, 3); }), "List index out of bounds (3)");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Move(3, 0); }), "List index out of bounds (3)");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Objects(-2); }), "List index out of bounds (-2)");
    EXPECT_EQ(Lines(list), (V{"one", "three", "two"}));

    // Assign, AddStrings (also of itself) and Equals.
    TStringList other;
    other.SetDelimiter(';');
    other.Assign(&list);
    EXPECT_TRUE(other.Equals(list));
    EXPECT_EQ(other.Delimiter(), ',');
    EXPECT_EQ(other.Objects(2), &two);
    other.AddStrings(other);
    EXPECT_EQ(Lines(other), (V{"one", "three", "two", "one", "three", "two"}));
    EXPECT_FALSE(other.Equals(list));
    EXPECT_EQ(MessageOf<EConvertError>([&] { other.Assign(nullptr); }),
              "Cannot assign a nil to a TStringList");
    TPersistent stranger;
    EXPECT_EQ(MessageOf<EConvertError>([&] { other.Assign(&stranger); }),
              "Cannot assign a TPersistent to a TStringList");
    other.Assign(&other);
    EXPECT_EQ(other.Count(), 6);
}

TEST(StringList, SortedListsFindAndDuplicates)
{
    TStringList list;
    for (const char* s : {"pear", "Apple", "banana", "apple", "Cherry"})
        list.Add(s);
    TObject marker;
    list.SetObjects(1, &marker); // "Apple" keeps its object through sorting
    list.SetSorted(true);
    EXPECT_EQ(Lines(list), (V{"Apple", "apple", "banana", "Cherry", "pear"}));
    EXPECT_EQ(list.Objects(0), &marker);

    int index = -1;
    EXPECT_TRUE(list.Find("APPLE", index));
    EXPECT_EQ(index, 0); // the first of the equal strings
    EXPECT_FALSE(list.Find("blueberry", index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(list.IndexOf("CHERRY"), 3);

    // dupIgnore (the default): the existing index, nothing added.
    EXPECT_EQ(list.Add("BANANA"), 2);
    EXPECT_EQ(list.Count(), 5);
    list.SetDuplicates(dupAccept);
    EXPECT_EQ(list.Add("Banana"), 2); // before its equals
    EXPECT_EQ(list.Add("aardvark"), 0);
    EXPECT_EQ(Lines(list), (V{"aardvark", "Apple", "apple", "Banana", "banana", "Cherry", "pear"}));
    EXPECT_TRUE(list.Find("banana", index));
    EXPECT_EQ(index, 3);
    list.SetDuplicates(dupError);
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Add("PEAR"); }),
              "String list does not allow duplicates");
    EXPECT_EQ(list.Count(), 7);

    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(0, "x"); }),
              "Operation not allowed on sorted list");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetStrings(0, "x"); }),
              "Operation not allowed on sorted list");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Exchange(0, 1); }),
              "Operation not allowed on sorted list");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Move(0, 1); }), "Operation not allowed on sorted list");

    // Case-sensitive: equal only byte for byte, and the list sorts again.
    list.SetDuplicates(dupIgnore);
    list.SetCaseSensitive(true);
    EXPECT_TRUE(list.Find("apple", index));
    EXPECT_EQ(list[index], "apple");
    EXPECT_FALSE(list.Find("APPLE", index));
    EXPECT_EQ(list.Add("APPLE"), index);
    EXPECT_EQ(list.Count(), 8);
    for (int i = 1; i < list.Count(); ++i)
        EXPECT_LT(AnsiCompareStr(list[i - 1], list[i]), 0) << list[i - 1] << " / " << list[i];

    // A sorted list of many random strings stays ordered and findable.
    TStringList big;
    big.SetSorted(true);
    big.SetDuplicates(dupAccept);
    std::mt19937 random(7);
    for (int i = 0; i < 300; ++i)
        big.Add(std::string(1, static_cast<char>('a' + random() % 5)) + std::to_string(random() % 20));
    for (int i = 1; i < big.Count(); ++i)
        EXPECT_LE(AnsiCompareText(big[i - 1], big[i]), 0);
    for (int i = 0; i < big.Count(); ++i) {
        ASSERT_TRUE(big.Find(big[i], index));
        EXPECT_LE(index, i);
        EXPECT_EQ(AnsiCompareText(big[index], big[i]), 0);
        if (index > 0) {
            EXPECT_NE(AnsiCompareText(big[index - 1], big[i]), 0);
        }
    }
}

TEST(StringList, CustomSortSurvivesLyingComparators)
{
    TStringList list;
    std::vector<TObject> objects(200);
    for (int i = 0; i < 200; ++i)
        list.AddObject(std::to_string(i), &objects[static_cast<size_t>(i)]);

    static std::mt19937 random(11);
    const TStringListSortCompare liars[] = {
        [](TStringList*, int, int) { return static_cast<int>(random() % 3) - 1; },
        [](TStringList*, int, int) { return -1; },
        [](TStringList*, int, int) { return 1; },
        [](TStringList*, int a, int b) { return (a + b) % 2 ? 1 : -1; },
    };
    for (const TStringListSortCompare liar : liars) {
        list.CustomSort(liar);
        ASSERT_EQ(list.Count(), 200);
        // Still a permutation, each string with its own object.
        std::vector<bool> seen(200);
        for (int i = 0; i < 200; ++i) {
            const int n = std::stoi(list[i]);
            EXPECT_FALSE(seen[static_cast<size_t>(n)]);
            seen[static_cast<size_t>(n)] = true;
            EXPECT_EQ(list.Objects(i), &objects[static_cast<size_t>(n)]);
        }
    }

    // An honest comparator sorts, stably.
    std::vector<int> place(200);
    for (int i = 0; i < 200; ++i)
        place[static_cast<size_t>(std::stoi(list[i]))] = i;
    list.CustomSort([](TStringList* l, int a, int b) {
        return std::stoi(l->Strings(a)) % 10 - std::stoi(l->Strings(b)) % 10;
    });
    for (int i = 1; i < 200; ++i) {
        const int prev = std::stoi(list[i - 1]);
        const int cur = std::stoi(list[i]);
        EXPECT_LE(prev % 10, cur % 10);
        if (prev % 10 == cur % 10) {
            EXPECT_LT(place[static_cast<size_t>(prev)], place[static_cast<size_t>(cur)]);
        }
    }

    // A comparator that raises leaves the list as it was.
    const std::vector<std::string> before = Lines(list);
    EXPECT_THROW(list.CustomSort([](TStringList*, int, int) -> int { throw EListError("stop"); }),
                 EListError);
    EXPECT_EQ(Lines(list), before);
    // A comparator that deletes from the list cannot make the sort run off its end.
    EXPECT_THROW(list.CustomSort([](TStringList* l, int a, int) {
        l->Delete(l->Count() - 1);
        return l->Strings(a).empty() ? 0 : 1;
    }),
                 Exception);
}

TEST(StringList, UpdatesFireOnceAndOwnedObjectsAreFreed)
{
    Watcher watcher;
    TStringList list;
    watcher.Hook(list);
    list.Add("a");
    EXPECT_EQ(watcher.Changing, 1);
    EXPECT_EQ(watcher.Changed, 1);
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add("b");
    list.Delete(0);
    list.SetText("x\ny");
    list.EndUpdate();
    EXPECT_EQ(watcher.Changed, 1);
    list.EndUpdate();
    EXPECT_EQ(watcher.Changing, 2);
    EXPECT_EQ(watcher.Changed, 2);
    list.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(watcher.Changed, 2);
    list.SetCommaText("p,q,r"); // one update for the whole text
    EXPECT_EQ(watcher.Changed, 3);
    list.Sort();
    EXPECT_EQ(watcher.Changed, 4);

    int destroyed = 0;
    int persistentDestroyed = 0;
    {
        TStringList owner(true);
        owner.AddObject("a", new Tracked(destroyed));
        owner.AddObject("b", new Tracked(destroyed));
        owner.AddObject("c", new Tracked(destroyed));
        owner.AddObject("d", nullptr);
        owner.Delete(0);
        EXPECT_EQ(destroyed, 1);
        owner.SetSorted(true);
        owner.Clear();
        EXPECT_EQ(destroyed, 3);
        owner.AddObject("e", new Tracked(destroyed));
        owner.AddObject("f", Create<TrackedPersistent>(persistentDestroyed));
    }
    EXPECT_EQ(destroyed, 4);
    EXPECT_EQ(persistentDestroyed, 1); // freed in two phases
}

TEST(StringList, LoadsAndSavesStreamsAndFiles)
{
    TStringList list;
    TStringStream in("first\r\nsecond\n\xFF\xFEraw\rlast");
    list.LoadFromStream(in);
    EXPECT_EQ(Lines(list), (V{"first", "second", "\xFF\xFEraw", "last"}));

    TStringStream out;
    list.SaveToStream(out);
    EXPECT_EQ(out.DataString(), "first\nsecond\n\xFF\xFEraw\nlast\n");

    kwtest::TempDir temp;
    const std::string file = temp / "li\xFFst.txt";
    list.SaveToFile(file);
    TStringList back;
    back.LoadFromFile(file);
    EXPECT_TRUE(back.Equals(list));
    EXPECT_THROW(back.LoadFromFile(temp / "missing"), EFOpenError);
    EXPECT_TRUE(back.Equals(list));
}
