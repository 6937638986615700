// The shell list in report view on bench_enum_folder's folders (100,000
// and 1,000,000 entries), against the namespace's own listing measured in
// the same fresh process.
//
// The namespace: bind, EnumObjects and Next, GetAttributesOf(0xF20B0000)
// of every item, the sort by name through CompareIDs(0); then its re-sort
// of the same items by date, CompareIDs(3); the memory its item lists hold.
// The list: FillItems (through Folder) to the end of the first paint; a
// click on the Modified header to the end of the repaint, three selected
// items and the focused one checked to be the same items after it; a
// refresh after one file was made, and after 1,000 files were renamed (each
// gone from its place and new at the end), each to the end of the repaint;
// the memory per item. The folder is put back as it was.
//
// Each figure is the median of fresh processes (--repetitions, 5 by
// default). Release builds only; not run in CI.
//
//   bench_shell_list [--entries=100000,1000000] [--repetitions=5]

#include "FreshProcess.h"

#include "UKwShellControls.h"
#include "UKwShellUtils.h"

#include "com/TaskAllocator.h"
#include "shell32/ShellClasses.h"
#include "shell32/ShellFlags.h"
#include "vcl/widgets/Forms.h"

#include <QApplication>
#include <QHeaderView>
#include <QWidget>
#include <QtTest/QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// What a shell list asks of every item it adds.
constexpr ULONG kListAttributes = 0xF20B0000;
constexpr int kRenamed = 1000;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_shell_list: %s\n", what.c_str());
    std::exit(2);
}

// bench_enum_folder makes the folders; this program only reads them.
std::string FolderPath(std::size_t entries)
{
    return std::string(KW_BENCH_DATA_DIR) + "/folder-" + std::to_string(entries);
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

struct Times {
    double listed = 0;      // namespace: enumerate, attributes, sort by name
    double resorted = 0;    // namespace: re-sort by date
    double nsBytes = 0;     // namespace: bytes per item
    double filled = 0;      // list: FillItems to the first paint
    double clicked = 0;     // list: click on Modified to the repaint
    double kept = 0;        // 1 when selection and focus were kept
    double oneChanged = 0;  // list: refresh after one file made
    double manyChanged = 0; // list: refresh after 1,000 renamed
    double listBytes = 0;   // list: bytes per item
    double count = 0;
};
constexpr std::size_t kNumbers = 10;

// The namespace's own listing, as a list would make it without a window.
void MeasureNamespace(const std::string& path, Times& t)
{
    const long before = ResidentKilobytes();
    const auto start = Clock::now();
    kw::PItemIDList pidl = nullptr;
    IShellFolder* folder = nullptr;
    if (kw::ShellGetIdListFromPath(path, &pidl) != S_OK ||
        kw::ShellGetFolderFromIdList(pidl, &folder) != S_OK)
        Fail("bind " + path);
    std::vector<LPITEMIDLIST> items;
    IEnumIDList* list = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &list) ==
            S_OK &&
        list) {
        LPITEMIDLIST item = nullptr;
        while (list->Next(1, &item, nullptr) == S_OK) {
            ULONG attributes = kListAttributes;
            LPCITEMIDLIST one = item;
            folder->GetAttributesOf(1, &one, &attributes);
            items.push_back(item);
        }
        list->Release();
    }
    const auto by = [folder](LPARAM column) {
        return [folder, column](LPITEMIDLIST a, LPITEMIDLIST b) {
            return static_cast<short>(HRESULT_CODE(folder->CompareIDs(column, a, b))) < 0;
        };
    };
    std::sort(items.begin(), items.end(), by(0));
    t.listed = Since(start);
    t.nsBytes = (ResidentKilobytes() - before) * 1024.0 / std::max<std::size_t>(1, items.size());
    const auto resort = Clock::now();
    std::stable_sort(items.begin(), items.end(), by(3));
    t.resorted = Since(resort);
    for (LPITEMIDLIST item : items)
        CoTaskMemFree(item);
    folder->Release();
    CoTaskMemFree(pidl);
}

class TBenchList : public kw::TKwShellList {
public:
    using kw::TKwShellList::TKwShellList;
};

int ColumnNamed(QHeaderView* header, const QString& caption)
{
    for (int i = 0; i < header->count(); ++i)
        if (header->model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString() == caption)
            return i;
    Fail("no column " + caption.toStdString());
}

