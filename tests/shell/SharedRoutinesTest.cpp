// Display names with raw flags whatever kind of string the folder answers,
// the exception for a system error, and window style bits.

#include "ShellControlsTestSupport.h"

#include "UKwShellControls.h"
#include "UKwShellControlsTesting.h"

#include "com/TaskAllocator.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/Forms.h"
#include "win32/WindowManager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

using kwtest::MakeList;

// A folder whose display names a test chooses.
class NamingFolder : public kwtest::ComparingFolder {
public:
    using Answer = std::function<HRESULT(LPCITEMIDLIST, DWORD, STRRET*)>;
    explicit NamingFolder(Answer answer)
        : ComparingFolder([](LPCITEMIDLIST, LPCITEMIDLIST) { return E_NOTIMPL; }), Answer_(std::move(answer))
    {
    }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD flags, STRRET* name) override
    {
        return Answer_(pidl, flags, name);
    }

private:
    Answer Answer_;
};

LPWSTR TaskWideString(const std::u16string& text)
{
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(char16_t)));
    std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    return copy;
}

TEST(GetShellDisplayName, ReadsEveryKindOfAnswer)
{
    // An item whose payload holds a name at a known offset: 2 bytes of count,
    // then "xx", then the name and its zero.
    const kwtest::OwnedList item = MakeList({std::string_view("xxOffset name\0", 14)});
    const std::string longName(261, 'n'); // fills the inline record with no room for a zero
    struct Row {
        const char* What;
        std::function<HRESULT(STRRET*)> Answer;
        const char* Expected;
    };
    const Row rows[] = {
        {"wide",
         [](STRRET* s) {
             s->uType = STRRET_WSTR;
             s->pOleStr = TaskWideString(u"Wide \u00e9");
             return S_OK;
         },
         "Wide \xc3\xa9"},
        {"offset",
         [](STRRET* s) {
             s->uType = STRRET_OFFSET;
             s->uOffset = 4;
             return S_OK;
         },
         "Offset name"},
        {"offset outside the list",
         [](STRRET* s) {
             s->uType = STRRET_OFFSET;
             s->uOffset = 400;
             return S_OK;
         },
         ""},
        {"inline",
         [](STRRET* s) {
             std::strcpy(s->cStr, "Inline");
             return S_OK;
         },
         "Inline"},
        {"inline without a zero",
         [&longName](STRRET* s) {
             std::memcpy(s->cStr, longName.data(), longName.size());
             return S_OK;
         },
         longName.c_str()},
        {"S_FALSE with a wide string",
         [](STRRET* s) {
             s->uType = STRRET_WSTR;
             s->pOleStr = TaskWideString(u"unused");
             return S_FALSE;
         },
         ""},
        {"failure", [](STRRET*) { return E_FAIL; }, ""},
        {"unknown kind",
         [](STRRET* s) {
             s->uType = 7;
             return S_OK;
         },
         ""},
    };
    for (const Row& row : rows) {
        DWORD flagsSeen = 0;
        UINT kindOffered = 99;
        const auto folder = com::MakeComObject<NamingFolder>([&](LPCITEMIDLIST pidl, DWORD flags, STRRET* s) {
            EXPECT_EQ(pidl, item.Get());
            flagsSeen = flags;
            kindOffered = s->uType;
            return row.Answer(s);
        });
        std::string name = "stale";
        kw::GetShellDisplayName(folder.Get(), item.Get(), 0x4001, name);
        EXPECT_EQ(name, row.Expected) << row.What;
        EXPECT_EQ(flagsSeen, 0x4001u) << row.What;
        EXPECT_EQ(kindOffered, static_cast<UINT>(STRRET_CSTR)) << row.What;
    }
    // The test program fails a test that leaves a wide string live.

    std::string name = "stale";
    kw::GetShellDisplayName(nullptr, item.Get(), 0, name);
    EXPECT_EQ(name, "");
}

