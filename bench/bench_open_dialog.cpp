// The open dialog over bench_enum_folder's 100,000-entry folder, each run in
// a fresh process, as a person opening the dialog gets it:
//   - Execute to the end of the first painted frame showing the folder's
//     items with the edit focused, against a shell list of its own (the
//     dialog's list as the form file makes it) filled with the same folder,
//     to the end of its first painted frame (goal: at most 1.25x);
//   - a typed name and Enter to Execute's return (goal: under 50 ms), and
//     apart the part of it up to the form hidden (the rest frees the form);
//   - Shift+End over every item with multiselect to the edit's final text
//     (goal: within one fill);
//   - a file type picked in the type combo (Down to drop it, Down, Enter) to
//     the end of the frame painting the refiltered list (goal: within one
//     fill).
// The person's input comes from a repeating timer that returns to the
// dialog's modal loop between steps, so every step is handled by the loop a
// person's input goes through; nothing waits inside the loop.
// Each figure is the median of fresh processes (--repetitions, 5 by
// default), the list's and the dialog's processes taking turns. Release
// builds only; not run in CI. Run bench_enum_folder once before: it makes
// the folder.
//
//   bench_open_dialog [--repetitions=5]

#include "FreshProcess.h"

#include "FKwOpenDlg.h"
#include "KwCorvanePackage.h"
#include "UKwImageCombo.h"
#include "UKwShellControls.h"
#include "shell32/ShellApi.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Forms.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kEntries = 100000;
// A step that has not come within this long has failed.
constexpr double kStepTimeoutMs = 60000;
// Both children print this many numbers.
constexpr std::size_t kListNumbers = 2;
constexpr std::size_t kDialogNumbers = 8;

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string FolderPath()
{
    return std::string(KW_BENCH_DATA_DIR) + "/folder-" + std::to_string(kEntries);
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_open_dialog: %s\n", what.c_str());
    std::exit(2);
}

// The application, noting the end of the first frame that paints a window
// of the watched list while Ready holds: the end of the outermost event
// whose handling painted it (the update request that paints and flushes the
// whole top-level window).
class TBenchApplication : public QApplication {
public:
    using QApplication::QApplication;

    std::function<QWidget*()> List;
    std::function<bool()> Ready;
    bool Painted = false;
    Clock::time_point PaintedAt;

    // Watches for the next such frame.
    void Arm(std::function<QWidget*()> list, std::function<bool()> ready)
    {
        List = std::move(list);
        Ready = std::move(ready);
        Painted = false;
        Seen_ = false;
    }

    bool notify(QObject* receiver, QEvent* event) override
    {
        ++Depth_;
        bool result = false;
        try {
            result = QApplication::notify(receiver, event);
        } catch (...) {
            --Depth_;
            throw;
        }
        --Depth_;
        if (event->type() == QEvent::Paint && Ready && !Painted && receiver->isWidgetType()) {
            QWidget* list = List();
            auto* widget = static_cast<QWidget*>(receiver);
            if (list && (widget == list || list->isAncestorOf(widget)) && Ready())
                Seen_ = true;
        }
        if (Depth_ == 0 && Seen_ && !Painted) {
            PaintedAt = Clock::now();
            Painted = true;
            Seen_ = false;
        }
        return result;
    }

private:
    int Depth_ = 0;
    bool Seen_ = false;
};

// Steps run one per tick of a repeating timer, each from the event loop
// running then (the dialog's modal loop): a step returns false while what
// it waits for has not come, and is asked again on the next tick.
class TSteps {
public:
    using Step = std::function<bool()>;

    explicit TSteps(std::function<void(const std::string&)> onTimeout) : OnTimeout_(std::move(onTimeout))
    {
        Timer_.setTimerType(Qt::PreciseTimer);
        Timer_.setInterval(1);
        QObject::connect(&Timer_, &QTimer::timeout, [this] { Tick(); });
    }

    void Add(std::string what, Step step) { Steps_.push_back({std::move(what), std::move(step)}); }
    void Start()
    {
        StepStart_ = Clock::now();
        Timer_.start();
    }
    bool Finished() const { return Next_ == Steps_.size(); }
    // Ends the timer; no more steps run.
    void Stop() { Timer_.stop(); }

private:
    void Tick()
    {
        if (Finished()) {
            Timer_.stop();
            return;
        }
        if (Steps_[Next_].second()) {
            ++Next_;
            StepStart_ = Clock::now();
            if (Finished())
                Timer_.stop();
        } else if (Ms(StepStart_, Clock::now()) > kStepTimeoutMs) {
            Timer_.stop();
            OnTimeout_(Steps_[Next_].first);
        }
    }

