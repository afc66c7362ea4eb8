#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "tests/analysis/log_builder.h"
#include "tests/support/temp_dir.h"

namespace u_tavo300 {
namespace {

using namespace tavo::test;

enum Country { kJapan = 1, kAsiaticRussia, kAustralia, kUnitedStates, kGermany, kHawaii, kNowhere };

// A country file of seven countries; the last has no zone and so no continent.
std::string TestCountryFile() {
    return Lines({"test country file", CountryHeader("Japan", "25", "JA"), "  JA,JE;",
                  CountryHeader("Asiatic Russia", "17", "UA9"), "  UA9,UA0;",
                  CountryHeader("Australia", "30", "VK"), "  VK;",
                  CountryHeader("United States", "5", "K"), "  K,W;",
                  CountryHeader("Germany", "14", "DL"), "  DL;",
                  CountryHeader("Hawaii", "31", "KH6"), "  KH6;",
                  CountryHeader("Nowhere", "", "XX"), "  XX;", "end of file"});
}

class Analyze : public ::testing::Test {
protected:
    void SetUp() override {
        cty_utl3::ClearCountryTables();
        tv_util2::ClearHeaderLine();
        ASSERT_EQ(cty_utl3::LoadCountryFile(dir.Write("CQWW.DAT", TestCountryFile())), 0);
    }
    void TearDown() override { cty_utl3::ClearCountryTables(); }

    // Runs the pass on a Cabrillo log made of `qsos`; returns the count.
    int RunCabrillo(const std::string& qsos, const std::string& name = "cq.cbr") {
        log = dir.Write(name, CabrilloLog(qsos));
        return AnalyzeLog(log, format);
    }
    std::string Report() const { return ReadBytes(ReportFileName(log)); }

