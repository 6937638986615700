#include "win32/RegistryStore.h"

#include "win32/HexDigits.h"
#include "win32/Registry.h"

#include <algorithm>
#include <charconv>

namespace win32::registry {

namespace {

// Version 2 ends with "end <lines before it>", so that a file cut short
// anywhere is told from a whole one; version 1 had no end line and is still
// read.
constexpr std::string_view kHeader = "corvane-registry 2";
constexpr std::string_view kHeaderWithoutEnd = "corvane-registry 1";
// Keys of up to this many values find one by walking them.
constexpr std::size_t kWalkedValues = 8;
// Deeper paths than the platform allows are refused, which also bounds the
// recursion of FormatStore.
constexpr std::size_t kMaxDepth = 512;

constexpr char Fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FoldedName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        c = Fold(c);
    return folded;
}

constexpr const char* kRootNames[RootCount] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                               "HKEY_USERS"};

// A byte that stands for itself inside quotes.
constexpr bool IsPlainByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return c != '"' && c != '\\' && byte >= 0x20 && byte != 0x7F;
}

// Reads the tokens of one line; every read checks the bounds of the line.
class LineReader {
public:
    explicit LineReader(std::string_view line) : Line_(line) {}

    void SkipBlanks()
    {
        while (Pos_ < Line_.size() && (Line_[Pos_] == ' ' || Line_[Pos_] == '\t'))
            ++Pos_;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return Pos_ >= Line_.size();
    }
    std::string_view Word()
    {
        SkipBlanks();
        const std::size_t start = Pos_;
        while (Pos_ < Line_.size() && Line_[Pos_] != ' ' && Line_[Pos_] != '\t')
            ++Pos_;
        return Line_.substr(start, Pos_ - start);
    }
    bool Quoted(std::string& out)
    {
        SkipBlanks();
        if (Pos_ >= Line_.size() || Line_[Pos_] != '"')
            return false;
        ++Pos_;
        out.clear();
        while (Pos_ < Line_.size()) {
            // Runs of plain bytes go over whole.
            std::size_t plain = Pos_;
            while (plain < Line_.size() && IsPlainByte(Line_[plain]))
                ++plain;
            out.append(Line_.data() + Pos_, plain - Pos_);
            Pos_ = plain;
            if (Pos_ >= Line_.size())
                break;
            const char c = Line_[Pos_++];
            if (c == '"')
                return true;
            if (c != '\\')
                return false; // control bytes are always escaped
            if (Pos_ >= Line_.size())
                return false;
            const char escaped = Line_[Pos_++];
            if (escaped == '\\' || escaped == '"') {
                out.push_back(escaped);
            } else if (escaped == 'x') {
                if (Line_.size() - Pos_ < 2)
                    return false;
                const int high = HexDigitValue(Line_[Pos_]);
                const int low = HexDigitValue(Line_[Pos_ + 1]);
                if (high < 0 || low < 0)
                    return false;
                out.push_back(static_cast<char>(high * 16 + low));
                Pos_ += 2;
            } else {
                return false;
            }
        }
        return false; // no closing quote
    }

private:
    std::string_view Line_;
    std::size_t Pos_ = 0;
};

bool ParseNumber(std::string_view word, DWORD& value)
{
    if (word.empty() || word.size() > 10)
        return false;
    unsigned long long parsed = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), parsed);
    if (ec != std::errc() || end != word.data() + word.size() || parsed > 0xFFFFFFFFull)
        return false;
    value = static_cast<DWORD>(parsed);
    return true;
}

