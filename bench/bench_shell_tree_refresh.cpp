// The shell tree's refresh of an open folder of 10,000 subfolders.
//
// In one fresh process per repetition, on a folder made once under the
// build tree: one namespace enumeration of the folder (bind, EnumObjects,
// Next and the attributes a tree node asks, as a fill lists it), the
// tree's expand of the folder's node up to the first painted frame, and
// RefreshNodes of the open folder three ways: unchanged, after one folder
// was made in it, and after 100 (50 made, 50 removed). The goal: a refresh
// after one change costs at most half the expand, and makes or deletes no
// node but the changed ones (counted through OnInsertItem and
// OnDeleteItem). Each figure is the median of the fresh processes
// (--repetitions, 5 by default). Release builds only; not run in CI.
//
//   bench_shell_tree_refresh [--repetitions=5]

#include "FreshProcess.h"

#include "UKwShellControls.h"
#include "UKwShellUtils.h"

#include "com/TaskAllocator.h"
#include "shell32/ShellClasses.h"
#include "shell32/ShellFlags.h"
#include "vcl/widgets/Forms.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kSubfolders = 10000;
// What a tree node asks of every item it adds.
constexpr ULONG kNodeAttributes = 0xF20B0000;

using kwbench::Since;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_shell_tree_refresh: %s\n", what.c_str());
    std::exit(2);
}

// The folder is under a parent of its own, which the tree takes as its base.
std::string BasePath()
{
    return std::string(KW_BENCH_DATA_DIR) + "/tree-refresh";
}
std::string FolderPath()
{
    return BasePath() + "/big";
}

// 10,000 subfolders, a tenth of them holding one of their own (so that the
// nodes have expand buttons as real folders do), and nothing else.
void MakeFolder()
{
    const std::string marker = BasePath() + ".ready";
    if (fs::exists(marker))
        return;
    std::fprintf(stderr, "making %s ...\n", FolderPath().c_str());
    fs::remove_all(BasePath());
    fs::create_directories(FolderPath());
    for (int i = 0; i < kSubfolders; ++i) {
        const fs::path sub = fs::path(FolderPath()) / ("Folder " + std::to_string(i * 7919 % 100000));
        fs::create_directory(sub);
        if (i % 10 == 0)
            fs::create_directory(sub / "inner");
    }
    std::ofstream(marker) << "1\n";
}

// One enumeration of the folder as a fill makes it: bind, list folders and
// hidden ones, ask every item's attributes and display name.
double EnumerateOnce()
{
    const auto start = Clock::now();
    kw::PItemIDList pidl = nullptr;
    IShellFolder* folder = nullptr;
    if (kw::ShellGetIdListFromPath(FolderPath(), &pidl) != S_OK ||
        kw::ShellGetFolderFromIdList(pidl, &folder) != S_OK)
        Fail("bind " + FolderPath());
    IEnumIDList* items = nullptr;
    int count = 0;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK && items) {
        kw::PItemIDList item = nullptr;
        while (items->Next(1, &item, nullptr) == S_OK) {
            ULONG attributes = kNodeAttributes;
            LPCITEMIDLIST one = item;
            folder->GetAttributesOf(1, &one, &attributes);
            std::string name;
            kw::GetShellDisplayName(folder, item, SHGDN_INFOLDER, name);
            CoTaskMemFree(item);
            ++count;
        }
        items->Release();
    }
    folder->Release();
    CoTaskMemFree(pidl);
    if (count < kSubfolders)
        Fail("the folder lists " + std::to_string(count) + " items");
    return Since(start);
}

struct Times {
    double enumerate = 0;
    double expand = 0;
    double unchanged = 0;
    double oneChange = 0;
    double hundredChanges = 0;
    // Nodes made and deleted by each refresh.
    double madeUnchanged = 0, deletedUnchanged = 0;
    double madeOne = 0, deletedOne = 0;
    double madeHundred = 0, deletedHundred = 0;
};

// The nodes a refresh makes and deletes.
struct Counter {
    int Made = 0;
    int Deleted = 0;
    void Insert(vcl::TObject*, vcl::TTreeNode*) { ++Made; }
    void Delete(vcl::TObject*, vcl::TTreeNode*, kw::TKwShTreeData*) { ++Deleted; }
};

class TBenchTree : public kw::TKwShellTree {
public:
    using kw::TKwShellTree::TKwShellTree;
};

std::string Sub(const std::string& name)
{
    return FolderPath() + "/" + name;
}

