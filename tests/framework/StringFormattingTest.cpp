#include "framework/NumberSeparators.h"
#include "framework/String.h"

#include <gtest/gtest.h>
#include <string>

using framework::NumberSeparators;
using framework::String;

namespace {

// Each test sets the separators it needs and puts the start-up defaults back afterwards.
class StringNumbers : public ::testing::Test {
protected:
    void TearDown() override { NumberSeparators::Set('.', '\0'); }
};

} // namespace

TEST_F(StringNumbers, TakeIntParsesAndRemovesTheNumber) {
    String text("123abc");
    EXPECT_EQ(text.TakeInt(), 123);
    EXPECT_STREQ(text.CStr(), "abc");
    EXPECT_EQ(text.TakeInt(), 0);
    EXPECT_STREQ(text.CStr(), "abc") << "no digits: nothing removed";

    String minus("-");
    EXPECT_EQ(minus.TakeInt(), 0);
    EXPECT_EQ(minus.Buffer(), nullptr) << "a lone sign is consumed";

    String all("-42");
    EXPECT_EQ(all.TakeInt(), -42);
    EXPECT_TRUE(all.IsEmpty());

    String plus("+7 rest");
    EXPECT_EQ(plus.TakeInt(), 7);
    EXPECT_STREQ(plus.CStr(), " rest");

    String unsignedText("-5");
    EXPECT_EQ(unsignedText.TakeUnsigned(), 0u) << "only + is a sign for unsigned values";
    EXPECT_STREQ(unsignedText.CStr(), "-5");
    String big("4000000000x");
    EXPECT_EQ(big.TakeUnsigned(), 4000000000u);
}

TEST_F(StringNumbers, TakeDecimalUsesTheLocaleSeparator) {
    String text("12.625mm");
    EXPECT_DOUBLE_EQ(text.TakeDecimal(), 12.625);
    EXPECT_STREQ(text.CStr(), "mm");

    NumberSeparators::Set(',', '.');
    String comma("-3,5;");
    EXPECT_DOUBLE_EQ(comma.TakeDecimal(), -3.5);
    EXPECT_STREQ(comma.CStr(), ";");
    String dot("3.5");
    EXPECT_DOUBLE_EQ(dot.TakeDecimal(), 3.0) << "a full stop is no separator here";
    EXPECT_STREQ(dot.CStr(), ".5");
}

TEST_F(StringNumbers, TakeLengthReadsFeetAndInches) {
    String feet("5'-6\"");
    EXPECT_DOUBLE_EQ(feet.TakeLength(true), 66.0);
    EXPECT_TRUE(feet.IsEmpty());

    String spaced("2' - 3.5\" rest");
    EXPECT_DOUBLE_EQ(spaced.TakeLength(true), 27.5);
    EXPECT_STREQ(spaced.CStr(), " rest");

    String negative("-1'-6");
    EXPECT_DOUBLE_EQ(negative.TakeLength(true), -18.0) << "inches subtract from negative feet";

    String inchesOnly("7.25\"");
    EXPECT_DOUBLE_EQ(inchesOnly.TakeLength(true), 7.25);
    EXPECT_TRUE(inchesOnly.IsEmpty());

    String plain("7.25\"");
    EXPECT_DOUBLE_EQ(plain.TakeLength(false), 7.25);
    EXPECT_STREQ(plain.CStr(), "\"");
}

TEST_F(StringNumbers, SetIntGroupsWithTheThousandsSeparator) {
    String text;
    EXPECT_STREQ(text.SetInt(0).CStr(), "0");
    EXPECT_STREQ(text.SetInt(-45).CStr(), "-45");
    EXPECT_STREQ(text.SetInt(1234567, true).CStr(), "1234567") << "NUL separator: digits stand alone";
    NumberSeparators::Set('.', ',');
    EXPECT_STREQ(text.SetInt(1234567, true).CStr(), "1,234,567");
    EXPECT_STREQ(text.SetInt(1234567, false).CStr(), "1234567");
    EXPECT_STREQ(text.SetInt(-2147483647 - 1, true).CStr(), "-2,147,483,648");
    EXPECT_STREQ(text.SetInt(1000, true).CStr(), "1,000");
    EXPECT_STREQ(text.SetInt(999, true).CStr(), "999");
}

