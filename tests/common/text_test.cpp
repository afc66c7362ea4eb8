#include "common/text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "common/short_string.h"

namespace tavo {
namespace {

TEST(Trim, RemovesBlanksAndControlCharactersUpToCode32AtBothEnds) {
    EXPECT_EQ(Trim(std::string_view("\t \x01JA1 X\r\n ", 11)), "JA1 X");
    EXPECT_EQ(Trim(std::string_view("\0\0", 2)), "");
    EXPECT_EQ(Trim("   "), "");
    // Bytes above 127 are text of the system code page, never trimmed.
    EXPECT_EQ(Trim("\x82\xa0 "), "\x82\xa0");
}

TEST(UpperAscii, ChangesOnlyTheLettersAToZ) {
    EXPECT_EQ(UpperAscii("ja1abc/p \xe0\xfa"), "JA1ABC/P \xe0\xfa");
    EXPECT_TRUE(SameTextAscii("End of File", "END OF FILE"));
    EXPECT_FALSE(SameTextAscii("\xe0", "\xc0"));
    EXPECT_FALSE(SameTextAscii("abc", "abcd"));
}

TEST(Cut, ClipsAtTheLineEndAndStartsAtColumnOneForLowStarts) {
    EXPECT_EQ(Cut("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Cut("abcdef", 5, 10), "ef");
    EXPECT_EQ(Cut("abcdef", 7, 2), "");
    EXPECT_EQ(Cut("abcdef", -1, 4), "abcd");
    EXPECT_EQ(Cut("abcdef", 0, 2), "ab");
    EXPECT_EQ(Cut("abcdef", 2, 0), "");
    EXPECT_EQ(Cut("abcdef", 2, -3), "");
    EXPECT_EQ(Cut("", 1, 3), "");
}

TEST(ParseInt32, ReadsSignedDecimalAndPrefixedHexadecimal) {
    EXPECT_EQ(ParseInt32("7"), 7);
    EXPECT_EQ(ParseInt32("07"), 7);
    EXPECT_EQ(ParseInt32("+12"), 12);
    EXPECT_EQ(ParseInt32("-1"), -1);
    EXPECT_EQ(ParseInt32("$1F"), 31);
    EXPECT_EQ(ParseInt32("x1f"), 31);
    EXPECT_EQ(ParseInt32("X10"), 16);
    EXPECT_EQ(ParseInt32("0x10"), 16);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
}

TEST(ParseInt32, RefusesAnythingThatIsNotWhollyANumber) {
    for (const char* bad : {"", " 7", "7 ", "1a", "--1", "+-1", "-", "$", "0x", "$-1", "1.5",
                            "2147483648", "-2147483649", "$80000000", "99999999999999999999"}) {
        EXPECT_FALSE(ParseInt32(bad).has_value()) << '"' << bad << '"';
    }
}

TEST(Padding, AlignsWithoutEverCutting) {
    EXPECT_EQ(PadLeft("12", 4), "  12");
    EXPECT_EQ(PadLeft("12345", 4), "12345");
    EXPECT_EQ(PadRight("JA", 5), "JA   ");
    EXPECT_EQ(PadRight("Sov Mil Order of Malta XYZ", 5), "Sov Mil Order of Malta XYZ");
    EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
}

// The widths of the report's columns rest on it: at every power of ten and at
// both ends of the range, the digits of the number's text.
TEST(DigitCount, CountsTheDigitsOfTheNumbersText) {
    std::vector<long long> values{0, std::numeric_limits<long long>::min(),
                                  std::numeric_limits<long long>::max()};
    for (long long p = 1; p <= std::numeric_limits<long long>::max() / 10; p *= 10) {
        for (long long v : {p - 1, p, 10 * p - 1}) {
            values.push_back(v);
            values.push_back(-v);
        }
    }
    for (long long v : values) {
        const std::string text = IntToStr(v);
        EXPECT_EQ(DigitCount(v), static_cast<int>(text.size() - (v < 0 ? 1 : 0))) << text;
    }
}

TEST(ShortString, KeepsTheFirstCharactersUpToItsCapacity) {
    ShortString<5> s("ABCDEFG");
    EXPECT_EQ(s.View(), "ABCDE");
    s = "AB ";
    EXPECT_EQ(s.View(), "AB ");
    EXPECT_EQ(s.Length(), 3u);
    EXPECT_EQ(ShortString<5>().View(), "");
}

}  // namespace
}  // namespace tavo
