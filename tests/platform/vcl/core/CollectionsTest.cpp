#include "vcl/core/Collections.h"
#include "vcl/core/Exceptions.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vcl;

namespace {

class TColumn : public TCollectionItem {
    VCL_DECLARE_CLASS(TColumn, TCollectionItem)
public:
    explicit TColumn(TCollection* collection) : TCollectionItem(collection), Width(64) {}
    int Width;
    std::string Caption;

    std::string DisplayName() const override
    {
        return Caption.empty() ? TCollectionItem::DisplayName() : Caption;
    }
    void SetDisplayName(const std::string& value) override
    {
        Caption = value;
        TCollectionItem::SetDisplayName(value);
    }
    void SetWidth(int width)
    {
        Width = width;
        Changed(false);
    }
};

// An item whose own constructor fails after joining the collection.
class TBrokenColumn : public TColumn {
    VCL_DECLARE_CLASS(TBrokenColumn, TColumn)
public:
    explicit TBrokenColumn(TCollection* collection) : TColumn(collection)
    {
        throw EInvalidOperation("broken");
    }
};

class TColumns : public TOwnedCollection {
    VCL_DECLARE_CLASS(TColumns, TOwnedCollection)
public:
    explicit TColumns(TObject* owner, TCollectionItemClass itemClass = CollectionItemClass<TColumn>())
        : TOwnedCollection(owner, itemClass)
    {
    }
    TColumn* Column(int index) const { return As<TColumn>(Items(index)); }

    int WholeUpdates = 0;
    std::vector<TCollectionItem*> ItemUpdates;
    std::vector<std::string> Log;

protected:
    void Update(TCollectionItem* item) override
    {
        if (item)
            ItemUpdates.push_back(item);
        else
            ++WholeUpdates;
    }
    void Notify(TCollectionItem* item, TCollectionNotification action) override
    {
        // Items made by Add and taken out by Delete are whole when notified;
        // one made or deleted directly is only a TCollectionItem then.
        const char* names[] = {"added", "extracting", "deleting"};
        const TColumn* column = dynamic_cast<const TColumn*>(item);
        Log.push_back(std::string(names[action]) + " " + std::to_string(item->ID()) + " width " +
                      (column ? std::to_string(column->Width) : "?"));
    }
};

std::vector<int> IDs(const TCollection& c)
{
    std::vector<int> ids;
    for (int i = 0; i < c.Count(); ++i)
        ids.push_back(c.Items(i)->ID());
    return ids;
}

} // namespace

