// Shortcut key texts both ways, and the shortcut table the tree and list read.

#include "FoundationUnitsFixture.h"
#include "UKwShellControls.h"
#include "UKwShellControlsTesting.h"

#include "vcl/core/UnitRegistry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct KeyText {
    vcl::TShortCut Key;
    const char* Text;
};

TEST(ShortcutKeys, KeysNameThemselves)
{
    for (const KeyText& row : {
             KeyText{0x4041, "Ctrl+A"},
             KeyText{113, "F2"},
             KeyText{101, "5"}, // the keypad's 5 reads as the digit
             KeyText{0x602E, "Shift+Ctrl+Del"},
             KeyText{0xE041, "Shift+Ctrl+Alt+A"},
             KeyText{0xA079, "Shift+Alt+F10"},
             KeyText{96, "0"},
             KeyText{105, "9"},
             KeyText{135, "F24"},
             KeyText{136, "#136"},           // past F24
             KeyText{0x4007, "Ctrl+#16391"}, // the whole value, modifier bits included
             KeyText{0, "#0"},
         })
        EXPECT_EQ(kw::ShKeyToText(row.Key), row.Text) << row.Key;
}

TEST(ShortcutKeys, TextsNameTheirKeys)
{
    for (const KeyText& row : {
             KeyText{0x4041, "ctrl+a"},
             KeyText{0x4041, "^A"},
             KeyText{0x4041, "^a"},
             KeyText{0x4041, "Ctrl+A"},
             KeyText{0xA079, "Shift+Alt+F10"},
             KeyText{0xA079, "alt+SHIFT+f10"},
             KeyText{53, "5"}, // the main keyboard's 5: lower codes are tried first
             KeyText{0x2000 | 46, "Shift+Del"},
             KeyText{0x6041, "Ctrl+Shift+^A"},
             KeyText{136, "#136"},
             KeyText{0, "garbage"},
             KeyText{0, "Ctrl+"},
             KeyText{0, ""},
             KeyText{0, "Ctrl+Garbage"},
             KeyText{0, "F25"},
         })
        EXPECT_EQ(kw::TextToShKey(row.Text), row.Key) << row.Text;
}

TEST(ShortcutKeys, EveryNamedKeyAndFunctionKeyGoesThereAndBack)
{
    const KeyText named[] = {
        {8, "BkSp"},  {9, "Tab"},    {13, "Enter"}, {27, "Esc"},  {32, "Space"},
        {33, "PgUp"}, {34, "PgDn"},  {35, "End"},   {36, "Home"}, {37, "Left"},
        {38, "Up"},   {39, "Right"}, {40, "Down"},  {45, "Ins"},  {46, "Del"},
    };
    for (const KeyText& row : named) {
        EXPECT_EQ(kw::ShKeyToText(row.Key), row.Text);
        EXPECT_EQ(kw::TextToShKey(row.Text), row.Key) << row.Text;
    }
    for (int f = 1; f <= 24; ++f) {
        const auto key = static_cast<vcl::TShortCut>(111 + f);
        const std::string text = "F" + std::to_string(f);
        EXPECT_EQ(kw::ShKeyToText(key), text);
        EXPECT_EQ(kw::TextToShKey(text), key) << text;
        EXPECT_EQ(kw::TextToShKey("Ctrl+" + text), key | vcl::scCtrl) << text;
    }
    for (int code = 'A'; code <= 'Z'; ++code)
        EXPECT_EQ(kw::TextToShKey(kw::ShKeyToText(static_cast<vcl::TShortCut>(code))), code);
}

using ShortcutTable = kwtest::FoundationUnits;

TEST_F(ShortcutTable, HoldsTheSevenKeysOfItsTexts)
{
    vcl::InitializeUnits();
    kw::testing::ResetShortcutKeys();
    EXPECT_FALSE(kw::ShortcutKeysLoaded());
    kw::LoadShortcutKeys();
    EXPECT_TRUE(kw::ShortcutKeysLoaded());

    struct Row {
        kw::TKwShortcutIndex Index;
        const char* Text;
        vcl::TShortCut Key;
    };
    const Row rows[] = {
        {kw::kwskSelectAll, "Ctrl+A", 0x4041},
        {kw::kwskDelete, "Del", 46},
        {kw::kwskCopy, "Ctrl+C", 0x4043},
        {kw::kwskCut, "Ctrl+X", 0x4058},
        {kw::kwskPaste, "Ctrl+V", 0x4056},
        {kw::kwskRefresh, "F5", 116},
        {kw::kwskEdit, "F2", 113},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(kw::ShortcutEntry(row.Index).Text, row.Text) << row.Text;
        EXPECT_EQ(kw::ShortcutEntry(row.Index).Key, row.Key) << row.Text;
    }

    // Shut-down releases the texts; the keys stay parsed for the process.
    vcl::FinalizeUnits();
    for (const Row& row : rows) {
        EXPECT_EQ(kw::ShortcutEntry(row.Index).Text, "") << row.Text;
        EXPECT_EQ(kw::ShortcutEntry(row.Index).Key, row.Key) << row.Text;
    }
    EXPECT_TRUE(kw::ShortcutKeysLoaded());

    // Asked for before the unit has started, the keys are still read from
    // their resource strings, not from empty texts.
    kw::testing::ResetShortcutKeys();
    kw::LoadShortcutKeys();
    for (const Row& row : rows)
        EXPECT_EQ(kw::ShortcutEntry(row.Index).Key, row.Key) << row.Text;
}

} // namespace
