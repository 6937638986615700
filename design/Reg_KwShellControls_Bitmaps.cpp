// The palette bitmaps: one 24 by 24 picture of 16 colours per component
// class, a bitmap resource named after the class in upper case. They are
// drawn from a few shapes at start-up and stored as bitmap files.

#include "Reg_KwShellControls_p.h"

#include "vcl/core/Resources.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kw {

namespace {

constexpr int kSize = 24;

// The 16 colours of the classic palette, as the bitmaps index them.
enum Colour : std::uint8_t {
    Black,
    Maroon,
    Green,
    Olive,
    Navy,
    Purple,
    Teal,
    Silver,
    Gray,
    Red,
    Lime,
    Yellow,
    Blue,
    Fuchsia,
    Aqua,
    White
};
constexpr std::array<std::uint32_t, 16> kPalette{0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                                 0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

struct Picture {
    std::array<std::array<std::uint8_t, kSize>, kSize> Pixels{};

    Picture()
    {
        for (auto& row : Pixels)
            row.fill(Silver);
    }
    void Fill(int l, int t, int r, int b, Colour c)
    {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                Pixels[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = c;
    }
    void Box(int l, int t, int r, int b, Colour c)
    {
        Fill(l, t, r, t + 1, c);
        Fill(l, b - 1, r, b, c);
        Fill(l, t, l + 1, b, c);
        Fill(r - 1, t, r, b, c);
    }
    // A sunken white field, the inside of a list, tree or edit.
    void Field(int l, int t, int r, int b)
    {
        Fill(l, t, r, b, White);
        Fill(l, t, r, t + 1, Gray);
        Fill(l, t, l + 1, b, Gray);
    }
    void Folder(int x, int y)
    {
        Fill(x, y, x + 3, y + 1, Olive);
        Fill(x, y + 1, x + 6, y + 5, Yellow);
        Box(x, y + 1, x + 6, y + 5, Olive);
    }
    // A dialog window: frame, caption bar and its OK button.
    void Dialog(Colour caption)
    {
        Fill(1, 2, 23, 22, Silver);
        Box(1, 2, 23, 22, Gray);
        Fill(2, 3, 22, 6, caption);
        Fill(15, 17, 21, 20, Silver);
        Box(15, 17, 21, 20, Black);
    }
    // The drop-down button of a combo at the right of a field.
    void DropDown(int t, int b)
    {
        Fill(15, t, 22, b, Silver);
        Box(15, t, 22, b, Gray);
        const int y = (t + b) / 2 - 1;
        Fill(16, y, 21, y + 1, Black);
        Fill(17, y + 1, 20, y + 2, Black);
        Fill(18, y + 2, 19, y + 3, Black);
    }
};

Picture ShellTree()
{
    Picture p;
    p.Field(1, 1, 23, 23);
    p.Fill(4, 7, 5, 20, Gray);
    for (int y : {7, 12, 17}) {
        p.Fill(4, y + 2, 8, y + 3, Gray);
        p.Folder(8, y);
    }
    p.Folder(2, 2);
    return p;
}

Picture ShellCombo()
{
    Picture p;
    p.Field(1, 7, 23, 17);
    p.Folder(3, 9);
    p.Fill(11, 11, 14, 12, Black);
    p.DropDown(8, 16);
    return p;
}

Picture Frame()
{
    Picture p;
    p.Box(2, 2, 22, 22, Gray);
    p.Box(3, 3, 23, 23, White);
    return p;
}

Picture Group()
{
    Picture p;
    p.Box(2, 6, 22, 22, Gray);
    p.Box(3, 7, 23, 23, White);
    p.Fill(5, 3, 14, 10, Silver);
    p.Fill(6, 5, 13, 7, Navy);
    return p;
}

Picture Splitter()
{
    Picture p;
    p.Field(1, 2, 11, 22);
    p.Field(13, 2, 23, 22);
    p.Fill(11, 2, 13, 22, Gray);
    p.Fill(3, 5, 9, 6, Navy);
    p.Fill(15, 5, 21, 6, Navy);
    return p;
}

Picture ImageCombo()
{
    Picture p;
    p.Field(1, 7, 23, 17);
    p.Fill(3, 9, 7, 13, Red);
    p.Fill(5, 11, 9, 15, Blue);
    p.DropDown(8, 16);
    return p;
}

Picture Combobox()
{
    Picture p;
    p.Field(1, 7, 23, 17);
    p.Fill(3, 11, 12, 12, Black);
    p.DropDown(8, 16);
    return p;
}

Picture TreeView()
{
    Picture p;
    p.Field(1, 1, 23, 23);
    p.Fill(5, 6, 6, 19, Gray);
    p.Fill(3, 3, 8, 7, Blue);
    for (int y : {9, 14, 18}) {
        p.Fill(5, y + 1, 9, y + 2, Gray);
        p.Fill(9, y, 13, y + 3, Teal);
        p.Fill(14, y + 1, 20, y + 2, Black);
    }
    return p;
}

Picture ListView()
{
    Picture p;
    p.Field(1, 1, 23, 23);
    for (int y : {4, 9, 14, 19}) {
        p.Fill(4, y, 7, y + 3, Blue);
        p.Fill(9, y + 1, 20, y + 2, Black);
    }
    return p;
}

Picture ShellList()
{
    Picture p;
    p.Field(1, 1, 23, 23);
    for (int y : {3, 9, 15}) {
        p.Folder(3, y);
        p.Fill(11, y + 3, 20, y + 4, Black);
    }
    return p;
}

Picture OpenDlg()
{
    Picture p;
    p.Dialog(Navy);
    p.Field(3, 8, 21, 16);
    p.Folder(5, 9);
    p.Fill(13, 12, 19, 13, Black);
    return p;
}

Picture SaveDlg()
{
    Picture p;
    p.Dialog(Navy);
    // A floppy disk.
    p.Fill(4, 8, 12, 16, Navy);
    p.Fill(6, 8, 10, 11, White);
    p.Fill(6, 13, 10, 16, Silver);
    p.Field(13, 10, 21, 14);
    return p;
}

Picture FolderBrowseDlg()
{
    Picture p;
    p.Dialog(Navy);
    p.Field(3, 8, 14, 21);
    p.Fill(5, 11, 6, 19, Gray);
    p.Folder(6, 9);
    p.Folder(7, 14);
    return p;
}

Picture SysFolderDlg()
{
    Picture p;
    p.Dialog(Teal);
    p.Field(3, 8, 21, 16);
    p.Folder(5, 9);
    p.Folder(13, 9);
    return p;
}

struct Entry {
    const char* Name;
    Picture (*Draw)();
};

constexpr std::array<Entry, 14> kEntries{{
    {"TKWSHELLTREE", &ShellTree},
    {"TKWSHELLLIST", &ShellList},
    {"TKWSHELLCOMBO", &ShellCombo},
    {"TKWOPENDLG", &OpenDlg},
    {"TKWSAVEDLG", &SaveDlg},
    {"TKWFOLDERBROWSEDLG", &FolderBrowseDlg},
    {"TKWFRAME", &Frame},
    {"TKWGROUP", &Group},
    {"TKWSPLITTER", &Splitter},
    {"TKWIMAGECOMBO", &ImageCombo},
    {"TKWSYSFOLDERDLG", &SysFolderDlg},
    {"TKWCOMBOBOX", &Combobox},
    {"TKWTREEVIEW", &TreeView},
    {"TKWLISTVIEW", &ListView},
}};

void Put16(std::vector<unsigned char>& out, std::uint32_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A bitmap file of 4 bits a pixel, bottom row first.
std::vector<unsigned char> BitmapFile(const Picture& picture)
{
    constexpr std::uint32_t rowBytes = kSize / 2; // 12: already a multiple of 4
    constexpr std::uint32_t headers = 14 + 40 + 16 * 4;
    constexpr std::uint32_t size = headers + rowBytes * kSize;
    std::vector<unsigned char> out;
    out.reserve(size);
    out.push_back('B');
    out.push_back('M');
    Put32(out, size);
    Put32(out, 0);
    Put32(out, headers);
    Put32(out, 40);
    Put32(out, kSize);
    Put32(out, kSize);
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0); // BI_RGB
    Put32(out, rowBytes * kSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 16);
    Put32(out, 0);
    for (std::uint32_t rgb : kPalette) {
        out.push_back(static_cast<unsigned char>(rgb & 0xFF));
        out.push_back(static_cast<unsigned char>((rgb >> 8) & 0xFF));
        out.push_back(static_cast<unsigned char>(rgb >> 16));
        out.push_back(0);
    }
    for (int y = kSize - 1; y >= 0; --y) {
        const auto& row = picture.Pixels[static_cast<std::size_t>(y)];
        for (std::size_t x = 0; x < kSize; x += 2)
            out.push_back(static_cast<unsigned char>((row[x] << 4) | row[x + 1]));
    }
    return out;
}

} // namespace

void RegisterPaletteBitmaps()
{
    for (const Entry& entry : kEntries)
        vcl::RegisterResourceCopy(vcl::HInstance(), RT_BITMAP, entry.Name, BitmapFile(entry.Draw()));
}

void UnregisterPaletteBitmaps()
{
    for (const Entry& entry : kEntries)
        vcl::UnregisterResource(vcl::HInstance(), RT_BITMAP, entry.Name);
}

} // namespace kw