bool ParseHex(std::string_view word, std::string& bytes)
{
    bytes.clear();
    if (word == "-")
        return true;
    if (word.empty() || word.size() % 2 != 0 || word.size() / 2 > KW_REG_MAX_VALUE_DATA)
        return false;
    bytes.resize(word.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigitValue(word[2 * i]);
        const int low = HexDigitValue(word[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string DwordBytes(DWORD value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

void AppendQuoted(std::string& out, std::string_view text)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    out.push_back('"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out.push_back(kDigits[byte >> 4]);
            out.push_back(kDigits[byte & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    out.push_back('"');
}

void AppendValue(std::string& out, const Value& value)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    out += "value ";
    AppendQuoted(out, value.name);
    const std::string_view data = value.data;
    // Text with its one terminating zero and none inside reads best as text.
    if (IsTextType(value.type) && !data.empty() && data.back() == '\0' &&
        data.find('\0') == data.size() - 1) {
        out += value.type == REG_SZ ? " sz " : " expand ";
        AppendQuoted(out, data.substr(0, data.size() - 1));
    } else if (value.type == REG_DWORD && data.size() == 4) {
        DWORD number = 0;
        for (int i = 3; i >= 0; --i)
            number = (number << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
        out += " dword " + std::to_string(number);
    } else {
        out += " data " + std::to_string(value.type) + " ";
        if (data.empty())
            out.push_back('-');
        // Values run to megabytes: fill the digits in place.
        std::size_t at = out.size();
        out.resize(at + 2 * data.size());
        for (const char c : data) {
            const auto byte = static_cast<unsigned char>(c);
            out[at++] = kDigits[byte >> 4];
            out[at++] = kDigits[byte & 0xF];
        }
    }
    out.push_back('\n');
}

void AppendKey(std::string& out, std::vector<std::string_view>& path, const Key& key)
{
    // A key with values, or a leaf, is written; one with only subkeys is
    // implied by them.
    if (!key.Values().empty() || (key.Subkeys().empty() && path.size() > 1)) {
        out += "key";
        for (const std::string_view name : path) {
            out.push_back(' ');
            AppendQuoted(out, name);
        }
        out.push_back('\n');
        for (const Value& value : key.Values())
            AppendValue(out, value);
    }
    for (const auto& [name, subkey] : key.Subkeys()) {
        path.push_back(subkey->Name());
        AppendKey(out, path, *subkey);
        path.pop_back();
    }
}

} // namespace

bool NamesEqual(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

bool NameLess::operator()(std::string_view a, std::string_view b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
    });
}

bool IsValidKeyName(std::string_view name)
{
    return !name.empty() && name.size() <= KW_REG_MAX_KEY_NAME && name.find('\\') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

std::size_t Key::PositionOf(std::string_view name) const
{
    if (Indexed_) {
        const auto it = ValueIndex_.find(FoldedName(name));
        return it == ValueIndex_.end() ? Values_.size() : it->second;
    }
    for (std::size_t i = 0; i < Values_.size(); ++i) {
        if (NamesEqual(Values_[i].name, name))
            return i;
    }
    return Values_.size();
}

void Key::IndexValue(std::size_t position)
{
    if (!Indexed_ && Values_.size() > kWalkedValues) {
        // Past a few values a walk per look-up makes reading a key quadratic.
        Indexed_ = true;
        ValueIndex_.reserve(Values_.size());
        for (std::size_t i = 0; i < Values_.size(); ++i)
            ValueIndex_.emplace(FoldedName(Values_[i].name), i);
    } else if (Indexed_) {
        ValueIndex_.emplace(FoldedName(Values_[position].name), position);
    }
}

const Value* Key::FindValue(std::string_view name) const
{
    const std::size_t position = PositionOf(name);
    return position == Values_.size() ? nullptr : &Values_[position];
}

void Key::SetValue(Value value)
{
    const std::size_t position = PositionOf(value.name);
    if (position == Values_.size()) {
        Values_.push_back(std::move(value));
        IndexValue(position);
        return;
    }
    // The name keeps the spelling it was made with, as the platform's does.
    Value& existing = Values_[position];
    existing.type = value.type;
    existing.data = std::move(value.data);
}

bool Key::AddValue(Value value)
{
    const std::size_t position = PositionOf(value.name);
    if (position != Values_.size())
        return false;
    Values_.push_back(std::move(value));
    IndexValue(position);
    return true;
}

bool Key::DeleteValue(std::string_view name)
{
    const std::size_t position = PositionOf(name);
    if (position == Values_.size())
        return false;
    if (Indexed_) {
        ValueIndex_.erase(FoldedName(name));
        // Values keep the order they were made in; those after it move up one.
        for (auto& [folded, at] : ValueIndex_) {
            if (at > position)
                --at;
        }
    }
    Values_.erase(Values_.begin() + static_cast<std::ptrdiff_t>(position));
    return true;
}

Key* Key::FindSubkey(std::string_view name)
{
    const auto it = Subkeys_.find(name);
    return it == Subkeys_.end() ? nullptr : it->second.get();
}

const Key* Key::FindSubkey(std::string_view name) const
{
    const auto it = Subkeys_.find(name);
    return it == Subkeys_.end() ? nullptr : it->second.get();
}

Key& Key::Subkey(std::string_view name, bool* created)
{
    auto it = Subkeys_.find(name);
    const bool isNew = it == Subkeys_.end();
    if (isNew)
        it = Subkeys_.emplace(std::string(name), std::make_unique<Key>(std::string(name))).first;
    if (created)
        *created = isNew;
    return *it->second;
}

bool Key::DeleteSubkey(std::string_view name)
{
    const auto it = Subkeys_.find(name);
    if (it == Subkeys_.end())
        return false;
    Subkeys_.erase(it);
    return true;
}

const char* RootName(Root root)
{
    return kRootNames[static_cast<std::size_t>(root)];
}

std::optional<Root> RootFromName(std::string_view name)
{
    for (std::size_t i = 0; i < RootCount; ++i) {
        if (name == kRootNames[i])
            return static_cast<Root>(i);
    }
    return std::nullopt;
}

std::optional<Store> ParseStore(std::string_view text, std::string* error)
{
    Store store;
    Key* current = nullptr;
    std::size_t lineNumber = 0;
    auto fail = [&](const char* what) -> std::optional<Store> {
        if (error)
            *error = "line " + std::to_string(lineNumber) + ": " + what;
        return std::nullopt;
    };

    std::optional<Root> previousRoot;
    std::vector<Key*> previousPath;
    std::size_t pos = 0;
    bool headerSeen = false;
    bool endsWithCount = false;
    bool endSeen = false;
    // The writer ends every line, the last one too: a file that does not
    // end so was cut inside its last line.
    if (!text.empty() && text.back() != '\n')
        return fail("the file is cut short");
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (!headerSeen) {
            if (line != kHeader && line != kHeaderWithoutEnd)
                return fail("not a registry store of a known version");
            endsWithCount = line == kHeader;
            headerSeen = true;
            continue;
        }
        if (line.empty() || line.front() == '#')
            continue;
        if (endSeen)
            return fail("text after the end line");

        LineReader reader(line);
        const std::string_view keyword = reader.Word();
        if (keyword == "end" && endsWithCount) {
            DWORD count = 0;
            if (!ParseNumber(reader.Word(), count) || !reader.AtEnd() || count != lineNumber - 1)
                return fail("the end line does not count the lines before it");
            endSeen = true;
        } else if (keyword == "key") {
            std::string name;
            if (!reader.Quoted(name))
                return fail("a key line names its root");
            const std::optional<Root> root = RootFromName(name);
            if (!root)
                return fail("unknown root");
            current = &store.RootKey(*root);
            // Key lines come in the order they were written, so most share
            // their path with the line before: walk down only below it.
            bool samePath = root == previousRoot;
            previousRoot = root;
            std::size_t depth = 0;
            while (!reader.AtEnd()) {
                if (!reader.Quoted(name) || !IsValidKeyName(name))
                    return fail("malformed key name");
                if (++depth > kMaxDepth)
                    return fail("key path too deep");
                samePath = samePath && depth <= previousPath.size() &&
                           NamesEqual(previousPath[depth - 1]->Name(), name);
                if (samePath) {
                    current = previousPath[depth - 1];
                    continue;
                }
                current = &current->Subkey(name);
                previousPath.resize(depth - 1);
                previousPath.push_back(current);
            }
            previousPath.resize(depth);
        } else if (keyword == "value") {
            if (!current)
                return fail("value outside a key");
            Value value;
            if (!reader.Quoted(value.name) || value.name.size() > KW_REG_MAX_VALUE_NAME)
                return fail("malformed value name");
            const std::string_view kind = reader.Word();
            if (kind == "sz" || kind == "expand") {
                value.type = kind == "sz" ? REG_SZ : REG_EXPAND_SZ;
                if (!reader.Quoted(value.data))
                    return fail("malformed text");
                value.data.push_back('\0');
            } else if (kind == "dword") {
                DWORD number = 0;
                if (!ParseNumber(reader.Word(), number))
                    return fail("malformed number");
                value.type = REG_DWORD;
                value.data = DwordBytes(number);
            } else if (kind == "data") {
                if (!ParseNumber(reader.Word(), value.type))
                    return fail("malformed type");
                if (!ParseHex(reader.Word(), value.data))
                    return fail("malformed data");
            } else {
                return fail("unknown value kind");
            }
            if (value.data.size() > KW_REG_MAX_VALUE_DATA)
                return fail("value too large");
            if (!reader.AtEnd())
                return fail("text after the value");
            if (!current->AddValue(std::move(value)))
                return fail("value given twice");
        } else {
            return fail("unknown line");
        }
    }
    if (!headerSeen)
        return fail("empty file");
    if (endsWithCount && !endSeen)
        return fail("the file is cut short");
    return store;
}

std::string FormatStore(const Store& store)
{
    std::string out(kHeader);
    out.push_back('\n');
    for (std::size_t i = 0; i < RootCount; ++i) {
        std::vector<std::string_view> path{kRootNames[i]};
        AppendKey(out, path, store.roots[i]);
    }
    const auto lines = static_cast<std::size_t>(std::count(out.begin(), out.end(), '\n'));
    out += "end " + std::to_string(lines) + "\n";
    return out;
}

} // namespace win32::registry
