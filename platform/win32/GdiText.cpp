// Text on device contexts: metrics and extents of the selected font,
// TextOut and ExtTextOut, and DrawText's layout (alignment, lines and word
// breaks, tabs, ellipses, "&" prefixes, measuring).

#include "win32/DeviceContext.h"
#include "win32/DeviceContext_p.h"

#include <QFontMetrics>

#include <cstring>
#include <string_view>

using namespace win32::gdi;

namespace {

TEXTMETRICA MetricsOf(const FontObject& font)
{
    const QFontMetrics fm(font.Font);
    TEXTMETRICA tm{};
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - font.Font.pixelSize());
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmAveCharWidth = fm.averageCharWidth();
    tm.tmMaxCharWidth = fm.maxWidth();
    tm.tmWeight = font.Log.lfWeight == FW_DONTCARE ? FW_NORMAL : font.Log.lfWeight;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = 0x20;
    tm.tmLastChar = 0xFF;
    tm.tmDefaultChar = '?';
    tm.tmBreakChar = ' ';
    tm.tmItalic = font.Log.lfItalic;
    tm.tmUnderlined = font.Log.lfUnderline;
    tm.tmStruckOut = font.Log.lfStrikeOut;
    tm.tmPitchAndFamily = font.Log.lfPitchAndFamily;
    tm.tmCharSet = font.Log.lfCharSet;
    return tm;
}

QString Decode(LPCSTR text, int count)
{
    if (!text)
        return {};
    const std::size_t length = count < 0 ? std::strlen(text) : static_cast<std::size_t>(count);
    return QString::fromUtf8(text, static_cast<qsizetype>(length));
}

// One line of text with its top-left at (x, y) in logical coordinates; the
// character at mnemonic (if any) underlined.
void DrawLine(Drawing& d, int x, int y, const QString& text, qsizetype mnemonic, bool textToo = true)
{
    const FontObject& font = d.Dc->Font();
    const QFontMetrics fm(font.Font);
    const DcState& state = d.Dc->State();
    const QPoint at = d.Dc->ToDevice(x, y);
    const int width = fm.horizontalAdvance(text);
    const int height = fm.ascent() + fm.descent();
    d.Painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (state.BkMode == OPAQUE && textToo)
        d.Painter->fillRect(QRect(at, QSize(width, height)), ColourIn(state, state.BkColour));
    const QColor ink = ColourIn(state, state.TextColour);
    if (textToo) {
        d.Painter->setFont(font.Font);
        d.Painter->setPen(ink);
        d.Painter->drawText(at + QPoint(0, fm.ascent()), text);
        d.Painter->setPen(Qt::NoPen);
    }
    if (mnemonic >= 0 && mnemonic < text.size()) {
        const int left = fm.horizontalAdvance(text.left(mnemonic));
        const int w = fm.horizontalAdvance(text.mid(mnemonic, 1));
        d.Painter->fillRect(QRect(at.x() + left, at.y() + fm.ascent() + 1, w, 1), ink);
    }
}

// Where text of the given width starts for TextOut's alignment.
QPoint Aligned(const DeviceContext& dc, int x, int y, int width)
{
    const UINT align = dc.State().TextAlign;
    const QFontMetrics fm(dc.Font().Font);
    if ((align & TA_CENTER) == TA_CENTER)
        x -= width / 2;
    else if (align & TA_RIGHT)
        x -= width;
    if ((align & TA_BASELINE) == TA_BASELINE)
        y -= fm.ascent();
    else if (align & TA_BOTTOM)
        y -= fm.ascent() + fm.descent();
    return QPoint(x, y);
}

struct Line {
    QString Text;
    qsizetype Mnemonic = -1;
};

// How many of text's first units (at most most) fit in width with suffix
// after them. The width only grows with what is kept, so a binary search
// finds it with a logarithmic number of measurements (dropping one
// character at a time measured a long text quadratically often). A
// surrogate pair is never cut.
qsizetype LongestFit(const QFontMetrics& fm, const QString& text, qsizetype most, const QString& suffix,
                     int width)
{
    qsizetype fits = 0;
    qsizetype tooLong = most + 1;
    while (tooLong - fits > 1) {
        const qsizetype mid = fits + (tooLong - fits) / 2;
        if (fm.horizontalAdvance(text.left(mid) + suffix) <= width)
            fits = mid;
        else
            tooLong = mid;
    }
    if (fits > 0 && fits < text.size() && text.at(fits - 1).isHighSurrogate())
        --fits;
    return fits;
}

// Cuts text from its end until it and "..." fit in width.
QString EndEllipsis(const QFontMetrics& fm, const QString& text, int width)
{
    if (fm.horizontalAdvance(text) <= width)
        return text;
    const QString dots = QStringLiteral("...");
    return text.left(LongestFit(fm, text, text.size(), dots, width)) + dots;
}

