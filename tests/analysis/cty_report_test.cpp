// Reports with a cty.dat as the country data: exact calls count for their
// own entity, and operating suffixes for the home call's country.
#include <gtest/gtest.h>

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "tests/analysis/log_builder.h"
#include "tests/support/temp_dir.h"

namespace u_tavo300 {
namespace {

using namespace tavo::test;

class CtyReport : public ::testing::Test {
protected:
    void TearDown() override { cty_utl3::ClearCountryTables(); }

    std::string CountryRows(const std::string& country, std::initializer_list<std::string> calls) {
        cty_utl3::ClearCountryTables();
        EXPECT_EQ(cty_utl3::LoadCountryFile(dir.Write("data", country)), 0);
        std::string qsos;
        for (const std::string& call : calls)
            qsos += CabrilloQso("14025", "2012-11-24", "0100", call) + "\r\n";
        std::string log = dir.Write("cq.cbr", CabrilloLog(qsos));
        int format = 0;
        EXPECT_EQ(AnalyzeLog(log, format), static_cast<int>(calls.size()));
        std::string report = ReadBytes(ReportFileName(log));
        auto from = report.find("\r\n", report.find("Px      Country")) + 2;
        from = report.find("\r\n", from) + 2;  // the dashes under the heading
        return report.substr(from, report.find("------", from) - from);
    }

    TempDir dir;
};

TEST_F(CtyReport, OperatingSuffixesCountForTheHomeCallsCountryInBothForms) {
    const std::initializer_list<std::string> calls = {"DL1ABC/MM",  "DL1ABC/AM",   "DL1ABC/LH",
                                                      "DL2ABC/QRP", "DL1ABC/JOTA", "DL1ABC/YOTA"};
    const std::string rows =
        Lines({"DL   :Germany                   |   -     -     -     6     -     -  |    6"});
    EXPECT_EQ(
        CountryRows(Lines({"title", CountryHeader("Germany", "14", "DL", "EU"), "  DL;",
                           CountryHeader("Scotland", "14", "GM", "EU"), "  GM,MM;",
                           CountryHeader("Spain", "14", "EA", "EU"), "  EA,AM;",
                           CountryHeader("Norway", "14", "LA", "EU"), "  LA,LH;",
                           CountryHeader("Japan", "25", "JA", "AS"), "  JA,JOTA;", "end of file"}),
                    calls),
        rows);
    EXPECT_EQ(
        CountryRows("Fed. Rep. of Germany:     14:  28:  EU:   51.00:   -10.00:    -1.0:  DL:\n"
                    "    DA,DL;\n"
                    "Scotland:                 14:  27:  EU:   56.82:     4.18:     0.0:  GM:\n"
                    "    GM,MM;\n"
                    "Spain:                    14:  37:  EU:   40.32:     3.43:    -1.0:  EA:\n"
                    "    AM,EA;\n",
                    calls),
        Lines({"DL   :Fed. Rep. of Germany      |   -     -     -     6     -     -  |    6"}));
}

TEST_F(CtyReport, AnExactCallCountsForItsOwnEntity) {
    const std::string report = CountryRows(
        "France:                   14:  27:  EU:   46.00:    -2.00:    -1.0:  F:\n"
        "    F,TO;\n"
        "St. Martin:               08:  11:  NA:   18.08:    63.03:     4.0:  FS:\n"
        "    FS,=TO5T;\n",
        {"TO5T", "TO5A", "F5ABC"});
    EXPECT_EQ(
        report,
        Lines({"F    :France                    |   -     -     -     2     -     -  |    2",
               "FS   :St. Martin                |   -     -     -     1     -     -  |    1"}));
}

}  // namespace
}  // namespace u_tavo300