    std::vector<std::pair<std::string, Step>> Steps_;
    std::size_t Next_ = 0;
    Clock::time_point StepStart_;
    QTimer Timer_;
    std::function<void(const std::string&)> OnTimeout_;
};

// The units an application starts, as an application starts them.
void StartUnits()
{
    kw::RegisterPackageUnits();
    vcl::Application()->Initialize();
}

// Keys go where the toolkit's keyboard is: an open drop-down list, else the
// focused window.
QWidget* KeyTarget(QWidget* fallback)
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget() ? QApplication::focusWidget() : fallback;
}

void Key(QWidget* fallback, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(KeyTarget(fallback), key, modifiers);
}

// A regular file of the folder that the type filter "*.txt" keeps, whose
// name the dialog takes as typed.
std::string SomeTextFile(const std::string& path)
{
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && !entry.is_symlink() && name.size() > 4 && name.ends_with(".txt") &&
            name[0] != '.' && name.find('"') == std::string::npos)
            return name;
    }
    Fail("no text file in " + path);
}

// The list alone, made as the dialog's form file makes it: the folder set to
// the end of its first painted frame.
int ChildList(int argc, char** argv)
{
    TBenchApplication app(argc, argv);
    StartUnits();
    auto* form = vcl::Create<vcl::TForm>(nullptr);
    form->SetBounds(0, 0, 459, 292);
    auto* list = vcl::Create<kw::TKwShellList>(form);
    list->SetParent(form);
    list->SetBounds(4, 30, 447, 153);
    list->SetBorderStyle(vcl::bsNone);
    list->SetViewStyle(vcl::vsList);
    list->SetHideSelection(false);
    list->SetMultiSelect(true);
    list->SetOptions({kw::kwsloAutoFill, kw::kwsloDefaultKeyHandling, kw::kwsloContextMenus,
                      kw::kwsloDynamicRefresh, kw::kwsloOleDrag, kw::kwsloOleDrop, kw::kwsloShowHidden});
    form->Show();

    double filled = 0;
    Clock::time_point start;
    std::string failed;
    TSteps steps([&](const std::string& what) {
        failed = "timed out waiting for " + what;
        app.quit();
    });
    TSteps* running = &steps;
    const auto peer = [list] { return list->Peer(); };
    app.Arm(peer, [] { return true; });
    steps.Add("the empty list's frame", [&] { return app.Painted; });
    steps.Add("the folder set", [&] {
        app.Arm(peer, [list] { return list->GetItemCount() > 0; });
        kw::PItemIDList folder = nullptr;
        start = Clock::now();
        if (FAILED(kw::ShellGetIdListFromPath(FolderPath(), &folder))) {
            failed = "parse " + FolderPath();
            running->Stop();
            app.quit();
            return true;
        }
        list->Folder()->SetIdList(folder);
        kw::ShellMemFree(folder);
        return true;
    });
    steps.Add("the filled list's frame", [&] {
        if (!app.Painted)
            return false;
        filled = Ms(start, app.PaintedAt);
        app.quit();
        return true;
    });
    steps.Start();
    app.exec();
    const int count = list->GetItemCount();
    form->Free();
    vcl::Application()->Run();
    if (!failed.empty())
        Fail(failed);
    std::printf("%.3f %d\n", filled, count);
    std::fflush(stdout);
    return 0;
}

// Notes when the file-name edit's text was last set, after the form's own
// handler, and when the form hid.
struct TFormWatch {
    vcl::TNotifyEvent Previous;
    int Changes = 0;
    Clock::time_point ChangedAt;
    Clock::time_point HiddenAt;
    void Changed(vcl::TObject* sender)
    {
        if (Previous)
            Previous(sender);
        ++Changes;
        ChangedAt = Clock::now();
    }
    void Hidden(vcl::TObject*) { HiddenAt = Clock::now(); }
};

// The number of quoted names in a text the list's selection made.
std::size_t QuotedNames(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '"')) / 2;
}

