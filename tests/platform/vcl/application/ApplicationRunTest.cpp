// A program as the framework's programs are written: no QApplication of its
// own, Initialize, CreateForm, Run. Its own test program, because Run ends
// it: the forms are freed, the units shut down and the QApplication goes.

#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Dialogs.h"
#include "vcl/widgets/Forms.h"
#include "win32/Errors.h"
#include "win32/WindowManager.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using namespace vcl;

std::vector<std::string> g_log;

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner) : TForm(owner) { SetCaption("Main"); }

protected:
    ~TMainForm() override { g_log.push_back("main form freed"); }
};

int g_boxes = 0;

TEST(Application, InitializeCreateFormRunAndTheEnd)
{
    RegisterUnit({"UnitA", [] { g_log.push_back("start A"); }, [] { g_log.push_back("end A"); }});
    RegisterUnit({"UnitB", [] { g_log.push_back("start B"); }, [] { g_log.push_back("end B"); }});
    ASSERT_EQ(QCoreApplication::instance(), nullptr);

    // Before there is a GUI a box cannot be shown: it fails at once, from
    // any thread, instead of waiting for an answer that cannot come.
    Application();
    for (bool worker : {false, true}) {
        int answer = -1;
        DWORD error = 0;
        const auto ask = [&] {
            answer = MessageBoxA(nullptr, "Too early", "Test", MB_OK);
            error = GetLastError();
        };
        if (worker)
            std::thread(ask).join();
        else
            ask();
        EXPECT_EQ(answer, 0) << worker;
        EXPECT_EQ(error, ERROR_NOT_SUPPORTED) << worker;
    }
    EXPECT_FALSE(MessageBeep(MB_OK));

    Application()->Initialize();
    Application()->Initialize(); // once is enough
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    EXPECT_TRUE(QCoreApplication::arguments().front().endsWith("test_vcl_application"));
    EXPECT_EQ(g_log, (std::vector<std::string>{"start A", "start B"}));

    const HWND handle = Application()->Handle();
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_EQ(Application()->Handle(), handle);

    TMainForm* form = nullptr;
    Application()->CreateForm(form);
    EXPECT_EQ(Application()->MainForm(), form);
    EXPECT_EQ(form->Owner(), Application());
    // The loop runs: a box from it is answered, then the main form closes.
    const win32::MessageBoxHook before = win32::SetMessageBoxHook([](const win32::MessageBoxRequest&) {
        ++g_boxes;
        return static_cast<int>(mrOk);
    });
    QTimer::singleShot(20, [form] {
        EXPECT_TRUE(form->Visible());
        ShowMessage("Running");
        form->Close();
    });
    // An idle loop sleeps until the next event instead of spinning.
    int sleeps = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     [&sleeps] { ++sleeps; });
    Application()->Run();
    win32::SetMessageBoxHook(before);

    EXPECT_GT(sleeps, 0);
    EXPECT_EQ(g_boxes, 1);
    EXPECT_EQ(g_log, (std::vector<std::string>{"start A", "start B", "main form freed", "end B", "end A"}));
    EXPECT_EQ(Application()->MainForm(), nullptr);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

} // namespace
