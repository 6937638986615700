#include "vcl/core/Strings.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Format.h"
#include "vcl/core/SafeSort.h"
#include "vcl/core/Streams.h"
#include "vcl/core/SysUtils.h"

#include <algorithm>
#include <utility>

namespace vcl {
namespace {

constexpr const char* kListIndexError = "List index out of bounds (%d)";
constexpr const char* kDuplicateString = "String list does not allow duplicates";
constexpr const char* kSortedListError = "Operation not allowed on sorted list";

bool IsBlankOrNul(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// An owning list frees objects as the framework does: persistent objects
// (components among them) through Free, so that they end in two phases.
void FreeObject(TObject* object)
{
    if (auto* persistent = dynamic_cast<TPersistent*>(object))
        persistent->Free();
    else
        delete object;
}

} // namespace

// ---- TStrings -------------------------------------------------------------

void TStrings::Error(const std::string& msg, int data)
{
    throw EStringListError(Format(msg, {data}));
}

TObject* TStrings::GetObject(int) const
{
    return nullptr;
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::Put(int index, const std::string& s)
{
    BeginUpdate();
    try {
        TObject* object = GetObject(index);
        Delete(index);
        InsertObject(index, s, object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const std::string& s1, const std::string& s2) const
{
    return AnsiCompareText(s1, s2);
}

int TStrings::Add(const std::string& s)
{
    const int index = GetCount();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const std::string& s, TObject* object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const std::string& s, TObject* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::Exchange(int index1, int index2)
{
    BeginUpdate();
    try {
        const std::string s = Get(index1);
        TObject* object = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s);
        PutObject(index2, object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    BeginUpdate();
    try {
        const std::string s = Get(curIndex);
        TObject* object = GetObject(curIndex);
        if (newIndex < 0 || newIndex >= GetCount())
            Error(kListIndexError, newIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::AddStrings(const TStrings& strings)
{
    // A copy first: strings may be this list, growing as we add.
    std::vector<std::pair<std::string, TObject*>> items;
    const int count = strings.GetCount();
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        items.emplace_back(strings.Get(i), strings.GetObject(i));
    BeginUpdate();
    try {
        for (const auto& [s, object] : items)
            AddObject(s, object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(TPersistent* source)
{
    const auto* strings = dynamic_cast<const TStrings*>(source);
    if (!strings) {
        TPersistent::Assign(source);
        return;
    }
    if (strings == this)
        return;
    BeginUpdate();
    try {
        Clear();
        Delimiter_ = strings->Delimiter_;
        QuoteChar_ = strings->QuoteChar_;
        NameValueSeparator_ = strings->NameValueSeparator_;
        LineBreak_ = strings->LineBreak_;
        AddStrings(*strings);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

bool TStrings::Equals(const TStrings& strings) const
{
    const int count = GetCount();
    if (count != strings.GetCount())
        return false;
    for (int i = 0; i < count; ++i)
        if (Get(i) != strings.Get(i))
            return false;
    return true;
}

int TStrings::IndexOf(const std::string& s) const
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (CompareStrings(Get(i), s) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& name) const
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        const std::string s = Get(i);
        const size_t p = s.find(NameValueSeparator_);
        if (p != std::string::npos && CompareStrings(s.substr(0, p), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* object) const
{
    const int count = GetCount();
    for (int i = 0; i < count; ++i)
        if (GetObject(i) == object)
            return i;
    return -1;
}

std::string TStrings::Text() const
{
    std::string out;
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        out += Get(i);
        out += LineBreak_;
    }
    return out;
}

void TStrings::SetText(std::string_view text)
{
    BeginUpdate();
    try {
        Clear();
        size_t i = 0;
        while (i < text.size()) {
            const size_t end = text.find_first_of("\r\n", i);
            const size_t stop = end == std::string_view::npos ? text.size() : end;
            Add(std::string(text.substr(i, stop - i)));
            i = stop;
            if (i < text.size() && text[i] == '\r')
                ++i;
            if (i < text.size() && text[i] == '\n')
                ++i;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::DelimitedTextWith(char delimiter, char quote) const
{
    const int count = GetCount();
    if (count == 1 && Get(0).empty())
        return std::string(2, quote);
    // Between blank delimiters an empty string would vanish: it is quoted.
    const bool blankDelimiter = IsBlankOrNul(delimiter);
    std::string out;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += delimiter;
        const std::string s = Get(i);
        bool needsQuotes = blankDelimiter && s.empty();
        for (const char c : s)
            if (IsBlankOrNul(c) || c == quote || c == delimiter) {
                needsQuotes = true;
                break;
            }
        out += needsQuotes ? AnsiQuotedStr(s, quote) : s;
    }
    return out;
}

void TStrings::SetDelimitedTextWith(std::string_view text, char delimiter, char quote)
{
    BeginUpdate();
    try {
        Clear();
        size_t i = 0;
        // A blank delimiter is one blank among others: any run of blanks
        // separates two items, and none makes an empty one.
        const bool blankDelimiter = IsBlankOrNul(delimiter);
        const auto skipBlanks = [&] {
            while (i < text.size() && IsBlankOrNul(text[i]) && (blankDelimiter || text[i] != delimiter))
                ++i;
        };
        skipBlanks();
        while (i < text.size()) {
            if (text[i] == quote) {
                std::string_view rest = text.substr(i);
                std::string s = AnsiExtractQuotedStr(rest, quote);
                i = text.size() - rest.size();
                Add(s);
            } else {
                const size_t start = i;
                while (i < text.size() && !IsBlankOrNul(text[i]) && text[i] != delimiter)
                    ++i;
                Add(std::string(text.substr(start, i - start)));
            }
            skipBlanks();
            if (i < text.size() && text[i] == delimiter) {
                ++i;
                if (i == text.size())
                    Add(std::string()); // a delimiter at the end ends an empty string
                skipBlanks();
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::DelimitedText() const
{
    return DelimitedTextWith(Delimiter_, QuoteChar_);
}

void TStrings::SetDelimitedText(std::string_view text)
{
    SetDelimitedTextWith(text, Delimiter_, QuoteChar_);
}

std::string TStrings::CommaText() const
{
    return DelimitedTextWith(',', '"');
}

void TStrings::SetCommaText(std::string_view text)
{
    SetDelimitedTextWith(text, ',', '"');
}

std::string TStrings::Names(int index) const
{
    const std::string s = Get(index);
    const size_t p = s.find(NameValueSeparator_);
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::Values(const std::string& name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : ValueFromIndex(index);
}

void TStrings::SetValues(const std::string& name, const std::string& value)
{
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    const std::string line = name + NameValueSeparator_ + value;
    if (index < 0)
        Add(line);
    else
        Put(index, line);
}

std::string TStrings::ValueFromIndex(int index) const
{
    const std::string s = Get(index);
    const size_t p = s.find(NameValueSeparator_);
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int index, const std::string& value)
{
    if (value.empty()) {
        Delete(index);
        return;
    }
    Put(index, Names(index) + NameValueSeparator_ + value);
}

void TStrings::BeginUpdate()
{
    if (UpdateCount_ == 0)
        SetUpdateState(true);
    ++UpdateCount_;
}

void TStrings::EndUpdate()
{
    if (UpdateCount_ == 0)
        return;
    if (--UpdateCount_ == 0)
        SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& stream)
{
    std::string data;
    char buffer[65536];
    for (;;) {
        const int n = stream.Read(buffer, static_cast<int>(sizeof buffer));
        if (n <= 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
    }
    SetText(data);
}

void TStrings::SaveToStream(TStream& stream) const
{
    const std::string data = Text();
    size_t written = 0;
    // WriteBuffer takes an int count; write in pieces that fit.
    while (written < data.size()) {
        const size_t piece = std::min<size_t>(data.size() - written, 1 << 30);
        stream.WriteBuffer(data.data() + written, static_cast<int>(piece));
        written += piece;
    }
}

void TStrings::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& fileName) const
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

// ---- TStringList ----------------------------------------------------------

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
    if (OwnsObjects_)
        for (TItem& item : Items_)
            FreeObject(std::exchange(item.Object, nullptr));
}

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= static_cast<int>(Items_.size()))
        Error(kListIndexError, index);
}

void TStringList::CheckUnsorted() const
{
    if (Sorted_)
        throw EStringListError(kSortedListError);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TStringList::SetUpdateState(bool updating)
{
    // Called with the count still 0 (begin) or already 0 (end).
    if (updating) {
        if (OnChanging)
            OnChanging(this);
    } else if (OnChange) {
        OnChange(this);
    }
}

std::string TStringList::Get(int index) const
{
    CheckIndex(index);
    return Items_[static_cast<size_t>(index)].String;
}

int TStringList::GetCount() const
{
    return static_cast<int>(Items_.size());
}

TObject* TStringList::GetObject(int index) const
{
    CheckIndex(index);
    return Items_[static_cast<size_t>(index)].Object;
}

void TStringList::Put(int index, const std::string& s)
{
    CheckUnsorted();
    CheckIndex(index);
    Changing();
    Items_[static_cast<size_t>(index)].String = s;
    Changed();
}

void TStringList::PutObject(int index, TObject* object)
{
    CheckIndex(index);
    Changing();
    Items_[static_cast<size_t>(index)].Object = object;
    Changed();
}

int TStringList::CompareStrings(const std::string& s1, const std::string& s2) const
{
    return CaseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

void TStringList::InsertItem(int index, const std::string& s, TObject* object)
{
    Changing();
    Items_.insert(Items_.begin() + index, TItem{s, object});
    Changed();
}

int TStringList::AddObject(const std::string& s, TObject* object)
{
    int index = GetCount();
    if (Sorted_) {
        if (Find(s, index)) {
            switch (Duplicates_) {
            case dupIgnore:
                return index;
            case dupError:
                Error(kDuplicateString, 0);
            case dupAccept:
                break; // before its equals: Find gives the first of them
            }
        }
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Insert(int index, const std::string& s)
{
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const std::string& s, TObject* object)
{
    CheckUnsorted();
    if (index < 0 || index > GetCount())
        Error(kListIndexError, index);
    InsertItem(index, s, object);
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    TObject* object = Items_[static_cast<size_t>(index)].Object;
    Items_.erase(Items_.begin() + index);
    if (OwnsObjects_)
        FreeObject(object);
    Changed();
}

void TStringList::Clear()
{
    if (Items_.empty())
        return;
    Changing();
    std::vector<TItem> items;
    items.swap(Items_);
    if (OwnsObjects_)
        for (TItem& item : items)
            FreeObject(item.Object);
    Changed();
}

void TStringList::Exchange(int index1, int index2)
{
    CheckUnsorted();
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(Items_[static_cast<size_t>(index1)], Items_[static_cast<size_t>(index2)]);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex)
{
    CheckUnsorted();
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    if (curIndex == newIndex)
        return;
    Changing();
    TItem item = std::move(Items_[static_cast<size_t>(curIndex)]);
    Items_.erase(Items_.begin() + curIndex);
    Items_.insert(Items_.begin() + newIndex, std::move(item));
    Changed();
}

int TStringList::IndexOf(const std::string& s) const
{
    if (!Sorted_)
        return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const std::string& s, int& index) const
{
    int low = 0;
    int high = GetCount(); // the answer lies in [low, high]
    bool found = false;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const int c = CompareStrings(Items_[static_cast<size_t>(mid)].String, s);
        if (c < 0) {
            low = mid + 1;
        } else {
            if (c == 0)
                found = true;
            high = mid;
        }
    }
    index = low;
    return found;
}

void TStringList::SortBy(TStringListSortCompare compare)
{
    if (Items_.size() < 2)
        return;
    // Sort positions, not items: the comparator reads the list by index, so
    // the list stays as it is until the order is known.
    const size_t count = Items_.size();
    std::vector<int> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = static_cast<int>(i);
    SafeSort(order.data(), order.size(), [this, compare](int a, int b) { return compare(this, a, b); });
    if (Items_.size() != count)
        throw EListError("List changed while it was sorted");
    Changing();
    std::vector<TItem> sorted;
    sorted.reserve(count);
    for (const int i : order)
        sorted.push_back(std::move(Items_[static_cast<size_t>(i)]));
    Items_.swap(sorted);
    Changed();
}

void TStringList::CustomSort(TStringListSortCompare compare)
{
    if (!compare)
        throw EListError("TStringList.CustomSort: no comparator");
    if (!Sorted_)
        SortBy(compare);
}

void TStringList::Sort()
{
    if (!Sorted_)
        SortBy([](TStringList* list, int a, int b) {
            return list->CompareStrings(list->Items_[static_cast<size_t>(a)].String,
                                        list->Items_[static_cast<size_t>(b)].String);
        });
}

void TStringList::SetSorted(bool sorted)
{
    if (sorted == Sorted_)
        return;
    if (sorted)
        Sort();
    Sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive)
{
    if (caseSensitive == CaseSensitive_)
        return;
    CaseSensitive_ = caseSensitive;
    if (Sorted_) {
        // The order of the list follows the comparison.
        Sorted_ = false;
        try {
            Sort();
        } catch (...) {
            Sorted_ = true;
            throw;
        }
        Sorted_ = true;
    }
}

} // namespace vcl
