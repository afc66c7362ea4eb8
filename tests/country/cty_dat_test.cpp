// A cty.dat given as the country data: its entities, prefixes, exact calls and
// overrides, and the errors of a malformed file.
#include "country/cty_dat.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "country/cty_utl3.h"
#include "tests/support/temp_dir.h"

namespace cty_utl3 {
namespace {

using tavo::test::Lines;
using tavo::test::TempDir;

std::string Header(std::string_view name, std::string_view zone, std::string_view continent,
                   std::string_view mainPrefix) {
    std::string line(name);
    line += ":";
    line.resize(26, ' ');
    for (std::string_view f : {zone, std::string_view("27"), continent, std::string_view("43.73"),
                               std::string_view("-7.40"), std::string_view("-1.0"), mainPrefix}) {
        line.append("  ").append(f).append(":");
    }
    return line;
}

std::string Sample(std::string_view eol = "\n") {
    return Lines(
        {Header("Canada", "05", "NA", "VE"), "    VE,VA,VO1(2),=VER20260101,", "    =VE2EM/M;",
         Header("France", "14", "EU", "F"), "    F,TM,TO;", Header("St. Martin", "08", "NA", "FS"),
         "    FS,=TO5T,=to9w(9){SA};", Header("Italy", "15", "EU", "I"),
         "    I,IT9(15)[28]<37.5/-14.0>~-1.0~;", Header("Sicily", "15", "EU", "*IT9"),
         "    IT9,IW9;", Header("United Nations HQ", "05", "NA", "*4U1U"), "    =4U1UN;"},
        eol);
}

class CtyDat : public ::testing::Test {
protected:
    std::string NameOf(const CallResolution& r) const {
        return r.Country > 0 ? std::string(tavo::Trim(db.Country(r.Country).Name.View())) : "-";
    }
    std::string NameOf(std::string_view call) const { return NameOf(db.Resolve(call)); }