// The tree on the folder's parent, the folder's node closed; the expand
// of that node up to the first painted frame, then the three refreshes,
// each painted. The folder is as it was when the child ends.
void MeasureTree(Times& t)
{
    vcl::TCustomForm* form = vcl::Create<vcl::TCustomForm>(nullptr);
    form->SetBounds(0, 0, 400, 600);
    TBenchTree* tree = vcl::Create<TBenchTree>(form);
    tree->SetParent(form);
    tree->SetAlign(vcl::alClient);
    // Refreshed by hand only: the measure is the refresh, not the watches.
    tree->SetOptions(kw::KwShellTreeDefaultOptions - kw::kwstoDynamicRefresh);
    form->Show();
    QApplication::processEvents();
    kw::PItemIDList base = nullptr;
    if (kw::ShellGetIdListFromPath(BasePath(), &base) != S_OK)
        Fail("parse " + BasePath());
    tree->BaseFolder()->SetIdList(base);
    CoTaskMemFree(base);
    if (!tree->Items()->GetFirstNode())
        tree->FillItems();
    QApplication::processEvents();
    vcl::TTreeNode* big = tree->GetFirstRootLevelShellNode()->GetFirstChild();
    if (!big)
        Fail("no node of the folder");
    Counter counter;
    tree->OnInsertItem = kw::TKwShTreeInsertItemEvent(&counter, &Counter::Insert);
    tree->OnDeleteItem = kw::TKwShTreeDeleteItemEvent(&counter, &Counter::Delete);

    auto start = Clock::now();
    big->Expand(false);
    form->Peer()->repaint();
    t.expand = Since(start);
    if (big->Count() < kSubfolders)
        Fail("the node holds " + std::to_string(big->Count()) + " children");

    const auto refresh = [&](double& time, double& made, double& deleted) {
        counter.Made = counter.Deleted = 0;
        const auto begin = Clock::now();
        tree->RefreshNodes();
        form->Peer()->repaint();
        time = Since(begin);
        made = counter.Made;
        deleted = counter.Deleted;
    };
    refresh(t.unchanged, t.madeUnchanged, t.deletedUnchanged);
    fs::create_directory(Sub("A new one"));
    refresh(t.oneChange, t.madeOne, t.deletedOne);
    // 50 made and 50 without subfolders removed.
    std::vector<std::string> removed;
    for (int i = 1; removed.size() < 50; ++i)
        if (i % 10 != 0)
            removed.push_back(Sub("Folder " + std::to_string(i * 7919 % 100000)));
    for (int i = 0; i < 50; ++i)
        fs::create_directory(Sub("New " + std::to_string(i)));
    for (const std::string& path : removed)
        fs::remove(path);
    refresh(t.hundredChanges, t.madeHundred, t.deletedHundred);
    fs::remove(Sub("A new one"));
    for (int i = 0; i < 50; ++i)
        fs::remove(Sub("New " + std::to_string(i)));
    for (const std::string& path : removed)
        fs::create_directory(path);
    form->Free();
}

// The child: everything measured in one fresh process; prints the numbers.
int Child(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    shell32::RegisterShellClasses();
    Times t;
    t.enumerate = EnumerateOnce();
    MeasureTree(t);
    for (double n : {t.enumerate, t.expand, t.unchanged, t.oneChange, t.hundredChanges, t.madeUnchanged,
                     t.deletedUnchanged, t.madeOne, t.deletedOne, t.madeHundred, t.deletedHundred})
        std::printf("%.9g\n", n);
    return 0;
}

std::vector<double> RunChild()
{
    std::vector<double> numbers = kwbench::RunFreshProcess("--child");
    if (numbers.size() != 11)
        Fail("the child printed " + std::to_string(numbers.size()) + " numbers");
    return numbers;
}

using kwbench::Median;

} // namespace

int main(int argc, char** argv)
{
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--child")
            return Child(argc, argv);
        if (arg.substr(0, 14) == "--repetitions=")
            repetitions = std::max(1, std::atoi(argv[i] + 14));
    }
    MakeFolder();
    std::vector<std::vector<double>> runs(11);
    for (int r = 0; r < repetitions; ++r) {
        const std::vector<double> n = RunChild();
        for (std::size_t i = 0; i < n.size(); ++i)
            runs[i].push_back(n[i]);
    }
    const auto ms = [&](std::size_t i) { return Median(runs[i]) * 1000; };
    std::printf("%-44s %10s\n", "10,000 subfolders, median of fresh processes", "ms");
    std::printf("%-44s %10.1f\n", "one namespace enumeration", ms(0));
    std::printf("%-44s %10.1f\n", "expand to the first painted frame", ms(1));
    std::printf("%-44s %10.1f   nodes made %g, deleted %g\n", "refresh, unchanged", ms(2), Median(runs[5]),
                Median(runs[6]));
    std::printf("%-44s %10.1f   nodes made %g, deleted %g\n", "refresh after one change", ms(3),
                Median(runs[7]), Median(runs[8]));
    std::printf("%-44s %10.1f   nodes made %g, deleted %g\n", "refresh after 100 changes", ms(4),
                Median(runs[9]), Median(runs[10]));
    if (ms(1) > 0)
        std::printf("refresh after one change / expand: %.2f (goal: at most 0.5) %s\n", ms(3) / ms(1),
                    ms(3) <= ms(1) / 2 ? "met" : "NOT MET");
    return 0;
}
