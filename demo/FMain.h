#pragma once
// FMain: the demo's main form and the routines behind its pages (gradient
// backgrounds through a palette, the toolbar picture's hints, the animated
// row of the custom-drawn tree, the version label, the message of several
// chosen files).

#include "vcl/core/FormatSettings.h"
#include "vcl/core/Strings.h"
#include "vcl/widgets/Graphics.h"
#include "win32/Palettes.h"

#include <array>
#include <string>

namespace vcl {
class TRichEdit;
}

namespace demo {

// A logical palette with room for 256 entries, of which the gradient uses
// 64: the header's one entry and the rest following it.
struct TPaletteBuffer {
    LOGPALETTE Header{};
    PALETTEENTRY More[255]{};
};
static_assert(offsetof(TPaletteBuffer, More) == offsetof(LOGPALETTE, palPalEntry) + sizeof(PALETTEENTRY));

// Entries of the gradient palette.
inline constexpr int kGradientEntries = 64;

// Whether the screen takes its colours from a palette (never here).
bool IsPaletteDevice();
// 64 entries from pure blue (entry 0) to pure white (entry 63).
void BuildGradientPalette(TPaletteBuffer& pal);
// Fills rect with bands from colorA (top or left) to colorB (bottom or
// right): the palette's 64 entries when there is a palette, else about one
// band per two pixels. Neighbouring bands overlap by up to one pixel.
void FillGradient(vcl::TCanvas* canvas, HPALETTE palette, const TPaletteBuffer& palData, bool vertical,
                  vcl::TColor colorB, vcl::TColor colorA, const vcl::TRect& rect, bool forceBackground);

// Loads the rich edit's lines from the program's resource id of type "RTF"
// (rich text in the rich edit's format); raises EResNotFound, with the
// lines left alone, when there is none.
void LoadRtfResource(vcl::TRichEdit* edit, int id);

// The system image list's index of the icon of files with extension ext
// (".txt"), by the name alone; 0 when the shell has none.
int GetExtensionIconIndex(const std::string& ext);

// The hints of the toolbar picture's 14 icons: the class name, two line
// breaks and what it does.
inline constexpr int kToolbarCells = 14;
const std::array<std::string, kToolbarCells>& ToolbarHints();
// The icon of the picture under x: 28 pixels each from x = 8, so that x
// from 0 to 35 lies in the first one; outside 0 to 13 there is none.
int ToolbarCell(int x);
// What a move of the mouse to x does to the picture's hint: whether the
// shown hint is cancelled, and the hint the picture gets then. Within the
// cell whose hint is shown nothing changes.
struct TToolbarHintStep {
    bool Cancel = false;
    std::string Hint;
};
TToolbarHintStep ToolbarHintAt(int x, const std::string& current);

// The animated row of the custom-drawn tree: the absolute index of the
// row drawn as a gradient and the direction it moves in.
struct TAnimation {
    int Index = 0;
    int Step = 1;
};
// One step over count rows: 0, 1, ..., count - 1, count - 2, ..., 0, 1, ...
// without repeating an end.
void AnimationStep(TAnimation& animation, int count);

// The version label's caption: its stored format with the version written
// with the locale's decimal separator, and a trailing zero dropped.
std::string VersionCaption(const std::string& format, const vcl::TFormatSettings& settings);

// The message of several chosen files: "Multiselect", then at most 26
// names, each ending in a line break, then "..." when there were more;
// empty for one name or none, which show no message.
std::string MultiselectMessage(const vcl::TStrings& names);

} // namespace demo