    TempDir dir;
    CountryDatabase db;
};

TEST_F(CtyDat, EveryEntityIsACountryInFileOrderWithItsPrefixesAndExactCalls) {
    ASSERT_EQ(db.Load(dir.Write("cty.dat", Sample())), 0);
    EXPECT_EQ(db.Form(), DataForm::CtyDat);
    EXPECT_EQ(db.Version(), "20260101");
    ASSERT_EQ(db.CountryCount(), 6);
    EXPECT_EQ(db.PrefixCount(), 11);
    ASSERT_EQ(db.ExactCount(), 5);
    EXPECT_EQ(db.Country(1).Name.View(), "Canada");
    EXPECT_EQ(db.Country(1).MainPrefix.View(), "VE");
    EXPECT_EQ(db.Country(1).CqZone, 5);
    EXPECT_EQ(db.Country(1).Continent, 1);
    // WAE-only entities stand as countries of their own, without the "*".
    EXPECT_EQ(db.Country(5).MainPrefix.View(), "IT9");
    EXPECT_EQ(db.Country(6).MainPrefix.View(), "4U1U");
    EXPECT_EQ(db.Prefix(3).Prefix.View(), "VO1");
    EXPECT_EQ(db.Prefix(3).CqZone, 2);
    EXPECT_EQ(db.Exact(4).Call, "TO9W");  // upper-cased
    EXPECT_EQ(db.Exact(4).Country, 3);
    EXPECT_EQ(NameOf("IT9ABC"), "Sicily");  // the later of two equal prefixes
    EXPECT_EQ(NameOf("4U1UN"), "United Nations HQ");
    EXPECT_EQ(NameOf("4U1ITU"), "-");
}

TEST_F(CtyDat, CrLfLinesAndBlankLinesLoadAsLfDoes) {
    ASSERT_EQ(db.Load(dir.Write("lf.dat", Sample())), 0);
    CountryDatabase crlf;
    std::string text = Sample("\r\n");
    text.insert(text.find("France"), "\r\n   \r\n");
    ASSERT_EQ(crlf.Load(dir.Write("crlf.dat", "\r\n" + text)), 0);
    ASSERT_EQ(crlf.CountryCount(), db.CountryCount());
    ASSERT_EQ(crlf.PrefixCount(), db.PrefixCount());
    for (int i = 1; i <= db.PrefixCount(); ++i)
        EXPECT_EQ(crlf.Prefix(i).Prefix.View(), db.Prefix(i).Prefix.View());
    EXPECT_EQ(crlf.Version(), "20260101");
    EXPECT_EQ(NameOf(crlf.Resolve("TO5T")), "St. Martin");
}

TEST_F(CtyDat, AnExactCallBeatsEveryPrefixButOnlyAsAWholeCall) {
    ASSERT_EQ(db.Load(dir.Write("cty.dat", Sample())), 0);
    EXPECT_EQ(NameOf("TO5T"), "St. Martin");
    EXPECT_EQ(NameOf("to5t"), "St. Martin");
    EXPECT_EQ(NameOf("TO5T      "), "St. Martin");  // the report's field, blanks after it
    EXPECT_EQ(NameOf("TO5TT"), "France");
    EXPECT_EQ(NameOf("TO5"), "France");
    EXPECT_EQ(NameOf("VE2EM/M"), "Canada");
    EXPECT_EQ(db.CallToCountry("TO5T"), 3);
}

TEST_F(CtyDat, TheMatchedEntryOverridesItsCountrysZoneAndContinent) {
    ASSERT_EQ(db.Load(dir.Write("cty.dat", Sample())), 0);
    auto expect = [&](std::string_view call, int country, int zone, int continent) {
        CallResolution r = db.Resolve(call);
        EXPECT_EQ(r.Country, country) << call;
        EXPECT_EQ(r.CqZone, zone) << call;
        EXPECT_EQ(r.Continent, continent) << call;
    };
    expect("VE3ABC", 1, 5, 1);
    expect("VO1ABC", 1, 2, 1);   // a prefix's own zone
    expect("TO9W", 3, 9, 2);     // an exact call's zone and continent
    expect("TO5T", 3, 8, 1);     // an exact call without overrides
    expect("IT9ABC", 5, 15, 3);  // Sicily's own IT9 has none
    expect("XX1XX", -1, -1, -1);
}

TEST_F(CtyDat, AMalformedFileNamesItsLineAndLeavesTheDatabaseAsItWas) {
    ASSERT_EQ(db.Load(dir.Write("good.dat", Sample())), 0);
    const std::string ok = Header("Monaco", "14", "EU", "3A");
    struct Case {
        std::string cty;
        int line;
        std::string_view problem;
    } cases[] = {
        {Lines({ok, "    3A,3A1;", "Monaco: 14: 27: EU: 43.73: -7.40: -1.0:", "    3A;"}), 3,
         "8 fields"},
        {Lines({ok, "    3A(41);"}), 2, "CQ zone \"41\""},
        {Lines({ok, "    3A(x)[27];"}), 2, "CQ zone \"x\""},
        {Lines({ok, "    =3A1A{EUR};"}), 2, "continent \"EUR\""},
        {Lines({ok, "    3A[27;"}), 2, "no closing \"]\""},
        {Lines({ok, "    3A(14)X[27];"}), 2, "text between"},
        {Lines({ok, "    3A,=;"}), 2, "no prefix before"},
        {Lines({ok, "    3A,=(14)[27];"}), 2, "no prefix before"},
        {Lines({ok, "    3A(1 4)[27] ,3A1;"}), 2, "\"3A(1 4)[27]\" holds a blank"},
        {Lines({ok, "    3A(14,[27];"}), 2, "no closing \")\""},
        {Lines({ok, "    3A(14)[27]~x,3A1;"}), 2, "no closing \"~\""},
        {Lines({ok, "    3A,ABCDEFGHIJKLMNO;"}), 2, "longer than the 14 characters"},
        {Lines({ok, "    3A,"}), 2, "ends inside the prefix list"},
    };
    for (const Case& c : cases) {
        const std::string file = dir.Write("bad.dat", c.cty);
        try {
            db.Load(file);
            ADD_FAILURE() << "loaded: " << c.cty;
        } catch (const CtyFormatError& e) {
            EXPECT_EQ(e.LineNumber(), c.line) << e.what();
            EXPECT_EQ(e.FileName(), file);
            EXPECT_NE(std::string(e.what()).find(c.problem), std::string::npos) << e.what();
        }
        EXPECT_EQ(db.CountryCount(), 6);
        EXPECT_EQ(db.ExactCount(), 5);
        EXPECT_EQ(NameOf("TO5T"), "St. Martin");
    }
}

TEST_F(CtyDat, MoreThanTheTablesHoldIsRefusedYetExactCallsHaveNoLimit) {
    std::string exacts;
    for (int i = 0; i < MaxPrefixes + 10; ++i) exacts += "=K" + tavo::IntToStr(i) + ",";
    ASSERT_EQ(db.Load(dir.Write("exact.dat",
                                Lines({Header("Many", "5", "NA", "K"), "    " + exacts + "K;"}))),
              0);
    EXPECT_EQ(db.ExactCount(), MaxPrefixes + 10);
    EXPECT_EQ(db.PrefixCount(), 1);
    EXPECT_EQ(db.Resolve("K20009").Country, 1);

    std::string prefixes;
    for (int i = 0; i < MaxPrefixes; ++i) prefixes += "K,";
    const std::string file =
        dir.Write("long.dat", Lines({Header("Long", "5", "NA", "K"), "    " + prefixes + "W;"}));
    EXPECT_THROW(db.Load(file), CtyFormatError);
    EXPECT_EQ(db.ExactCount(), MaxPrefixes + 10);
}

TEST_F(CtyDat, TheFormIsToldByTheFirstLineThatIsNotBlank) {
    // A CQWW.DAT title may hold colons; only eight fields each ending in ":" make a header.
    ASSERT_EQ(db.Load(dir.Write("CQWW.DAT",
                                Lines({"Title: made: 2026:", "Japan", "  JA;", "end of file"}))),
              0);
    EXPECT_EQ(db.Form(), DataForm::CqwwDat);
    EXPECT_EQ(db.Version(), "Title: made: 2026:");
    EXPECT_EQ(db.ExactCount(), 0);
    EXPECT_TRUE(
        IsCtyHeaderLine("Sov Mil Order of Malta:   15:  28:  EU:   41.90:   -12.43:    "
                        "-1.0:  1A:"));
    EXPECT_FALSE(IsCtyHeaderLine("a:b:c:d:e:f:g:h:i"));
    EXPECT_FALSE(IsCtyHeaderLine("a:b:c:d:e:f:g:"));
    // A cty.dat loaded over CQWW.DAT, and back: the exact calls go with their form.
    ASSERT_EQ(db.Load(dir.Write("cty.dat", Sample())), 0);
    EXPECT_EQ(db.ExactCount(), 5);
    ASSERT_EQ(db.Load(dir.File("CQWW.DAT")), 0);
    EXPECT_EQ(db.ExactCount(), 0);
    EXPECT_EQ(db.CallToCountry("TO5T"), -1);
}

}  // namespace
}  // namespace cty_utl3
