#pragma once
// The framework's text form format as a tree, and its parser and printer.
//
//     object Form1: TForm1
//       Caption = 'It''s'#13#10 +
//         'more'
//       Color = clBtnFace
//       Options = [kwstoAutoFill, kwstoDynamicRefresh]
//       Items.Strings = (
//         'a'
//         'b')
//       Columns = <
//         item
//           Width = 10
//         end>
//       Folder.Pidl = {
//         0109}
//       object Button1: TButton
//         OnClick = Button1Click
//       end
//     end
//
// The parser checks syntax only (what the names mean is the reader's
// business) and raises EReadError "Line <n>: ..." naming what it expected.
// Nesting of objects, lists, collections and items is limited to
// MaxFormNesting levels. Form inheritance ("inherited", "inline") is refused.

#include "vcl/CorvaneVclExport.h"
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vcl {

inline constexpr int MaxFormNesting = 256;

enum class TFormValueKind { Integer, Float, String, Ident, Set, List, Collection, Binary };

struct TFormItem;

struct CORVANE_VCL_EXPORT TFormValue {
    TFormValueKind Kind = TFormValueKind::Integer;
    int Line = 0;
    std::int64_t Int = 0;
    // Integer written in hexadecimal with at most 8 digits: a 32-bit pattern
    // (so $80000005 is the system colour clWindow as a 32-bit property).
    bool Hex32 = false;
    double Float = 0;
    std::string Text;               // String (bytes), Ident (dotted), Binary (bytes)
    std::vector<std::string> Names; // Set
    std::vector<TFormValue> List;   // List
    std::vector<TFormItem> Items;   // Collection

    friend CORVANE_VCL_EXPORT bool operator==(const TFormValue&, const TFormValue&);
};

struct CORVANE_VCL_EXPORT TFormProperty {
    std::string Name; // dotted: Font.Name, Folder.Pidl
    TFormValue Value;
    int Line = 0;

    friend bool operator==(const TFormProperty& a, const TFormProperty& b)
    {
        return a.Name == b.Name && a.Value == b.Value;
    }
};

struct CORVANE_VCL_EXPORT TFormItem {
    std::vector<TFormProperty> Properties;
    int Line = 0;

    friend bool operator==(const TFormItem& a, const TFormItem& b) { return a.Properties == b.Properties; }
};

struct CORVANE_VCL_EXPORT TFormObject {
    std::string Name; // may be empty for the root
    std::string ClassName;
    std::vector<TFormProperty> Properties;
    std::vector<TFormObject> Children;
    int Line = 0;

    // Equal trees; line numbers do not count.
    friend bool operator==(const TFormObject& a, const TFormObject& b)
    {
        return a.Name == b.Name && a.ClassName == b.ClassName && a.Properties == b.Properties &&
               a.Children == b.Children;
    }
};

// Parses one object (and nothing after it but blanks).
CORVANE_VCL_EXPORT TFormObject ParseFormText(std::string_view text);
// Prints the tree: two blanks of indent a level, "\n" line ends, strings cut
// into pieces of at most 64 characters joined with '+', binary data as 64
// hexadecimal digits a line. Raises EWriteError for a float that is not
// finite.
CORVANE_VCL_EXPORT std::string PrintFormText(const TFormObject& root);

} // namespace vcl
