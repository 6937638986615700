#include "PlatformTestSupport.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Registry.h"
#include "vcl/core/Strings.h"
#include "win32/RegistryTesting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using vcl::TRegistry;

class TRegistryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_EQ(win32::testing::OpenRegistryKeys(), 0u) << "a registry object left its key open";
    }

    template <class F>
    static std::string RaisedMessage(F&& call)
    {
        try {
            call();
        } catch (const vcl::ERegistryException& e) {
            return e.Message();
        }
        return "(nothing raised)";
    }

    kwtest::ScopedRegistryHome Registry_;
};

TEST_F(TRegistryTest, OpensKeysRelativeToTheCurrentOne)
{
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey("Software\\Corvane", false)) << "missing, and not to be made";
    EXPECT_EQ(reg.CurrentKey(), nullptr);

    ASSERT_TRUE(reg.OpenKey("Software\\Corvane", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Corvane");
    ASSERT_TRUE(reg.OpenKey("Dialogs\\Open", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Corvane\\Dialogs\\Open");
    const HKEY open = reg.CurrentKey();
    EXPECT_FALSE(reg.OpenKey("Nowhere", false));
    EXPECT_EQ(reg.CurrentKey(), open) << "a failed open keeps the current key";

    ASSERT_TRUE(reg.OpenKey("\\Software", false));
    EXPECT_EQ(reg.CurrentPath(), "Software");
    EXPECT_TRUE(reg.KeyExists("Corvane\\Dialogs"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\Corvane"));
    EXPECT_FALSE(reg.KeyExists("Dialogs"));
    EXPECT_TRUE(reg.HasSubKeys());
    EXPECT_EQ(win32::testing::OpenRegistryKeys(), 1u) << "one key open at a time";

    reg.CloseKey();
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_TRUE(reg.KeyExists("Software\\Corvane\\Dialogs\\Open"));

    // Changing the root closes the key.
    ASSERT_TRUE(reg.OpenKey("Software", false));
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    EXPECT_FALSE(reg.KeyExists("Software\\Corvane"));
}

TEST_F(TRegistryTest, ValuesReadBackWithTheirTypes)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\Software\\Corvane", true));
    reg.WriteString("Title", "Shell demo");
    reg.WriteExpandString("Home", "%HOME%");
    reg.WriteInteger("Width", -640);
    reg.WriteBool("Visible", true);
    const unsigned char state[9] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    reg.WriteBinaryData("State", state, sizeof state);

    EXPECT_EQ(reg.ReadString("Title"), "Shell demo");
    EXPECT_EQ(reg.ReadString("Home"), "%HOME%");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(reg.ReadInteger("Width"), -640);
    EXPECT_TRUE(reg.ReadBool("Visible"));
    EXPECT_EQ(reg.GetDataSize("Title"), 11);
    EXPECT_EQ(reg.GetDataSize("State"), 9);
    EXPECT_EQ(reg.GetDataSize("Missing"), -1);
    EXPECT_EQ(reg.GetDataType("Title"), vcl::rdString);
    EXPECT_EQ(reg.GetDataType("Home"), vcl::rdExpandString);
    EXPECT_EQ(reg.GetDataType("Width"), vcl::rdInteger);
    EXPECT_EQ(reg.GetDataType("State"), vcl::rdBinary);
    EXPECT_EQ(reg.GetDataType("Missing"), vcl::rdUnknown);
    EXPECT_TRUE(reg.ValueExists("width"));

    unsigned char buffer[128];
    std::memset(buffer, 0xAA, sizeof buffer);
    EXPECT_EQ(reg.ReadBinaryData("State", buffer, sizeof buffer), 9);
    EXPECT_EQ(std::memcmp(buffer, state, sizeof state), 0);
    EXPECT_EQ(buffer[9], 0xAA) << "nothing past the value is written";
    EXPECT_EQ(reg.ReadBinaryData("Missing", buffer, sizeof buffer), 0);

    // Wrong types and short buffers raise instead of reading.
    EXPECT_EQ(RaisedMessage([&] { reg.ReadBinaryData("State", buffer, 8); }),
              "Invalid data type for 'State'");
    EXPECT_EQ(RaisedMessage([&] { reg.ReadBinaryData("Title", buffer, sizeof buffer); }),
              "Invalid data type for 'Title'");
    EXPECT_EQ(RaisedMessage([&] { reg.ReadString("Width"); }), "Invalid data type for 'Width'");
    EXPECT_EQ(RaisedMessage([&] { reg.ReadInteger("State"); }), "Failed to get data for 'State'");
    EXPECT_EQ(RaisedMessage([&] { reg.ReadInteger("Missing"); }), "Failed to get data for 'Missing'");

    // Through another object, after the store was read afresh.
    reg.CloseKey();
    win32::testing::ResetRegistry();
    TRegistry other;
    ASSERT_TRUE(other.OpenKeyReadOnly("Software\\Corvane"));
    EXPECT_EQ(other.ReadInteger("Width"), -640);
    EXPECT_EQ(RaisedMessage([&] { other.WriteString("Title", "x"); }), "Failed to set data for 'Title'");
    EXPECT_EQ(other.ReadString("Title"), "Shell demo");
    EXPECT_EQ(other.Access(), KEY_ALL_ACCESS) << "read-only applies to that one open";
}

TEST_F(TRegistryTest, ListsAndDeletesKeysWithEverythingBelow)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Corvane\\b\\deep\\deeper", true));
        reg.WriteString("x", "1");
        ASSERT_TRUE(reg.OpenKey("\\Software\\Corvane\\a", true));
        ASSERT_TRUE(reg.CreateKey("\\Software\\Corvane\\C"));
        reg.WriteString("second", "2");
        reg.WriteString("first", "1");
    } // Free closes the key (the fixture checks)

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Corvane", false));
    vcl::TStringList names;
    reg.GetKeyNames(&names);
    EXPECT_EQ(names.CommaText(), "a,b,C");
    ASSERT_TRUE(reg.OpenKey("a", false));
    reg.GetValueNames(&names);
    EXPECT_EQ(names.CommaText(), "second,first");
    EXPECT_TRUE(reg.DeleteValue("second"));
    EXPECT_FALSE(reg.DeleteValue("second"));

    ASSERT_TRUE(reg.OpenKey("\\Software\\Corvane", false));
    EXPECT_TRUE(reg.DeleteKey("b"));
    EXPECT_FALSE(reg.KeyExists("b"));
    EXPECT_FALSE(reg.DeleteKey("b"));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Corvane") << "the current key survives deleting below it";
    reg.GetKeyNames(&names);
    EXPECT_EQ(names.CommaText(), "a,C");
}

TEST_F(TRegistryTest, ReadsTheClassesRoot)
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.OpenKeyReadOnly(".txt"));
    EXPECT_EQ(reg.ReadString(""), "text.plain");
    EXPECT_FALSE(reg.KeyExists("CLSID"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\text.plain"));
    EXPECT_FALSE(reg.ReadString("").empty());
}

} // namespace
