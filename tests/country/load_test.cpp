#include <gtest/gtest.h>

#include "country/cty_utl3.h"
#include "platform/text_file.h"
#include "tests/support/country_lines.h"
#include "tests/support/temp_dir.h"

namespace cty_utl3 {
namespace {

using tavo::test::Lines;
using tavo::test::TempDir;

using tavo::test::CountryHeader;

class CountryFile : public ::testing::Test {
protected:
    void SetUp() override { ClearCountryTables(); }
    void TearDown() override { ClearCountryTables(); }

    int Load(std::string_view bytes) { return LoadCountryFile(dir.Write("CQWW.DAT", bytes)); }

    std::vector<std::string> PrefixesOf(int country) {
        std::vector<std::string> out;
        for (int i = 1; i <= PrefixCount(); ++i) {
            if (PrefixTable(i).Country == country) out.push_back(PrefixTable(i).Prefix.Str());
        }
        return out;
    }

    TempDir dir;
};

using V = std::vector<std::string>;

TEST_F(CountryFile, AMissingFileGivesMinusOneAndLeavesTheTablesAlone) {
    ASSERT_EQ(Load(Lines({"t", CountryHeader("Japan", "25", "JA"), "JA;", "end of file"})), 0);
    EXPECT_EQ(LoadCountryFile(dir.File("nothing.dat")), -1);
    EXPECT_EQ(CountryCount(), 1);
    EXPECT_EQ(PrefixCount(), 1);
}

TEST_F(CountryFile, ReadsCountriesAndPrefixesInFileOrder) {
    ASSERT_EQ(Load(Lines({"cqww.dat title", CountryHeader("Japan", "25", "JA", "AS"),
                          "  JA,JE,7J(25)[45];", CountryHeader("Hawaii", "31", "KH6"), "  KH6,",
                          "  KH7;", "END OF FILE"})),
              0);
    ASSERT_EQ(CountryCount(), 2);
    EXPECT_EQ(PrefixCount(), 5);
    EXPECT_EQ(CountryTable(1).Name.View(), "Japan                     ");
    EXPECT_EQ(CountryTable(1).MainPrefix.View(), "JA   ");
    EXPECT_EQ(CountryTable(1).CqZone, 25);
    EXPECT_EQ(CountryTable(1).Continent, 4);
    EXPECT_EQ(CountryTable(2).Continent, 5);
    EXPECT_EQ(PrefixesOf(1), (V{"JA", "JE", "7J"}));
    EXPECT_EQ(PrefixesOf(2), (V{"KH6", "KH7"}));
    EXPECT_EQ(PrefixTable(3).PrefixLen, 2);
}

TEST_F(CountryFile, TheTitleLineIsSkippedWhateverItHolds) {
    EXPECT_EQ(
        Load(Lines({"end of file", CountryHeader("Monaco", "14", "3A"), "3A;", "end of file"})), 0);
    EXPECT_EQ(CountryCount(), 1);
    ClearCountryTables();
    EXPECT_EQ(Load("only a title\r\n"), -1);
    EXPECT_EQ(CountryCount(), 0);
    ClearCountryTables();
    EXPECT_EQ(Load(Lines({"title", "end of file"})), -1);
    EXPECT_EQ(CountryCount(), 0);
    EXPECT_EQ(PrefixCount(), 0);
}

TEST_F(CountryFile, AFileThatYieldsNoCountryIsRefusedAsAMissingOneIs) {
    for (std::string_view bytes : {std::string_view(""), std::string_view("\r\n\r\n"),
                                   std::string_view("START-OF-LOG: 3.0\r\nQSO: 14025 CW\r\n")}) {
        ClearCountryTables();
        EXPECT_EQ(Load(bytes), -1) << bytes;
        EXPECT_EQ(CountryCount(), 0);
    }
    // One country is enough.
    EXPECT_EQ(Load(Lines({"t", CountryHeader("Japan", "25", "JA"), "JA;", "end of file"})), 0);
}

TEST_F(CountryFile, EndOfFileMatchesItsFirstElevenCharactersInAnyCase) {
    for (std::string_view end :
         {"END OF FILE", "End of File", "end of file and more", "end of file"}) {
        ClearCountryTables();
        Load(Lines({"t", CountryHeader("A", "14", "A"), "A;", std::string(end),
                    CountryHeader("B", "14", "B"), "B;", "x"}));
        EXPECT_EQ(CountryCount(), 1) << end;
    }
    // With a blank before it, it is an ordinary header line.
    ClearCountryTables();
    Load(Lines({"t", " end of file", "X;", "end of file"}));
    EXPECT_EQ(CountryCount(), 1);
    EXPECT_EQ(CountryTable(1).Name.View(), " end of file");
}

TEST_F(CountryFile, EndOfFileInsideAListLeavesThatCountryUncounted) {
    Load(Lines({"t", CountryHeader("A", "14", "A"), "A;", CountryHeader("B", "14", "B"), "B1,",
                "end of file"}));
    EXPECT_EQ(CountryCount(), 1);
    EXPECT_EQ(PrefixCount(), 2);
    EXPECT_EQ(PrefixTable(2).Country, 2);
    EXPECT_EQ(CountryTable(2).Name.View(), "B                         ");
}

TEST_F(CountryFile, TheLastLineOfTheFileIsNeverUsed) {
    Load(Lines({"t", CountryHeader("A", "14", "A"), "A;", CountryHeader("B", "14", "B"), "B;"}));
    EXPECT_EQ(CountryCount(), 1);
    EXPECT_EQ(PrefixesOf(2), V{});
    ClearCountryTables();
    // Without a final line end the rule is the same.
    Load("t\r\n" + CountryHeader("A", "14", "A") + "\r\nA;");
    EXPECT_EQ(CountryCount(), 0);
    EXPECT_EQ(PrefixCount(), 0);
    ClearCountryTables();
    Load(Lines({"t", CountryHeader("A", "14", "A"), "A;", ""}, "\n"));
    EXPECT_EQ(CountryCount(), 1);
}

TEST_F(CountryFile, CutsPrefixLinesAtCommasBeforeSemicolons) {
    Load(Lines({"t", CountryHeader("A", "14", "A"), "AA,BB,", "CC;",  // a list over two lines
                CountryHeader("B", "14", "B"), "AA,B", "  DD;",  // a single leftover is dropped
                CountryHeader("C", "14", "C"), "AA, BB;",        // items are not trimmed
                CountryHeader("D", "14", "D"), "AA;BB,",         // "," is looked for first
                CountryHeader("E", "14", "E"), "\t,AA,,BB; ",    // leading and double separators
                "end of file"}));
    EXPECT_EQ(CountryCount(), 5);
    EXPECT_EQ(PrefixesOf(1), (V{"AA", "BB", "CC"}));
    EXPECT_EQ(PrefixesOf(2), (V{"AA", "DD"}));
    EXPECT_EQ(PrefixesOf(3), (V{"AA", " BB"}));
    EXPECT_EQ(PrefixesOf(4), (V{"AA;BB"}));
    EXPECT_EQ(PrefixesOf(5), (V{"", "AA", "", "BB"}));
}

TEST_F(CountryFile, EmptyLinesAndLoneSemicolonsStoreEmptyPrefixes) {
    Load(Lines({"t", CountryHeader("A", "14", "A"), "", ";", "", CountryHeader("B", "14", "B"),
                "B;", "end of file"}));
    // The blank line after A's ";" is B's header; B's real header is its first prefix line.
    EXPECT_EQ(CountryCount(), 2);
    EXPECT_EQ(PrefixesOf(1), (V{"", ""}));
    EXPECT_EQ(CountryTable(2).Name.View(), "");
    EXPECT_EQ(CountryTable(2).CqZone, -1);
    EXPECT_EQ(CountryTable(2).Continent, -1);
    // The header text has no separator: the empty first item, the text itself, then "B".
    EXPECT_EQ(PrefixesOf(2).size(), 3u);
    EXPECT_EQ(PrefixesOf(2)[0], "");
    EXPECT_EQ(PrefixTable(PrefixCount()).Prefix.View(), "B");
}

TEST_F(CountryFile, TextWithoutASeparatorIsTheLinesFinalItem) {
    Load(Lines({"t", CountryHeader("A", "14", "A"), "AB", "CD,EF", "GH;IJ", "end of file"}));
    EXPECT_EQ(CountryCount(), 1);
    EXPECT_EQ(PrefixesOf(1), (V{"", "AB", "CD", "EF", "GH", "IJ"}));
}

TEST_F(CountryFile, LongItemsAreCutToFourteenBeforeTheirAnnotationsGo) {
    Load(Lines({"t", CountryHeader("A", "14", "A"),
                "ABCDEFGHIJKLMNOP,ABCDEFGHIJKLM(1),ABCDEFGHIJKLMN(2);", "end of file"}));
    EXPECT_EQ(PrefixesOf(1), (V{"ABCDEFGHIJKLMN", "ABCDEFGHIJKLM", "ABCDEFGHIJKLMN"}));
    EXPECT_EQ(PrefixTable(1).PrefixLen, 14);
}

TEST_F(CountryFile, HeaderFieldsTakeWhatTheLineHolds) {
    Load(Lines({"t", CountryHeader("Far Away Island With A Long Name", "7 ", "VP8Sgx", "EU"), "X;",
                CountryHeader("Short", " 7", "S"), "X;", CountryHeader("Zero", "07", ""), "X;",
                "Tiny  ", "X;", "end of file"}));
    ASSERT_EQ(CountryCount(), 4);
    EXPECT_EQ(CountryTable(1).Name.View(), "Far Away Island With A Lon");
    EXPECT_EQ(CountryTable(1).MainPrefix.View(), "VP8Sg");
    EXPECT_EQ(CountryTable(1).CqZone, 7);
    EXPECT_EQ(CountryTable(1).Continent, 3);  // the text wins over zone 7
    EXPECT_EQ(CountryTable(2).CqZone, 7);
    EXPECT_EQ(CountryTable(2).Continent, 1);  // line shorter than 39: zone decides
    EXPECT_EQ(CountryTable(3).CqZone, 7);
    EXPECT_EQ(CountryTable(4).Name.View(), "Tiny  ");
    EXPECT_EQ(CountryTable(4).MainPrefix.View(), "");
    EXPECT_EQ(CountryTable(4).CqZone, -1);
}

TEST_F(CountryFile, ContinentTextMustBeExactElseTheZoneDecides) {
    EXPECT_EQ(ContinentOf(CountryHeader("x", "25", "x", "EU"), 39, 2, 25), 3);
    EXPECT_EQ(ContinentOf(CountryHeader("x", "25", "x", "eu"), 39, 2, 25), 4);
    EXPECT_EQ(ContinentOf(CountryHeader("x", "40", "x", "na"), 39, 2, 40), 3);
    EXPECT_EQ(ContinentOf(CountryHeader("x", "", "x"), 39, 2, 0), -1);
    EXPECT_EQ(ContinentOf(CountryHeader("x", "", "x"), 39, 2, 41), -1);
    EXPECT_EQ(ContinentOf(CountryHeader("x", "", "x", " *"), 39, 2, 25), 4);
    const int bounds[][2] = {{1, 1},  {8, 1},  {9, 2},  {13, 2}, {14, 3}, {16, 3}, {17, 4},
                             {26, 4}, {27, 5}, {32, 5}, {33, 6}, {39, 6}, {40, 3}, {-1, -1}};
    for (auto [zone, code] : bounds) EXPECT_EQ(ContinentOf("", 39, 2, zone), code) << zone;
}

TEST_F(CountryFile, FieldToIntReadsAFixedColumnField) {
    EXPECT_EQ(FieldToInt("abc 12 def", 4, 4), 12);
    EXPECT_EQ(FieldToInt("abc", 27, 2), -1);
    EXPECT_EQ(FieldToInt("ab-1", 3, 2), -1);
    EXPECT_EQ(FieldToInt("ab$a", 3, 2), 10);
    EXPECT_EQ(FieldToInt("ab1x", 3, 2), -1);
}

TEST_F(CountryFile, StripPrefixDropsAnnotationsThatDoNotStartTheItem) {
    EXPECT_EQ(StripPrefix("UA9(17)[30]"), "UA9");
    EXPECT_EQ(StripPrefix("AB<1>{2}"), "AB");
    EXPECT_EQ(StripPrefix("A~B(C)"), "A");
    EXPECT_EQ(StripPrefix("(X)"), "(X)");
    EXPECT_EQ(StripPrefix("[X](1)"), "[X]");
    EXPECT_EQ(StripPrefix(""), "");
}

TEST_F(CountryFile, ContinentNamesAreThirteenCharacters) {
    EXPECT_EQ(ContinentName(1), "North America");
    EXPECT_EQ(ContinentName(3), "  Europe     ");
    EXPECT_EQ(ContinentName(5), "  Oceania    ");
    for (int code = 1; code <= 6; ++code) EXPECT_EQ(ContinentName(code).size(), 13u);
    EXPECT_EQ(ContinentAbbr(6), "AF");
    EXPECT_EQ(ContinentAbbr(0), "");
    EXPECT_EQ(ContinentName(7), "");
    EXPECT_EQ(ContinentName(-1), "");
}

TEST_F(CountryFile, TheFiveHundredthCountryIsTheLastThatFits) {
    std::string file = "title\r\n";
    for (int i = 1; i <= 502; ++i)
        file += Lines({CountryHeader(std::string("C").append(std::to_string(i)), "14", "C"), "P;"});
    file += "end of file\r\n";
    EXPECT_EQ(Load(file), 0);
    EXPECT_EQ(CountryCount(), MaxCountries);
    EXPECT_EQ(PrefixCount(), MaxCountries);
    EXPECT_EQ(CountryTable(MaxCountries).Name.View().substr(0, 4), "C500");
}

TEST_F(CountryFile, TheTwentyThousandthPrefixIsTheLastThatFits) {
    std::string list;
    for (int i = 0; i < 10000; ++i) list += "P,";
    std::string file = Lines({"t", CountryHeader("A", "14", "A"), list, list + ";",
                              CountryHeader("B", "14", "B"), "Q;", "end of file"});
    EXPECT_EQ(Load(file), 0);
    // A's 20000 items all fit; B's first one would be the 20001st and ends the data.
    EXPECT_EQ(PrefixCount(), MaxPrefixes);
    EXPECT_EQ(CountryCount(), 1);
    EXPECT_EQ(PrefixTable(MaxPrefixes).Country, 1);
}

#ifdef __linux__
TEST_F(CountryFile, AReadErrorAfterTheOpenIsRaisedWithTheFileName) {
    // The lowest page of our own memory is never mapped: reading it fails.
    EXPECT_THROW(LoadCountryFile("/proc/self/mem"), tavo::IoError);
    EXPECT_EQ(CountryCount(), 0);
}
#endif

TEST_F(CountryFile, LoadsTheRealZServerFileIntoAllItsCountries) {
    std::string real = std::string(TAVO_REALDATA) + "/cqwwdat/zServer_CQWW.DAT";
    if (!tavo::FileExists(real)) GTEST_SKIP() << "real data not present";
    ASSERT_EQ(LoadCountryFile(real), 0);
    EXPECT_EQ(CountryCount(), 336);
    EXPECT_EQ(CountryTable(1).Name.View(), "Sov Mil Order of Malta    ");
    EXPECT_EQ(CountryTable(1).MainPrefix.View(), "1A0  ");
    EXPECT_EQ(CountryTable(1).CqZone, 15);
    EXPECT_EQ(CountryTable(1).Continent, 3);
}

}  // namespace
}  // namespace cty_utl3