void MeasureList(const std::string& path, Times& t)
{
    vcl::TCustomForm* form = vcl::Create<vcl::TCustomForm>(nullptr);
    form->SetBounds(0, 0, 800, 600);
    TBenchList* list = vcl::Create<TBenchList>(form);
    list->SetParent(form);
    list->SetAlign(vcl::alClient);
    list->SetViewStyle(vcl::vsReport);
    list->SetMultiSelect(true);
    // Refreshed by hand only: the measure is the refresh, not the watches.
    list->SetOptions(kw::KwShellListDefaultOptions - kw::kwsloDynamicRefresh);
    form->Show();
    QApplication::processEvents();
    kw::PItemIDList pidl = nullptr;
    if (kw::ShellGetIdListFromPath(path, &pidl) != S_OK)
        Fail("parse " + path);
    const long before = ResidentKilobytes();
    auto start = Clock::now();
    list->Folder()->SetIdList(pidl);
    form->Peer()->repaint();
    t.filled = Since(start);
    CoTaskMemFree(pidl);
    const int count = list->Items()->Count();
    t.count = count;
    t.listBytes = (ResidentKilobytes() - before) * 1024.0 / std::max(1, count);
    if (count < 1000)
        Fail("the list holds " + std::to_string(count) + " items");

    // Three selected, the middle one focused.
    std::vector<vcl::TListItem*> chosen;
    for (int i : {count / 10, count / 2, count - 5})
        chosen.push_back(list->Items()->Item(i));
    for (vcl::TListItem* item : chosen)
        item->SetSelected(true);
    list->SetItemFocused(chosen[1]);
    QHeaderView* header = list->Peer()->findChild<QHeaderView*>();
    if (!header)
        Fail("no header");
    const int modified = ColumnNamed(header, "Modified");
    const int x = header->sectionViewportPosition(modified) + header->sectionSize(modified) / 2;
    start = Clock::now();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {x, header->height() / 2});
    form->Peer()->repaint();
    t.clicked = Since(start);
    bool kept = list->SelCount() == 3 && list->ItemFocused() == chosen[1];
    for (vcl::TListItem* item : chosen)
        kept = kept && item->Selected();
    t.kept = kept;

    const auto refresh = [&](double& time) {
        const auto begin = Clock::now();
        list->RefreshItems();
        form->Peer()->repaint();
        time = Since(begin);
    };
    const fs::path made = fs::path(path) / "a file made by bench_shell_list";
    std::ofstream(made) << "x";
    refresh(t.oneChanged);
    fs::remove(made);
    // Every so many-th entry renamed, and named back afterwards.
    std::vector<fs::path> renamed;
    const int step = std::max(1, count / kRenamed);
    for (int i = 0; i < count && static_cast<int>(renamed.size()) < kRenamed; i += step) {
        const fs::path from = fs::path(path) / list->GetShListData(i)->GetDisplayName();
        if (fs::is_symlink(from) || !fs::exists(from))
            continue;
        fs::rename(from, fs::path(from).concat(".renamed"));
        renamed.push_back(from);
    }
    refresh(t.manyChanged);
    for (const fs::path& from : renamed)
        fs::rename(fs::path(from).concat(".renamed"), from);
    form->Free();
}

int Child(int argc, char** argv, std::size_t entries)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    shell32::RegisterShellClasses();
    Times t;
    const std::string path = FolderPath(entries);
    MeasureNamespace(path, t);
    MeasureList(path, t);
    for (double n : {t.listed, t.resorted, t.nsBytes, t.filled, t.clicked, t.kept, t.oneChanged,
                     t.manyChanged, t.listBytes, t.count})
        std::printf("%.9g\n", n);
    return 0;
}

using kwbench::Median;

void Row(const char* what, double seconds, double against, double goal, const char* goalText)
{
    const double ratio = against > 0 ? seconds / against : 0;
    std::printf("%-44s %10.1f %10.1f %7.2f  %-26s %s\n", what, seconds * 1000, against * 1000, ratio,
                goalText, ratio <= goal ? "met" : "NOT MET");
}

void Table(std::size_t entries, int repetitions)
{
    if (!fs::exists(FolderPath(entries) + ".ready"))
        Fail(FolderPath(entries) + " is missing: run bench_enum_folder first");
    std::vector<std::vector<double>> runs(kNumbers);
    const std::string loadBefore = kwbench::LoadAverage();
    for (int r = 0; r < repetitions; ++r) {
        const std::vector<double> n = kwbench::RunFreshProcess("--child=" + std::to_string(entries));
        if (n.size() != kNumbers)
            Fail("the child printed " + std::to_string(n.size()) + " numbers");
        for (std::size_t i = 0; i < n.size(); ++i)
            runs[i].push_back(n[i]);
    }
    const auto m = [&](std::size_t i) { return Median(runs[i]); };
    const double kept = *std::min_element(runs[5].begin(), runs[5].end());
    std::printf("\n%.0f items, report view, median of %d fresh processes; load average %s before, %s after\n",
                m(9), repetitions, loadBefore.c_str(), kwbench::LoadAverage().c_str());
    std::printf("%-44s %10s %10s %7s  %-26s %s\n", "", "list ms", "against ms", "ratio", "goal", "met");
    Row("FillItems to the first paint", m(3), m(0), 1.5, "<= 1.5x namespace listing");
    Row("click on Modified to the repaint", m(4), m(1), 1.3, "<= 1.3x namespace re-sort");
    std::printf("  selection and focus kept: %s\n", kept == 1 ? "yes" : "NO");
    Row("refresh after one file made", m(6), m(3), 0.6, "<= 0.6x a fill");
    Row("refresh after 1,000 renamed", m(7), m(3), 1.0, "<= 1x a fill");
    const double ratio = m(2) > 0 ? m(8) / m(2) : 0;
    std::printf("%-44s %10.0f %10.0f %7.2f  %-26s %s\n", "memory per item, bytes", m(8), m(2), ratio,
                "<= 2x the namespace's", ratio <= 2 ? "met" : "NOT MET");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::size_t> sizes = {100000, 1000000};
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, 8) == "--child=")
            return Child(argc, argv, std::stoul(std::string(arg.substr(8))));
        if (arg.substr(0, 14) == "--repetitions=")
            repetitions = std::max(1, std::atoi(argv[i] + 14));
        if (arg.substr(0, 10) == "--entries=") {
            sizes.clear();
            std::stringstream items{std::string(arg.substr(10))};
            for (std::string item; std::getline(items, item, ',');)
                sizes.push_back(std::stoul(item));
        }
    }
    for (std::size_t entries : sizes)
        Table(entries, repetitions);
    return 0;
}
