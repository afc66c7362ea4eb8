#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>

#include "analysis/report_format.h"
#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "tests/analysis/log_builder.h"
#include "tests/support/temp_dir.h"

namespace u_tavo300 {
namespace {

using namespace tavo::test;

class Report : public ::testing::Test {
protected:
    void SetUp() override {
        cty_utl3::ClearCountryTables();
        std::string file = Lines({"countries", CountryHeader("Japan", "25", "JA"), "  JA;",
                                  CountryHeader("Asiatic Russia", "17", "UA9"), "  UA9;",
                                  CountryHeader("Australia", "30", "VK"), "  VK;",
                                  CountryHeader("United States", "5", "K"), "  K;",
                                  CountryHeader("Germany", "14", "DL"), "  DL;", "end of file"});
        ASSERT_EQ(cty_utl3::LoadCountryFile(dir.Write("CQWW.DAT", file)), 0);
    }
    void TearDown() override { cty_utl3::ClearCountryTables(); }

    void Add(int n, std::string_view freq, std::string_view call, std::string_view time = "0000") {
        for (int i = 0; i < n; ++i) qsos += CabrilloQso(freq, "2012-11-24", time, call) + "\r\n";
    }

    // The report of the log built so far.
    std::string Run() {
        std::string log = dir.Write("cq.cbr", CabrilloLog(qsos));
        int format = 0;
        EXPECT_GE(AnalyzeLog(log, format), 0);
        return ReadBytes(ReportFileName(log));
    }

    static std::string Section(const std::string& report, std::string_view from,
                               std::size_t lines) {
        auto start = report.find(from);
        if (start == std::string::npos) return "(missing: " + std::string(from) + ")";
        auto end = start;
        for (std::size_t i = 0; i < lines && end != std::string::npos; ++i)
            end = report.find("\r\n", end) + 2;
        return report.substr(start, end - start);
    }

