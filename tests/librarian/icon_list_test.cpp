#include "librarian/icon_list.h"

#include <gtest/gtest.h>

#include "librarian_fixtures.h"
#include "model/settings_model.h"
#include "platform/screen.h"

namespace kavrel {
namespace {

using test::MakeLibGroup;
using test::MakeLibGroups;
using Names = std::vector<std::string>;

CIconList ListOf(const Names& names)
{
    CIconList list;
    list.SetItems(MakeLibGroups(names));
    return list;
}

Names ListNames(const CIconList& list)
{
    Names out;
    for (const auto& g : list.Items())
        out.push_back(g.name);
    return out;
}

TEST(IconList, SelectAllActsOnlyWithAtMostOneSelected)
{
    CIconList list = ListOf({"a", "b", "c"});
    EXPECT_TRUE(list.SelectAll());
    EXPECT_EQ(list.SelectedCount(), 3);

    list.SelectOnly(1);
    EXPECT_TRUE(list.SelectAll());
    EXPECT_EQ(list.SelectedCount(), 3);

    list.SelectOnly(0);
    list.SetSelected(2, true);
    EXPECT_FALSE(list.SelectAll());
    EXPECT_EQ(list.Selection(), (std::vector<int>{0, 2}));

    CIconList empty;
    EXPECT_FALSE(empty.SelectAll());
}

TEST(IconList, RenamingSeveralNumbersThemInListOrderAndOneIsCutToFiftyCharacters)
{
    CIconList list = ListOf({"a", "b", "c", "d", "e"});
    list.SetSelected(4, true);
    list.SetSelected(0, true);
    list.SetSelected(2, true);
    list.RenameSelected("Icons");
    EXPECT_EQ(ListNames(list), (Names{"Icons 1", "b", "Icons 2", "d", "Icons 3"}));
    list.RenameSelected("");
    EXPECT_EQ(ListNames(list), (Names{"", "b", "", "d", ""}));
    EXPECT_EQ(list.Item(0).DisplayName(), "Untitled");

    list.RenameOne(1, std::string(60, 'x'));
    EXPECT_EQ(list.Item(1).name, std::string(50, 'x'));
}

TEST(IconList, DeletingSelectsTheItemAtTheFirstRemovedPlaceOrTheNewLastOne)
{
    CIconList list = ListOf({"a", "b", "c", "d", "e"});
    list.SelectOnly(1);
    list.SetSelected(3, true);
    EXPECT_EQ(list.DeleteSelected(), 1);
    EXPECT_EQ(ListNames(list), (Names{"a", "c", "e"}));
    EXPECT_EQ(list.Selection(), (std::vector<int>{1}));

    // The last icons: the new last item.
    list.SelectOnly(1);
    list.SetSelected(2, true);
    EXPECT_EQ(list.DeleteSelected(), 0);
    EXPECT_EQ(ListNames(list), (Names{"a"}));
    EXPECT_EQ(list.Selection(), (std::vector<int>{0}));

    list.SelectAll();
    EXPECT_EQ(list.DeleteSelected(), -1);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.DeleteSelected(), -1);
}

TEST(IconList, ItemSizesFollowTheClassAndTheInformationFlag)
{
    EXPECT_EQ(CIconList::ItemSizeFor(0, false), (ItemSize{26, 22}));
    EXPECT_EQ(CIconList::ItemSizeFor(1, false), (ItemSize{42, 38}));
    EXPECT_EQ(CIconList::ItemSizeFor(2, false), (ItemSize{54, 54}));
    EXPECT_EQ(CIconList::ItemSizeFor(0, true), (ItemSize{70, 44}));
    EXPECT_EQ(CIconList::ItemSizeFor(2, true), (ItemSize{70, 76}));
    CIconList list;
    list.SetOptions({0, 1, false, false});
    EXPECT_EQ(list.ItemSizeNow(), (ItemSize{26, 22}));
}

TEST(IconList, ItemsRunDownEachColumnThenOnToTheNext)
{
    CIconList list = ListOf(Names(10, "x"));
    list.SetOptions({0, 1, false, false}); // 26 x 22
    const int height = 70;                 // three items a column
    EXPECT_EQ(list.ItemsPerColumn(height), 3);
    EXPECT_EQ(list.ColumnCount(height), 4);
    EXPECT_EQ(list.ItemRect(0, height), (Rect{0, 0, 26, 22}));
    EXPECT_EQ(list.ItemRect(2, height), (Rect{0, 44, 26, 66}));
    EXPECT_EQ(list.ItemRect(3, height), (Rect{26, 0, 52, 22}));
    EXPECT_EQ(list.ItemRect(4, height, 26), (Rect{0, 22, 26, 44}));

    EXPECT_EQ(list.HitTest(27, 23, height), 4);
    EXPECT_EQ(list.HitTest(1, 67, height), -1);  // below the last row
    EXPECT_EQ(list.HitTest(80, 30, height), -1); // where an eleventh item would be
    EXPECT_EQ(list.HitTest(80, 1, height), 9);
    EXPECT_EQ(list.HitTest(2, 2, height, 26), 3);
    // Dropping on an item inserts before it; past the last one, at the end.
    EXPECT_EQ(list.DropIndex(27, 23, height), 4);
    EXPECT_EQ(list.DropIndex(80, 30, height), 10);
    EXPECT_EQ(list.DropIndex(500, 1, height), 10);

    // Only the columns in view are drawn.
    EXPECT_EQ(list.VisibleRange(30, height), (std::pair<int, int>{0, 6}));
    EXPECT_EQ(list.VisibleRange(26, height, 52), (std::pair<int, int>{6, 9}));
    EXPECT_EQ(list.VisibleRange(1000, height), (std::pair<int, int>{0, 10}));
}

TEST(IconList, CountTextsAndLabels)
{
    CIconList list;
    EXPECT_EQ(list.CountText(), "");
    EXPECT_EQ(list.SelectedText(), "");
    list.SetItems(MakeLibGroups({"Star"}));
    list.SelectOnly(0);
    EXPECT_EQ(list.CountText(), "1 icon");
    EXPECT_EQ(list.SelectedText(), "1 selected");
    list.SetItems(MakeLibGroups({"Star", "", "Moon"}));
    EXPECT_EQ(list.CountText(), "3 icons");
    EXPECT_EQ(list.SelectedText(), "0 selected");
    list.SelectAll();
    EXPECT_EQ(list.SelectedText(), "3 selected");

    EXPECT_EQ(list.ItemLabel(1), "Untitled");
    list.SetOptions({1, 1, true, true});
    EXPECT_EQ(list.ItemLabel(0), "Icon 1");
    EXPECT_EQ(list.ItemLabel(2), "Icon 3");
}

TEST(IconList, TheDisplayFormatIsChosenOnceAndAgainOnlyWhenTheOptionsChange)
{
    CIconList list;
    std::vector<CIconGroup> items;
    items.push_back(MakeLibGroup("three", 1, 3)); // 16, 32 and 48 pixels
    list.SetItems(std::move(items));
    list.SetOptions({2, 1, true, false});
    EXPECT_EQ(list.DisplayFormat(0), 2);
    list.Item(0).displayFormat = 1; // kept until the options change
    EXPECT_EQ(list.DisplayFormat(0), 1);
    list.SetSelected(0, true);
    list.SetOptions({0, 1, true, false});
    EXPECT_EQ(list.DisplayFormat(0), 0);
    EXPECT_TRUE(list.IsSelected(0));
}

TEST(IconList, InsertedIconsBecomeTheSelection)
{
    CIconList list = ListOf({"a", "b"});
    list.SelectOnly(0);
    EXPECT_EQ(list.Insert(1, MakeLibGroups({"x", "y"})), 1);
    EXPECT_EQ(ListNames(list), (Names{"a", "x", "y", "b"}));
    EXPECT_EQ(list.Selection(), (std::vector<int>{1, 2}));
    EXPECT_EQ(list.Insert(99, MakeLibGroups({"z"})), 4);
    EXPECT_EQ(list.Selection(), (std::vector<int>{4}));
    EXPECT_EQ(list.Append(MakeLibGroups({"w"}), false), 5);
    EXPECT_EQ(list.Selection(), (std::vector<int>{4, 5}));
}

TEST(IconList, CellsDrawFromCachedThumbnailsAndOnlyWhenAsked)
{
    EcoRes = 0;
    CIconList list = ListOf({"a", "b", "c"});
    list.SetOptions({1, 1, true, false}); // 70 x 60
    Bitmap view = Bitmap::Color(140, 60);
    DC dc(view);
    const Rect r = list.ItemRect(0, 60);
    list.SelectOnly(0);
    list.dropTarget = 0;
    list.DrawCell(0, dc, r, {true});

    // Only the drawn icon has its thumbnail rendered.
    EXPECT_FALSE(list.Item(0).formats[0]->thumbnailBits.empty());
    EXPECT_TRUE(list.Item(1).formats[0]->thumbnailBits.empty());
    // The drop target's red frame, the selected text box in the highlight colour.
    EXPECT_EQ(view.pixel(0, 0), RGB(255, 0, 0));
    const CellText text = list.CellTextFor(0, r, {true});
    EXPECT_EQ(text.box, (Rect{1, 39, 69, 59}));
    EXPECT_EQ(view.pixel(10, 45), SysColors().highlight);
    EXPECT_EQ(text.line1, "a");
    EXPECT_EQ(text.line2, "(1 format)");
    // Unfocused: grey; not selected: the window colour and black text.
    EXPECT_EQ(list.CellTextFor(0, r, {false}).background, RGB(0x80, 0x80, 0x80));
    EXPECT_EQ(list.CellTextFor(1, r, {true}).background, SysColors().window);
    EXPECT_EQ(list.CellTextFor(1, r, {true}).color, RGB(0, 0, 0));

    // The second draw copies the cached cell: the same pixels come out.
    Bitmap again = Bitmap::Color(140, 60);
    DC dc2(again);
    list.DrawCell(0, dc2, r, {true});
    EXPECT_EQ(again, view);

    // Disabled: every item looks selected.
    list.enabled = false;
    EXPECT_EQ(list.CellTextFor(1, r, {false}).background, RGB(0x80, 0x80, 0x80));
}

} // namespace
} // namespace kavrel