TEST_F(StringNumbers, SetDecimalRoundsAndPads) {
    String text;
    EXPECT_STREQ(text.SetDecimal(3.14159, 0, 2).CStr(), "3.14");
    EXPECT_STREQ(text.SetDecimal(2.5, 3, 6).CStr(), "2.500") << "padded to the minimum";
    EXPECT_STREQ(text.SetDecimal(2.5, 0, 6).CStr(), "2.5") << "no trailing zeros beyond the minimum";
    EXPECT_STREQ(text.SetDecimal(2.0, 0, 4).CStr(), "2");
    EXPECT_STREQ(text.SetDecimal(1.999, 0, 2).CStr(), "2");
    EXPECT_STREQ(text.SetDecimal(-0.25, 0, 2).CStr(), "-0.25") << "negative with integer part 0";
    EXPECT_STREQ(text.SetDecimal(1.0, 9, 9).CStr(), "1.000000") << "counts clamped to 6";
    EXPECT_STREQ(text.SetDecimal(1.5, 4, 1).CStr(), "1.5") << "minimum clamped to the maximum";
    NumberSeparators::Set(',', '.');
    EXPECT_STREQ(text.SetDecimal(1234.5, 1, 1, true).CStr(), "1.234,5");
}

TEST_F(StringNumbers, SetLengthWritesFeetAndInches) {
    String text;
    EXPECT_STREQ(text.SetLength(66.0, 0, 2, false, true).CStr(), "5'-6\"");
    EXPECT_STREQ(text.SetLength(-18.5, 0, 2, false, true).CStr(), "-1'-6.5\"");
    EXPECT_STREQ(text.SetLength(7.25, 0, 2, false, true).CStr(), "7.25\"");
    EXPECT_STREQ(text.SetLength(0.0, 0, 2, false, true).CStr(), "0\"");
    EXPECT_STREQ(text.SetLength(60.0, 0, 2, false, true).CStr(), "5'-");
    EXPECT_STREQ(text.SetLength(11.999, 0, 2, false, true).CStr(), "1'-") << "split after rounding";
    EXPECT_STREQ(text.SetLength(7.25, 0, 1, false, false).CStr(), "7.3") << "without the flag: a decimal";
}

TEST_F(StringNumbers, FormattedTextRoundTrips) {
    String text;
    for (int value : {0, 1, -1, 9, 10, 99, 100, 65535, -65536, 2147483647}) {
        text.SetInt(value, false);
        EXPECT_EQ(text.TakeInt(), value) << value;
    }
    for (double value : {0.5, -12.125, 3000.75, 0.000001}) {
        text.SetDecimal(value, 0, 6);
        EXPECT_DOUBLE_EQ(text.TakeDecimal(), value) << value;
    }
}

TEST(StringFormat, ExpandsPrintfStyleUpTo1023Characters) {
    String text;
    text.Format("%-8s|%05i|%.2f", "COM1", 42, 2.5);
    EXPECT_STREQ(text.CStr(), "COM1    |00042|2.50");
    text.AppendFormat(" %s", "more");
    EXPECT_STREQ(text.CStr(), "COM1    |00042|2.50 more");
    text.Format("%s and %s", text.CStr(), "self");
    EXPECT_STREQ(text.CStr(), "COM1    |00042|2.50 more and self") << "the own text may be an argument";

    text.Format("%2000s", "x");
    EXPECT_EQ(text.Length(), 1023) << "longer expansions are cut";
    text.Format(nullptr);
    EXPECT_TRUE(text.IsEmpty());
}