    TempDir dir;
    std::string qsos;
};

TEST_F(Report, ReproducesTheContinentBreakdownExample) {
    Add(12, "14025", "K1ABC");
    Add(3, "21025", "K1ABC");
    Add(20, "14025", "DL1ABC");
    Add(2, " 1830", "JA1ABC");
    Add(10, " 3525", "JA1ABC");
    Add(35, " 7025", "JA1ABC");
    Add(150, "14025", "JA1ABC");
    Add(60, "21025", "JA1ABC");
    Add(4, "28025", "JA1ABC");
    Add(8, "14025", "VK2ABC");
    Add(10, "50100", "JA1ABC");  // 16 QSOs outside the six HF columns or without a country
    Add(6, "14025", "QQ1ABC");
    std::string expected = Lines({
        " Band(MHz)      1.9   3.5    7    14    21    28  |  ALL :  -%-",
        "----------------------------------------------------------------",
        "North America|   -     -     -    12     3     -  |   15 :  4.7%",
        "South America|   -     -     -     -     -     -  |    0 :  0.0%",
        "  Europe     |   -     -     -    20     -     -  |   20 :  6.3%",
        "  Asia       |   2    10    35   150    60     4  |  261 : 81.6%",
        "  Oceania    |   -     -     -     8     -     -  |    8 :  2.5%",
        "  Africa     |   -     -     -     -     -     -  |    0 :  0.0%",
        "----------------------------------------------------------------",
        "    Sum      |   2    10    35   190    63     4  |  320  ",
    });
    EXPECT_EQ(Section(Run(), " Band(MHz)", 10), expected);
}

TEST_F(Report, ReproducesTheCountryBreakdownExample) {
    Add(2, " 1830", "JA1ABC");
    Add(10, " 3525", "JA1ABC");
    Add(35, " 7025", "JA1ABC");
    Add(140, "14025", "JA1ABC");
    Add(55, "21025", "JA1ABC");
    Add(4, "28025", "JA1ABC");
    Add(2, "50100", "JA1ABC");
    Add(10, "14025", "UA9ABC");
    Add(5, "21025", "UA9ABC");
    Add(8, "14025", "VK2ABC");
    std::string expected = Lines({
        "Px      Country                    1.9   3.5    7    14    21    28     ALL",
        "----------------------------------------------------------------------------",
        "JA   :Japan                     |   2    10    35   140    55     4  |  248",
        "UA9  :Asiatic Russia            |   -     -     -    10     5     -  |   15",
        "VK   :Australia                 |   -     -     -     8     -     -  |    8",
        "-----------------------------------------------------------------------------",
        "   QSOs                         |   2    10    35   158    60     4  |  269",
        "   Country                      |   1     1     1     3     2     1  |    9",
    });
    EXPECT_EQ(Section(Run(), "Px      Country", 8), expected);
}

TEST_F(Report, ASingleEuropeanQsoGivesThisWholeReport) {
    Add(1, "14025", "DL1ABC", "0930");
    std::string dashes(82, '-');
    std::string hours =
        "      9 10 11 12 13 14 15 16 17 18 19 20 21 22 23  0  1  2  3  4  5  6  7  8";
    std::string empty =
        " |  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -|   0";
    std::string block = Lines(
        {hours, dashes, "NA" + empty, "SA" + empty,
         "EU |  1  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -|   1",
         "AS" + empty, "OC" + empty, "AF" + empty, dashes,
         "SUM|  1  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0|   1",
         "            1        1        1        1        1        1        1        1      ", ""});
    std::string expected =
        Lines({"  Tavo / Country + Continent  Ver 3.80 TAVO-PROJECT ",
               "                             logfile=cq.cbr",
               "",
               " Band(MHz)      1.9   3.5    7    14    21    28  |  ALL :  -%-",
               "----------------------------------------------------------------",
               "North America|   -     -     -     -     -     -  |    0 :  0.0%",
               "South America|   -     -     -     -     -     -  |    0 :  0.0%",
               "  Europe     |   -     -     -     1     -     -  |    1 : 100.0%",
               "  Asia       |   -     -     -     -     -     -  |    0 :  0.0%",
               "  Oceania    |   -     -     -     -     -     -  |    0 :  0.0%",
               "  Africa     |   -     -     -     -     -     -  |    0 :  0.0%",
               "----------------------------------------------------------------",
               "    Sum      |   0     0     0     1     0     0  |    1  ",
               "",
               "",
               "Px      Country                    1.9   3.5    7    14    21    28     ALL",
               "----------------------------------------------------------------------------",
               "DL   :Germany                   |   -     -     -     1     -     -  |    1",
               "-----------------------------------------------------------------------------",
               "   QSOs                         |   -     -     -     1     -     -  |    1",
               "   Country                      |   -     -     -     1     -     -  |    1",
               "",
               "",
               "Time Chart / QSO  ALL BAND ",
               "day 1"}) +
        block + "\r\n" + Lines({"Time Chart / QSO ", "day 1", "-- 14 MHz--"}) + block;
    EXPECT_EQ(Run(), expected);
}

TEST_F(Report, HourColumnsStartAtTheFirstQsosHour) {
    Add(1, "14025", "JA1ABC", "2130");
    Add(1, " 7025", "JA1ABC", "2030");
    std::string report = Run();
    EXPECT_NE(report.find("day 1\r\n     21 22 23  0  1  2  3  4  5  6  7  8  9 10 11 12 13 14 15 "
                          "16 17 18 19 20\r\n"),
              std::string::npos);
    EXPECT_NE(
        report.find(
            "AS |  1  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  1|   2"),
        std::string::npos);
    EXPECT_NE(report.find("-- 7  MHz--\r\n"), std::string::npos);
    EXPECT_NE(report.find("-- 14 MHz--\r\n"), std::string::npos);
}

TEST_F(Report, EachChartDayListsOnlyItsOwnBands) {
    qsos += CabrilloQso("14025", "2012-11-24", "1000", "JA1ABC") + "\r\n";
    qsos += CabrilloQso("21025", "2012-11-25", "1000", "JA1ABC") + "\r\n";
    qsos += CabrilloQso("  144", "2012-11-25", "1100", "JA1ABC") + "\r\n";
    std::string report = Run();
    auto perBand = report.find("Time Chart / QSO \r\n");
    ASSERT_NE(perBand, std::string::npos);
    std::string charts = report.substr(perBand);
    auto day2 = charts.find("day 2\r\n");
    ASSERT_NE(day2, std::string::npos);
    EXPECT_NE(charts.find("-- 14 MHz--"), std::string::npos);
    EXPECT_LT(charts.find("-- 14 MHz--"), day2);
    EXPECT_GT(charts.find("-- 21 MHz--"), day2);
    EXPECT_GT(charts.find("-- up MHz--"), day2);
    EXPECT_EQ(charts.find("-- 21 MHz--", day2 + 1), charts.rfind("-- 21 MHz--"));
    EXPECT_NE(report.find("Time Chart / QSO  ALL BAND \r\nday 1\r\n"), std::string::npos);
}

TEST_F(Report, AnHourOfOneHundredQsosWidensEveryColumnOfItsBlock) {
    // 99 in one hour keeps the three-character columns.
    Add(99, "14025", "JA1ABC", "0000");
    Add(1, "14025", "DL1ABC", "0100");
    std::string narrow = Run();
    EXPECT_NE(narrow.find("AS | 99  -  -"), std::string::npos);
    EXPECT_NE(narrow.find("\r\n" + std::string(82, '-') + "\r\n"), std::string::npos);

    Add(1, "14025", "JA1ABC", "0000");
    auto times = [](int n, std::string_view cell) {
        std::string out;
        for (int i = 0; i < n; ++i) out += cell;
        return out;
    };
    const std::string dashes(106, '-');
    const std::string empty = " |" + times(24, "   -") + "|   0";
    const std::string block =
        Lines({"       0   1   2   3   4   5   6   7   8   9  10  11"
               "  12  13  14  15  16  17  18  19  20  21  22  23",
               dashes, "NA" + empty, "SA" + empty, "EU |   -   1" + times(22, "   -") + "|   1",
               "AS | 100" + times(23, "   -") + "| 100", "OC" + empty, "AF" + empty, dashes,
               "SUM| 100   1" + times(22, "   0") + "| 101",
               "    " + times(8, "         101") + "      ", ""});
    std::string wide = Run();
    EXPECT_NE(wide.find("ALL BAND \r\nday 1\r\n" + block), std::string::npos) << wide;
    EXPECT_NE(wide.find("-- 14 MHz--\r\n" + block), std::string::npos);
}

TEST_F(Report, LargeCountsWidenTheirCellsWithoutCutting) {
    Add(10000, "14025", "JA1ABC", "0000");
    std::string report = Run();
    EXPECT_NE(
        report.find("  Asia       |   -     -     -  10000     -     -  | 10000 : 100.0%\r\n"),
        std::string::npos);
    EXPECT_NE(report.find("AS | 10000     -"), std::string::npos);
    EXPECT_NE(report.find("     -|10000\r\n"), std::string::npos);
}

TEST(Share, RoundsHalfUpAtOneDecimal) {
    EXPECT_EQ(Share(20.0 / 320 * 100), " 6.3");
    EXPECT_EQ(Share(1.0 / 16 * 100), " 6.3");
    EXPECT_EQ(Share(0.05), " 0.1");
    EXPECT_EQ(Share(0.04999), " 0.0");
    EXPECT_EQ(Share(100.0), "100.0");
    EXPECT_EQ(Share(0.0), " 0.0");
    EXPECT_EQ(Share(81.5625), "81.6");
    EXPECT_EQ(Share(1.0 / 3 * 100), "33.3");
    EXPECT_EQ(Share(2.0 / 3 * 100), "66.7");
    EXPECT_EQ(Share(1e-9), " 0.0");
}

#ifndef _WIN32
TEST(Share, UsesTheDecimalSeparatorOfTheUsersLocale) {
    // Build a German locale of our own, so the test does not depend on which
    // locales the machine has generated.
    TempDir dir;
    std::string cmd =
        "localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE here";
    setenv("LOCPATH", dir.Path().c_str(), 1);
    const char* set = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    std::string share = Share(6.25);
    std::setlocale(LC_NUMERIC, "C");
    unsetenv("LOCPATH");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(share, " 6,3");
    EXPECT_EQ(Share(6.25), " 6.3");
}
#endif

// The buffer hands its lines on in pieces: what comes out is the same text,
// across its flushes and past its size, as the cells written one by one.
TEST(LineWriter, GivesTheSameTextAcrossItsFlushes) {
    TempDir dir;
    std::optional<tavo::TextWriter> file = tavo::TextWriter::Create(dir.File("lines"));
    ASSERT_TRUE(file);
    std::string expected;
    {
        LineWriter out(*file);
        for (long long n : {0LL, 7LL, 99LL, 100LL, -1LL, 123456789012LL}) {
            for (std::size_t width : {0u, 3u, 4u, 15u}) {
                for (int i = 0; i < 40; ++i) {
                    out.Number(n, width);
                    std::string cell = std::to_string(n);
                    expected +=
                        std::string(width > cell.size() ? width - cell.size() : 0, ' ') + cell;
                }
            }
            out.EndLine("|");
            expected += "|\r\n";
        }
        out.Repeat('-', 9000);
        expected += std::string(9000, '-');
        out.Put(std::string(40000, 'x'));
        expected += std::string(40000, 'x');
        out.Put("end");
        expected += "end";
        out.Flush();
    }
    file->Close();
    EXPECT_EQ(ReadBytes(dir.File("lines")), expected);
}

}  // namespace
}  // namespace u_tavo300
