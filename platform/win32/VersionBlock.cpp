#include "win32/VersionBlock.h"

#include <cstring>

namespace win32 {
namespace {

constexpr std::u16string_view kRootKey = u"VS_VERSION_INFO";
constexpr std::size_t kHeaderSize = 6;
constexpr WORD kBinary = 0;
constexpr WORD kText = 1;

constexpr std::size_t Align4(std::size_t n)
{
    return (n + 3) & ~std::size_t{3};
}

// ---- building ----

class NodeWriter {
public:
    explicit NodeWriter(std::vector<BYTE>& out) : Out_(out) {}

    // Starts a node; returns its offset for Finish.
    std::size_t Begin(std::u16string_view key, WORD type, const void* value, std::size_t valueLength)
    {
        const std::size_t start = Out_.size();
        PutWord(0); // length, set by Finish
        PutWord(static_cast<WORD>(valueLength));
        PutWord(type);
        for (char16_t c : key)
            PutWord(c);
        PutWord(0);
        Pad();
        const auto* bytes = static_cast<const BYTE*>(value);
        Out_.insert(Out_.end(), bytes, bytes + valueLength);
        Pad();
        if (valueLength > 0xFFFF)
            Overflow_ = true;
        return start;
    }

    void Finish(std::size_t start)
    {
        const std::size_t length = Out_.size() - start;
        if (length > 0xFFFF)
            Overflow_ = true;
        const WORD w = static_cast<WORD>(length);
        std::memcpy(&Out_[start], &w, sizeof w);
    }

    void Leaf(std::u16string_view key, WORD type, const void* value, std::size_t valueLength)
    {
        Finish(Begin(key, type, value, valueLength));
    }

    bool Overflowed() const { return Overflow_; }

private:
    void PutWord(WORD w)
    {
        const auto* b = reinterpret_cast<const BYTE*>(&w);
        Out_.insert(Out_.end(), b, b + sizeof w);
    }
    void Pad() { Out_.resize(Align4(Out_.size()), 0); }

    std::vector<BYTE>& Out_;
    bool Overflow_ = false;
};

std::u16string Widen(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string TableKey(WORD language, WORD codePage)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const DWORD v = (DWORD{language} << 16) | codePage;
    std::u16string key(8, u'0');
    for (int i = 0; i < 8; ++i)
        key[static_cast<std::size_t>(7 - i)] = static_cast<char16_t>(kHex[(v >> (4 * i)) & 0xF]);
    return key;
}

// ---- reading ----

struct Node {
    std::size_t start = 0;
    std::size_t end = 0;      // start + declared length
    std::size_t keyStart = 0; // first key character
    std::size_t keyLength = 0;
    std::size_t value = 0;
    std::size_t valueLength = 0;
    std::size_t children = 0;
    WORD type = 0;
};

class BlockReader {
public:
    BlockReader(const BYTE* base, std::size_t limit) : Base_(base), Limit_(limit) {}

    const BYTE* Base() const { return Base_; }
    void SetLimit(std::size_t limit) { Limit_ = limit; }

    bool Word(std::size_t at, WORD& w) const
    {
        if (at > Limit_ || Limit_ - at < sizeof w)
            return false;
        std::memcpy(&w, Base_ + at, sizeof w);
        return true;
    }

    // The node at `at`, which must lie inside [at, parentEnd).
    std::optional<Node> Parse(std::size_t at, std::size_t parentEnd) const
    {
        Node node;
        WORD length, valueLength, type;
        if (!Word(at, length) || !Word(at + 2, valueLength) || !Word(at + 4, type))
            return std::nullopt;
        node.start = at;
        node.end = at + length;
        if (length < kHeaderSize + 2 || node.end > parentEnd || node.end > Limit_)
            return std::nullopt;
        node.type = type;
        node.keyStart = at + kHeaderSize;
        std::size_t p = node.keyStart;
        for (;;) {
            WORD c;
            if (p + 2 > node.end || !Word(p, c))
                return std::nullopt;
            p += 2;
            if (c == 0)
                break;
        }
        node.keyLength = (p - 2 - node.keyStart) / 2;
        node.value = Align4(p);
        node.valueLength = valueLength;
        if (node.value > node.end || node.end - node.value < node.valueLength)
            return std::nullopt;
        node.children = Align4(node.value + node.valueLength);
        if (type == kText && valueLength > 0 && Base_[node.value + valueLength - 1] != 0)
            return std::nullopt; // a text without its terminator
        return node;
    }

