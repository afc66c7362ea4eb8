// Whole reports of real logs, compared byte for byte with reports that were
// checked by hand once. Set TAVO_UPDATE_GOLDEN=1 to write them anew.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unified_diff.h"
#ifdef TAVO_ADX
#include "xml/adx_expat.h"
#endif

namespace u_tavo300 {
namespace {

using tavo::test::ReadBytes;
using tavo::test::TempDir;

// The logs travel with the project, so the goldens are checked in every clone.
const std::string kData = std::string(TAVO_SOURCE_DIR) + "/tests/data/";
const std::string kGolden = std::string(TAVO_SOURCE_DIR) + "/tests/golden/";

struct Golden {
    const char* log;     // under tests/data
    const char* report;  // under tests/golden
    int count;
    int format;
};

void PrintTo(const Golden& g, std::ostream* os) { *os << g.log; }

class GoldenReport : public ::testing::TestWithParam<Golden> {
protected:
    void SetUp() override {
#ifdef TAVO_ADX
        tavo::xml::InstallAdxParser();
#endif
        cty_utl3::ClearCountryTables();
        ASSERT_EQ(cty_utl3::LoadCountryFile(kData + "zServer_CQWW.DAT"), 0);
    }
    void TearDown() override { cty_utl3::ClearCountryTables(); }
};

TEST_P(GoldenReport, MatchesTheCheckedReport) {
    const Golden& g = GetParam();
    TempDir dir;
    std::filesystem::path source = kData + g.log;
    std::string log = dir.File(source.filename().string());
    std::filesystem::copy_file(source, log);
    int format = 0;
    EXPECT_EQ(AnalyzeLog(log, format), g.count);
    EXPECT_EQ(format, g.format);
    std::string actual = ReadBytes(ReportFileName(log));
    std::string golden = kGolden + g.report;
    if (std::getenv("TAVO_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::copy_file(ReportFileName(log), golden,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    std::string expected = ReadBytes(golden);
    EXPECT_TRUE(actual == expected) << g.report << ":\n"
                                    << tavo::test::UnifiedDiff(expected, actual);
    EXPECT_EQ(ReadBytes(log), ReadBytes(source.string())) << "the log must stay as it was";
}

std::string GoldenName(const ::testing::TestParamInfo<Golden>& info) {
    std::string name = std::filesystem::path(info.param.report).stem().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    RealLogs, GoldenReport,
    ::testing::Values(
        // On the template's columns.
        Golden{"CQWW-CW-2012_2E0ZSE.log", "CQWW-CW-2012_2E0ZSE.tavo", 226, 2},
        Golden{"CQWW-CW-2005_7K1CPT.log", "CQWW-CW-2005_7K1CPT.tavo", 161, 2},
        Golden{"CQWW-PH-2008_4F1AL.log", "CQWW-PH-2008_4F1AL.tavo", 549, 2},
        Golden{"WAE-CW-2017_9M2_JE1SCJ.log", "WAE-CW-2017_9M2_JE1SCJ.tavo", 200, 2},
        Golden{"zLog_ALLJA8_2022_JR8PPG.cbr", "zLog_ALLJA8_2022_JR8PPG.tavo", 204, 2},
        // Calls of 11 to 13 characters, read whole.
        Golden{"template_long_calls.log", "template_long_calls.tavo", 10, 2},
        // Off the template: read by their fields.
        Golden{"CQWW-CW-2024_7N2TRM.log", "CQWW-CW-2024_7N2TRM.tavo", 201, 2},
        Golden{"CQWW-CW-2005_4S7RS.log", "CQWW-CW-2005_4S7RS.tavo", 50, 2},
        Golden{"CQWW_cw_2022_7m2alz.log", "CQWW_cw_2022_7m2alz.tavo", 102, 2},
        Golden{"ARRL10_mixed_2024_PX2A.log", "ARRL10_mixed_2024_PX2A.tavo", 1795, 2},
        Golden{"ARRLSS_cw_2024_k5nz.log", "ARRLSS_cw_2024_k5nz.tavo", 180, 2},
        Golden{"NAQP_cw_2025_K3AJ.log", "NAQP_cw_2025_K3AJ.tavo", 1322, 2},
        // A big station: hours of 100 QSOs and more widen the chart blocks.
        Golden{"CQWW_cw_2024_k3lr.log", "CQWW_cw_2024_k3lr.tavo", 12435, 2},
        // Sent and received exchanges of uneven length.
        Golden{"uneven_exchanges.log", "uneven_exchanges.tavo", 18, 2},
        Golden{"W6REK_2018-jan-vhf-arrl.cabrillo.txt", "W6REK_2018-jan-vhf-arrl.tavo", 96, 2},
        Golden{"W6REK_2020-field-day-w6rek.cabrillo", "W6REK_2020-field-day-w6rek.tavo", 25, 2},
        // zLog ALL.
        Golden{"qxsl_allja1_2bc4e16.ALL", "qxsl_allja1_2bc4e16.tavo", 776, 1},
        Golden{"qxsl_allja1_beb6527.ALL", "qxsl_allja1_beb6527.tavo", 6304, 1},
        // ADIF: a contest export and an FT8 station log, and an .adx file.
        Golden{"N1MMplus_contest-arrldxcw_ham2k-ki2d.adi", "N1MMplus_contest-arrldxcw.tavo", 25, 4},
        Golden{"WSJTX_ft8-lowercase_stevenmburns.adi", "WSJTX_ft8-lowercase.tavo", 528, 4}),
    GoldenName);

#ifdef TAVO_ADX
INSTANTIATE_TEST_SUITE_P(AdxLogs, GoldenReport,
                         ::testing::Values(Golden{"monolog_adx-sample_tepperly.adx",
                                                  "monolog_adx-sample.tavo", 2, 4}),
                         GoldenName);
#endif

TEST(UnifiedDiff, ShowsTheChangedLinesWithTheirContext) {
    const std::string a = "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n";
    const std::string b = "1\r\n2\r\n3\r\n4\r\nfive\r\n6\r\n7\r\n8\r\n9\r\n";
    EXPECT_EQ(tavo::test::UnifiedDiff(a, a), "");
    EXPECT_EQ(
        tavo::test::UnifiedDiff(a, b, 2),
        "--- expected\n+++ actual\n@@ -3,5 +3,5 @@\n 3\\r\n 4\\r\n-5\\r\n+five\\r\n 6\\r\n 7\\r\n");
    EXPECT_NE(tavo::test::UnifiedDiff("a\r\n", "a\n").find("-a\\r"), std::string::npos);
}

}  // namespace
}  // namespace u_tavo300
