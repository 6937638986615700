// Every way the event loop enters the framework stops exceptions there and
// hands them to the application once; the silent abort stays silent and the
// loop goes on.

#include "MessageBoxScript.h"
#include "WidgetTesting.h"

#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/MessageWindows.h"
#include "win32/WindowManager.h"

#include <QEventLoop>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using namespace vcl;
using kwtest::Pump;
using kwtest::PumpUntil;

enum class Raise { Framework, Abort, Foreign };

void RaiseAs(Raise kind)
{
    switch (kind) {
    case Raise::Framework:
        throw EListError("list index out of bounds");
    case Raise::Abort:
        Abort();
    case Raise::Foreign:
        throw std::runtime_error("foreign failure");
    }
}

// Counts what reaches the application's handler.
class Catcher : public TObject {
public:
    Catcher() { Application()->OnException = TExceptionEvent(this, &Catcher::Caught); }
    ~Catcher() override { Application()->OnException = nullptr; }
    int Count = 0;
    std::string LastClass;
    std::string LastMessage;
    TObject* LastSender = nullptr;

private:
    void Caught(TObject* sender, const Exception& e)
    {
        ++Count;
        LastClass = e.ClassName();
        LastMessage = e.Message();
        LastSender = sender;
    }
};

// One way into the framework from the event loop. Arm sets up what raises
// `kind` once and returns when it has run; Again proves the loop still
// delivers the same kind of entry afterwards.
struct EntryPoint {
    const char* Name;
    std::function<void(Raise kind, int& ran)> Run;
};

class Raiser : public TObject {
public:
    Raise Kind = Raise::Framework;
    int Ran = 0;
    bool Armed = true;

    void Fire()
    {
        ++Ran;
        if (Armed) {
            Armed = false;
            RaiseAs(Kind);
        }
    }
    void Mouse(TObject*, TMouseButton, TShiftState, int, int) { Fire(); }
    void Tick(TObject*) { Fire(); }
    void Method(TMessage& message)
    {
        if (message.Msg == WM_USER + 1)
            Fire();
    }
};

std::vector<EntryPoint> EntryPoints()
{
    return {
        {"event handler",
         [](Raise kind, int& ran) {
             kwtest::TestForm form;
             auto* control = Create<kwtest::TLoggingControl>(form.Get());
             control->SetParent(form.Get());
             control->SetBounds(10, 10, 50, 50);
             Raiser raiser;
             raiser.Kind = kind;
             control->OnMouseDown = TMouseEvent(&raiser, &Raiser::Mouse);
             QTest::mousePress(control->Peer(), Qt::LeftButton, {}, QPoint(5, 5));
             QTest::mouseRelease(control->Peer(), Qt::LeftButton, {}, QPoint(5, 5));
             QTest::mousePress(control->Peer(), Qt::LeftButton, {}, QPoint(6, 6));
             QTest::mouseRelease(control->Peer(), Qt::LeftButton, {}, QPoint(6, 6));
             ran = raiser.Ran;
         }},
        {"paint",
         [](Raise kind, int& ran) {
             kwtest::TestForm form;
             auto* control = Create<kwtest::TLoggingControl>(form.Get());
             control->SetParent(form.Get());
             control->SetBounds(10, 10, 50, 50);
             Raiser raiser;
             raiser.Kind = kind;
             control->OnPaintHook = [&] { raiser.Fire(); };
             control->Peer()->grab();
             control->Peer()->grab();
             ran = raiser.Ran;
         }},
        {"timer",
         [](Raise kind, int& ran) {
             Raiser raiser;
             raiser.Kind = kind;
             TOwnedPtr<TComponent> owner(Create<TComponent>(nullptr));
             auto* timer = Create<TTimer>(owner.get());
             timer->SetInterval(10);
             timer->SetOnTimer(TNotifyEvent(&raiser, &Raiser::Tick));
             PumpUntil([&] { return raiser.Ran >= 2; });
             ran = raiser.Ran;
         }},
        {"posted message",
         [](Raise kind, int& ran) {
             Raiser raiser;
             raiser.Kind = kind;
             HWND window = AllocateHWnd(TWndMethod(&raiser, &Raiser::Method));
             PostMessageA(window, WM_USER + 1, 0, 0);
             PostMessageA(window, WM_USER + 1, 0, 0);
             PumpUntil([&] { return raiser.Ran >= 2; });
             DeallocateHWnd(window);
             ran = raiser.Ran;
         }},
        {"nested loop",
         [](Raise kind, int& ran) {
             // A modal loop's stand-in: a nested loop run from a posted
             // message, in which a second message raises.
             Raiser raiser;
             raiser.Kind = kind;
             QEventLoop loop;
             struct Outer : TObject {
                 QEventLoop* Loop;
                 HWND Inner = nullptr;
                 bool Returned = false;
                 void Method(TMessage& message)
                 {
                     if (message.Msg == WM_USER + 2) {
                         PostMessageA(Inner, WM_USER + 1, 0, 0);
                         PostMessageA(Inner, WM_USER + 1, 0, 0);
                         PostMessageA(Inner, WM_USER + 3, 0, 0);
                         Loop->exec();
                         Returned = true;
                     }
                 }
             } outer;
             struct Quitter : TObject {
                 Raiser* R;
                 QEventLoop* Loop;
                 void Method(TMessage& message)
                 {
                     R->Method(message);
                     if (message.Msg == WM_USER + 3)
                         Loop->quit();
                 }
             } quitter;
             quitter.R = &raiser;
             quitter.Loop = &loop;
             outer.Loop = &loop;
             outer.Inner = AllocateHWnd(TWndMethod(&quitter, &Quitter::Method));
             HWND window = AllocateHWnd(TWndMethod(&outer, &Outer::Method));
             PostMessageA(window, WM_USER + 2, 0, 0);
             PumpUntil([&] { return outer.Returned; });
             DeallocateHWnd(window);
             DeallocateHWnd(outer.Inner);
             ran = outer.Returned ? raiser.Ran : -1;
         }},
    };
}