TEST(GetShellDisplayName, NamesARealFolderItem)
{
    kwtest::TempDir dir;
    const std::string path = dir.Path() + "/Report \xff.txt"; // not UTF-8: in-folder names show U+FFFD
    kwtest::WriteFile(path, "x");
    const kwtest::OwnedList folderList = kwtest::ListOfPath(dir.Path());
    const kwtest::OwnedList itemList = kwtest::LastItemOf(kwtest::ListOfPath(path).Get());
    com::ComPtr<IShellFolder> folder;
    ASSERT_EQ(kw::ShellGetFolderFromIdList(folderList.Get(), folder.ReleaseAndGetAddressOf()), S_OK);
    std::string name;
    kw::GetShellDisplayName(folder.Get(), itemList.Get(), SHGDN_INFOLDER, name);
    EXPECT_EQ(name, "Report \xef\xbf\xbd.txt");
    kw::GetShellDisplayName(folder.Get(), itemList.Get(), SHGDN_FORPARSING, name);
    EXPECT_EQ(name, path);
}

TEST(RaiseShellError, RaisesTheSystemsTextForTheCode)
{
    for (const int code : {2, 5, 183}) {
        try {
            kw::RaiseShellError(code);
            ADD_FAILURE() << "nothing raised for " << code;
        } catch (const vcl::Exception& e) {
            EXPECT_EQ(e.Message(), vcl::SysErrorMessage(static_cast<DWORD>(code)));
            EXPECT_FALSE(e.Message().empty());
        }
    }
}

// What the screen showed while BusySleep paused, and for how long it was asked to.
vcl::TCursor CursorWhilePaused = vcl::crDefault;
int PausedFor = -1;
void NotePause(int milliseconds)
{
    CursorWhilePaused = vcl::Screen()->Cursor();
    PausedFor = milliseconds;
}
void InterruptedPause(int milliseconds)
{
    NotePause(milliseconds);
    throw std::runtime_error("interrupted");
}

TEST(BusySleep, ShowsTheHourglassWhileItPausesThenTheCursorItFound)
{
    struct Row {
        vcl::TCursor Found;
        int Milliseconds;
        int Paused; // -1: no pause at all
        kw::testing::TBusyPause Pause;
    };
    const Row rows[] = {
        {vcl::crDefault, 120, 120, &NotePause}, {vcl::crDrag, 5, 5, &NotePause},
        {vcl::crHourGlass, 30, 30, &NotePause}, {vcl::crDefault, 0, -1, &NotePause},
        {vcl::crDefault, -3, -1, &NotePause},   {vcl::crCross, 10, 10, &InterruptedPause},
    };
    for (const Row& row : rows) {
        vcl::Screen()->SetCursor(row.Found);
        CursorWhilePaused = vcl::crDefault;
        PausedFor = -1;
        const kw::testing::TBusyPause before = kw::testing::SetBusyPause(row.Pause);
        if (row.Pause == &InterruptedPause)
            EXPECT_THROW(kw::BusySleep(row.Milliseconds), std::runtime_error);
        else
            kw::BusySleep(row.Milliseconds);
        kw::testing::SetBusyPause(before);
        EXPECT_EQ(PausedFor, row.Paused) << row.Milliseconds;
        if (row.Paused >= 0) {
            EXPECT_EQ(CursorWhilePaused, vcl::crHourGlass) << row.Milliseconds;
        }
        EXPECT_EQ(vcl::Screen()->Cursor(), row.Found) << row.Milliseconds;
    }
    vcl::Screen()->SetCursor(vcl::crDefault);

    // The pause of its own sleeps the thread.
    const auto start = std::chrono::steady_clock::now();
    kw::BusySleep(20);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
    EXPECT_EQ(vcl::Screen()->Cursor(), vcl::crDefault);
}

class StyleRecorder : public win32::WindowProcedure {
public:
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

TEST(SetWindowStyleBits, SetsAndClearsOnlyTheBitsNamed)
{
    StyleRecorder procedure;
    const HWND window = win32::CreateWindowFor(&procedure, {nullptr, 0x00010010, 0, 0});
    ASSERT_NE(window, nullptr);
    struct Row {
        DWORD Bits;
        bool Set;
        DWORD Expected;
    };
    for (const Row& row :
         {Row{0x10, true, 0x00010010}, Row{0x10, false, 0x00010000}, Row{0x10, false, 0x00010000},
          Row{0x80000010, true, 0x80010010}, Row{0x80000000, false, 0x00010010}}) {
        kw::SetWindowStyleBits(window, row.Bits, row.Set);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), row.Expected);
    }
    DestroyWindow(window);
    kw::SetWindowStyleBits(nullptr, 0x10, true); // no window: nothing at all
    kw::SetWindowStyleBits(window, 0x10, true);  // gone: nothing either
}

} // namespace
