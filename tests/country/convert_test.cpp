#include <gtest/gtest.h>

#include "common/text.h"
#include "country/cty_convert.h"
#include "country/cty_utl3.h"
#include "tests/support/temp_dir.h"

namespace cty_convert {
namespace {

using tavo::test::Lines;
using tavo::test::ReadBytes;
using tavo::test::TempDir;

// A cty.dat entity header: "Name: CQ: ITU: Continent: Lat: Lon: UTC: MainPrefix:".
std::string Entity(std::string_view name, std::string_view zone, std::string_view continent,
                   std::string_view mainPrefix) {
    std::string line(name);
    line += ":";
    if (line.size() < 26) line.resize(26, ' ');
    for (std::string_view f : {zone, std::string_view("45"), continent, std::string_view("36.40"),
                               std::string_view("-138.38"), std::string_view("-9.0"), mainPrefix}) {
        line += "  ";
        line += f;
        line += ":";
    }
    return line;
}

class CtyConvert : public ::testing::Test {
protected:
    void SetUp() override { cty_utl3::ClearCountryTables(); }
    void TearDown() override { cty_utl3::ClearCountryTables(); }

    // Converts cty.dat text and returns CQWW.DAT's bytes.
    std::string Convert(std::string_view cty) {
        auto out = tavo::TextWriter::Create(dir.File("CQWW.DAT"));
        result = ConvertCtyFile(dir.Write("cty.dat", cty), *out);
        out->Close();
        return ReadBytes(dir.File("CQWW.DAT"));
    }

    // Converts, then loads the result with the program's own loader.
    void ConvertAndLoad(std::string_view cty) {
        Convert(cty);
        ASSERT_EQ(cty_utl3::LoadCountryFile(dir.File("CQWW.DAT")), 0);
    }

    std::string NameOf(std::string_view call) {
        int i = cty_utl3::CallToCountry(call);
        return i > 0 ? std::string(tavo::Trim(cty_utl3::CountryTable(i).Name.View())) : "-";
    }

    // The first line of the problem raised for `cty`, "" when none is.
    std::string ProblemOf(std::string_view cty, int& line) {
        try {
            Convert(cty);
        } catch (const CtyFormatError& e) {
            line = e.LineNumber();
            return e.what();
        }
        return "";
    }