    TempDir dir;
    std::string log;
    int format = 0;
};

std::string Repeat(int n, const std::string& line) {
    std::string out;
    for (int i = 0; i < n; ++i) out += line + "\r\n";
    return out;
}

std::string Qso(std::string_view freq, std::string_view call, std::string_view time = "1200",
                std::string_view date = "2012-11-24") {
    return CabrilloQso(freq, date, time, call);
}

TEST_F(Analyze, TheSameCallTwiceOnOneBandCountsTwice) {
    EXPECT_EQ(RunCabrillo(Repeat(2, Qso("14025", "JA1ABC"))), 2);
    EXPECT_EQ(format, tv_util2::FormatCabrillo);
    EXPECT_EQ(CountryTally(3, kJapan), 2);
    EXPECT_EQ(ContinentTally(3, 4), 2);
    EXPECT_EQ(CountryTotal(kJapan), 2);
    EXPECT_EQ(TimeTally(1, 12, 3, kJapan), 2);
}

TEST_F(Analyze, OnlyQsoLinesAfterTheFirstLineCount) {
    std::string text = Qso("14025", "JA1ABC") + "\r\nSTART-OF-LOG: 3.0\r\n" +
                       Qso("14025", "JA1ABC") +
                       "\r\nX-QSO: 14025\r\nQTC: 14025\r\nqso:  7025 CW 2012-11-24 1300 JA1ZLO     "
                       "   599 25     DL1ABC        599 14\r\n";
    log = dir.Write("first.cbr", text);
    EXPECT_EQ(AnalyzeLog(log, format), 2);  // the first line is never a QSO, even a well-formed one
    EXPECT_EQ(CountryTally(2, kGermany), 1);
}

TEST_F(Analyze, UnknownCallsAreWorkedStationsWithoutAContinent) {
    EXPECT_EQ(RunCabrillo(Qso("14025", "QQ1ABC") + "\r\n" + Qso("14025", "XX1ABC") + "\r\n"), 2);
    EXPECT_EQ(CountryTally(3, 0), 1);
    EXPECT_EQ(CountryTotal(0), 1);
    EXPECT_EQ(CountryTotal(kNowhere), 1);
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(ContinentTally(3, k), 0);
    std::string report = Report();
    EXPECT_NE(
        report.find("XX   :Nowhere                   |   -     -     -     1     -     -  |    1"),
        std::string::npos);
    // Neither the unknown bucket nor a country without a continent has a chart cell.
    EXPECT_NE(report.find("SUM|  0  0  0"), std::string::npos);
}

TEST_F(Analyze, PortableCallsAreTrimmedBeforeTheyAreResolved) {
    RunCabrillo(Qso("14025", "W1AW/KH6") + "\r\n" + Qso("14025", "AB1C/VE3") + "\r\n");
    EXPECT_EQ(CountryTally(3, kHawaii), 1);
    EXPECT_EQ(CountryTotal(kUnitedStates), 0);
    EXPECT_EQ(CountryTally(3, 0), 1);  // "VE3/AB1C" and "AB1C/VE3" are both unknown here
}

TEST_F(Analyze, ASecondPassStartsFromEmptyTables) {
    RunCabrillo(Repeat(3, Qso(" 1830", "JA1ABC")));
    EXPECT_EQ(CountryTally(0, kJapan), 3);
    EXPECT_EQ(RunCabrillo(Qso("21025", "DL1ABC") + "\r\n", "other.cbr"), 1);
    EXPECT_EQ(CountryTally(0, kJapan), 0);
    EXPECT_EQ(ContinentTally(0, 4), 0);
    EXPECT_EQ(CountryTotal(kJapan), 0);
    EXPECT_EQ(Report().find("JA   :"), std::string::npos);
}

TEST_F(Analyze, APassReusedAfterAThreeDayLogHoldsWhatAFreshPassHolds) {
    std::string threeDays, oneDay;
    for (const char* date : {"2012-11-01", "2012-11-02", "2012-11-03"})
        threeDays += Qso("14025", "JA1ABC", "1000", date) + "\r\n" +
                     Qso(" 7025", "DL1ABC", "2300", date) + "\r\n";
    oneDay = Qso("21025", "VK2ABC", "0500", "2012-12-01") + "\r\n";
    std::string longer = dir.Write("three.cbr", CabrilloLog(threeDays));
    std::string shorter = dir.Write("one.cbr", CabrilloLog(oneDay));
    cty_utl3::CountryDatabase db;
    ASSERT_EQ(db.Load(dir.Write("OWN.DAT", TestCountryFile())), 0);
    LogPass reused, fresh;
    OutputBesideLog sink(TextReport);
    int f = 0;
    ASSERT_EQ(AnalyzeLog(db, reused, longer, f, sink), 6);
    ASSERT_EQ(reused.ChartDay(), 3);
    ASSERT_EQ(AnalyzeLog(db, reused, shorter, f, sink), 1);
    const std::string reusedReport = ReadBytes(ReportFileName(shorter));
    ASSERT_EQ(AnalyzeLog(db, fresh, shorter, f, sink), 1);
    EXPECT_EQ(ReadBytes(ReportFileName(shorter)), reusedReport);
    for (int day = 1; day <= ChartDays; ++day)
        for (int hour = 0; hour < Hours; ++hour)
            for (int band = 0; band < Bands; ++band) {
                for (int country = 0; country < CountrySlots; ++country)
                    ASSERT_EQ(reused.TimeTally(day, hour, band, country),
                              fresh.TimeTally(day, hour, band, country));
                for (int continent = 1; continent <= Continents; ++continent)
                    ASSERT_EQ(reused.ChartHours(day, hour, band, continent),
                              fresh.ChartHours(day, hour, band, continent));
            }
    EXPECT_EQ(reused.TimeTally(1, 5, 4, kAustralia), 1);
}

TEST_F(Analyze, ChartDaysBeginAtTheHourOfTheFirstQso) {
    RunCabrillo(Qso("14025", "JA1ABC", "1347", "2012-11-01") + "\r\n" +
                Qso("14025", "JA1ABC", "1259", "2012-11-02") + "\r\n" +
                Qso("14025", "JA1ABC", "1300", "2012-11-02") + "\r\n" +
                Qso("14025", "JA1ABC", "1259", "2012-11-03") + "\r\n" +
                Qso("14025", "JA1ABC", "1300", "2012-11-03") + "\r\n");
    EXPECT_EQ(FirstHour(), 13);
    EXPECT_EQ(TimeTally(1, 12, 3, kJapan), 1);
    EXPECT_EQ(TimeTally(2, 13, 3, kJapan), 1);
    EXPECT_EQ(TimeTally(2, 12, 3, kJapan), 1);
    EXPECT_EQ(TimeTally(3, 13, 3, kJapan), 1);
    EXPECT_EQ(ChartDay(), 3);
}

TEST_F(Analyze, AGapOfThirtyHoursAdvancesTheChartDayByOne) {
    RunCabrillo(Qso("14025", "JA1ABC", "0000", "2012-11-01") + "\r\n" +
                Qso("14025", "JA1ABC", "0600", "2012-11-02") + "\r\n");
    EXPECT_EQ(ChartDay(), 2);
    EXPECT_EQ(TimeTally(2, 6, 3, kJapan), 1);
}

TEST_F(Analyze, AQsoWithinADayOfTheFirstStaysOnChartDayOne) {
    RunCabrillo(Qso("14025", "JA1ABC", "0000", "2012-11-01") + "\r\n" +
                Qso("14025", "JA1ABC", "2359", "2012-11-01") + "\r\n");
    EXPECT_EQ(ChartDay(), 1);
}

TEST_F(Analyze, AMonthEndDoesNotMergeTwoDays) {
    RunCabrillo(Qso("14025", "JA1ABC", "2300", "2012-10-31") + "\r\n" +
                Qso("14025", "JA1ABC", "0100", "2012-11-01") + "\r\n" +
                Qso("14025", "JA1ABC", "2300", "2012-11-01") + "\r\n");
    EXPECT_EQ(ChartDay(), 2);
    EXPECT_EQ(TimeTally(1, 1, 3, kJapan), 1);
    EXPECT_EQ(TimeTally(2, 23, 3, kJapan), 1);
    EXPECT_EQ(StartStamp() % 24, 23);
}

TEST_F(Analyze, WithoutARealDateTheDayOfTheMonthDecides) {
    // A month in the date field that cannot be a month: the day field alone gives the stamp.
    RunCabrillo(Qso("14025", "JA1ABC", "1300", "2012-13-31") + "\r\n" +
                Qso("14025", "JA1ABC", "1200", "2012-13-01") + "\r\n" +
                Qso("14025", "JA1ABC", "1300", "2012-13-01") + "\r\n");
    EXPECT_EQ(StartStamp(), 31 * 24 + 13);
    EXPECT_EQ(ChartDay(), 1);  // the stamp fell back at the month change
    EXPECT_EQ(TimeTally(1, 13, 3, kJapan), 2);
}

TEST_F(Analyze, AFourthDayCountsAsAStationButHasNoCell) {
    std::string qsos;
    for (const char* date : {"2012-11-01", "2012-11-02", "2012-11-03", "2012-11-04"}) {
        qsos += Qso("14025", "JA1ABC", "1000", date) + "\r\n";
    }
    EXPECT_EQ(RunCabrillo(qsos), 4);
    EXPECT_EQ(ChartDay(), 3);
    EXPECT_EQ(CountryTotal(kJapan), 3);
}

TEST_F(Analyze, LinesWithoutAnHourCountAsStationsOnly) {
    std::string all = Lines({"zLog for Windows ", "", AllQso("2017/06/04", "xx:00", "JA1ABC", "14"),
                             AllQso("2017/06/04", "21:05", "JA1ABC", "14"),
                             AllQso("2017/06/04", "24:00", "JA1ABC", "14"),
                             AllQso("2017/06/05", "20:59", "DL1ABC", "7")});
    log = dir.Write("cq.ALL", all);
    EXPECT_EQ(AnalyzeLog(log, format), 5);
    EXPECT_EQ(format, tv_util2::FormatZLogAll);
    // The first lines have no hour, so the first one with an hour anchors the charts.
    EXPECT_EQ(FirstHour(), 21);
    EXPECT_EQ(ChartDay(), 1);
    EXPECT_EQ(TimeTally(1, 21, 3, kJapan), 1);
    EXPECT_EQ(TimeTally(1, 20, 2, kGermany), 1);
    EXPECT_EQ(CountryTotal(kJapan), 1);
    EXPECT_NE(Report().find("    Sum      |   0     0     1     1     0     0  |    5  \r\n"),
              std::string::npos);
}

TEST_F(Analyze, ACtrlZWhereALineBeginsEndsTheLog) {
    log = dir.Write("cq.cbr", CabrilloLog(Qso("14025", "JA1ABC") + "\r\n\x1a\r\n" +
                                          Qso("14025", "JA1ABC") + "\r\n"));
    EXPECT_EQ(AnalyzeLog(log, format), 1);
}

TEST_F(Analyze, ALogWithoutQsosGivesAReportOfEmptyTables) {
    EXPECT_EQ(RunCabrillo(""), 0);
    EXPECT_EQ(ChartDay(), 0);
    std::string report = Report();
    EXPECT_NE(report.find("  Asia       |   -     -     -     -     -     -  |    0 :  0.0%\r\n"),
              std::string::npos);
    EXPECT_TRUE(
        report.ends_with("\r\n\r\nTime Chart / QSO  ALL BAND \r\n\r\nTime Chart / QSO \r\n"));
}

TEST_F(Analyze, ATxtListIsRefusedAndItsReportLeftAlone) {
    log = dir.Write(
        "cq.TXT",
        Lines({"mon day time  callsign      sent         rcvd      multi   MHz mode pts memo",
               "  6   4 0900 QP3GES     599          59926                  14  CW  1"}));
    std::string earlier = dir.Write("cq.tavo", "earlier report");
    EXPECT_EQ(AnalyzeLog(log, format), 0);
    EXPECT_EQ(format, -1);
    EXPECT_EQ(ReadBytes(earlier), "earlier report");
    log = dir.Write("plain.txt", "no marker here\r\n");
    EXPECT_EQ(AnalyzeLog(log, format), 0);
    EXPECT_EQ(format, -1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("plain.tavo")));
}

TEST_F(Analyze, AReportThatCannotBeCreatedGivesMinusOne) {
    std::filesystem::create_directory(dir.File("cq.tavo"));
    EXPECT_EQ(RunCabrillo(Qso("14025", "JA1ABC") + "\r\n"), -1);
    EXPECT_EQ(format, tv_util2::FormatCabrillo);
    EXPECT_EQ(QsoCount(), 1);
}

TEST_F(Analyze, ALogThatCannotBeReadGivesMinusOne) {
    EXPECT_EQ(AnalyzeLog(dir.File("gone.cbr"), format), -1);
    EXPECT_EQ(format, -1);
}

#ifndef _WIN32
// A pipe or a device is no log: detection and the pass would each read other
// bytes of it, or never finish. Refused at once, and no report is made for it.
TEST_F(Analyze, ALogThatIsNoRegularFileIsRefusedWithoutAReport) {
    const std::string fifo = dir.File("pipe.cbr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(AnalyzeLog(fifo, format), -1);
    EXPECT_EQ(format, -1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("pipe.tavo")));
    EXPECT_EQ(AnalyzeLog("/dev/zero", format), -1);
    EXPECT_FALSE(std::filesystem::exists("/dev/zero.tavo"));
}

// The report name may lead to the log itself: replacing it would lose the log.
TEST_F(Analyze, AReportNameLinkedToTheLogIsRefusedAndTheLogKept) {
    const std::string bytes = CabrilloLog(Qso("14025", "JA1ABC") + "\r\n");
    log = dir.Write("hard.cbr", bytes);
    std::filesystem::create_hard_link(log, dir.File("hard.tavo"));
    EXPECT_EQ(AnalyzeLog(log, format), -1);
    EXPECT_EQ(ReadBytes(log), bytes);
    EXPECT_EQ(ReadBytes(dir.File("hard.tavo")), bytes);
    log = dir.Write("soft.cbr", bytes);
    std::filesystem::create_symlink("soft.cbr", dir.File("soft.tavo"));
    EXPECT_EQ(AnalyzeLog(log, format), -1);
    EXPECT_EQ(ReadBytes(log), bytes);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("soft.tavo")));
    // A report linked elsewhere is written where it leads, as any file.
    const std::string elsewhere = dir.Write("kept/old.tavo", "old");
    log = dir.Write("cq.cbr", bytes);
    std::filesystem::create_symlink(elsewhere, dir.File("cq.tavo"));
    EXPECT_EQ(AnalyzeLog(log, format), 1);
    EXPECT_NE(ReadBytes(elsewhere), "old");
}

