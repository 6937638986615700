#pragma once
// TStrings, the framework's abstract list of strings each paired with an
// object, and TStringList, its stand-alone implementation (sorting,
// duplicates, change events).

#include "vcl/CorvaneVclExport.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Events.h"

#include <string>
#include <string_view>
#include <vector>

namespace vcl {

class TStream;

class CORVANE_VCL_EXPORT TStrings : public TPersistent {
    VCL_DECLARE_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;

    int Count() const { return GetCount(); }
    std::string Strings(int index) const { return Get(index); }
    std::string operator[](int index) const { return Get(index); }
    void SetStrings(int index, const std::string& s) { Put(index, s); }
    TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* object) { PutObject(index, object); }

    virtual int Add(const std::string& s);
    virtual int AddObject(const std::string& s, TObject* object);
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void InsertObject(int index, const std::string& s, TObject* object);
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    // Adds every string (and object) of strings; strings may be this list.
    virtual void AddStrings(const TStrings& strings);
    // Makes this list a copy of another TStrings; the delimiter, quote,
    // name-value separator and line break come along. Any other source is
    // TPersistent's business (EConvertError "Cannot assign a nil to a
    // TStringList" for null).
    void Assign(TPersistent* source) override;
    // The same strings in the same order (objects are not compared).
    bool Equals(const TStrings& strings) const;

    // Comparisons go through CompareStrings (AnsiCompareText here).
    virtual int IndexOf(const std::string& s) const;
    int IndexOfName(const std::string& name) const;
    int IndexOfObject(const TObject* object) const;

    // Every line followed by the line break; setting splits at CR, LF and
    // CR LF (a last line break adds no empty line) and keeps every other
    // byte, NUL included.
    std::string Text() const;
    virtual void SetText(std::string_view text);
    const std::string& LineBreak() const { return LineBreak_; }
    void SetLineBreak(std::string lineBreak) { LineBreak_ = std::move(lineBreak); }

    // Strings joined by the delimiter; a string that is empty alone, or holds a
    // byte up to ' ', the quote or the delimiter, is quoted (quotes doubled);
    // with a blank or control delimiter (' ', tab) an empty string is quoted
    // too. Setting splits at delimiters and at blanks outside quotes; blanks
    // around an item are skipped, and a delimiter that is the text's last byte
    // adds an empty string (" , " is one empty string, "," two).
    // A blank delimiter is skipped with the other blanks, so "a  b" and
    // " a b " are a and b, and "  " is no string at all.
    std::string DelimitedText() const;
    void SetDelimitedText(std::string_view text);
    // DelimitedText with ',' and '"'.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);
    char Delimiter() const { return Delimiter_; }
    void SetDelimiter(char delimiter) { Delimiter_ = delimiter; }
    char QuoteChar() const { return QuoteChar_; }
    void SetQuoteChar(char quoteChar) { QuoteChar_ = quoteChar; }

    // Lines of the form name=value.
    char NameValueSeparator() const { return NameValueSeparator_; }
    void SetNameValueSeparator(char separator) { NameValueSeparator_ = separator; }
    // The name part of line index; empty when the line has no separator.
    std::string Names(int index) const;
    // The value of the first line named name; empty when there is none.
    std::string Values(const std::string& name) const;
    // Replaces the first line named name, or adds one; an empty value deletes it.
    void SetValues(const std::string& name, const std::string& value);
    // The value part of line index; empty when the line has no separator.
    std::string ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const std::string& value);

    // Nested updates: the first BeginUpdate and the last EndUpdate call
    // SetUpdateState (TStringList fires OnChanging and OnChange there).
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return UpdateCount_; }

    // All bytes from the stream's position to its end become Text.
    virtual void LoadFromStream(TStream& stream);
    virtual void SaveToStream(TStream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // Raises EStringListError with msg formatted around data ("%d").
    [[noreturn]] static void Error(const std::string& msg, int data);

protected:
    virtual std::string Get(int index) const = 0;
    virtual int GetCount() const = 0;
    virtual TObject* GetObject(int index) const;
    virtual void Put(int index, const std::string& s);
    virtual void PutObject(int index, TObject* object);
    virtual void SetUpdateState(bool updating);
    virtual int CompareStrings(const std::string& s1, const std::string& s2) const;

private:
    std::string DelimitedTextWith(char delimiter, char quote) const;
    void SetDelimitedTextWith(std::string_view text, char delimiter, char quote);

    int UpdateCount_ = 0;
    char Delimiter_ = ',';
    char QuoteChar_ = '"';
    char NameValueSeparator_ = '=';
    std::string LineBreak_ = "\n";
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };
using enum TDuplicates;

class TStringList;
// Compares the strings at index1 and index2 of list: negative, zero or
// positive. The list does not change while it sorts.
using TStringListSortCompare = int (*)(TStringList* list, int index1, int index2);

class CORVANE_VCL_EXPORT TStringList : public TStrings {
    VCL_DECLARE_CLASS(TStringList, TStrings)
public:
    // An owning list frees the objects of the strings it deletes or clears,
    // and those left when it is destroyed (a TPersistent with Free).
    explicit TStringList(bool ownsObjects = false) : OwnsObjects_(ownsObjects) {}
    ~TStringList() override;

    int Add(const std::string& s) override { return AddObject(s, nullptr); }
    // On a sorted list the string goes to its place: dupIgnore returns the
    // index of the equal string already there, dupError raises
    // EStringListError "String list does not allow duplicates", dupAccept
    // puts it before its equals.
    int AddObject(const std::string& s, TObject* object) override;
    // Insert, Exchange, Move and setting a string raise EStringListError
    // "Operation not allowed on sorted list" on a sorted list.
    void Insert(int index, const std::string& s) override;
    void InsertObject(int index, const std::string& s, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    void Move(int curIndex, int newIndex) override;
    int IndexOf(const std::string& s) const override;

    // Binary search of a sorted list: true when s is there, and index is the
    // first equal string; otherwise index is where s would go.
    bool Find(const std::string& s, int& index) const;
    void Sort();
    // Sorts with any comparator (one that lies gives some order, never a
    // fault; one that raises leaves the list as it was). Nothing happens on a
    // sorted list, whose order is kept by the list itself. Equal strings keep
    // their order.
    virtual void CustomSort(TStringListSortCompare compare);

    bool Sorted() const { return Sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return Duplicates_; }
    void SetDuplicates(TDuplicates duplicates) { Duplicates_ = duplicates; }
    bool CaseSensitive() const { return CaseSensitive_; }
    void SetCaseSensitive(bool caseSensitive);
    bool OwnsObjects() const { return OwnsObjects_; }
    void SetOwnsObjects(bool ownsObjects) { OwnsObjects_ = ownsObjects; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    std::string Get(int index) const override;
    int GetCount() const override;
    TObject* GetObject(int index) const override;
    void Put(int index, const std::string& s) override;
    void PutObject(int index, TObject* object) override;
    void SetUpdateState(bool updating) override;
    int CompareStrings(const std::string& s1, const std::string& s2) const override;
    virtual void Changing();
    virtual void Changed();

private:
    struct TItem {
        std::string String;
        TObject* Object = nullptr;
    };

    void CheckIndex(int index) const;
    void CheckUnsorted() const;
    void InsertItem(int index, const std::string& s, TObject* object);
    void SortBy(TStringListSortCompare compare);

    std::vector<TItem> Items_;
    bool Sorted_ = false;
    TDuplicates Duplicates_ = dupIgnore;
    bool CaseSensitive_ = false;
    bool OwnsObjects_ = false;
};

} // namespace vcl
