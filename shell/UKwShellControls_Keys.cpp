// The shortcut keys of the shell tree and list: key texts both ways, and the
// process-wide table of the seven keys read from their resource strings.

#include "UKwShellControls.h"
#include "UKwShellControls_Startup_p.h"

#include "UKwShConsts.h"
#include "UKwShellControlsTesting.h"

#include "vcl/core/SysUtils.h"

#include <array>
#include <string_view>

namespace kw {

namespace {

struct KeyName {
    WORD Code;
    const char* Name;
};

constexpr KeyName KeyNames[] = {
    {8, "BkSp"},  {9, "Tab"},    {13, "Enter"}, {27, "Esc"},  {32, "Space"},
    {33, "PgUp"}, {34, "PgDn"},  {35, "End"},   {36, "Home"}, {37, "Left"},
    {38, "Up"},   {39, "Right"}, {40, "Down"},  {45, "Ins"},  {46, "Del"},
};

struct Modifier {
    std::string_view Prefix;
    vcl::TShortCut Bit;
};

// The order in which a text's leading modifiers are read.
constexpr Modifier ModifierPrefixes[] = {
    {"Shift+", vcl::scShift},
    {"^", vcl::scCtrl},
    {"Ctrl+", vcl::scCtrl},
    {"Alt+", vcl::scAlt},
};

// Lower codes come first, so a text names the main keyboard's key before the
// keypad's ("5" is 53, not 101). The range reaches past one byte so that the
// "#" texts of unnamed keys read back too.
constexpr int FirstKeyCode = 8;
constexpr int LastKeyCode = 597;

// The key texts in table order, from their resource strings.
constexpr std::array<const vcl::TResStringRec*, KwShortcutCount> ShortcutTexts = {
    &SShKey_SelectAll, &SShKey_Delete,  &SShKey_Copy, &SShKey_Cut,
    &SShKey_Paste,     &SShKey_Refresh, &SShKey_Edit,
};

std::array<TKwShortcutEntry, KwShortcutCount> Table;
bool KeysLoaded = false;

std::string KeyCodeName(vcl::TShortCut key)
{
    const int code = key & 0xFF;
    for (const KeyName& named : KeyNames)
        if (named.Code == code)
            return named.Name;
    if (code >= '0' && code <= '9')
        return std::string(1, static_cast<char>(code));
    if (code >= 'A' && code <= 'Z')
        return std::string(1, static_cast<char>(code));
    if (code >= 96 && code <= 105) // the numeric keypad's digits
        return std::string(1, static_cast<char>('0' + code - 96));
    if (code >= 112 && code <= 135) // F1 to F24
        return "F" + std::to_string(code - 111);
    return "#" + std::to_string(key);
}

bool TextsLoaded()
{
    for (const TKwShortcutEntry& entry : Table)
        if (!entry.Text.empty())
            return true;
    return false;
}

} // namespace

std::string ShKeyToText(vcl::TShortCut key)
{
    std::string text;
    if (key & vcl::scShift)
        text += "Shift+";
    if (key & vcl::scCtrl)
        text += "Ctrl+";
    if (key & vcl::scAlt)
        text += "Alt+";
    return text + KeyCodeName(key);
}

vcl::TShortCut TextToShKey(const std::string& text)
{
    std::string_view rest(text);
    vcl::TShortCut modifiers = 0;
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (const Modifier& modifier : ModifierPrefixes) {
            if (rest.size() >= modifier.Prefix.size() &&
                vcl::SameText(rest.substr(0, modifier.Prefix.size()), modifier.Prefix)) {
                modifiers |= modifier.Bit;
                rest.remove_prefix(modifier.Prefix.size());
                stripped = true;
                break;
            }
        }
    }
    if (rest.empty())
        return 0;
    for (int code = FirstKeyCode; code <= LastKeyCode; ++code)
        if (vcl::AnsiSameText(ShKeyToText(static_cast<vcl::TShortCut>(code)), rest))
            return static_cast<vcl::TShortCut>(code | modifiers);
    return 0;
}

const TKwShortcutEntry& ShortcutEntry(TKwShortcutIndex index)
{
    return Table.at(static_cast<size_t>(index));
}

bool ShortcutKeysLoaded()
{
    return KeysLoaded;
}

void LoadShortcutKeys()
{
    if (KeysLoaded)
        return;
    // Asked for before the unit started: the texts are read now rather than
    // parsing nothing into keys kept for the whole process.
    if (!TextsLoaded())
        detail::LoadShortcutTexts();
    for (TKwShortcutEntry& entry : Table)
        entry.Key = TextToShKey(KwLoadStr(entry.Text));
    KeysLoaded = true;
}

void detail::LoadShortcutTexts()
{
    for (size_t i = 0; i < Table.size(); ++i)
        Table[i].Text = vcl::LoadResString(ShortcutTexts[i]);
}

void detail::ReleaseShortcutTexts()
{
    for (TKwShortcutEntry& entry : Table)
        entry.Text = std::string();
}

void testing::ResetShortcutKeys()
{
    for (TKwShortcutEntry& entry : Table)
        entry.Key = 0;
    KeysLoaded = false;
}

} // namespace kw
