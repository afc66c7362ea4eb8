// Whole reports of real logs, compared byte for byte with reports that were
// checked by hand once. Set TAVO_UPDATE_GOLDEN=1 to write them anew.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace u_tavo300 {
namespace {

using tavo::test::ReadBytes;
using tavo::test::TempDir;

const std::string kRealData = TAVO_REALDATA;
const std::string kGolden = std::string(TAVO_SOURCE_DIR) + "/tests/golden/";

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The first differing line, with its neighbours, rather than two walls of text.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    auto e = SplitLines(expected), a = SplitLines(actual);
    for (std::size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
        std::string el = i < e.size() ? e[i] : "(end of file)";
        std::string al = i < a.size() ? a[i] : "(end of file)";
        if (el != al) {
            return "line " + std::to_string(i + 1) + "\n- " + el + "\n+ " + al;
        }
    }
    return "the line ends differ";
}

struct Golden {
    const char* log;     // under the real-data folder
    const char* report;  // under tests/golden
    int count;
    int format;
};

void PrintTo(const Golden& g, std::ostream* os) { *os << g.log; }

class GoldenReport : public ::testing::TestWithParam<Golden> {
protected:
    void SetUp() override {
        if (!tavo::FileExists(kRealData + "/cqwwdat/zServer_CQWW.DAT")) GTEST_SKIP() << "no real data";
        cty_utl3::ClearCountryTables();
        ASSERT_EQ(cty_utl3::LoadCountryFile(kRealData + "/cqwwdat/zServer_CQWW.DAT"), 0);
    }
    void TearDown() override { cty_utl3::ClearCountryTables(); }
};

TEST_P(GoldenReport, MatchesTheCheckedReport) {
    const Golden& g = GetParam();
    TempDir dir;
    std::filesystem::path source = kRealData + "/" + g.log;
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
    EXPECT_TRUE(actual == expected) << g.report << ": " << FirstDifference(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(
    RealLogs, GoldenReport,
    ::testing::Values(Golden{"cabrillo/cqww/CQWW-CW-2012_2E0ZSE.log", "CQWW-CW-2012_2E0ZSE.tavo", 226, 2},
                      Golden{"cabrillo/cqww/CQWW-CW-2005_7K1CPT.log", "CQWW-CW-2005_7K1CPT.tavo", 161, 2},
                      Golden{"cabrillo/cqww/CQWW-PH-2008_4F1AL.log", "CQWW-PH-2008_4F1AL.tavo", 549, 2},
                      Golden{"cabrillo/other/WAE-CW-2017_9M2_JE1SCJ.log", "WAE-CW-2017_9M2_JE1SCJ.tavo", 200, 2},
                      Golden{"cabrillo/other/zLog_ALLJA8_2022_JR8PPG.cbr", "zLog_ALLJA8_2022_JR8PPG.tavo", 204, 2},
                      Golden{"zlog/qxsl_allja1_2bc4e16.ALL", "qxsl_allja1_2bc4e16.tavo", 776, 1},
                      Golden{"zlog/qxsl_allja1_beb6527.ALL", "qxsl_allja1_beb6527.tavo", 6304, 1}),
    [](const auto& info) {
        std::string name = std::filesystem::path(info.param.report).stem().string();
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        }
        return name;
    });

}  // namespace
}  // namespace u_tavo300