    TempDir dir;
    std::optional<ConvertResult> result;
};

TEST_F(CtyConvert, WritesTitleHeaderInFixedColumnsPrefixesAndEndOfFile) {
    EXPECT_EQ(
        Convert(Lines({Entity("Japan", "25", "AS", "JA"), "    JA,JE,7J(25)[45];"}, "\n")),
        Lines({"CQWW.DAT converted from cty.dat (no version stamp)",
               "Japan                     25   JA     AS", "  JA,JE,7J(25)[45];", "end of file"}));
    EXPECT_EQ(result->Countries, 1);
    EXPECT_EQ(result->Prefixes, 3);
}

TEST_F(CtyConvert, RightAlignsTheZoneAndCutsNameAndMainPrefixToTheirColumns) {
    ConvertAndLoad(
        Lines({Entity("Pr. Edward & Marion Islands Group", "5", "AF", "ZS8ABC"), "    ZS8;"}));
    EXPECT_NE(
        ReadBytes(dir.File("CQWW.DAT")).find("\r\nPr. Edward & Marion Island 5   ZS8AB  AF\r\n"),
        std::string::npos);
    EXPECT_EQ(cty_utl3::CountryTable(1).Name.View(), "Pr. Edward & Marion Island");
    EXPECT_EQ(cty_utl3::CountryTable(1).CqZone, 5);
    EXPECT_EQ(cty_utl3::CountryTable(1).MainPrefix.View(), "ZS8AB");
    EXPECT_EQ(cty_utl3::CountryTable(1).Continent, 6);  // the text, not zone 5's NA
}

TEST_F(CtyConvert, TitleNamesTheVersionStampAndNoExactCallIsWritten) {
    std::string out = Convert(Lines({Entity("Canada", "5", "NA", "VE"),
                                     "    VE,VA,=VE2EM/M,=VERSION,", "    =VER20230502,VO1;",
                                     Entity("Monaco", "14", "EU", "3A"), "    3A,=3A/4Z5KJ/LH;"}));
    EXPECT_EQ(out, Lines({"CQWW.DAT converted from cty.dat version 20230502",
                          "Canada                     5   VE     NA", "  VE,VA,VO1;",
                          "Monaco                    14   3A     EU", "  3A;", "end of file"}));
    EXPECT_EQ(result->Version, "20230502");
    EXPECT_EQ(result->Prefixes, 4);
}

TEST_F(CtyConvert, WrapsLongListsOverLinesEndingInCommasAndTheLastInASemicolon) {
    std::string items;
    for (int i = 100; i < 160; ++i) items.append("P").append(tavo::IntToStr(i)).append("(5)[8],");
    items.back() = ';';
    ConvertAndLoad(Lines({Entity("Wide", "5", "NA", "P1"), "    " + items}));
    std::string out = ReadBytes(dir.File("CQWW.DAT"));
    std::size_t pos = out.find("NA\r\n") + 4;
    const std::size_t end = out.find("end of file");
    std::string joined;
    int lines = 0;
    for (; pos < end; ++lines) {
        std::size_t eol = out.find("\r\n", pos);
        std::string_view line(out.data() + pos, eol - pos);
        EXPECT_LE(line.size(), 80u) << line;
        EXPECT_EQ(line.substr(0, 2), "  ");
        EXPECT_EQ(line.back(), eol + 2 == end ? ';' : ',') << line;
        joined += line.substr(2);
        pos = eol + 2;
    }
    EXPECT_GT(lines, 1);
    EXPECT_EQ(joined, items);
    ASSERT_EQ(cty_utl3::PrefixCount(), 60);
    EXPECT_EQ(cty_utl3::PrefixTable(1).Prefix.View(), "P100");
    EXPECT_EQ(cty_utl3::PrefixTable(60).Prefix.View(), "P159");
    EXPECT_EQ(cty_utl3::CountryCount(), 1);
}

TEST_F(CtyConvert, AnEntityOfOnlyExactCallsKeepsThemSoItsListIsNeverEmpty) {
    ConvertAndLoad(
        Lines({Entity("Conway Reef", "32", "OC", "3D2/c"), "    =3D20CR,", "    =3D2C(32)[56];",
               Entity("Fiji", "32", "OC", "3D2"), "    3D2,=3D5X;"}));
    EXPECT_NE(ReadBytes(dir.File("CQWW.DAT")).find("\r\n  =3D20CR,=3D2C(32)[56];\r\n"),
              std::string::npos);
    ASSERT_EQ(cty_utl3::CountryCount(), 2);
    for (int i = 1; i <= cty_utl3::PrefixCount(); ++i) {
        EXPECT_GT(cty_utl3::PrefixTable(i).PrefixLen, 0) << i;
    }
    EXPECT_EQ(NameOf("3D2AB"), "Fiji");
    EXPECT_EQ(NameOf("K1ABC"), "-");  // no empty prefix catches it
}

TEST_F(CtyConvert, KeepsWaeOnlyEntitiesWithoutTheirStar) {
    ConvertAndLoad(Lines({Entity("Italy", "15", "EU", "I"), "    I,IT9(15);",
                          Entity("Sicily", "15", "EU", "*IT9"), "    IT9,IW9;"}));
    ASSERT_EQ(cty_utl3::CountryCount(), 2);
    EXPECT_EQ(cty_utl3::CountryTable(2).MainPrefix.View(), "IT9  ");
    EXPECT_EQ(NameOf("IT9ABC"), "Sicily");  // the later of two equal prefixes wins
    EXPECT_EQ(NameOf("I1ABC"), "Italy");
}

TEST_F(CtyConvert, TheLoaderCutsLongAnnotatedItemsYetKeepsTheirWholePrefix) {
    ConvertAndLoad(Lines({Entity("Asiatic Russia", "17", "AS", "UA9"),
                          "    UA9ABCDEFGH(17)[30]<55.0/-83.0>{AS}~-7.0~,",
                          "    ABCDEFGHIJKLMN(18),UA9{AS};"}));
    EXPECT_NE(ReadBytes(dir.File("CQWW.DAT")).find("UA9ABCDEFGH(17)[30]<55.0/-83.0>{AS}~-7.0~,"),
              std::string::npos);
    ASSERT_EQ(cty_utl3::PrefixCount(), 3);
    EXPECT_EQ(cty_utl3::PrefixTable(1).Prefix.View(), "UA9ABCDEFGH");
    EXPECT_EQ(cty_utl3::PrefixTable(2).Prefix.View(), "ABCDEFGHIJKLMN");
    EXPECT_EQ(cty_utl3::PrefixTable(3).Prefix.View(), "UA9");
}

TEST_F(CtyConvert, ConvertedFileResolvesCallsThroughTheLoader) {
    ConvertAndLoad(
        Lines({Entity("United States", "5", "NA", "K"), "    AA,K,N,W;",
               Entity("Hawaii", "31", "OC", "KH6"), "    AH6,KH6,KH7,NH6,WH6;",
               Entity("European Russia", "16", "EU", "UA"), "    R,U;",
               Entity("Asiatic Russia", "17", "AS", "UA9"), "    R8,R9,RA9,UA9,UA0(19)[34];"},
              "\r\n"));
    EXPECT_EQ(cty_utl3::CountryCount(), 4);
    EXPECT_EQ(cty_utl3::PrefixCount(), result->Prefixes);
    EXPECT_EQ(NameOf("W1AW"), "United States");
    EXPECT_EQ(NameOf("KH6ABC"), "Hawaii");
    EXPECT_EQ(NameOf("RA3ABC"), "European Russia");
    EXPECT_EQ(NameOf("UA0ABC"), "Asiatic Russia");
    EXPECT_EQ(NameOf("W1AW/KH6"), "Hawaii");
    EXPECT_EQ(cty_utl3::CountryTable(2).Continent, 5);
}

TEST_F(CtyConvert, ToleratesBlankLinesAndTrailingCommasBeforeTheSemicolon) {
    std::string lf = Convert(Lines({Entity("Monaco", "14", "EU", "3A"), "    3A,", "", "    3A1,;",
                                    "", Entity("Malta", "15", "EU", "9H"), "  9H ;"},
                                   "\n"));
    EXPECT_EQ(lf, Lines({"CQWW.DAT converted from cty.dat (no version stamp)",
                         "Monaco                    14   3A     EU", "  3A,3A1;",
                         "Malta                     15   9H     EU", "  9H;", "end of file"}));
}

TEST_F(CtyConvert, MalformedInputNamesItsLineAndWritesNothing) {
    const std::string ok = Entity("Monaco", "14", "EU", "3A");
    struct Case {
        std::string cty;
        int line;
        std::string_view problem;
    } cases[] = {
        {Lines({"Monaco: 14: 27: EU: 43.73: -7.40: -1.0:", "    3A;"}), 1, "8 fields"},
        {Lines({ok + " extra", "    3A;"}), 1, "text after the 8th field"},
        {Lines({Entity("Monaco", "41", "EU", "3A"), "    3A;"}), 1, "CQ zone \"41\""},
        {Lines({Entity("Monaco", "$E", "EU", "3A"), "    3A;"}), 1, "CQ zone \"$E\""},
        {Lines({Entity("Monaco", "14", "eu", "3A"), "    3A;"}), 1, "continent \"eu\""},
        {Lines({Entity("Monaco", "14", "EU", "*"), "    3A;"}), 1, "main prefix \"*\""},
        {Lines({Entity("End of File Island", "14", "EU", "3A"), "    3A;"}), 1, "end of file"},
        {Lines({ok, "    3A,", ok, "    3A;"}), 3, "has no \";\" before this line"},
        {Lines({ok, "    3A,"}), 2, "ends inside the prefix list of \"Monaco\""},
        {Lines({ok, "    3A,,3B;"}), 2, "empty item"},
        {Lines({ok, "    ,3A;"}), 2, "empty item"},
        {Lines({ok, "    3A; 3B"}), 2, "text after the \";\""},
        {Lines({ok, "    3A,3B 3C;"}), 2, "\"3B 3C\" holds a blank"},
        {Lines({ok, "    3A,(14)[27];"}), 2, "no prefix before its annotations"},
        {Lines({ok, "    3A,ABCDEFGHIJKLMNO(14);"}), 2, "\"ABCDEFGHIJKLMNO\" is longer than"},
        {Lines({ok, "    ;"}), 2, "list of \"Monaco\" is empty"},
        {"\n\n", 2, "no entity"},
    };
    for (const Case& c : cases) {
        int line = 0;
        std::string problem = ProblemOf(c.cty, line);
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem << " / " << c.cty;
        EXPECT_EQ(line, c.line) << c.cty;
        EXPECT_EQ(ReadBytes(dir.File("CQWW.DAT")), "") << c.cty;
    }
    int line = 0;
    EXPECT_EQ(ProblemOf(Lines({ok, "    3A,,3B;"}), line),
              dir.File("cty.dat") + ":2: an empty item in the prefix list");
}

TEST_F(CtyConvert, RefusesMoreThanTheTablesHold) {
    auto ok = [](int i) { return Entity(tavo::IntToStr(i), "14", "EU", "C"); };
    std::string cty;
    for (int i = 1; i <= cty_utl3::MaxCountries; ++i) cty += Lines({ok(i), "    A;"});
    Convert(cty);
    EXPECT_EQ(result->Countries, cty_utl3::MaxCountries);
    int line = 0;
    EXPECT_NE(ProblemOf(cty + Lines({ok(501), "    A;"}), line).find("more than 500 entities"),
              std::string::npos);
    EXPECT_EQ(line, 2 * cty_utl3::MaxCountries + 1);

    std::string list;
    for (int i = 0; i < cty_utl3::MaxPrefixes; ++i) list += "A,";
    list.back() = ';';
    Convert(Lines({ok(1), list}));
    EXPECT_EQ(result->Prefixes, cty_utl3::MaxPrefixes);
    EXPECT_NE(ProblemOf(Lines({ok(1), list, ok(2), "    B;"}), line).find("more than 20000"),
              std::string::npos);
    EXPECT_EQ(line, 4);
}

TEST_F(CtyConvert, AMissingInputGivesNothingAndWritesNothing) {
    auto out = tavo::TextWriter::Create(dir.File("CQWW.DAT"));
    EXPECT_FALSE(ConvertCtyFile(dir.File("no-such-cty.dat"), *out).has_value());
    out->Close();
    EXPECT_EQ(ReadBytes(dir.File("CQWW.DAT")), "");
}

TEST(BundledCountryFile, LoadsAllCountriesAndResolvesWellKnownCalls) {
    cty_utl3::ClearCountryTables();
    ASSERT_EQ(cty_utl3::LoadCountryFile(TAVO_SOURCE_DIR "/data/CQWW.DAT"), 0);
    EXPECT_GT(cty_utl3::CountryCount(), 300);
    EXPECT_LT(cty_utl3::PrefixCount(), 10000);
    for (int i = 1; i <= cty_utl3::PrefixCount(); ++i) {
        ASSERT_GT(cty_utl3::PrefixTable(i).PrefixLen, 0) << "empty prefix at " << i;
    }
    for (int i = 1; i <= cty_utl3::CountryCount(); ++i) {
        EXPECT_GE(cty_utl3::CountryTable(i).CqZone, 1) << i;
        EXPECT_GE(cty_utl3::CountryTable(i).Continent, 1) << i;
    }
    const std::pair<std::string_view, std::string_view> calls[] = {
        {"JA1ABC", "Japan"},
        {"W1AW", "United States of America"},
        {"DL1ABC", "Fed. Rep. of Germany"},
        {"VE3ABC", "Canada"},
        {"KH6ABC", "Hawaii"},
        {"VK2ABC", "Australia"},
        {"UA9ABC", "Asiatic Russia"},
        {"RA3ABC", "European Russia"},
        {"4X4ABC", "Israel"},
        {"ZS6ABC", "South Africa"},
    };
    for (auto [call, name] : calls) {
        int i = cty_utl3::CallToCountry(call);
        ASSERT_GT(i, 0) << call;
        EXPECT_EQ(tavo::Trim(cty_utl3::CountryTable(i).Name.View()), name) << call;
    }
    cty_utl3::ClearCountryTables();
}

}  // namespace
}  // namespace cty_convert
