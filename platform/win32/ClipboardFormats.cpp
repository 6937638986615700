#include "win32/ClipboardFormats.h"

#include "win32/Errors.h"
#include "win32/WideText.h"

#include <QChar>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// The platform keeps format names as atoms, which hold at most 255 bytes.
constexpr size_t MaxNameBytes = 255;

struct FormatTable {
    std::mutex Lock;
    // Folded name -> number.
    std::unordered_map<std::string, UINT> Numbers;
    // Names as first registered, by number - CF_REGISTERED_FIRST.
    std::vector<std::string> Names;
};

FormatTable& Table()
{
    static FormatTable* table = new FormatTable; // never destroyed: formats live as long as the process
    return *table;
}

// The key two names share when they differ only in case. Bytes that are not
// UTF-8 stay as they are, so no two different byte names are mixed up unless
// they fold alike.
std::string FoldedName(std::string_view name)
{
    std::string folded;
    folded.reserve(name.size());
    for (size_t at = 0; at < name.size();) {
        char32_t codePoint = 0;
        const size_t length = win32::DecodeUtf8Char(name, at, codePoint);
        if (length == 0) {
            folded.push_back(name[at]);
            ++at;
            continue;
        }
        win32::AppendUtf8Char(folded, QChar::toCaseFolded(codePoint));
        at += length;
    }
    return folded;
}

// Where a copy of at most limit bytes of text may end without cutting a UTF-8
// character in two.
size_t WholeCharactersWithin(std::string_view text, size_t limit)
{
    if (limit >= text.size())
        return text.size();
    size_t end = 0;
    for (size_t at = 0; at < limit;) {
        char32_t codePoint = 0;
        const size_t length = std::max<size_t>(win32::DecodeUtf8Char(text, at, codePoint), 1);
        if (at + length > limit)
            break;
        at += length;
        end = at;
    }
    return end;
}

} // namespace

UINT RegisterClipboardFormatA(LPCSTR name)
{
    if (!name || !*name || std::strlen(name) > MaxNameBytes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string_view given(name);
    std::string key = FoldedName(given);
    FormatTable& table = Table();
    std::lock_guard guard(table.Lock);
    if (const auto found = table.Numbers.find(key); found != table.Numbers.end())
        return found->second;
    if (table.Names.size() > CF_REGISTERED_LAST - CF_REGISTERED_FIRST) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const UINT number = CF_REGISTERED_FIRST + static_cast<UINT>(table.Names.size());
    table.Names.emplace_back(given);
    table.Numbers.emplace(std::move(key), number);
    return number;
}

int GetClipboardFormatNameA(UINT format, LPSTR name, int maxCount)
{
    if (!name || maxCount < 1 || format < CF_REGISTERED_FIRST) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    FormatTable& table = Table();
    std::lock_guard guard(table.Lock);
    const size_t index = format - CF_REGISTERED_FIRST;
    if (index >= table.Names.size()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string& registered = table.Names[index];
    const size_t copied = WholeCharactersWithin(registered, static_cast<size_t>(maxCount) - 1);
    std::memcpy(name, registered.data(), copied);
    name[copied] = '\0';
    return static_cast<int>(copied);
}
