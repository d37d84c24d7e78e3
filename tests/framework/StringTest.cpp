#include "framework/String.h"

#include <gtest/gtest.h>
#include <string>

using framework::String;

TEST(String, EmptyStringsHoldNoBuffer) {
    String fromNull(static_cast<const char*>(nullptr));
    EXPECT_STREQ(fromNull.CStr(), "");
    EXPECT_EQ(fromNull.Length(), 0);
    EXPECT_EQ(fromNull.Buffer(), nullptr);

    String text("abc");
    text.DropRight(3);
    EXPECT_EQ(text.Buffer(), nullptr) << "an operation that leaves the length at 0 gives the buffer back";
    EXPECT_EQ(text.Capacity(), 0);
}

TEST(String, GrowsInGranularitySteps) {
    String text;
    text.Reserve(31);
    EXPECT_EQ(text.Capacity(), 64) << "need 32 rounds up to the next step";
    String small;
    small.Reserve(30);
    EXPECT_EQ(small.Capacity(), 32);
    small.Reserve(5);
    EXPECT_EQ(small.Capacity(), 32) << "the buffer never shrinks";
    small.Reserve(0);
    EXPECT_EQ(small.Capacity(), 0);

    String odd(7);
    odd.Assign("12345678901234");
    EXPECT_EQ(odd.Capacity(), 21);
    EXPECT_EQ(String(0).Granularity(), 32) << "a granularity below 1 becomes 32";

    // Capacity stays a multiple of the granularity and above the length while appending.
    String grown(10);
    for (int i = 0; i < 100; ++i) {
        grown.Append('x');
        ASSERT_EQ(grown.Capacity() % 10, 0);
        ASSERT_GT(grown.Capacity(), grown.Length());
    }
}

TEST(String, CopiesAndAssignmentsAreIndependent) {
    String original("machine");
    String copy(original);
    copy.At(1) = 'M';
    EXPECT_STREQ(original.CStr(), "machine");
    EXPECT_STREQ(copy.CStr(), "Machine");

    original.Assign(original.CStr());
    EXPECT_STREQ(original.CStr(), "machine") << "assigning the own buffer does nothing";
    original.Assign(static_cast<const char*>(nullptr));
    EXPECT_TRUE(original.IsEmpty());

    String moved(std::move(copy));
    EXPECT_STREQ(moved.CStr(), "Machine");
    EXPECT_TRUE(copy.IsEmpty());
}

TEST(String, AppendsIncludingItsOwnText) {
    String text("ab");
    text.Append('c').Append("de").Append(String("f")).Append(static_cast<const char*>(nullptr)).Append("");
    EXPECT_STREQ(text.CStr(), "abcdef");
    for (int i = 0; i < 6; ++i) {
        text.Append(text.CStr()); // forces reallocation while reading its own buffer
    }
    EXPECT_EQ(text.Length(), 6 * 64);
    EXPECT_EQ(std::string(text.CStr()).substr(378), "abcdef");

    String left("left ");
    EXPECT_STREQ(left.Concat("right").CStr(), "left right");
    EXPECT_STREQ(left.CStr(), "left ");
}

TEST(String, DropRightRemovesFromTheEnd) {
    String text("program");
    EXPECT_STREQ(String(text).DropRight(0).CStr(), "program");
    EXPECT_STREQ(String(text).DropRight(-2).CStr(), "program");
    EXPECT_STREQ(String(text).DropRight(4).CStr(), "pro");
    EXPECT_TRUE(String(text).DropRight(7).IsEmpty());
    EXPECT_TRUE(String(text).DropRight(99).IsEmpty());
}