// A report that fails part-way (here at a file-size limit, which holds even
// for root) raises the error and leaves the earlier report and nothing else.
TEST_F(Analyze, AFailedReportLeavesTheEarlierOneWhole) {
    log = dir.Write("cq.cbr", CabrilloLog(Repeat(50, Qso("14025", "JA1ABC"))));
    const std::string earlier = dir.Write("cq.tavo", "earlier report");
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        AnalyzeLog(log, format);
    } catch (const tavo::IoError& error) {
        raised = true;
        EXPECT_EQ(error.FileName(), ReportFileName(log));
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadBytes(earlier), "earlier report");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"CQWW.DAT", "cq.cbr", "cq.tavo"}));
}
#endif

// The counts are 32-bit: a log with more QSO lines than they hold is refused
// rather than counted into a wrapped number. The limit is lowered to test it.
TEST_F(Analyze, ALogWithMoreQsoLinesThanTheCountsHoldIsRefused) {
    LogPass pass;
    pass.SetQsoLimit(3);
    OutputBesideLog beside(TextReport);
    log = dir.Write("cq.cbr", CabrilloLog(Repeat(3, Qso("14025", "JA1ABC"))));
    EXPECT_EQ(AnalyzeLog(cty_utl3::DefaultCountryDatabase(), pass, log, format, beside), 3);
    const std::string report = Report();
    log = dir.Write("cq.cbr", CabrilloLog(Repeat(4, Qso("14025", "JA1ABC"))));
    try {
        AnalyzeLog(cty_utl3::DefaultCountryDatabase(), pass, log, format, beside);
        FAIL() << "a fourth QSO line was counted";
    } catch (const tavo::IoError& error) {
        EXPECT_EQ(error.FileName(), log);
        EXPECT_NE(std::string(error.what()).find("more than 3 QSOs"), std::string::npos);
    }
    EXPECT_EQ(Report(), report);
    // The default limit is the largest count there is.
    LogPass fresh;
    EXPECT_EQ(AnalyzeLog(cty_utl3::DefaultCountryDatabase(), fresh, log, format, beside), 4);
}

