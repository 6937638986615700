// The shell list's file masks and the listing that applies them (see
// UKwShellControls_FileMasks_p.h).

#include "UKwShellControls_FileMasks_p.h"
#include "UKwShellControls_p.h"

#include "win32/WideText.h"

#include <QChar>

namespace kw::detail {

namespace {

// Units of a name or mask: a case-folded code point, or an ill-formed byte
// placed above every code point; the two wildcards above those.
constexpr char32_t kRawByte = 0x110000;
constexpr char32_t kAnyRun = 0x110100;
constexpr char32_t kAnyOne = 0x110101;

char32_t Fold(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    return QChar::toCaseFolded(c);
}

// The units of text into units (cleared first), reading '*' and '?' as
// wildcards when wildcards is set.
void ReadUnits(std::string_view text, bool wildcards, std::vector<char32_t>& units)
{
    units.clear();
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            char32_t unit = Fold(byte);
            if (wildcards && byte == '*')
                unit = kAnyRun;
            else if (wildcards && byte == '?')
                unit = kAnyOne;
            units.push_back(unit);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t len = win32::DecodeUtf8Char(text, i, cp);
        if (!len) {
            units.push_back(kRawByte + byte);
            ++i;
        } else {
            units.push_back(Fold(cp));
            i += len;
        }
    }
}

// Whether the wildcard units of mask cover every unit of name: the last
// '*' seen is widened one unit at a time when the rest fails, which is
// enough since a later '*' can take over whatever an earlier one would.
bool MatchUnits(const std::vector<char32_t>& mask, const std::vector<char32_t>& name)
{
    size_t m = 0, n = 0;
    size_t starM = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == kAnyOne || mask[m] == name[n])) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == kAnyRun) {
            starM = m++;
            starN = n;
        } else if (starM != std::string::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == kAnyRun)
        ++m;
    return m == mask.size();
}

} // namespace

TKwFileMask::TKwFileMask(std::string_view mask)
    : All_(mask == "*.*"), None_(mask.find('/') != std::string_view::npos)
{
    ReadUnits(mask, true, Units_);
}

bool TKwFileMask::Matches(std::string_view name) const
{
    if (None_)
        return false;
    if (All_)
        return true;
    thread_local std::vector<char32_t> units;
    ReadUnits(name, false, units);
    return MatchUnits(Units_, units);
}

std::vector<std::string> SplitFileMasks(std::string_view filter)
{
    // ';' never occurs inside a UTF-8 sequence, so a byte split keeps every
    // character whole.
    std::vector<std::string> masks;
    size_t start = 0;
    while (start <= filter.size()) {
        size_t end = filter.find(';', start);
        if (end == std::string_view::npos)
            end = filter.size();
        if (end > start)
            masks.emplace_back(filter.substr(start, end - start));
        start = end + 1;
    }
    return masks;
}

bool IsOpenFileFilter(std::string_view filter)
{
    return filter.empty() || filter == "*" || filter == "*.*";
}

bool CollectMaskedNames(const std::string& folderPath, const std::vector<TKwFileMask>& masks,
                        std::unordered_set<std::string>& names)
{
    return ForEachNonFolderEntry(folderPath, [&](std::string_view name) {
        for (const TKwFileMask& mask : masks) {
            if (mask.Matches(name)) {
                names.emplace(name);
                return;
            }
        }
    });
}

} // namespace kw::detail
