#include <gtest/gtest.h>

#include "country/cty_utl3.h"
#include "tests/support/temp_dir.h"

namespace cty_utl3 {
namespace {

using tavo::test::TempDir;

// One country per list, numbered in file order from 1.
class Resolve : public ::testing::Test {
protected:
    void SetUp() override { ClearCountryTables(); }
    void TearDown() override { ClearCountryTables(); }

    void Load(std::initializer_list<std::string_view> lists) {
        std::string file = "title\r\n";
        int n = 0;
        for (std::string_view list : lists) {
            file += "Country " + std::to_string(++n) + "\r\n";
            file += list;
            file += "\r\n";
        }
        file += "end of file\r\n";
        ASSERT_EQ(LoadCountryFile(dir.Write("CQWW.DAT", file)), 0);
    }

    TempDir dir;
};

TEST_F(Resolve, TheLongestMatchingPrefixWins) {
    Load({"K;", "KH6;"});
    EXPECT_EQ(CallToCountry("KH6ABC"), 2);
    EXPECT_EQ(CallToCountry("KH7ABC"), 1);
    EXPECT_EQ(CallToCountry("kh6abc"), 2);
    EXPECT_EQ(CallToCountry("JA1ABC"), -1);
    EXPECT_EQ(CallToCountry(" KH6ABC"), -1);
}

TEST_F(Resolve, APrefixLongerThanTheCallNeverMatches) {
    Load({"KH6;"});
    EXPECT_EQ(FindPrefix("KH"), -1);
    EXPECT_EQ(FindPrefix("KH6"), 1);
}

TEST_F(Resolve, OfEqualPrefixesTheLaterOneWins) {
    Load({"A;", "B;", "C;", "D;", "JA;", "E;", "F;", "G;", "JA;"});
    EXPECT_EQ(CallToCountry("JA1XYZ"), 9);
}

TEST_F(Resolve, AnEmptyPrefixCatchesOnlyWhatNothingElseMatches) {
    Load({"A;", ";", "JA;", ";"});
    EXPECT_EQ(CallToCountry("ZZ9ZZ"), 4);
    EXPECT_EQ(CallToCountry(""), 4);
    EXPECT_EQ(CallToCountry("JA1"), 3);
}

TEST_F(Resolve, PortableCallsTryTheSwappedFormFirst) {
    Load({"AB;", "VE;", "VE3/AB1CD;", "KH6;", "XYZ;"});
    EXPECT_EQ(CallToCountry("AB1CD/VE3"), 3);    // "VE3/AB1CD" matches
    EXPECT_EQ(CallToCountry("AB1CE/VE3"), 2);    // "VE3/AB1CE" by "VE"
    EXPECT_EQ(CallToCountry("VE3/AB1CD"), 3);    // part after "/" is longer: plain
    EXPECT_EQ(CallToCountry("AB1CD/7"), 1);      // one character after "/": plain
    EXPECT_EQ(CallToCountry("AB1/XYZ"), 5);      // equal parts swap
    EXPECT_EQ(CallToCountry("AB1CD/KH6/P"), 4);  // candidate "KH6/P/AB1CD"
    EXPECT_EQ(CallToCountry("/AB"), -1);
}

TEST_F(Resolve, ASwappedFormThatMatchesNothingFallsBackToThePlainMatch) {
    Load({"AB;", "VE;"});
    EXPECT_EQ(CallToCountry("AB1CD/QQ9"), 1);
    EXPECT_EQ(CallToCountry("QQ1CD/QQ9"), -1);
}

TEST_F(Resolve, TrailingBlanksCountTowardTheSlashRule) {
    Load({"AB;", "VE;", "KH6;"});
    EXPECT_EQ(CallToCountry("AB1C/VE3"), 2);
    EXPECT_EQ(CallToCountry("AB1C/VE3  "), 1);  // 10 is not less than 10
    EXPECT_EQ(CallToCountry("AB1CD/KH6 "), 3);  // candidate "KH6 /AB1CD"
}

TEST_F(Resolve, OperatingSuffixesKeepTheHomeCallsCountry) {
    Load({"OK;", "MM;", "AM;", "LH;", "JOTA;", "YOTA;", "QRP;", "DL;"});
    for (std::string_view call :
         {"OK1MLG/MM", "OK1MLG/AM", "OK1MLG/LH", "OK1MLG/JOTA", "OK1MLG/YOTA", "OK1MLG/QRP",
          "OK1MLG/QRPP", "ok1mlg/mm", "OK1MLG/Jota", "OK1MLG/MM   "})
        EXPECT_EQ(CallToCountry(call), 1) << "'" << call << "'";
    // Any other part after the "/" still swaps, even one that starts like a suffix.
    EXPECT_EQ(CallToCountry("OK1MLG/MM1"), 2);
    EXPECT_EQ(CallToCountry("OK1MLG/MM/P"), 2);
    EXPECT_EQ(CallToCountry("OK1MLG/DL"), 8);
    EXPECT_TRUE(IsOperatingSuffix(" qrpp "));
    EXPECT_FALSE(IsOperatingSuffix("QRPPP"));
    EXPECT_FALSE(IsOperatingSuffix("M"));
}

TEST_F(Resolve, CqwwDatEntriesCarryNoOverridesSoTheCountryDecides) {
    Load({"JA;", "UA9,UA0(19)[34];"});
    CallResolution r = cty_utl3::Resolve("UA0ABC");
    EXPECT_EQ(r.Country, 2);
    EXPECT_EQ(r.CqZone, CountryTable(2).CqZone);
    EXPECT_EQ(r.Continent, CountryTable(2).Continent);
    EXPECT_EQ(PrefixTable(3).CqZone, 0);
    EXPECT_EQ(cty_utl3::Resolve("XX1").Country, -1);
}

TEST_F(Resolve, PrefixesOfAListCutOffByTheEndOfTheDataStillResolve) {
    ASSERT_EQ(LoadCountryFile(dir.Write("CQWW.DAT", "t\r\nA\r\nA;\r\nB\r\nB,\r\nend of file\r\n")),
              0);
    EXPECT_EQ(CountryCount(), 1);
    EXPECT_EQ(CallToCountry("B1"), 2);
}

TEST_F(Resolve, NothingResolvesBeforeAFileIsLoaded) {
    EXPECT_EQ(CallToCountry("JA1ABC"), -1);
    EXPECT_EQ(CallToCountry(""), -1);
}

}  // namespace
}  // namespace cty_utl3
