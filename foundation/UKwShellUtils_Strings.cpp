// Positional formatting and the string helpers that respect double-byte
// character sets.

#include "UKwShellUtils.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Strings.h"
#include "win32/Identity.h"
#include "win32/LocalMemory.h"
#include "win32/MessageText.h"

#include <array>
#include <cstring>

namespace kw {

namespace {

bool IsLeadByte(char c)
{
    return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
}

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// Frees the formatter's buffer when it leaves scope, however it leaves.
class LocalBuffer {
public:
    LocalBuffer() = default;
    LocalBuffer(const LocalBuffer&) = delete;
    LocalBuffer& operator=(const LocalBuffer&) = delete;
    ~LocalBuffer()
    {
        if (Text_)
            LocalFree(Text_);
    }
    char** Slot() { return &Text_; }
    const char* Text() const { return Text_; }

private:
    char* Text_ = nullptr;
};

} // namespace

std::string KwLoadStr(const std::string& s)
{
    return s;
}

std::string KwLoadStr(vcl::PResStringRec resString)
{
    return KwLoadStr(vcl::LoadResString(resString));
}

std::string FormatStrPos(const std::string& fmt, std::span<const std::string> args)
{
    if (fmt.empty())
        return {};
    if (args.size() > FormatStrPosMaxInserts)
        throw vcl::Exception("FormatStrPos: Too many substitution strings");

    // Entry k is the text of insert k + 1.
    std::array<DWORD_PTR, FormatStrPosMaxInserts> inserts{};
    for (size_t k = 0; k < args.size(); ++k)
        inserts[k] = reinterpret_cast<DWORD_PTR>(args[k].c_str());

    LocalBuffer buffer;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        fmt.c_str(), 0, 0, reinterpret_cast<LPSTR>(buffer.Slot()), 256, inserts.data(), args.size());
    if (length == 0 || !buffer.Text())
        return {};
    return std::string(buffer.Text(), strnlen(buffer.Text(), length));
}

std::string EnsureTrailingCharDB(const std::string& s, char ch)
{
    if (s.empty())
        return s;
    // Walk from the start: only there is it known which bytes are trail bytes.
    bool lastIsDoubleByte = false;
    for (size_t i = 0; i < s.size();) {
        if (IsLeadByte(s[i])) {
            lastIsDoubleByte = true; // a lead byte, or the trail byte after it, ends the text
            i += 2;
        } else {
            lastIsDoubleByte = false;
            i += 1;
        }
    }
    if (!lastIsDoubleByte && s.back() == ch)
        return s;
    return s + ch;
}

std::string TrimRightDB(const std::string& s)
{
    size_t cut = std::string::npos;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (IsLeadByte(s[i])) {
            cut = std::string::npos;
            i += 2;
        } else if (b > ' ') {
            cut = std::string::npos;
            i += 1;
        } else {
            if (cut == std::string::npos)
                cut = i;
            i += 1;
        }
    }
    return cut == std::string::npos ? s : s.substr(0, cut);
}

void CopyCharDB(int& index, const std::string& s, std::string& dest)
{
    if (index < 1 || static_cast<size_t>(index) > s.size())
        return;
    const size_t at = static_cast<size_t>(index) - 1;
    // A lead byte with no byte after it is copied alone: there is no trail
    // byte to bring along, and the string's terminator is not text.
    if (IsLeadByte(s[at]) && at + 1 < s.size()) {
        dest.append(s, at, 2);
        index += 2;
    } else {
        dest.push_back(s[at]);
        index += 1;
    }
}

std::vector<std::string> SplitQuotedDB(const std::string& text, bool blanksSeparate)
{
    enum class State { Between, Unquoted, Quoted };
    State state = State::Between;
    std::vector<std::string> words;
    std::string word;
    auto addPending = [&] {
        std::string trimmed = TrimRightDB(word);
        if (!trimmed.empty())
            words.push_back(std::move(trimmed));
        word.clear();
    };

    const int length = static_cast<int>(text.size());
    int index = 1;
    while (index <= length) {
        const char c = text[static_cast<size_t>(index) - 1];
        switch (state) {
        case State::Between:
            if (IsLeadByte(c)) {
                state = State::Unquoted;
                word.clear();
                CopyCharDB(index, text, word);
            } else if (IsBlankOrTab(c)) {
                ++index;
            } else if (c == '"') {
                state = State::Quoted;
                word.clear();
                ++index;
            } else {
                state = State::Unquoted;
                word.assign(1, c);
                ++index;
            }
            break;
        case State::Unquoted:
            if (IsLeadByte(c)) {
                CopyCharDB(index, text, word);
            } else if ((blanksSeparate && IsBlankOrTab(c)) || c == '"') {
                addPending();
                state = c == '"' ? State::Quoted : State::Between;
                ++index;
            } else {
                word.push_back(c);
                ++index;
            }
            break;
        case State::Quoted:
            if (IsLeadByte(c)) {
                CopyCharDB(index, text, word);
            } else if (c == '"') {
                addPending();
                state = State::Between;
                ++index;
            } else {
                word.push_back(c);
                ++index;
            }
            break;
        }
    }
    addPending();
    return words;
}

void ParametizeCmdLineDB(const std::string& cmdLine, vcl::TStrings* list)
{
    if (!list)
        return;
    for (const std::string& argument : SplitQuotedDB(cmdLine, true))
        list->Add(argument);
}

} // namespace kw
