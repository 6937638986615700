// A tree view's nodes in its form file: written and read back whole, and a
// malformed block refused without touching the nodes.

#include "WidgetTesting.h"
#include "vcl/core/ClassRegistry.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Streams.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/ControlPublish_p.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vcl;

// A tree view that publishes what the framework's tree view does.
class TTestTreeView : public TCustomTreeView {
    VCL_DECLARE_PUBLISHED_CLASS(TTestTreeView, TCustomTreeView)
public:
    using TCustomTreeView::TCustomTreeView;
};

const TClassRtti& TTestTreeView::PublishedTable()
{
    static const TClassRtti table =
        PublishTreeView(PublishWinControl(Publish<TTestTreeView>(), clWindow, true));
    return table;
}

// Each node as "text/image/selected" and its depth by indentation.
std::string Outline(TTreeNodes* nodes)
{
    std::string out;
    for (int i = 0; i < nodes->Count(); ++i) {
        TTreeNode* node = nodes->Item(i);
        out += std::string(static_cast<std::size_t>(node->Level()) * 2, ' ') + node->Text() + "/" +
               std::to_string(node->ImageIndex()) + "/" + std::to_string(node->SelectedIndex()) + "\n";
    }
    return out;
}

TEST(TreeViewNodesForm, NodesGoToTheFormFileAndComeBack)
{
    RegisterClass(TTestTreeView::StaticClass());
    kwtest::TestForm form;
    auto* tree = Create<TTestTreeView>(form.Get());
    tree->SetName("Tree");
    tree->SetParent(form.Get());
    TTreeNodes* nodes = tree->Items();
    TTreeNode* fruit = nodes->Add(nullptr, "Fruit");
    for (const char* name : {"Apple", "Pear", "Guava"})
        nodes->AddChild(fruit, name);
    TTreeNode* dogs = nodes->Add(nullptr, "Dogs");
    nodes->AddChild(dogs, "Shih Tzu")->SetImageIndex(3);
    nodes->AddChild(dogs, "Jack Russel \xC3\xA9")->SetSelectedIndex(5);
    const std::string expected = Outline(nodes);

    const std::string text = WriteComponentToText(tree);
    EXPECT_NE(text.find("Items.Data = {"), std::string::npos) << text;
    TOwnedPtr<TComponent> again(ReadComponentFromText(text, nullptr));
    auto* read = dynamic_cast<TTestTreeView*>(again.get());
    ASSERT_TRUE(read);
    EXPECT_EQ(Outline(read->Items()), expected);
    EXPECT_EQ(read->Items()->Count(), 7);
    EXPECT_EQ(read->Items()->Item(6)->Parent(), read->Items()->Item(4));

    // A tree without nodes writes none.
    nodes->Clear();
    EXPECT_EQ(WriteComponentToText(tree).find("Items.Data"), std::string::npos);
    UnRegisterClass(TTestTreeView::StaticClass());
}

TEST(TreeViewNodesForm, AMalformedBlockLeavesTheNodesAlone)
{
    const auto le = [](std::int32_t v) {
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<std::size_t>(i)] =
                static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
        return bytes;
    };
    const std::string node = le(-1) + le(-1) + le(-1) + le(-1) + le(0) + le(2) + "ab";
    struct Case {
        const char* name;
        std::string block;
    };
    const Case cases[] = {
        {"cut short", le(1) + node.substr(0, 10)},
        {"a negative count", le(-1)},
        {"more nodes than bytes", le(1000)},
        {"a text past the end", le(1) + le(-1) + le(-1) + le(-1) + le(-1) + le(0) + le(99) + "ab"},
        {"bytes left over", le(1) + node + "x"},
    };
    // The block in a form read into an existing tree.
    const auto form = [](const std::string& block) {
        static const char* digits = "0123456789ABCDEF";
        std::string hex;
        for (unsigned char byte : block) {
            hex += digits[byte >> 4];
            hex += digits[byte & 15];
        }
        return "object Tree: TTestTreeView\n  Items.Data = {" + hex + "}\nend\n";
    };
    RegisterClass(TTestTreeView::StaticClass());
    kwtest::TestForm host;
    auto* tree = Create<TTestTreeView>(nullptr);
    tree->SetName("Tree");
    tree->SetParent(host.Get());
    tree->Items()->Add(nullptr, "kept");
    for (const Case& c : cases) {
        EXPECT_THROW(ReadComponentFromText(form(c.block), tree), EReadError) << c.name;
        EXPECT_EQ(Outline(tree->Items()), "kept/0/0\n") << c.name;
    }
    ReadComponentFromText(form(le(1) + node), tree);
    EXPECT_EQ(Outline(tree->Items()), "ab/-1/-1\n");
    tree->Free();
    UnRegisterClass(TTestTreeView::StaticClass());
}

} // namespace