#ifdef __linux__
TEST_F(Analyze, AReadErrorReachesTheCaller) {
    EXPECT_THROW(AnalyzeLog("/proc/self/mem", format), tavo::IoError);
}
#endif

TEST_F(Analyze, TheReportIsNamedAfterTheLogWithItsExtensionReplaced) {
    RunCabrillo(Qso("14025", "JA1ABC") + "\r\n", "cq.cabrillo");
    EXPECT_TRUE(std::filesystem::exists(dir.File("cq.tavo")));
    RunCabrillo(Qso("14025", "JA1ABC") + "\r\n", "contest");
    EXPECT_TRUE(std::filesystem::exists(dir.File("contest.tavo")));
    // A log that is itself named .tavo is never overwritten by its report.
    std::string bytes = CabrilloLog(Qso("14025", "JA1ABC") + "\r\n");
    log = dir.Write("odd.TAVO", bytes);
    EXPECT_EQ(AnalyzeLog(log, format), 1);
    EXPECT_EQ(ReadBytes(log), bytes);
    EXPECT_TRUE(std::filesystem::exists(dir.File("odd.TAVO.tavo")));
}

TEST_F(Analyze, PassesOfTheirOwnRunSideBySideOnOneDatabase) {
    cty_utl3::CountryDatabase db;
    ASSERT_EQ(db.Load(dir.Write("OWN.DAT", TestCountryFile())), 0);
    std::string japan = dir.Write("ja.cbr", CabrilloLog(Repeat(300, Qso("14025", "JA1ABC"))));
    std::string germany =
        dir.Write("dl.cbr", CabrilloLog(Repeat(200, Qso(" 7025", "DL1ABC", "2200"))));
    LogPass a, b;
    int formatA = 0, formatB = 0, countA = 0, countB = 0;
    {
        std::thread one([&] {
            OutputBesideLog sink(TextReport);
            countA = AnalyzeLog(db, a, japan, formatA, sink);
        });
        std::thread two([&] {
            OutputBesideLog sink(TextReport);
            countB = AnalyzeLog(db, b, germany, formatB, sink);
        });
        one.join();
        two.join();
    }
    EXPECT_EQ(countA, 300);
    EXPECT_EQ(countB, 200);
    EXPECT_EQ(a.CountryTally(3, kJapan), 300);
    EXPECT_EQ(a.CountryTally(2, kGermany), 0);
    EXPECT_EQ(b.CountryTally(2, kGermany), 200);
    EXPECT_EQ(b.FirstHour(), 22);
    EXPECT_EQ(a.ChartHours(1, 12, 3, 4), 300);  // Japan is in Asia
    // The same logs one after the other through the default pass give the same reports.
    std::string reportJa = ReadBytes(ReportFileName(japan)),
                reportDl = ReadBytes(ReportFileName(germany));
    ASSERT_EQ(AnalyzeLog(japan, format), 300);
    EXPECT_EQ(ReadBytes(ReportFileName(japan)), reportJa);
    ASSERT_EQ(AnalyzeLog(germany, format), 200);
    EXPECT_EQ(ReadBytes(ReportFileName(germany)), reportDl);
    // A report to a writer of the caller's holds the same bytes.
    std::string copy = dir.File("copy.tavo");
    {
        std::optional<tavo::TextWriter> out = tavo::TextWriter::Create(copy);
        ASSERT_TRUE(out);
        OutputTo sink(TextReport, *out);
        EXPECT_EQ(AnalyzeLog(db, a, germany, formatA, sink), 200);
        out->Close();
    }
    EXPECT_EQ(ReadBytes(copy), reportDl);
}