TEST(ExceptionBoundary, EveryEntryPointReachesTheApplicationOnce)
{
    struct Kind {
        Raise Raised;
        int Reported;
        const char* Class;
        const char* Message;
    } kinds[] = {
        {Raise::Framework, 1, "EListError", "list index out of bounds"},
        {Raise::Abort, 0, "", ""},
        {Raise::Foreign, 1, "Exception", "foreign failure"},
    };
    for (const EntryPoint& entry : EntryPoints()) {
        for (const Kind& kind : kinds) {
            Catcher catcher;
            int ran = 0;
            entry.Run(kind.Raised, ran);
            Pump();
            EXPECT_EQ(catcher.Count, kind.Reported) << entry.Name << " " << kind.Class;
            EXPECT_EQ(catcher.LastClass, kind.Class) << entry.Name;
            EXPECT_EQ(catcher.LastMessage, kind.Message) << entry.Name;
            // The loop went on: the same entry point ran again after the raise.
            EXPECT_GE(ran, 2) << entry.Name << ": the loop did not go on";
        }
    }
}

TEST(ExceptionBoundary, TheControlIsTheSender)
{
    kwtest::TestForm form;
    auto* control = Create<kwtest::TLoggingControl>(form.Get());
    control->SetParent(form.Get());
    control->SetBounds(0, 0, 40, 40);
    Raiser raiser;
    control->OnMouseDown = TMouseEvent(&raiser, &Raiser::Mouse);
    Catcher catcher;
    QTest::mouseClick(control->Peer(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(catcher.Count, 1);
    EXPECT_EQ(catcher.LastSender, control);
}

TEST(ExceptionBoundary, TheDefaultReportShowsTheMessageWithAFullStop)
{
    kwtest::MessageBoxScript boxes;
    Application()->SetTitle("Corvane test");
    struct Case {
        const char* raised;
        const char* shown;
    } cases[] = {
        {"Disk full", "Disk full."},
        {"Already stopped.", "Already stopped."},
        {"Stopped!", "Stopped!"},
        {"Why?", "Why?."},
        {"", ""},
    };
    for (const Case& c : cases) {
        const std::size_t before = boxes.Count();
        try {
            throw Exception(c.raised);
        } catch (...) {
            Application()->HandleException(nullptr);
        }
        ASSERT_EQ(boxes.Count(), before + 1) << c.raised;
        EXPECT_EQ(boxes.Last().Text, c.shown);
        EXPECT_EQ(boxes.Last().Caption, "Corvane test");
        EXPECT_EQ(boxes.Last().Type, MB_OK | MB_ICONSTOP);
    }
    const std::size_t shown = boxes.Count();
    Application()->HandleException(nullptr); // outside a catch block: nothing
    EXPECT_EQ(boxes.Count(), shown);
    try {
        Abort();
    } catch (...) {
        Application()->HandleException(nullptr);
    }
    EXPECT_EQ(boxes.Count(), shown) << "the silent abort showed something";
    Application()->SetTitle("");
}

} // namespace
