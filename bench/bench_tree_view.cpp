// The tree view with many children under one node, as a folder of 10,000
// subfolders gives it.
//
// Filling: 10,000 children added under one node inside one update, the node
// expanded, then the first frame painted (what a person waits for before
// the rows show). Deleting: the same children deleted again, each told to
// the framework (one TVN_DELETEITEM a node). The baseline of both is a plain
// QTreeView over a QStandardItemModel doing the same in the same process:
// the children appended one by one, the node expanded, a frame painted; and
// the rows removed. Each run makes a new form and tree, so no run reuses
// what an earlier one built. The goal: within 1.5 times the baseline, and
// the fill under 100 ms.
//
// Memory: the heap the framework's nodes and the window's items take a
// node beyond its text (goal: at most 256 bytes), and the window's items
// alone.
//
// The median of 5 repetitions of each; ratios are printed at the end. Runs
// offscreen.

#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/Forms.h"

#include "MedianReporter.h"

#include <QApplication>
#include <QStandardItemModel>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace vcl;

constexpr int kChildren = 10000;

class TBenchTree : public TCustomTreeView {
public:
    using TCustomTreeView::TCustomTreeView;
};

// Names as a big folder has them: mixed lengths, digits, cases.
const std::vector<std::string>& Names()
{
    static const std::vector<std::string> names = [] {
        static const char* stems[] = {
            "Photos", "invoice",      "Project Files", "src", "backup-2024",
            "README", "node_modules", "Übersicht",     "a",   "Very Long Folder Name For Testing"};
        std::vector<std::string> all;
        all.reserve(kChildren);
        for (int i = 0; i < kChildren; ++i)
            all.push_back(std::string(stems[i % 10]) + " " + std::to_string(i * 7919 % 100000));
        return all;
    }();
    return names;
}

struct Tree {
    TCustomForm* Form = Create<TCustomForm>(nullptr);
    TBenchTree* View = Create<TBenchTree>(Form);
    TTreeNode* Root = nullptr;
    Tree()
    {
        Form->SetBounds(0, 0, 400, 600);
        View->SetParent(Form);
        View->SetAlign(alClient);
        Form->Show();
        QApplication::processEvents();
        Root = View->Items()->Add(nullptr, "Folder");
    }
    ~Tree() { Form->Free(); }
    void Fill()
    {
        View->Items()->BeginUpdate();
        for (const std::string& name : Names())
            View->Items()->AddChild(Root, name);
        View->Items()->EndUpdate();
        Root->Expand(false);
        Form->Peer()->repaint();
    }
};

struct Plain {
    QStandardItemModel Model;
    QTreeView View;
    QStandardItem* Root = new QStandardItem("Folder");
    Plain()
    {
        View.resize(400, 600);
        View.setHeaderHidden(true);
        View.setUniformRowHeights(true);
        View.setModel(&Model);
        Model.appendRow(Root);
        View.show();
        QApplication::processEvents();
    }
    void Fill()
    {
        View.setUpdatesEnabled(false);
        for (const std::string& name : Names())
            Root->appendRow(new QStandardItem(QString::fromStdString(name)));
        View.setUpdatesEnabled(true);
        View.expand(Root->index());
        View.repaint();
    }
};

void FillTree(benchmark::State& state)
{
    kwbench::TimeOnFresh(
        state, [] { return std::make_unique<Tree>(); }, [](Tree& tree) { tree.Fill(); });
}

void FillPlain(benchmark::State& state)
{
    kwbench::TimeOnFresh(
        state, [] { return std::make_unique<Plain>(); }, [](Plain& plain) { plain.Fill(); });
}

void DeleteTree(benchmark::State& state)
{
    kwbench::TimeOnFresh(
        state, [] { return std::make_unique<Tree>(); },
        [](Tree& tree) {
            tree.Root->DeleteChildren();
            tree.Form->Peer()->repaint();
        },
        [](Tree& tree) { tree.Fill(); });
}

void DeletePlain(benchmark::State& state)
{
    kwbench::TimeOnFresh(
        state, [] { return std::make_unique<Plain>(); },
        [](Plain& plain) {
            plain.Root->removeRows(0, plain.Root->rowCount());
            plain.View.repaint();
        },
        [](Plain& plain) { plain.Fill(); });
}

// The heap a node takes beyond its text: the children added, and not yet
// painted, against the tree before.
double BytesPerNode()
{
    Tree tree;
    malloc_trim(0);
    const std::size_t before = mallinfo2().uordblks;
    tree.View->Items()->BeginUpdate();
    std::size_t text = 0;
    for (const std::string& name : Names()) {
        tree.View->Items()->AddChild(tree.Root, name);
        // Once in the node and once in the window's item.
        text += 2 * (name.size() + 1);
    }
    tree.View->Items()->EndUpdate();
    const std::size_t after = mallinfo2().uordblks;
    return (static_cast<double>(after - before) - static_cast<double>(text)) / kChildren;
}

// The same for the window's items alone, inserted by message with no node.
double BytesPerItem()
{
    Tree tree;
    malloc_trim(0);
    const std::size_t before = mallinfo2().uordblks;
    std::size_t text = 0;
    TVINSERTSTRUCTA insert{};
    insert.hParent = tree.Root->ItemId();
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    for (const std::string& name : Names()) {
        insert.item.pszText = const_cast<char*>(name.c_str());
        tree.View->Perform(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
        text += name.size() + 1;
    }
    const std::size_t after = mallinfo2().uordblks;
    return (static_cast<double>(after - before) - static_cast<double>(text)) / kChildren;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double bytes = BytesPerNode();
    const double itemBytes = BytesPerItem();
    using Run = void (*)(benchmark::State&);
    const std::pair<const char*, Run> runs[] = {{"FillTree", FillTree},
                                                {"FillPlain", FillPlain},
                                                {"DeleteTree", DeleteTree},
                                                {"DeletePlain", DeletePlain}};
    for (const auto& [name, run] : runs)
        benchmark::RegisterBenchmark(name, run)->Repetitions(5)->Iterations(1);
    benchmark::Initialize(&argc, argv);
    kwbench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto median = [&](const std::string& name) { return reporter.Median(name); };
    if (median("FillPlain") > 0)
        std::printf(
            "fill: %.1f ms, ratio to QTreeView + QStandardItemModel: %.2f (goal: 1.5, under 100 ms)\n",
            median("FillTree") / 1e6, median("FillTree") / median("FillPlain"));
    if (median("DeletePlain") > 0)
        std::printf("delete: %.1f ms, ratio: %.2f (goal: 1.5)\n", median("DeleteTree") / 1e6,
                    median("DeleteTree") / median("DeletePlain"));
    std::printf(
        "heap a node beyond its text: %.0f bytes (goal: at most 256), of which the window's item: %.0f\n",
        bytes, itemBytes);
    benchmark::Shutdown();
    return 0;
}