TEST(ReportName, ReplacesTheExtensionOrAppendsWhereThereIsNone) {
    EXPECT_EQ(ReportFileName("cq.cabrillo"), "cq.tavo");
    EXPECT_EQ(ReportFileName("contest"), "contest.tavo");
    EXPECT_EQ(ReportFileName("logs/cq2012.ALL"), "logs/cq2012.tavo");
    EXPECT_EQ(ReportFileName("logs.d/cq"), "logs.d/cq.tavo");
    EXPECT_EQ(ReportFileName("a.tavo"), "a.tavo.tavo");
    EXPECT_EQ(DropExtension("x/cq.cbr"), "x/cq");
#ifdef _WIN32
    EXPECT_EQ(ReportFileName("C:\\logs\\cq2012.ALL"), "C:\\logs\\cq2012.tavo");
#endif
}

TEST(FieldToInt, CutsTrimsAndReadsTheSpan) {
    EXPECT_EQ(FieldToInt("2017/06/04 09:00", {12, 2}), 9);
    EXPECT_EQ(FieldToInt("QSO:  7060 CW 2012-11-24 0752", {23, 2}), 24);
    EXPECT_EQ(FieldToInt("ab", {12, 2}), -1);
    EXPECT_EQ(FieldToInt("12:34", {1, 3}), -1);
    EXPECT_EQ(FieldToInt(" -5 ", {-3, 9}), -5);
}

TEST(BandLabel, GivesThreeCharactersAndLeavesOtherIndexesAlone) {
    std::string label = "old";
    BandLabel(9, label);
    EXPECT_EQ(label, "120");
    BandLabel(10, label);
    EXPECT_EQ(label, "up ");
    BandLabel(2, label);
    EXPECT_EQ(label, "7  ");
    BandLabel(11, label);
    EXPECT_EQ(label, "7  ");
    BandLabel(-1, label);
    EXPECT_EQ(label, "7  ");
}

}  // namespace
}  // namespace u_tavo300