    bool KeyEquals(const Node& node, std::string_view name) const
    {
        if (node.keyLength != name.size())
            return false;
        for (std::size_t i = 0; i < name.size(); ++i) {
            WORD c = 0;
            if (!Word(node.keyStart + 2 * i, c) || c > 0x7F || Fold(static_cast<char>(c)) != Fold(name[i]))
                return false;
        }
        return true;
    }

private:
    static char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

    const BYTE* Base_;
    std::size_t Limit_;
};

// Checks the root's header and key a word at a time, so that a foreign block
// is refused before anything past its key is read.
std::optional<Node> ParseRoot(BlockReader& reader, std::size_t available)
{
    WORD length;
    if (!reader.Word(0, length))
        return std::nullopt;
    const std::size_t keyEnd = kHeaderSize + 2 * (kRootKey.size() + 1);
    for (std::size_t i = 0; i <= kRootKey.size(); ++i) {
        WORD c;
        if (!reader.Word(kHeaderSize + 2 * i, c))
            return std::nullopt;
        const char16_t expected = i < kRootKey.size() ? kRootKey[i] : u'\0';
        if (c != expected)
            return std::nullopt;
    }
    if (length < keyEnd || length > available)
        return std::nullopt;
    reader.SetLimit(length);
    std::optional<Node> root = reader.Parse(0, length);
    if (!root || root->type != kBinary || root->valueLength != sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    DWORD signature;
    std::memcpy(&signature, reader.Base() + root->value, sizeof signature);
    if (signature != VS_FFI_SIGNATURE)
        return std::nullopt;
    return root;
}

std::optional<Node> FindChild(const BlockReader& reader, const Node& parent, std::string_view name)
{
    std::size_t at = parent.children;
    while (at < parent.end) {
        const std::optional<Node> child = reader.Parse(at, parent.end);
        if (!child)
            return std::nullopt;
        if (reader.KeyEquals(*child, name))
            return child;
        at = Align4(child->end);
    }
    return std::nullopt;
}

} // namespace

std::vector<BYTE> BuildVersionBlock(const VersionBlockContents& contents)
{
    std::vector<BYTE> out;
    NodeWriter w(out);
    const std::size_t root = w.Begin(kRootKey, kBinary, &contents.fixed, sizeof contents.fixed);

    const std::size_t stringInfo = w.Begin(u"StringFileInfo", kText, nullptr, 0);
    const std::size_t table = w.Begin(TableKey(contents.language, contents.codePage), kText, nullptr, 0);
    for (const auto& [name, text] : contents.strings)
        w.Leaf(Widen(name), kText, text.c_str(), text.size() + 1);
    w.Finish(table);
    w.Finish(stringInfo);

    const std::size_t varInfo = w.Begin(u"VarFileInfo", kText, nullptr, 0);
    const WORD translation[2] = {contents.language, contents.codePage};
    w.Leaf(u"Translation", kBinary, translation, sizeof translation);
    w.Finish(varInfo);

    w.Finish(root);
    if (w.Overflowed())
        return {};
    return out;
}

std::optional<VersionValue> FindVersionValue(const void* block, std::size_t available,
                                             std::string_view subBlock)
{
    if (!block)
        return std::nullopt;
    BlockReader reader(static_cast<const BYTE*>(block), available);
    std::optional<Node> node = ParseRoot(reader, available);
    if (!node)
        return std::nullopt;
    // Empty components (the leading "\", doubled separators) are skipped.
    std::size_t pos = 0;
    while (pos <= subBlock.size()) {
        std::size_t next = subBlock.find('\\', pos);
        if (next == std::string_view::npos)
            next = subBlock.size();
        const std::string_view name = subBlock.substr(pos, next - pos);
        if (!name.empty()) {
            node = FindChild(reader, *node, name);
            if (!node)
                return std::nullopt;
        }
        pos = next + 1;
    }
    return VersionValue{reader.Base() + node->value, static_cast<UINT>(node->valueLength)};
}

} // namespace win32