// The dialog: Execute to its first frame, Shift+End, a type picked, then a
// typed name and Enter to Execute's return.
int ChildDialog(int argc, char** argv)
{
    TBenchApplication app(argc, argv);
    StartUnits();
    const std::string path = FolderPath();
    const std::string typed = SomeTextFile(path);
    auto* dialog = vcl::Create<kw::TKwOpenDlg>(nullptr);
    dialog->SetInitialDir(path);
    dialog->SetFilter("All files (*)|*|Text files (*.txt)|*.txt");
    dialog->SetOptions(dialog->Options() + kw::kwofAllowMultiselect);
    const auto form = [dialog] { return dialog->Form(); };
    const auto list = [&] { return form()->KwShellList1; };
    const auto listPeer = [&]() -> QWidget* { return form() ? list()->Peer() : nullptr; };

    double shown = 0, shiftEnd = 0, typePicked = 0;
    int allItems = 0, filteredItems = 0, files = 0;
    std::size_t quoted = 0;
    TFormWatch edit;
    std::string failed;
    Clock::time_point start, pressed;
    dialog->OnFormClose = {&edit, &TFormWatch::Hidden};
    // A step that fails closes the dialog: the process ends as a person's
    // would, and reports.
    TSteps* running = nullptr;
    const auto abandon = [&](const std::string& why) {
        failed = why;
        if (running)
            running->Stop();
        if (form())
            form()->SetModalResult(vcl::mrCancel);
        return true;
    };
    TSteps steps([&](const std::string& what) { abandon("timed out waiting for " + what); });
    running = &steps;

    app.Arm(listPeer, [&] {
        return list()->GetItemCount() > 0 && form()->FileNameEdt->Focused() &&
               list()->Folder()->GetPathName() == path;
    });
    steps.Add("the dialog's first frame with the edit focused", [&] {
        if (!app.Painted)
            return false;
        shown = Ms(start, app.PaintedAt);
        allItems = list()->GetItemCount();
        edit.Previous = form()->FileNameEdt->OnChange;
        form()->FileNameEdt->OnChange = {&edit, &TFormWatch::Changed};
        list()->SetFocus();
        return true;
    });
    steps.Add("the list focused", [&] {
        if (!list()->Focused())
            return false;
        Key(list()->Peer(), Qt::Key_Home);
        return true;
    });
    steps.Add("the first item selected", [&] {
        if (list()->SelCount() != 1 || !list()->Items()->Item(0)->Selected())
            return false;
        edit.Changes = 0;
        start = Clock::now();
        Key(list()->Peer(), Qt::Key_End, Qt::ShiftModifier);
        return true;
    });
    steps.Add("the edit's text of the selection", [&] {
        if (edit.Changes == 0)
            return false;
        shiftEnd = Ms(start, edit.ChangedAt);
        // What the edit shows is checked outside the figure: a quoted name
        // for every file selected.
        if (list()->SelCount() != allItems)
            return abandon("Shift+End selected " + std::to_string(list()->SelCount()) + " of " +
                           std::to_string(allItems));
        for (int i = 0; i < allItems; ++i)
            if (kw::TKwShListData* data = list()->GetShListData(i); data && !data->IsFolder())
                ++files;
        quoted = QuotedNames(form()->FileNameEdt->Text());
        form()->FileTypesCbx->SetFocus();
        return true;
    });
    steps.Add("the type combo focused", [&] {
        if (!form()->FileTypesCbx->Focused())
            return false;
        Key(form()->FileTypesCbx->Peer(), Qt::Key_Down);
        return true;
    });
    steps.Add("the type combo dropped down", [&] {
        if (!form()->FileTypesCbx->DroppedDown())
            return false;
        Key(form()->FileTypesCbx->Peer(), Qt::Key_Down);
        app.Arm(listPeer, [&] { return list()->FileFilter() == "*.txt" && list()->GetItemCount() > 0; });
        start = Clock::now();
        Key(form()->FileTypesCbx->Peer(), Qt::Key_Return);
        return true;
    });
    steps.Add("the refiltered list's frame", [&] {
        if (!app.Painted)
            return false;
        typePicked = Ms(start, app.PaintedAt);
        filteredItems = list()->GetItemCount();
        form()->FileNameEdt->SetFocus();
        return true;
    });
    steps.Add("the edit focused", [&] {
        if (!form()->FileNameEdt->Focused())
            return false;
        QWidget* peer = form()->FileNameEdt->Peer();
        Key(peer, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(KeyTarget(peer), QString::fromStdString(typed));
        return true;
    });
    steps.Add("the typed name", [&] {
        if (form()->FileNameEdt->Text() != typed)
            return false;
        pressed = Clock::now();
        Key(form()->FileNameEdt->Peer(), Qt::Key_Return);
        return true;
    });

    steps.Start();
    start = Clock::now();
    const bool accepted = dialog->Execute();
    const double enter = Ms(pressed, Clock::now());
    const double hidden = Ms(pressed, edit.HiddenAt);
    steps.Stop();
    if (failed.empty() && !steps.Finished())
        failed = "the dialog closed before its steps ended";
    if (failed.empty() && (!accepted || dialog->GetFilename() != path + "/" + typed))
        failed = "the typed name was not taken: " + dialog->GetFilename();
    if (failed.empty() && quoted != static_cast<std::size_t>(files))
        failed =
            "the edit quoted " + std::to_string(quoted) + " names for " + std::to_string(files) + " files";
    if (failed.empty() && filteredItems >= allItems)
        failed = "the text files' type left " + std::to_string(filteredItems) + " items";
    dialog->Free();
    vcl::Application()->Run();
    if (!failed.empty())
        Fail(failed);
    std::printf("%.3f %.3f %.3f %.3f %.3f %d %d %d\n", shown, shiftEnd, typePicked, enter, hidden, allItems,
                files, filteredItems);
    std::fflush(stdout);
    return 0;
}

// A row of the table; against 0: a row with no baseline.
void Row(const char* what, double ms, double against, const char* goal, bool met)
{
    if (against > 0)
        std::printf("%-48s %10.1f %10.1f %7.2f  %-22s %s\n", what, ms, against, ms / against, goal,
                    met ? "met" : "NOT MET");
    else
        std::printf("%-48s %10.1f %10s %7s  %-22s %s\n", what, ms, "", "", goal, met ? "met" : "NOT MET");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--child-list")
            return ChildList(1, argv);
        if (arg == "--child-dialog")
            return ChildDialog(1, argv);
        if (arg.substr(0, 14) == "--repetitions=")
            repetitions = std::max(1, std::atoi(argv[i] + 14));
    }
    if (!std::filesystem::exists(FolderPath() + ".ready"))
        Fail(FolderPath() + " is missing: run bench_enum_folder --entries=100000 first");

    const std::string loadBefore = kwbench::LoadAverage();
    std::vector<double> fill, shown, shiftEnd, typePicked, enter, hidden;
    std::vector<double> last;
    for (int r = 0; r < repetitions; ++r) {
        const std::vector<double> l = kwbench::RunFreshProcess("--child-list");
        const std::vector<double> d = kwbench::RunFreshProcess("--child-dialog");
        if (l.size() != kListNumbers || d.size() != kDialogNumbers)
            Fail("a child printed " + std::to_string(l.size()) + " and " + std::to_string(d.size()) +
                 " numbers");
        if (l[1] != d[5])
            Fail("the list showed " + std::to_string(l[1]) + " items, the dialog " + std::to_string(d[5]));
        fill.push_back(l[0]);
        shown.push_back(d[0]);
        shiftEnd.push_back(d[1]);
        typePicked.push_back(d[2]);
        enter.push_back(d[3]);
        hidden.push_back(d[4]);
        last = d;
    }
    using kwbench::Median;
    const double f = Median(fill);
    std::printf("\nopen dialog over %.0f items (%.0f files; %.0f of the text type), median of %d fresh "
                "processes;\nload average %s before, %s after\n",
                last[5], last[6], last[7], repetitions, loadBefore.c_str(), kwbench::LoadAverage().c_str());
    std::printf("%-48s %10s %10s %7s  %-22s %s\n", "", "ms", "fill ms", "ratio", "goal", "met");
    std::printf("%-48s %10.1f\n", "list alone: folder set to its first frame", f);
    Row("Execute to the first frame, edit focused", Median(shown), f, "<= 1.25x a fill",
        Median(shown) <= 1.25 * f);
    Row("typed name and Enter to Execute's return", Median(enter), 0, "< 50 ms", Median(enter) < 50);
    std::printf("  of which Enter to the form hidden: %.1f ms; the rest frees the form\n", Median(hidden));
    Row("Shift+End over all items to the edit's text", Median(shiftEnd), f, "<= one fill",
        Median(shiftEnd) <= f);
    Row("a type picked to the refiltered frame", Median(typePicked), f, "<= one fill",
        Median(typePicked) <= f);
    std::fflush(stdout);
    return 0;
}