TEST(TCollectionTest, AddInsertDeleteAndIDs)
{
    TObject owner;
    TColumns columns(&owner);
    EXPECT_EQ(columns.Owner(), &owner);
    EXPECT_EQ(columns.ItemClass().Class, TColumn::StaticClass());

    TColumn* a = As<TColumn>(columns.Add());
    TColumn* b = As<TColumn>(columns.Add());
    TColumn* c = As<TColumn>(columns.Insert(0));
    EXPECT_EQ(IDs(columns), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(c->Index(), 0);
    EXPECT_EQ(a->Collection(), &columns);
    EXPECT_EQ(columns.FindItemID(1), b);
    EXPECT_EQ(columns.FindItemID(7), nullptr);
    EXPECT_EQ(columns.Log,
              (std::vector<std::string>{"added 0 width 64", "added 1 width 64", "added 2 width 64"}));
    EXPECT_THROW(columns.Insert(4), EListError);
    EXPECT_EQ(columns.Count(), 3);

    columns.Log.clear();
    columns.Delete(1); // a
    EXPECT_EQ(columns.Log, (std::vector<std::string>{"deleting 0 width 64", "extracting 0 width 64"}));
    EXPECT_THROW(columns.Delete(2), EListError);
    // IDs are never given twice.
    columns.Add();
    EXPECT_EQ(IDs(columns), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(columns.NextID(), 4);

    // An item deleted directly leaves its collection.
    columns.Log.clear();
    delete b;
    EXPECT_EQ(IDs(columns), (std::vector<int>{2, 3}));
    EXPECT_EQ(columns.Log, (std::vector<std::string>{"extracting 1 width ?"}));
    EXPECT_EQ(columns.Column(0)->DisplayName(), "TColumn");
    columns.Column(0)->SetDisplayName("Name");
    EXPECT_EQ(columns.Column(0)->DisplayName(), "Name");

    // An item moves between collections, and a collection of another item
    // class will not take it.
    TColumns other(nullptr);
    c->SetCollection(&other);
    EXPECT_EQ(IDs(columns), (std::vector<int>{3}));
    EXPECT_EQ(IDs(other), (std::vector<int>{0}));
    TCollection plain(CollectionItemClass<TCollectionItem>());
    TCollectionItem* loose = plain.Add();
    EXPECT_THROW(loose->SetCollection(&columns), EInvalidOperation);
    EXPECT_EQ(loose->Collection(), &plain);
    EXPECT_EQ(loose->DisplayName(), "TCollectionItem");

    // A constructor that fails leaves nothing behind and announces nothing.
    TColumns broken(nullptr, CollectionItemClass<TBrokenColumn>());
    EXPECT_THROW(broken.Add(), EInvalidOperation);
    EXPECT_EQ(broken.Count(), 0);
    EXPECT_TRUE(broken.Log.empty());
    EXPECT_EQ(broken.WholeUpdates, 0);
    // ... and the collection is not stuck in the middle of an Add.
    TColumn direct(&broken);
    EXPECT_EQ(broken.Log, (std::vector<std::string>{"added 1 width ?"}));
    EXPECT_EQ(direct.Index(), 0);
    direct.SetCollection(nullptr);
}

TEST(TCollectionTest, IndexMovesTheItem)
{
    TColumns columns(nullptr);
    for (int i = 0; i < 5; ++i)
        columns.Add();
    columns.WholeUpdates = 0;

    columns.Items(0)->SetIndex(3);
    EXPECT_EQ(IDs(columns), (std::vector<int>{1, 2, 3, 0, 4}));
    columns.Items(4)->SetIndex(0);
    EXPECT_EQ(IDs(columns), (std::vector<int>{4, 1, 2, 3, 0}));
    EXPECT_EQ(columns.FindItemID(3)->Index(), 3);
    EXPECT_EQ(columns.WholeUpdates, 2);

    columns.Items(2)->SetIndex(2); // where it is: nothing happens
    EXPECT_EQ(columns.WholeUpdates, 2);
    EXPECT_THROW(columns.Items(2)->SetIndex(5), EListError);
    EXPECT_THROW(columns.Items(2)->SetIndex(-1), EListError);
    EXPECT_EQ(IDs(columns), (std::vector<int>{4, 1, 2, 3, 0}));

    TCollectionItem loneItem(nullptr);
    EXPECT_EQ(loneItem.Index(), -1);
    loneItem.SetIndex(3); // no collection: nothing to move
    EXPECT_EQ(loneItem.Collection(), nullptr);
}

TEST(TCollectionTest, UpdatesAreHeldBackUntilTheLastEndUpdate)
{
    TColumns columns(nullptr);
    columns.Add();
    EXPECT_EQ(columns.WholeUpdates, 1);

    // A change of one item reports that item.
    columns.Column(0)->SetWidth(100);
    ASSERT_EQ(columns.ItemUpdates.size(), 1u);
    EXPECT_EQ(columns.ItemUpdates[0], columns.Items(0));

    columns.WholeUpdates = 0;
    columns.ItemUpdates.clear();
    columns.BeginUpdate();
    columns.BeginUpdate();
    for (int i = 0; i < 4; ++i)
        columns.Add();
    columns.Column(1)->SetWidth(5);
    columns.Items(4)->SetIndex(0);
    columns.Delete(2);
    columns.EndUpdate();
    EXPECT_EQ(columns.WholeUpdates, 0);
    EXPECT_EQ(columns.UpdateCount(), 1);
    columns.EndUpdate();
    EXPECT_EQ(columns.WholeUpdates, 1);
    EXPECT_TRUE(columns.ItemUpdates.empty());
    // An EndUpdate too many is ignored, not counted below zero.
    columns.EndUpdate();
    EXPECT_EQ(columns.UpdateCount(), 0);
    EXPECT_EQ(columns.WholeUpdates, 1);
    columns.Add();
    EXPECT_EQ(columns.WholeUpdates, 2);

    // Clear frees everything and reports once.
    columns.WholeUpdates = 0;
    columns.Log.clear();
    columns.Clear();
    EXPECT_EQ(columns.Count(), 0);
    EXPECT_EQ(columns.WholeUpdates, 1);
    EXPECT_EQ(columns.Log.size(), 10u); // deleting and extracting for each of five
    columns.Clear();
    EXPECT_EQ(columns.WholeUpdates, 1);
}
