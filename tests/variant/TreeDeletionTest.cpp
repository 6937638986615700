// In both framework generations a tree that goes tells every node deleted
// once, the children of a node before the node, the top level in order.

#include "UKwTreeList.h"
#include "vcl/widgets/Forms.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vcl;

class TRecordingTree : public kw::TKwTreeView {
public:
    using TKwTreeView::DestroyHandle;
    using TKwTreeView::TKwTreeView;
    std::vector<std::string>* Log = nullptr;

protected:
    void Delete(TTreeNode* node) override
    {
        Log->push_back(node->Text());
        TKwTreeView::Delete(node);
    }
};

TEST(TreeDeletion, EveryNodeOnceChildrenFirst)
{
    std::vector<std::string> log;
    for (const bool withWindow : {true, false}) {
        SCOPED_TRACE(withWindow);
        log.clear();
        TCustomForm* form = Create<TCustomForm>(nullptr);
        auto* tree = Create<TRecordingTree>(form);
        tree->Log = &log;
        tree->SetParent(form);
        TTreeNode* a = tree->Items()->Add(nullptr, "a");
        TTreeNode* a1 = tree->Items()->AddChild(a, "a1");
        tree->Items()->AddChild(a1, "a11");
        tree->Items()->AddChild(a, "a2");
        TTreeNode* b = tree->Items()->Add(nullptr, "b");
        tree->Items()->AddChild(b, "b1");
        if (!withWindow)
            tree->DestroyHandle();
        form->Free();
        EXPECT_EQ(log, (std::vector<std::string>{"a11", "a1", "a2", "a", "b1", "b"}));
    }
}

} // namespace
