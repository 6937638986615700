// The Unicode-aware string routines of SysUtils.h: case mapping, collation
// and case-blind replacement. Each works on the well-formed UTF-8 runs of its
// text and treats every other byte on its own, so no byte is ever lost.

#include "vcl/core/FormatSettingsTesting.h"
#include "vcl/core/SysUtils.h"
#include "vcl/core/Utf8.h"

#include <QChar>
#include <QCollator>
#include <QLocale>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

namespace vcl {
namespace {

using detail::Utf8CharAt;

// Length of the well-formed UTF-8 run at s[i] (0 when s[i] starts none).
size_t ValidRunAt(std::string_view s, size_t i)
{
    size_t j = i;
    char32_t cp;
    while (j < s.size()) {
        const size_t len = Utf8CharAt(s, j, cp);
        if (!len)
            break;
        j += len;
    }
    return j - i;
}

template <class Map>
std::string MapValidRuns(std::string_view s, Map map)
{
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const size_t run = ValidRunAt(s, i);
        if (run == 0) {
            out += s[i++];
            continue;
        }
        const std::u16string wide = win32::BytesToWide(s.substr(i, run));
        const QString mapped =
            map(QString(reinterpret_cast<const QChar*>(wide.data()), static_cast<qsizetype>(wide.size())));
        out += win32::WideToBytes(std::u16string_view(reinterpret_cast<const char16_t*>(mapped.utf16()),
                                                      static_cast<size_t>(mapped.size())));
        i += run;
    }
    return out;
}

// ---- Collation -------------------------------------------------------------

struct CollationLocale {
    std::mutex Lock;
    std::string Name; // empty: the system locale
    std::atomic<unsigned> Generation{0};
};

CollationLocale& Collation()
{
    static CollationLocale locale;
    return locale;
}

// One pair of collators per thread (QCollator is not to be shared), made
// again when a test changes the locale.
struct ThreadCollators {
    unsigned Generation = ~0u;
    std::unique_ptr<QCollator> CaseSensitive;
    std::unique_ptr<QCollator> CaseInsensitive;
};

QCollator& CollatorFor(bool caseSensitive)
{
    thread_local ThreadCollators collators;
    CollationLocale& setting = Collation();
    const unsigned generation = setting.Generation.load();
    if (collators.Generation != generation || !collators.CaseSensitive) {
        QLocale locale = QLocale::system();
        {
            std::lock_guard guard(setting.Lock);
            if (!setting.Name.empty())
                locale = QLocale(QString::fromStdString(setting.Name));
        }
        collators.CaseSensitive = std::make_unique<QCollator>(locale);
        collators.CaseSensitive->setCaseSensitivity(Qt::CaseSensitive);
        collators.CaseInsensitive = std::make_unique<QCollator>(locale);
        collators.CaseInsensitive->setCaseSensitivity(Qt::CaseInsensitive);
        collators.Generation = generation;
    }
    return caseSensitive ? *collators.CaseSensitive : *collators.CaseInsensitive;
}

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

int Collate(std::string_view a, std::string_view b, bool caseSensitive)
{
    const std::u16string wa = win32::BytesToWide(a);
    const std::u16string wb = win32::BytesToWide(b);
    return Sign(CollatorFor(caseSensitive)
                    .compare(QStringView(wa.data(), static_cast<qsizetype>(wa.size())),
                             QStringView(wb.data(), static_cast<qsizetype>(wb.size()))));
}

// The next unit of s for the tie-break: a case-folded code point, or a byte
// that is not well-formed UTF-8, placed above every code point.
std::uint32_t NextFoldedUnit(std::string_view s, size_t& i)
{
    char32_t cp;
    const size_t len = Utf8CharAt(s, i, cp);
    if (!len)
        return 0x110000u + static_cast<unsigned char>(s[i++]);
    i += len;
    return QChar::toCaseFolded(static_cast<char32_t>(cp));
}

int CompareFolded(std::string_view a, std::string_view b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const std::uint32_t ua = NextFoldedUnit(a, i);
        const std::uint32_t ub = NextFoldedUnit(b, j);
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
    return (i < a.size()) - (j < b.size());
}

int AnsiCompare(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (a == b)
        return 0;
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const size_t runA = ValidRunAt(a, i);
        const size_t runB = ValidRunAt(b, j);
        if (runA && runB) {
            if (const int r = Collate(a.substr(i, runA), b.substr(j, runB), caseSensitive))
                return r;
            i += runA;
            j += runB;
        } else if (runA || runB) {
            return runA ? -1 : 1; // text before stray bytes
        } else {
            const auto ba = static_cast<unsigned char>(a[i++]);
            const auto bb = static_cast<unsigned char>(b[j++]);
            if (ba != bb)
                return ba < bb ? -1 : 1;
        }
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Collated equal: decide by folded code points, then (case-sensitive) by bytes.
    if (const int r = CompareFolded(a, b))
        return r;
    return caseSensitive ? Sign(CompareStr(a, b)) : 0;
}

// Length in s at i of a case-blind match of pattern, or npos.
size_t FoldedMatchAt(std::string_view s, size_t i, std::string_view pattern)
{
    size_t p = 0;
    size_t k = i;
    while (p < pattern.size()) {
        if (k >= s.size())
            return std::string_view::npos;
        if (NextFoldedUnit(s, k) != NextFoldedUnit(pattern, p))
            return std::string_view::npos;
    }
    return k - i;
}

} // namespace

std::string AnsiUpperCase(std::string_view s)
{
    return MapValidRuns(s, [](const QString& text) { return text.toUpper(); });
}

std::string AnsiLowerCase(std::string_view s)
{
    return MapValidRuns(s, [](const QString& text) { return text.toLower(); });
}

int AnsiCompareStr(std::string_view a, std::string_view b)
{
    return AnsiCompare(a, b, true);
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    return AnsiCompare(a, b, false);
}

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          TReplaceFlags flags)
{
    if (oldPattern.empty())
        return std::string(s);
    const bool all = flags & rfReplaceAll;
    const bool ignoreCase = flags & rfIgnoreCase;
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        size_t matched = std::string_view::npos;
        if (ignoreCase)
            matched = FoldedMatchAt(s, i, oldPattern);
        else if (s.compare(i, oldPattern.size(), oldPattern) == 0)
            matched = oldPattern.size();
        if (matched == std::string_view::npos) {
            // Step over a whole character, so that a match never starts inside one.
            char32_t cp;
            const size_t len = ignoreCase ? Utf8CharAt(s, i, cp) : 0;
            const size_t step = len ? len : 1;
            out.append(s.substr(i, step));
            i += step;
            continue;
        }
        out += newPattern;
        i += matched;
        if (!all) {
            out.append(s.substr(i));
            return out;
        }
    }
    return out;
}

namespace testing {

void SetCollationLocale(const std::string& name)
{
    CollationLocale& setting = Collation();
    {
        std::lock_guard guard(setting.Lock);
        setting.Name = name;
    }
    ++setting.Generation;
}

} // namespace testing
} // namespace vcl