// Keeps the last part of a path and cuts the part before it.
QString PathEllipsis(const QFontMetrics& fm, const QString& text, int width)
{
    if (fm.horizontalAdvance(text) <= width)
        return text;
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return EndEllipsis(fm, text, width);
    const QString tail = text.mid(slash);
    const QString dots = QStringLiteral("...");
    const qsizetype keep = LongestFit(fm, text, slash, dots + tail, width);
    if (keep == 0 && fm.horizontalAdvance(dots + tail) > width)
        return EndEllipsis(fm, dots + tail, width);
    return text.left(keep) + dots + tail;
}

// Breaks a paragraph into lines no wider than width at spaces; a word wider
// than width stands on a line of its own.
std::vector<std::pair<qsizetype, qsizetype>> WordBreak(const QFontMetrics& fm, const QString& text, int width)
{
    std::vector<std::pair<qsizetype, qsizetype>> lines;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        qsizetype lastFit = -1;
        while (end < text.size()) {
            qsizetype next = text.indexOf(QLatin1Char(' '), end);
            if (next < 0)
                next = text.size();
            if (fm.horizontalAdvance(text.mid(start, next - start)) > width && lastFit >= 0)
                break;
            lastFit = next;
            end = next + 1;
            if (next == text.size())
                break;
        }
        const qsizetype stop = lastFit < 0 ? text.size() : lastFit;
        lines.emplace_back(start, stop - start);
        start = stop + 1;
        if (stop >= text.size())
            break;
    }
    return lines;
}

