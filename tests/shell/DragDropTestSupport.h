#pragma once
// Helpers of the drag-and-drop tests: shell drop targets that record what
// they are asked, a factory that hands them out for named items, a spy over
// a control's registered target, the drag loop scripted for a test, and
// data objects carrying id list array blocks of the test's making.

#include "ShellViewTestSupport.h"

#include "com/ComObject.h"
#include "com/PlainDataObject.h"
#include "shell32/ClipboardMime.h"
#include "shell32/DragAndDrop.h"
#include "shell32/Folders.h"
#include "win32/Clock.h"
#include "win32/GlobalMemory.h"
#include "win32/ScrollBars.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kwtest {

// Writes "<name> <call> <effect in>" for each call and answers Answer.
class RecordingDropTarget : public com::ComObject<IDropTarget> {
public:
    RecordingDropTarget(std::string name, DWORD answer, std::vector<std::string>& log)
        : Name_(std::move(name)), Answer_(answer), Log_(log)
    {
    }
    std::vector<DWORD> Keys;

    HRESULT DragEnter(IDataObject*, DWORD keys, POINTL, DWORD* effect) override
    {
        return Note("enter", keys, effect);
    }
    HRESULT DragOver(DWORD keys, POINTL, DWORD* effect) override { return Note("over", keys, effect); }
    HRESULT DragLeave() override
    {
        Log_.push_back(Name_ + " leave");
        return S_OK;
    }
    HRESULT Drop(IDataObject*, DWORD keys, POINTL, DWORD* effect) override
    {
        return Note("drop", keys, effect);
    }

private:
    HRESULT Note(const char* what, DWORD keys, DWORD* effect)
    {
        Log_.push_back(Name_ + " " + what + " " + std::to_string(*effect) + " keys " + std::to_string(keys));
        *effect &= Answer_;
        return S_OK;
    }
    std::string Name_;
    DWORD Answer_;
    std::vector<std::string>& Log_;
};

// While it lives, drop targets asked of a folder for one item come from the
// table: a name with an answer gets a recording target, a name without one
// is not bound; other requests go to the factory installed before.
class RecordingTargets {
public:
    explicit RecordingTargets(std::map<std::string, DWORD> answers, std::vector<std::string>& log)
        : Answers_(std::move(answers)), Log_(log)
    {
        Before_ = shell32::SetUIObjectFactory(
            [this](const shell32::UIObjectRequest& request, REFIID riid, void** out) -> HRESULT {
                if (IsEqualIID(riid, IID_IDropTarget) && request.items.size() == 1) {
                    const std::string name(request.items[0].text);
                    const auto found = Answers_.find(name);
                    if (found != Answers_.end()) {
                        ++Bound;
                        return com::MakeComObject<RecordingDropTarget>(name, found->second, Log_)
                            ->QueryInterface(riid, out);
                    }
                    if (Unbound.count(name)) {
                        *out = nullptr;
                        return E_NOINTERFACE;
                    }
                }
                return Before_ ? Before_(request, riid, out) : E_NOINTERFACE;
            });
    }
    ~RecordingTargets() { shell32::SetUIObjectFactory(std::move(Before_)); }
    RecordingTargets(const RecordingTargets&) = delete;
    RecordingTargets& operator=(const RecordingTargets&) = delete;

    std::map<std::string, bool> Unbound;
    int Bound = 0;

private:
    std::map<std::string, DWORD> Answers_;
    std::vector<std::string>& Log_;
    shell32::UIObjectFactory Before_;
};

// Passes every call on to a control's target and keeps each answer's effect.
class SpyDropTarget : public com::ComObject<IDropTarget> {
public:
    explicit SpyDropTarget(IDropTarget* inner) : Inner_(inner) {}
    std::vector<DWORD> Effects; // the answers of DragEnter, DragOver and Drop in order

    HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override
    {
        const HRESULT hr = Inner_->DragEnter(data, keys, pt, effect);
        Effects.push_back(*effect);
        return hr;
    }
    HRESULT DragOver(DWORD keys, POINTL pt, DWORD* effect) override
    {
        const HRESULT hr = Inner_->DragOver(keys, pt, effect);
        Effects.push_back(*effect);
        return hr;
    }
    HRESULT DragLeave() override { return Inner_->DragLeave(); }
    HRESULT Drop(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override
    {
        const HRESULT hr = Inner_->Drop(data, keys, pt, effect);
        Effects.push_back(*effect);
        return hr;
    }

private:
    com::ComPtr<IDropTarget> Inner_;
};

// Puts a spy in the place of a window's registered target for its life.
class ScopedSpy {
public:
    explicit ScopedSpy(HWND window) : Window_(window), Original_(shell32::RegisteredDropTarget(window))
    {
        EXPECT_TRUE(Original_) << "the window has no drop target";
        Spy = com::MakeComObject<SpyDropTarget>(Original_.Get());
        RevokeDragDrop(window);
        EXPECT_EQ(RegisterDragDrop(window, Spy.Get()), S_OK);
    }
    ~ScopedSpy()
    {
        RevokeDragDrop(Window_);
        RegisterDragDrop(Window_, Original_.Get());
    }
    ScopedSpy(const ScopedSpy&) = delete;
    ScopedSpy& operator=(const ScopedSpy&) = delete;
    com::ComPtr<SpyDropTarget> Spy;

private:
    HWND Window_;
    com::ComPtr<IDropTarget> Original_;
};

// The drag loop for the life of the object.
class ScopedDragLoop {
public:
    explicit ScopedDragLoop(shell32::DragLoop loop) : Before_(shell32::SetDragLoop(std::move(loop))) {}
    ~ScopedDragLoop() { shell32::SetDragLoop(std::move(Before_)); }
    ScopedDragLoop(const ScopedDragLoop&) = delete;
    ScopedDragLoop& operator=(const ScopedDragLoop&) = delete;

private:
    shell32::DragLoop Before_;
};

// A data object whose "Shell IDList Array" is the given bytes.
inline com::ComPtr<IDataObject> IdListArrayObject(const std::string& bytes)
{
    com::ComPtr<IDataObject> data;
    EXPECT_EQ(com::CreatePlainDataObject(data.ReleaseAndGetAddressOf()), S_OK);
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    FORMATETC format{shell32::IdListArrayFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = block;
    EXPECT_EQ(data->SetData(&format, &medium, TRUE), S_OK);
    return data;
}

// A drag of another program's over the area viewport of control, the clock
// in the test's hand: a line towards the top edge 150 ms after the enter and
// again only more than 100 ms later, none in the middle, a line towards the
// bottom edge; the scroll bit in every answer. The bar must have room for
// two lines either way.
inline void ExpectEdgeScrolling(vcl::TWinControl* control, QWidget* viewport)
{
    static DWORD now = 0;
    const win32::TickClock before = win32::SetTickClock([] { return now; });
    IDropTarget* target = shell32::RegisteredDropTarget(control->Handle());
    ASSERT_NE(target, nullptr);
    const QPoint origin = viewport->mapToGlobal(QPoint(0, 0));
    const int height = viewport->height();
    const auto pos = [&] { return ScrollInfoOf(control, SB_VERT).nPos; };
    kw::ScrollOneStep(control, SB_VERT, SB_LINEDOWN);
    kw::ScrollOneStep(control, SB_VERT, SB_LINEDOWN);
    com::ComPtr<IDataObject> data;
    ASSERT_EQ(com::CreatePlainDataObject(data.ReleaseAndGetAddressOf()), S_OK);
    now = 1000;
    DWORD effect = 7;
    ASSERT_EQ(
        target->DragEnter(data.Get(), MK_LBUTTON, POINTL{origin.x() + 100, origin.y() + height / 2}, &effect),
        S_OK);
    struct Case {
        const char* Name;
        DWORD Now;
        int Y; // from the area's top
        int Moved;
    };
    const Case cases[] = {
        {"too soon", 1100, 10, 0},
        {"150 ms after the enter, 10 px from the top", 1150, 10, -1},
        {"only 100 ms later", 1250, 10, 0},
        {"more than 100 ms later", 1251, 10, -1},
        {"in the middle", 1500, height / 2, 0},
        {"near the bottom", 1700, height - 5, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        now = c.Now;
        const int was = pos();
        effect = 7;
        ASSERT_EQ(target->DragOver(MK_LBUTTON, POINTL{origin.x() + 100, origin.y() + c.Y}, &effect), S_OK);
        EXPECT_EQ(effect & DROPEFFECT_SCROLL, DROPEFFECT_SCROLL);
        EXPECT_EQ(pos() - was, c.Moved);
    }
    target->DragLeave();
    win32::SetTickClock(before);
}

inline void PutU32(std::string& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace kwtest
