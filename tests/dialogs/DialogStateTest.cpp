// The dialog base: the bytes of the stored geometry, its round trips through
// the registry, what a damaged or missing value does, and one run at a time.

#include "FKwOpenDlg.h"

#include "PlatformTestSupport.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Registry.h"
#include "vcl/core/Streams.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace kw;

// A descendant with the base value and a run of the test's choosing.
class TBareDialog : public TKwDialog {
    VCL_DECLARE_CLASS(TBareDialog, TKwDialog)
public:
    using TKwDialog::TKwDialog;
    std::function<bool(TBareDialog&)> Run;
    void Initialized() { DoInitialized(); }

protected:
    bool DoExecute() override { return Run ? Run(*this) : false; }
};

constexpr const char* kKey = "Software\\Corvane\\Tests";

std::vector<unsigned char> Bytes(TKwDialog& dialog)
{
    vcl::TMemoryStream stream;
    dialog.WriteStateToStream(stream);
    const auto* data = static_cast<const unsigned char*>(stream.Memory());
    return {data, data + stream.Size()};
}

void StoreRaw(const std::vector<unsigned char>& bytes)
{
    vcl::TRegistry registry;
    registry.OpenKey(kKey, true);
    registry.WriteBinaryData("State", bytes.data(), static_cast<int>(bytes.size()));
}

struct Geometry {
    int Width;
    int Height;
    vcl::TWindowState State;
};

void ExpectGeometry(const TKwDialog& dialog, Geometry want, const std::string& what)
{
    EXPECT_EQ(dialog.FormWidth(), want.Width) << what;
    EXPECT_EQ(dialog.FormHeight(), want.Height) << what;
    EXPECT_EQ(dialog.FormWindowState(), want.State) << what;
}

TEST(DialogState, ANewDialogWritesTheNineBytesOfTheBase)
{
    vcl::TOwnedPtr<TBareDialog> dialog(vcl::Create<TBareDialog>(nullptr));
    EXPECT_EQ(Bytes(*dialog),
              (std::vector<unsigned char>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    dialog->SetFormWidth(0x01020304);
    dialog->SetFormHeight(-2);
    dialog->SetFormWindowState(vcl::wsMaximized);
    EXPECT_EQ(Bytes(*dialog), (std::vector<unsigned char>{4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 2}));
}

TEST(DialogState, WhatIsWrittenIsReadBack)
{
    kwtest::ScopedRegistryHome home;
    const Geometry cases[] = {
        {640, 480, vcl::wsNormal},
        {-5, -7, vcl::wsMinimized},
        {INT_MAX, INT_MIN, vcl::wsMaximized},
        {0, 0, vcl::wsNormal},
    };
    for (const Geometry& c : cases) {
        const std::string what = std::to_string(c.Width) + "x" + std::to_string(c.Height);
        vcl::TOwnedPtr<TBareDialog> out(vcl::Create<TBareDialog>(nullptr));
        out->SetFormWidth(c.Width);
        out->SetFormHeight(c.Height);
        out->SetFormWindowState(c.State);
        out->WriteStateToRegistry(HKEY_CURRENT_USER, kKey, "State");
        vcl::TOwnedPtr<TBareDialog> in(vcl::Create<TBareDialog>(nullptr));
        in->ReadStateFromRegistry(HKEY_CURRENT_USER, kKey, "State");
        ExpectGeometry(*in, c, what);
    }
}

TEST(DialogState, AValueThatIsMissingShortOrDamagedRaisesAtItsField)
{
    kwtest::ScopedRegistryHome home;
    const Geometry before{10, 20, vcl::wsMinimized};
    struct Case {
        const char* What;
        std::vector<unsigned char> Stored; // empty: no value at all
        Geometry After;
    };
    const Case cases[] = {
        {"missing: nothing changes", {}, before},
        {"5 bytes: the width is read", {0x2C, 0x01, 0, 0, 0x90}, {300, 20, vcl::wsMinimized}},
        {"8 bytes: width and height", {1, 0, 0, 0, 2, 0, 0, 0}, {1, 2, vcl::wsMinimized}},
        {"state 7: width and height, never the state", {1, 0, 0, 0, 2, 0, 0, 0, 7}, {1, 2, vcl::wsMinimized}},
        {"state 3", {3, 0, 0, 0, 4, 0, 0, 0, 3}, {3, 4, vcl::wsMinimized}},
    };
    for (const Case& c : cases) {
        {
            vcl::TRegistry registry;
            registry.DeleteKey(kKey);
        }
        if (!c.Stored.empty())
            StoreRaw(c.Stored);
        vcl::TOwnedPtr<TBareDialog> dialog(vcl::Create<TBareDialog>(nullptr));
        dialog->SetFormWidth(before.Width);
        dialog->SetFormHeight(before.Height);
        dialog->SetFormWindowState(before.State);
        EXPECT_THROW(dialog->ReadStateFromRegistry(HKEY_CURRENT_USER, kKey, "State"), vcl::EReadError)
            << c.What;
        ExpectGeometry(*dialog, c.After, c.What);
    }
}

TEST(DialogState, TheRegistryObjectRefusesALongValueOrAString)
{
    kwtest::ScopedRegistryHome home;
    struct Case {
        const char* What;
        std::function<void(vcl::TRegistry&)> Store;
    };
    const Case cases[] = {
        {"200 bytes",
         [](vcl::TRegistry& r) {
             const std::vector<unsigned char> bytes(200, 1);
             r.WriteBinaryData("State", bytes.data(), 200);
         }},
        {"a string", [](vcl::TRegistry& r) { r.WriteString("State", "640x480"); }},
    };
    for (const Case& c : cases) {
        {
            vcl::TRegistry registry;
            registry.OpenKey(kKey, true);
            c.Store(registry);
        }
        vcl::TOwnedPtr<TBareDialog> dialog(vcl::Create<TBareDialog>(nullptr));
        EXPECT_THROW(dialog->ReadStateFromRegistry(HKEY_CURRENT_USER, kKey, "State"), vcl::ERegistryException)
            << c.What;
        ExpectGeometry(*dialog, {-1, -1, vcl::wsNormal}, c.What);
    }
}

// Calls Execute again from OnInitialized and keeps what it raised.
struct Reentry {
    TBareDialog* Dialog = nullptr;
    std::string Raised;
    void Initialized(vcl::TObject* sender)
    {
        EXPECT_EQ(sender, Dialog);
        try {
            Dialog->Execute();
        } catch (const vcl::Exception& e) {
            Raised = e.Message();
        }
    }
};

TEST(DialogRuns, OneRunAtATime)
{
    vcl::TOwnedPtr<TBareDialog> dialog(vcl::Create<TBareDialog>(nullptr));
    Reentry reentry{dialog.get(), {}};
    dialog->OnInitialized = {&reentry, &Reentry::Initialized};
    dialog->Run = [](TBareDialog& d) {
        EXPECT_TRUE(d.Executing());
        d.Initialized();
        return true;
    };
    EXPECT_TRUE(dialog->Execute());
    EXPECT_EQ(reentry.Raised, "TBareDialog already executing");
    EXPECT_FALSE(dialog->Executing());

    // A run that raises leaves the dialog idle for the next.
    dialog->OnInitialized = nullptr;
    dialog->Run = [](TBareDialog&) -> bool { throw vcl::Exception("broken"); };
    EXPECT_THROW(dialog->Execute(), vcl::Exception);
    EXPECT_FALSE(dialog->Executing());
    dialog->Run = [](TBareDialog&) { return false; };
    EXPECT_FALSE(dialog->Execute());
}

} // namespace
