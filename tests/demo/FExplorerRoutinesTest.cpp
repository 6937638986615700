// The explorer's routines: Boolean properties by tag, menu texts, and the
// command prompt over test doubles of the tree and the list.

#include "FExplorer.h"
#include "TestSupport.h"

#include "vcl/widgets/ExtCtrls.h"
#include "vcl/widgets/Menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vcl;

TEST(DemoExplorer, TypedCommandsBecomeNumbersOnlyFromZeroUp)
{
    struct Row {
        const char* typed;
        demo::TCommandVerb verb;
    };
    const Row rows[] = {
        {"0", {true, 0, ""}},       {"17", {true, 17, ""}}, {"-1", {false, 0, "-1"}},
        {"abc", {false, 0, "abc"}}, {"", {false, 0, ""}},   {"delete", {false, 0, "delete"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(demo::TreeCommandVerb(row.typed), row.verb) << row.typed;
}

// The tree and the list as the prompt sees them, recording what runs.
class TTargets : public demo::TCommandTargets {
public:
    bool Tree = false;
    bool List = false;
    bool Answer = true;
    std::string Typed;
    int Selected = 0;
    int Asked = 0;
    std::vector<std::string> Runs;

    bool TreeFocused() const override { return Tree; }
    bool ListFocused() const override { return List; }
    bool AskCommand(std::string& command) override
    {
        ++Asked;
        if (Answer)
            command = Typed;
        return Answer;
    }
    void RunOnSelectedNode(const demo::TCommandVerb& verb) override
    {
        Runs.push_back(verb.IsNumber ? "node #" + std::to_string(verb.Number) : "node " + verb.Text);
    }
    int ListSelCount() const override { return Selected; }
    void RunOnListFolder(const std::string& verb) override { Runs.push_back("folder " + verb); }
    void RunOnListSelection(const std::string& verb) override { Runs.push_back("selection " + verb); }
};

TEST(DemoExplorer, ThePromptSendsTheCommandToWhatHasTheFocus)
{
    struct Case {
        bool tree, list, answer;
        std::string typed;
        int selected;
        int asked;
        std::vector<std::string> runs;
    };
    const Case cases[] = {
        {true, false, true, "0", 0, 1, {"node #0"}},
        {true, false, true, "-1", 0, 1, {"node -1"}},
        {true, false, true, "abc", 0, 1, {"node abc"}},
        {true, false, false, "0", 0, 1, {}},
        {false, true, true, "paste", 0, 1, {"folder paste"}},
        {false, true, true, "0", 2, 1, {"selection 0"}},
        {false, true, false, "paste", 0, 1, {}},
        {false, false, true, "paste", 0, 0, {}},
    };
    for (const Case& c : cases) {
        TTargets targets;
        targets.Tree = c.tree;
        targets.List = c.list;
        targets.Answer = c.answer;
        targets.Typed = c.typed;
        targets.Selected = c.selected;
        demo::RunCommandPrompt(targets);
        EXPECT_EQ(targets.Asked, c.asked) << c.typed;
        EXPECT_EQ(targets.Runs, c.runs) << c.typed;
    }
}

TEST(DemoExplorer, PropertiesByTagAndMenuTexts)
{
    TComponent* owner = Create<TComponent>(nullptr);
    std::vector<TMenuItem*> items;
    for (int tag = 0; tag < 4; ++tag) {
        TMenuItem* item = Create<TMenuItem>(owner);
        item->SetTag(tag);
        item->SetCaption("stored " + std::to_string(tag));
        item->SetHint("hint " + std::to_string(tag));
        items.push_back(item);
    }
    // A component without the property is passed over.
    TTimer* timer = Create<TTimer>(owner);
    timer->SetTag(2);
    for (int tag : {3, 2, 0, 7}) {
        demo::SetPropByTag({items[0], items[1], timer, items[2], items[3]}, "Checked", tag);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(items[static_cast<std::size_t>(i)]->Checked(), i == tag) << tag << " " << i;
    }
    demo::SetMenuTexts("&View", "", {items[0], items[1]});
    demo::SetMenuTexts("", "Shows the list", {items[2]});
    EXPECT_EQ(items[0]->Caption(), "&View");
    EXPECT_EQ(items[1]->Hint(), "hint 1");
    EXPECT_EQ(items[2]->Caption(), "stored 2");
    EXPECT_EQ(items[2]->Hint(), "Shows the list");
    EXPECT_EQ(items[3]->Caption(), "stored 3");
    owner->Free();
}

} // namespace
