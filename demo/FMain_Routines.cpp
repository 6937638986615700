// The main form's routines that need no form: gradients, toolbar hints, the
// animated row, the version caption, the message of several files.

#include "FMain.h"

#include "shell32/FileInfo.h"
#include "vcl/core/Format.h"
#include "vcl/core/Resources.h"
#include "vcl/core/Streams.h"
#include "vcl/widgets/ComCtrls.h"
#include "win32/Gdi.h"
#include "win32/Icons.h"

#include <algorithm>

namespace demo {

using vcl::TColor;

bool IsPaletteDevice()
{
    HDC screen = GetDC(nullptr);
    const bool palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    ReleaseDC(nullptr, screen);
    return palette;
}

void BuildGradientPalette(TPaletteBuffer& pal)
{
    pal.Header.palVersion = 0x300;
    pal.Header.palNumEntries = kGradientEntries;
    const COLORREF c0 = vcl::ColorToRGB(vcl::clBlue);
    const COLORREF c1 = vcl::ColorToRGB(vcl::clWhite);
    const auto step = [](int from, int to, int i) {
        return static_cast<BYTE>(from + i * (to - from) / (kGradientEntries - 1));
    };
    PALETTEENTRY* entries = pal.Header.palPalEntry;
    for (int i = 0; i < kGradientEntries; ++i) {
        entries[i] =
            PALETTEENTRY{step(GetRValue(c0), GetRValue(c1), i), step(GetGValue(c0), GetGValue(c1), i),
                         step(GetBValue(c0), GetBValue(c1), i), 0};
    }
}

void FillGradient(vcl::TCanvas* canvas, HPALETTE palette, const TPaletteBuffer& palData, bool vertical,
                  TColor colorB, TColor colorA, const vcl::TRect& rect, bool forceBackground)
{
    HPALETTE previous = nullptr;
    int bands = 0;
    if (palette) {
        previous = SelectPalette(canvas->Handle(), palette, forceBackground ? TRUE : FALSE);
        RealizePalette(canvas->Handle());
        bands = kGradientEntries;
    } else {
        bands = (vertical ? rect.bottom - rect.top : rect.right - rect.left) / 2 + 1;
    }
    const COLORREF a = vcl::ColorToRGB(colorA);
    const COLORREF b = vcl::ColorToRGB(colorB);
    const auto channel = [&](BYTE from, BYTE to, int i) {
        return bands == 1 ? from : static_cast<BYTE>(from + i * (to - from) / (bands - 1));
    };
    const int extent = vertical ? rect.bottom - rect.top : rect.right - rect.left;
    const PALETTEENTRY* entries = palData.Header.palPalEntry;
    for (int i = 0; i < bands; ++i) {
        TColor colour = 0;
        if (palette) {
            const PALETTEENTRY& e = entries[i];
            colour = static_cast<TColor>(0x02000000 | RGB(e.peRed, e.peGreen, e.peBlue));
        } else {
            colour = static_cast<TColor>(RGB(channel(GetRValue(a), GetRValue(b), i),
                                             channel(GetGValue(a), GetGValue(b), i),
                                             channel(GetBValue(a), GetBValue(b), i)));
        }
        canvas->Brush()->SetColor(colour);
        const int start = i * extent / bands;
        const int end = start + extent / bands + 1;
        if (vertical)
            canvas->FillRect(vcl::TRect{rect.left, rect.top + start, rect.right, rect.top + end});
        else
            canvas->FillRect(vcl::TRect{rect.left + start, rect.top, rect.left + end, rect.bottom});
    }
    if (palette)
        SelectPalette(canvas->Handle(), previous, TRUE);
}

void LoadRtfResource(vcl::TRichEdit* edit, int id)
{
    // The stream goes with the scope, whatever the loading does.
    const std::unique_ptr<vcl::TResourceStream> stream =
        vcl::TResourceStream::CreateFromID(vcl::HInstance(), id, "RTF");
    edit->Lines()->LoadFromStream(*stream);
}

int GetExtensionIconIndex(const std::string& ext)
{
    SHFILEINFOA info{};
    if (SHGetFileInfoA(ext.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_USEFILEATTRIBUTES) == 0)
        return 0;
    // The icon comes with the index; only the index is wanted.
    DestroyIcon(info.hIcon);
    return info.iIcon;
}

const std::array<std::string, kToolbarCells>& ToolbarHints()
{
    static const std::array<std::string, kToolbarCells> hints{
        "TKwShellTree\r\rEnhanced Explorer tree view.",
        "TKwShellList\r\rEnhanced Explorer list view.",
        "TKwShellCombo\r\rExplorer combo box.",
        "TKwOpenDlg\r\rPowerful replacement for TOpenDlg.",
        "TKwSaveDlg\r\rPowerful replacement for TSaveDlg.",
        "TKwFolderBrowseDlg\r\rPowerful replacement for SHBrowseForFolder.",
        "TKwFrame\r\rNon-windowed frame control with 11 frame styles.",
        "TKwGroup\r\rWindowed TPanel replacement with 11 frame styles.",
        "TKwSplitter\r\rPowerful and simple splitter control.",
        "TKwImageCombo\r\rCombo box with image and indent\rlevel per item.",
        "TKwSysFolderDlg\r\rEncapsulation of the system's\rbuilt-in SHBrowseForFolder function.",
        "TKwCombobox\r\rCombo box control with events for\rOnDeleteItem, OnCloseUp, OnSelEndOk and "
        "OnSelEndCancel.",
        "TKwTreeView\r\rEnhanced tree view control with Internet Explorer 3/4 features.",
        "TKwListView\r\rEnhanced list view control with Internet Explorer 3/4 features."};
    return hints;
}

int ToolbarCell(int x)
{
    // Division toward zero: the pixels left of the first icon count to it.
    return (x - 8) / 28;
}

TToolbarHintStep ToolbarHintAt(int x, const std::string& current)
{
    const int cell = ToolbarCell(x);
    if (cell < 0 || cell >= kToolbarCells)
        return {true, std::string()};
    const std::string& hint = ToolbarHints()[static_cast<std::size_t>(cell)];
    if (hint == current)
        return {false, current};
    return {true, hint};
}

void AnimationStep(TAnimation& animation, int count)
{
    animation.Index += animation.Step;
    if (animation.Index > count - 1) {
        animation.Index = count - 2;
        animation.Step = -1;
    } else if (animation.Index < 0) {
        animation.Index = 1;
        animation.Step = 1;
    }
}

std::string VersionCaption(const std::string& format, const vcl::TFormatSettings& settings)
{
    const std::string version = vcl::Format("%.02f", {1.6}, settings);
    std::string caption = vcl::Format(format, {version}, settings);
    if (!caption.empty() && caption.back() == '0')
        caption.pop_back();
    return caption;
}

std::string MultiselectMessage(const vcl::TStrings& names)
{
    if (names.Count() <= 1)
        return std::string();
    constexpr int kShown = 26;
    std::string message = "Multiselect\r";
    const int last = std::min(names.Count() - 1, kShown - 1);
    for (int i = 0; i <= last; ++i)
        message += names[i] + '\r';
    if (names.Count() - 1 > last)
        message += "...";
    return message;
}

} // namespace demo
