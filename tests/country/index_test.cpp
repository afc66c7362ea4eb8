// The prefix index against the plain scan it replaces: the scan is kept here
// as the reference, and both must agree on every table and every text.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "common/text.h"
#include "country/cty_utl3.h"
#include "tests/support/temp_dir.h"

namespace cty_utl3 {
namespace {

using tavo::test::TempDir;

// The scan: every record in table order; a longer match wins, an equal one
// replaces the earlier.
int ScanPrefix(const CountryDatabase& db, std::string_view call) {
    int best = -1;
    std::int32_t bestLen = 0;
    for (int i = 1; i <= db.PrefixCount(); ++i) {
        const TPrefixRec& rec = db.Prefix(i);
        if (rec.PrefixLen > static_cast<std::int32_t>(call.size()) || rec.PrefixLen < bestLen)
            continue;
        bool match = true;
        for (std::size_t k = 0; k < rec.Prefix.Length() && match; ++k)
            match = tavo::UpperAscii(call[k]) == tavo::UpperAscii(rec.Prefix.View()[k]);
        if (match) {
            best = rec.Country;
            bestLen = rec.PrefixLen;
        }
    }
    return best;
}

// The suffixes that name a way of operating keep the home call's country.
bool OperatingSuffix(std::string_view part) {
    const std::string p = tavo::UpperAscii(tavo::Trim(part));
    for (const char* s : {"MM", "AM", "QRP", "QRPP", "LH", "JOTA", "YOTA"})
        if (p == s) return true;
    return false;
}

// The exact calls as a list: the last one equal to the trimmed call wins.
int ScanExact(const CountryDatabase& db, std::string_view call) {
    const std::string key = tavo::UpperAscii(tavo::Trim(call));
    int found = -1;
    for (int i = 1; i <= db.ExactCount(); ++i)
        if (db.Exact(i).Call == key) found = db.Exact(i).Country;
    return found;
}

int ScanCallToCountry(const CountryDatabase& db, std::string_view call) {
    if (int exact = ScanExact(db, call); exact >= 0) return exact;
    const auto slash = call.find('/');
    int plain = ScanPrefix(db, call);
    if (slash == std::string_view::npos) return plain;
    const std::size_t pos = slash + 1;
    if (!(call.size() < 2 * pos && call.size() - pos >= 2)) return plain;
    if (OperatingSuffix(call.substr(pos))) return plain;
    std::string swapped = std::string(call.substr(pos)) + "/" + std::string(call.substr(0, slash));
    int s = ScanPrefix(db, swapped);
    return s >= 0 ? s : plain;
}

// Calls from a small alphabet hit many prefixes, case variants and slashes.
std::string RandomText(std::mt19937& rng, std::string_view alphabet, std::size_t maxLen) {
    std::string s(std::uniform_int_distribution<std::size_t>(0, maxLen)(rng), ' ');
    for (char& c : s)
        c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
    return s;
}

void ExpectSameAsScan(const CountryDatabase& db, const std::vector<std::string>& calls) {
    for (const std::string& call : calls) {
        ASSERT_EQ(db.FindPrefix(call), ScanPrefix(db, call)) << "'" << call << "'";
        ASSERT_EQ(db.CallToCountry(call), ScanCallToCountry(db, call)) << "'" << call << "'";
    }
}

std::vector<std::string> RandomCalls(std::mt19937& rng, std::string_view alphabet, int n) {
    std::vector<std::string> calls;
    for (int i = 0; i < n; ++i) calls.push_back(RandomText(rng, alphabet, 16));
    return calls;
}

// A hostile country file: lists of items from a tiny alphabet (case variants,
// duplicates under several countries, empty items, annotations), lists cut
// off by the end of the data, and either capacity end when asked for.
std::string RandomCountryFile(std::mt19937& rng, int countries, int itemsPerCountry) {
    std::string file = "hostile\r\n";
    for (int c = 0; c < countries; ++c) {
        file += "Country                   14   XX    EU\r\n";
        int items = std::uniform_int_distribution<int>(0, itemsPerCountry)(rng);
        std::string line;
        for (int i = 0; i < items; ++i) {
            line += RandomText(rng, "AaBb1/(", 4);
            line += std::uniform_int_distribution<int>(0, 5)(rng) == 0 ? ",\r\n" : ",";
        }
        file += line + ";\r\n";
    }
    if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) file += "AB,ab,\r\n";  // a list cut off
    file += "end of file\r\n";
    return file;
}

TEST(PrefixIndex, AgreesWithTheScanOnGeneratedHostileFiles) {
    std::mt19937 rng(20261209);
    TempDir dir;
    CountryDatabase db;
    for (int round = 0; round < 60; ++round) {
        std::string file =
            RandomCountryFile(rng, std::uniform_int_distribution<int>(1, 40)(rng), 12);
        // Loading into the same database again keeps the records beyond the new counts.
        ASSERT_EQ(db.Load(dir.Write("CQWW.DAT", file)), 0);
        ExpectSameAsScan(db, RandomCalls(rng, "AaBb1/ ", 300));
    }
}

TEST(PrefixIndex, AgreesWithTheScanAtBothCapacityEnds) {
    std::mt19937 rng(7);
    TempDir dir;
    CountryDatabase countries;  // a 501st country ends the data
    ASSERT_EQ(countries.Load(dir.Write("many.DAT", RandomCountryFile(rng, MaxCountries + 5, 3))),
              0);
    EXPECT_EQ(countries.CountryCount(), MaxCountries);
    ExpectSameAsScan(countries, RandomCalls(rng, "AaBb1/", 2000));

    CountryDatabase prefixes;  // the 20001st prefix ends the data
    ASSERT_EQ(prefixes.Load(dir.Write("long.DAT", RandomCountryFile(rng, 400, 120))), 0);
    EXPECT_EQ(prefixes.PrefixCount(), MaxPrefixes);
    ExpectSameAsScan(prefixes, RandomCalls(rng, "AaBb1/", 2000));
}

// Real calls: MASTER.SCP when it lies beside the project, and a fixed set
// of portable, maritime and odd forms always.
std::vector<std::string> RealCalls(int step) {
    std::vector<std::string> calls = {
        "JA1ABC", "W1AW/KH6",  "KH6/W1AW",   "VE3/AB1CD", "OK1MLG/MM", "DL1ABC/P",  "4U1UN",
        "TO5T",   "3D2/R",     "RI1ANZ",     "ZS6ABC",    "ja1abc/1",  "",          "/",
        "A/B",    "OK1MLG/am", "G4ABC/QRPP", "to5t    ",  "3D2AG/P",   "W1AW/LH  ", "K1A/JOTA/P"};
    std::ifstream scp(std::string(TAVO_REALDATA) + "/../countrydata/MASTER.SCP", std::ios::binary);
    int n = 0;
    for (std::string line; std::getline(scp, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Every step-th call keeps the test quick under the sanitizers.
        if (!line.empty() && line[0] != '#' && n++ % step == 0) calls.push_back(line);
    }
    return calls;
}

TEST(PrefixIndex, AgreesWithTheScanOnRealCountryFilesAndCalls) {
    // The scan reads cty.dat's 20,000 exact calls for every call: fewer calls there.
    const std::vector<std::string> calls = RealCalls(7), fewer = RealCalls(41);
    for (std::string file : {std::string(TAVO_SOURCE_DIR) + "/data/CQWW.DAT",
                             std::string(TAVO_REALDATA) + "/cqwwdat/zServer_CQWW.DAT",
                             std::string(TAVO_REALDATA) + "/../countrydata/cty.dat"}) {
        CountryDatabase db;
        if (db.Load(file) != 0) continue;  // the real-data copy may be absent
        ASSERT_GT(db.PrefixCount(), 1000) << file;
        ExpectSameAsScan(db, db.Form() == DataForm::CtyDat ? fewer : calls);
    }
}

// A hostile cty.dat: short prefixes and exact calls from a tiny alphabet,
// repeated under several entities, some with overrides.
std::string RandomCtyFile(std::mt19937& rng, int entities) {
    std::string file;
    for (int e = 0; e < entities; ++e) {
        file += "Entity " + tavo::IntToStr(e) + ": 14: 27: EU: 1.0: 2.0: 0.0: X" +
                tavo::IntToStr(e) + ":\n    ";
        int items = std::uniform_int_distribution<int>(1, 12)(rng);
        for (int i = 0; i < items; ++i) {
            std::string item = RandomText(rng, "AaB1/", 4);
            if (item.empty()) item.push_back('A');
            if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) item.insert(0, 1, '=');
            if (std::uniform_int_distribution<int>(0, 3)(rng) == 0) item += "(5){NA}";
            file += item + (i + 1 < items ? "," : ";\n");
        }
    }
    return file;
}

TEST(PrefixIndex, AgreesWithTheScanOnGeneratedCtyDatFiles) {
    std::mt19937 rng(12);
    TempDir dir;
    CountryDatabase db;
    for (int round = 0; round < 40; ++round) {
        ASSERT_EQ(db.Load(dir.Write("cty.dat", RandomCtyFile(rng, 30))), 0);
        ASSERT_EQ(db.Form(), DataForm::CtyDat);
        ASSERT_GT(db.ExactCount(), 0);
        ExpectSameAsScan(db, RandomCalls(rng, "AaB1/ ", 300));
    }
}

TEST(PrefixIndex, TwoDatabasesLiveSideBySide) {
    TempDir dir;
    CountryDatabase a, b;
    ASSERT_EQ(a.Load(dir.Write("a.DAT", "t\r\nOne\r\nJA;\r\nend of file\r\n")), 0);
    ASSERT_EQ(b.Load(dir.Write("b.DAT", "t\r\nOne\r\nW;\r\nTwo\r\nJA;\r\nend of file\r\n")), 0);
    EXPECT_EQ(a.CallToCountry("JA1ABC"), 1);
    EXPECT_EQ(b.CallToCountry("JA1ABC"), 2);
    EXPECT_EQ(a.CallToCountry("W1AW"), -1);
    a.Clear();
    EXPECT_EQ(a.CountryCount(), 0);
    EXPECT_EQ(a.CallToCountry("JA1ABC"), -1);
    EXPECT_EQ(b.CallToCountry("W1AW"), 1);
}

// A copy owns its tables: it loads more records than it was copied with,
// while the original stays as it was.
TEST(PrefixIndex, ACopyLoadsAgainOnItsOwn) {
    TempDir dir;
    CountryDatabase a;
    ASSERT_EQ(a.Load(dir.Write("a.DAT", "t\r\nOne\r\nJA;\r\nend of file\r\n")), 0);
    CountryDatabase b = a;
    ASSERT_EQ(b.Load(dir.Write("b.DAT", "t\r\nOne\r\nK,W;\r\nTwo\r\nJA,JR;\r\nend of file\r\n")),
              0);
    EXPECT_EQ(b.PrefixCount(), 4);
    EXPECT_EQ(b.CallToCountry("W1AW"), 1);
    EXPECT_EQ(b.CallToCountry("JR1ABC"), 2);
    EXPECT_EQ(a.PrefixCount(), 1);
    EXPECT_EQ(a.CallToCountry("JA1ABC"), 1);
    EXPECT_EQ(a.CallToCountry("W1AW"), -1);
}

// Exact calls of every length the lookup reads in a different way (by bytes,
// by two words, by whole words), of bytes that differ only in their case bit
// ("@" and "`", and two bytes past ASCII), each asked for as it is, in other
// cases and a byte away; each is kept upper-cased in ASCII only.
TEST(PrefixIndex, ExactCallsOfEveryLengthAgreeWithTheScan) {
    std::mt19937 rng(2024);
    TempDir dir;
    CountryDatabase db;
    const std::string alphabet = "Aa1@`\xC1\xE1";
    for (int round = 0; round < 10; ++round) {
        std::string file;
        std::vector<std::string> exacts, calls;
        for (int e = 0; e < 20; ++e) {
            file += "Entity " + tavo::IntToStr(e) + ": 14: 27: EU: 1.0: 2.0: 0.0: X" +
                    tavo::IntToStr(e) + ":\n    X" + tavo::IntToStr(e);
            for (int i = 0; i < 10; ++i) {
                std::string call = RandomText(rng, alphabet, 20) + "Z";
                exacts.push_back(call);
                file += ",=" + call;
            }
            file += ";\n";
        }
        ASSERT_EQ(db.Load(dir.Write("cty.dat", file)), 0);
        ASSERT_EQ(db.ExactCount(), static_cast<int>(exacts.size()));
        for (int i = 1; i <= db.ExactCount(); ++i)
            ASSERT_EQ(db.Exact(i).Call, tavo::UpperAscii(exacts[static_cast<std::size_t>(i - 1)]));
        for (const std::string& call : exacts) {
            calls.push_back(call);
            std::string changed = call;
            for (char& c : changed)
                if (rng() % 2 == 0) c = static_cast<char>(c ^ 0x20);
            calls.push_back(changed);
            calls.push_back(changed.substr(1));
            calls.push_back(call + " ");
        }
        ExpectSameAsScan(db, calls);
    }
}

// Prefixes of digits, letters, "/" and "=" only, and then ones with other
// bytes: both ways of giving the bytes their columns, in the same database.
TEST(PrefixIndex, PrefixesOfAnyBytesAgreeWithTheScan) {
    std::mt19937 rng(22);
    TempDir dir;
    CountryDatabase db;
    for (std::string_view alphabet : {"Ab1/=", "Ab1/#.\xE9", "Ab1/="}) {
        std::string file = "t\r\n";
        for (int c = 0; c < 20; ++c) {
            file += "Country                   14   XX    EU\r\n";
            for (int i = 0; i < 8; ++i) file += RandomText(rng, alphabet, 5) + ",";
            file += RandomText(rng, alphabet, 5) + ";\r\n";
        }
        ASSERT_EQ(db.Load(dir.Write("CQWW.DAT", file + "end of file\r\n")), 0);
        ExpectSameAsScan(db, RandomCalls(rng, std::string(alphabet) + "aB#", 500));
    }
}

}  // namespace
}  // namespace cty_utl3