int DrawTextImpl(HDC dc, const QString& source, RECT* rect, UINT format, DRAWTEXTPARAMS* params)
{
    const DcPtr found = FindDC(dc);
    if (!found || !rect)
        return 0;
    const QFontMetrics fm(found->Font().Font);
    const TEXTMETRICA tm = MetricsOf(found->Font());

    // "&" marks the next character as the mnemonic; "&&" is one "&".
    QString text;
    qsizetype mnemonic = -1;
    if (format & DT_NOPREFIX) {
        text = source;
    } else {
        for (qsizetype i = 0; i < source.size(); ++i) {
            if (source[i] == QLatin1Char('&')) {
                if (i + 1 < source.size() && source[i + 1] == QLatin1Char('&')) {
                    text += QLatin1Char('&');
                    ++i;
                } else if (i + 1 < source.size()) {
                    mnemonic = text.size();
                }
                continue;
            }
            text += source[i];
        }
    }
    if (format & DT_EXPANDTABS) {
        const int tabChars = (format & DT_TABSTOP)              ? static_cast<int>((format >> 8) & 0xFF)
                             : params && params->iTabLength > 0 ? params->iTabLength
                                                                : 8;
        QString expanded;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\t')) {
                const int column =
                    static_cast<int>(expanded.size() - expanded.lastIndexOf(QLatin1Char('\n')) - 1);
                const int spaces = tabChars > 0 ? tabChars - column % tabChars : 1;
                if (mnemonic > i)
                    mnemonic += spaces - 1;
                expanded += QString(spaces, QLatin1Char(' '));
            } else {
                expanded += text[i];
            }
        }
        text = expanded;
    }

    const int leftMargin = params ? params->iLeftMargin : 0;
    const int rightMargin = params ? params->iRightMargin : 0;
    const int left = rect->left + leftMargin;
    const int right = rect->right - rightMargin;
    const int width = right - left;

    // Lines, each with the mnemonic it holds.
    std::vector<Line> lines;
    const auto add = [&](qsizetype start, qsizetype length) {
        Line line{text.mid(start, length), -1};
        if (mnemonic >= start && mnemonic < start + length)
            line.Mnemonic = mnemonic - start;
        lines.push_back(line);
    };
    if (format & DT_SINGLELINE) {
        QString single;
        qsizetype shifted = mnemonic;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) {
                if (mnemonic > i)
                    --shifted;
                continue;
            }
            single += text[i];
        }
        text = single;
        mnemonic = shifted;
        add(0, text.size());
    } else {
        qsizetype start = 0;
        while (true) {
            qsizetype end = start;
            while (end < text.size() && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
                ++end;
            if (format & DT_WORDBREAK) {
                for (const auto& [from, length] : WordBreak(fm, text.mid(start, end - start), width))
                    add(start + from, length);
            } else {
                add(start, end - start);
            }
            if (end >= text.size())
                break;
            start = end + ((text[end] == QLatin1Char('\r') && end + 1 < text.size() &&
                            text[end + 1] == QLatin1Char('\n'))
                               ? 2
                               : 1);
        }
    }
    for (Line& line : lines) {
        QString cut = line.Text;
        if (format & DT_PATH_ELLIPSIS)
            cut = PathEllipsis(fm, line.Text, width);
        else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS))
            cut = EndEllipsis(fm, line.Text, width);
        if (cut != line.Text && line.Mnemonic >= cut.size() - 3)
            line.Mnemonic = -1;
        line.Text = cut;
    }

    const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
    const int total = lineHeight * static_cast<int>(lines.size());
    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = (rect->top + rect->bottom - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - lineHeight;
    }
    if (params)
        params->uiLengthDrawn = static_cast<UINT>(source.size());

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, fm.horizontalAdvance(line.Text));
        rect->right = rect->left + leftMargin + widest + rightMargin;
        rect->bottom = rect->top + total;
        return total;
    }

    Drawing d(found);
    if (!d)
        return 0;
    if (!(format & DT_NOCLIP))
        d.Painter->setClipRect(
            found->ToDevice(QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1))),
            Qt::IntersectClip);
    const bool hide = format & DT_HIDEPREFIX;
    int y = top;
    for (const Line& line : lines) {
        const int lineWidth = fm.horizontalAdvance(line.Text);
        int x = left;
        if (format & DT_RIGHT)
            x = right - lineWidth;
        else if (format & DT_CENTER)
            x = left + (width - lineWidth) / 2;
        DrawLine(d, x, y, line.Text, hide ? -1 : line.Mnemonic, !(format & DT_PREFIXONLY));
        y += lineHeight;
    }
    return ((format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM))) ? top - rect->top + total
                                                                             : total;
}

} // namespace

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics)
{
    const DcPtr found = FindDC(dc);
    if (!found || !metrics)
        return FALSE;
    *metrics = MetricsOf(found->Font());
    return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size)
{
    const DcPtr found = FindDC(dc);
    if (!found || !size || count < 0 || (!text && count > 0))
        return FALSE;
    const QFontMetrics fm(found->Font().Font);
    *size = SIZE{fm.horizontalAdvance(Decode(text, count)), fm.ascent() + fm.descent()};
    return TRUE;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count)
{
    return ExtTextOutA(dc, x, y, 0, nullptr, text,
                       count < 0 ? static_cast<UINT>(-1) : static_cast<UINT>(count), nullptr);
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const int* dx)
{
    const DcPtr found = FindDC(dc);
    if (!found || (!text && count > 0))
        return FALSE;
    Drawing d(found);
    if (!d)
        return FALSE;
    const QString decoded = Decode(text, count == static_cast<UINT>(-1) ? -1 : static_cast<int>(count));
    DcState& state = found->State();
    const bool updateCp = state.TextAlign & TA_UPDATECP;
    if (updateCp) {
        x = state.Current.x();
        y = state.Current.y();
    }
    if (rect) {
        const QRect clip =
            found->ToDevice(QRect(QPoint(rect->left, rect->top), QPoint(rect->right - 1, rect->bottom - 1)));
        if (options & ETO_OPAQUE)
            d.Painter->fillRect(clip, ColourIn(state, state.BkColour));
        if (options & ETO_CLIPPED)
            d.Painter->setClipRect(clip, Qt::IntersectClip);
    }
    const QFontMetrics fm(found->Font().Font);
    int width = 0;
    if (dx) {
        for (qsizetype i = 0; i < decoded.size(); ++i)
            width += dx[i];
    } else {
        width = fm.horizontalAdvance(decoded);
    }
    const QPoint at = Aligned(*found, x, y, width);
    if (dx) {
        int offset = 0;
        for (qsizetype i = 0; i < decoded.size(); ++i) {
            DrawLine(d, at.x() + offset, at.y(), decoded.mid(i, 1), -1);
            offset += dx[i];
        }
    } else {
        DrawLine(d, at.x(), at.y(), decoded, -1);
    }
    if (updateCp) {
        const UINT align = state.TextAlign;
        if ((align & TA_CENTER) != TA_CENTER)
            state.Current.setX((align & TA_RIGHT) ? x - width : x + width);
    }
    return TRUE;
}

int DrawTextA(HDC dc, LPCSTR text, int count, RECT* rect, UINT format)
{
    return DrawTextImpl(dc, Decode(text, count), rect, format, nullptr);
}

int DrawTextExA(HDC dc, LPSTR text, int count, RECT* rect, UINT format, DRAWTEXTPARAMS* params)
{
    if (params && params->cbSize != sizeof(DRAWTEXTPARAMS))
        return 0;
    // The string is never written back: DT_MODIFYSTRING is taken as a
    // request to show the shortened text only.
    return DrawTextImpl(dc, Decode(text, count), rect, format & ~DT_MODIFYSTRING, params);
}
