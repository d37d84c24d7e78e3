#include "framework/Colour.h"
#include "framework/PlainString.h"
#include "framework/PointerArray.h"
#include "framework/Rect.h"
#include "framework/ValueList.h"
#include "framework/WideString.h"

#include <gtest/gtest.h>
#include <vector>

using namespace framework;

namespace {

// An element that records its destruction, so that ownership rules can be checked.
struct Tracked {
    explicit Tracked(std::vector<int>* log, int id) : log(log), id(id) {}
    ~Tracked() { log->push_back(id); }
    std::vector<int>* log;
    int id;
};

} // namespace

TEST(PointerArray, CapacityFollowsTheGranularity) {
    PointerArray array;
    int items[40];
    for (int i = 0; i < 31; ++i) {
        array.Add(&items[i]);
    }
    EXPECT_EQ(array.Capacity(), 32);
    array.Add(&items[31]);
    EXPECT_EQ(array.Capacity(), 64) << "the 32nd element raises the capacity";
    array.SetCount(0);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Count(), 0);

    PointerArray shrinking(nullptr, 4);
    shrinking.SetCount(10);
    EXPECT_EQ(shrinking.Capacity(), 12);
    EXPECT_EQ(shrinking.At(9), nullptr) << "new slots are empty";
    shrinking.SetCount(2);
    EXPECT_EQ(shrinking.Capacity(), 4) << "slots shrink too";
}

TEST(PointerArray, InsertAndRemoveKeepOrder) {
    PointerArray array;
    int a = 1, b = 2, c = 3, d = 4;
    array.Add(&a);
    array.Add(&c);
    array.InsertAt(&b, 1);
    array.InsertAt(&d, 99);
    ASSERT_EQ(array.Count(), 4);
    EXPECT_EQ(array.At(0), &a);
    EXPECT_EQ(array.At(1), &b);
    EXPECT_EQ(array.At(2), &c);
    EXPECT_EQ(array.At(3), &d);

    EXPECT_EQ(array.RemoveAt(-1, false), &d) << "a negative index removes the last";
    EXPECT_EQ(array.Remove(&b), 1);
    EXPECT_EQ(array.Remove(&b), -1);
    EXPECT_EQ(array.Count(), 2);
    EXPECT_EQ(array.At(1), &c);

    void*& scratch = array.At(2);
    EXPECT_EQ(scratch, nullptr);
    scratch = &a;
    EXPECT_EQ(array.At(5), nullptr) << "the scratch slot is reset on every call";
    EXPECT_EQ(array.Count(), 2) << "an index out of range leaves the array unchanged";

    PointerArray empty;
    EXPECT_EQ(empty.RemoveAt(0), nullptr);
}

TEST(PointerArray, OwningArrayDestroysItsElements) {
    std::vector<int> destroyed;
    {
        PointerArray array(PointerArray::DeleteAs<Tracked>);
        for (int id = 1; id <= 4; ++id) {
            array.Add(new Tracked(&destroyed, id));
        }
        array.Add(nullptr);
        EXPECT_EQ(array.RemoveAt(0, true), nullptr);
        EXPECT_EQ(destroyed, std::vector<int>({1}));
        auto* kept = static_cast<Tracked*>(array.RemoveAt(0, false));
        EXPECT_EQ(kept->id, 2) << "without destroy the element is handed back";
        delete kept;
        destroyed.clear();
    }
    EXPECT_EQ(destroyed, std::vector<int>({4, 3})) << "cleared from the last to the first";
}

TEST(ValueList, InsertsSeeksAndRemoves) {
    ValueList list;
    EXPECT_EQ(list.InsertAt(10), 1);
    EXPECT_EQ(list.InsertAt(30), 2);
    EXPECT_EQ(list.InsertAt(20, 1), 3);
    EXPECT_EQ(list.CursorIndex(), 1) << "the new node becomes the cursor";
    EXPECT_EQ(list.InsertAt(5, 0), 4);
    const int32_t expected[] = {5, 10, 20, 30};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.At(i), expected[i]);
    }
    EXPECT_EQ(list.At(3), 30);
    EXPECT_EQ(list.At(1), 10) << "walks backwards from the cursor";
    EXPECT_EQ(list.At(4), 0);
    list.At(-1) = 99;
    EXPECT_EQ(list.At(-1), 0) << "scratch value reset on every call";

    EXPECT_EQ(list.IndexOf(20), 2);
    EXPECT_EQ(list.CursorIndex(), 2);
    EXPECT_EQ(list.IndexOf(10, 2), -1) << "searches from the given index";
    EXPECT_EQ(list.IndexOf(10, -5), 1);
    EXPECT_EQ(list.IndexOf(10, 4), -1);

    EXPECT_FALSE(list.AddUnique(20));
    EXPECT_TRUE(list.AddUnique(40));
    EXPECT_EQ(list.Count(), 5);

    EXPECT_EQ(list.RemoveAt(1), 4);
    EXPECT_EQ(list.CursorIndex(), 1);
    EXPECT_EQ(list.At(1), 20) << "the cursor moved to the following node";
    EXPECT_EQ(list.RemoveAt(99), 3) << "an index outside the list takes the last node";
    EXPECT_EQ(list.CursorIndex(), 2);
    EXPECT_EQ(list.At(2), 30);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.CursorIndex(), -1);
    EXPECT_EQ(list.RemoveAt(0), 0);
}

TEST(ValueTypes, ColourAndRectFollowTheSystemLayout) {
    EXPECT_EQ(Colour(0x12, 0x34, 0x56).Value(), 0x563412u);
    EXPECT_EQ(Colour(0x563412).Blue(), 0x56);

    Rect rect{10, 20, 30, 40};
    EXPECT_TRUE(rect.Contains({10, 20}));
    EXPECT_FALSE(rect.Contains({30, 20})) << "right lies one past the last pixel";
    EXPECT_FALSE(rect.Contains({10, 40}));
    rect.Offset(5, -5);
    EXPECT_TRUE(rect.Equals(Rect{15, 15, 35, 35}));
    rect.MoveTo({0, 0});
    EXPECT_TRUE(rect.Equals(Rect{0, 0, 20, 20}));
    EXPECT_FALSE(rect.Equals(Rect{0, 0, 20, 21}));
}

TEST(PlainString, GrowsBySixteenAndInserts) {
    PlainString text("abc");
    EXPECT_EQ(text.Capacity(), 16);
    for (int i = 0; i < 13; ++i) {
        text.Append('x');
    }
    EXPECT_EQ(text.Length(), 16);
    EXPECT_EQ(text.Capacity(), 32);
    text.Assign("ac");
    text.InsertChar('b', 2);
    text.InsertChar('!', 0);
    text.InsertChar('<', -3);
    EXPECT_STREQ(text.CStr(), "a<bc!");
    EXPECT_STREQ(text.ToString().CStr(), "a<bc!");
    EXPECT_EQ(text.At(6), '\0');
    text.Clear();
    EXPECT_STREQ(text.CStr(), "");
}

TEST(WideString, ConvertsFromTheAnsiCodePage) {
    WideString wide("A\x80\xE9");
    ASSERT_EQ(wide.Count(), 4) << "three code units and the terminator";
    EXPECT_EQ(wide.Buffer()[0], u'A');
    EXPECT_EQ(wide.Buffer()[1], u'\u20AC') << "0x80 is the euro sign in Windows-1252";
    EXPECT_EQ(wide.Buffer()[2], u'\u00E9');
    EXPECT_EQ(wide.Buffer()[3], 0);
    WideString empty("");
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.Buffer(), nullptr);
}