TEST(String, EqualityFoldsAsciiLettersOnly) {
    EXPECT_TRUE(String("abc").Equals(String("ABC")));
    EXPECT_TRUE(String("abc").Equals("AbC"));
    EXPECT_FALSE(String("a").Equals(String("\xE1"))) << "a and a-acute differ";
    EXPECT_FALSE(String("\xE1").Equals(String("\xC1"))) << "only ASCII letters fold";
    EXPECT_TRUE(String().Equals(String()));
    EXPECT_FALSE(String().Equals(String("x")));
    EXPECT_TRUE(String().Equals(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(String("x").Equals(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(String("abc").Equals("abcd"));
}

TEST(String, OutOfRangePositionsGiveAScratchByte) {
    String text("abc");
    EXPECT_EQ(text.At(1), 'a');
    EXPECT_EQ(text.At(3), 'c');
    char& before = text.At(0);
    EXPECT_EQ(before, '\0');
    before = 'X';
    EXPECT_EQ(text.At(4), '\0') << "the scratch byte is reset on every call";
    text.At(4) = 'Y';
    EXPECT_STREQ(text.CStr(), "abc");
    String empty;
    EXPECT_EQ(empty.At(1), '\0');
}

TEST(String, TrimRemovesBlanksByMode) {
    EXPECT_STREQ(String(" \t x y \t").Trim(String::TrimBoth).CStr(), "x y");
    EXPECT_STREQ(String(" \t x y \t").Trim(String::TrimEnd).CStr(), " \t x y");
    EXPECT_STREQ(String(" \t x y \t").Trim(String::TrimStart).CStr(), "x y \t");
    String blank(" \t ");
    blank.Trim();
    EXPECT_EQ(blank.Buffer(), nullptr);
}

TEST(String, KeepAndCutFollowThePositionRules) {
    EXPECT_STREQ(String("abcdef").Keep(2, 0).CStr(), "bcdef") << "0 counts from the end";
    EXPECT_STREQ(String("abcdef").Keep(4, 2).CStr(), "bcd") << "a reversed range is swapped";
    EXPECT_STREQ(String("abcdef").Keep(-1, 99).CStr(), "ef");
    EXPECT_STREQ(String("abcdef").Keep(-99, 2).CStr(), "ab");
    EXPECT_STREQ(String("abcdef").Keep(9, 12).CStr(), "f") << "a start beyond the end keeps the last";

    String text("abcdef");
    EXPECT_STREQ(text.Cut(1, 3).CStr(), "abc");
    EXPECT_STREQ(text.CStr(), "def");

    String middle("abcdef");
    EXPECT_STREQ(middle.Cut(3, 4).CStr(), "cd");
    EXPECT_STREQ(middle.CStr(), "abef");

    String beyond("abc");
    EXPECT_TRUE(beyond.Cut(5, 9).IsEmpty());
    EXPECT_STREQ(beyond.CStr(), "abc");

    String whole("abc");
    EXPECT_STREQ(whole.Cut(1, 3).CStr(), "abc");
    EXPECT_EQ(whole.Buffer(), nullptr);
}

TEST(String, FindWalksInEitherDirection) {
    String text("a.b.c");
    EXPECT_EQ(text.Find('.', 1, 1), 2);
    EXPECT_EQ(text.Find('.', 3, 1), 4);
    EXPECT_EQ(text.Find('.', 5, -1), 4);
    EXPECT_EQ(text.Find('.', 3, -1), 2);
    EXPECT_EQ(text.Find('x', 1, 1), 0);
    EXPECT_EQ(text.Find('.', 0, 1), 0) << "a start outside 1..length finds nothing";
    EXPECT_EQ(text.Find('.', 6, -1), 0);
}

TEST(String, FindTextHonoursStartAndCase) {
    String line("DOWNLOAD PROGRAM: 12 download");
    EXPECT_EQ(line.FindText("DOWNLOAD"), 1);
    EXPECT_EQ(line.FindText("DOWNLOAD", 2), 0);
    EXPECT_EQ(line.FindText("DOWNLOAD", 2, true), 22);
    EXPECT_EQ(line.FindText("load", -8), 26) << "a negative start counts from the end";
    EXPECT_EQ(line.FindText("DOWN", -999), 1);
    EXPECT_EQ(line.FindText(""), 0);
    EXPECT_EQ(String().FindText("x"), 0);
    EXPECT_EQ(String("ab").FindText("abc"), 0);
}

TEST(String, InsertCharPlacesCopies) {
    EXPECT_STREQ(String("ac").InsertChar('b', 2).CStr(), "abc");
    EXPECT_STREQ(String("ab").InsertChar('c', 0).CStr(), "abc") << "0 appends";
    EXPECT_STREQ(String("ac").InsertChar('b', -1).CStr(), "abc") << "below 1 counts from the end";
    EXPECT_STREQ(String("abc").InsertChar('-', 1, 3).CStr(), "---abc");
    EXPECT_STREQ(String("abc").InsertChar('-', 2, 0).CStr(), "abc");
    EXPECT_STREQ(String().InsertChar('x', 5).CStr(), "x");
}

TEST(String, ResyncAfterDirectWrites) {
    String text;
    text.Reserve(10);
    std::snprintf(text.Buffer(), 10, "%s", "written");
    EXPECT_TRUE(text.Resync());
    EXPECT_EQ(text.Length(), 7);
    text.Buffer()[0] = '\0';
    EXPECT_FALSE(text.Resync());
    EXPECT_EQ(text.Buffer(), nullptr);
}
