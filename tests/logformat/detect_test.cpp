#include <gtest/gtest.h>

#include "logformat/tv_util2.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace tv_util2 {
namespace {

using tavo::test::Lines;
using tavo::test::TempDir;

class Detect : public ::testing::Test {
protected:
    void SetUp() override { ClearHeaderLine(); }
    int DetectBytes(std::string_view bytes) { return DetectLogFormat(dir.Write("log", bytes)); }
    TempDir dir;
};

TEST_F(Detect, TheAllMarkerIsExactlyZLogForWindowsWithOneTrailingBlank) {
    EXPECT_EQ(DetectBytes("zLog for Windows \r\n2017/06/04 09:00 JA1ABC\r\n"), FormatZLogAll);
    EXPECT_EQ(HeaderLine(), "zLog for Windows ");
    EXPECT_EQ(DetectBytes("zLog for Windows\r\n"), FormatUnknown);
    EXPECT_EQ(DetectBytes("zLog for Windows  TX# 1\r\n"), FormatUnknown);
    EXPECT_EQ(DetectBytes("zlog for windows \r\n"), FormatUnknown);
    // A marker that is not exact is skipped, and the scan goes on.
    EXPECT_EQ(DetectBytes("zLog for Windows\nzLog for Windows \n"), FormatZLogAll);
}

TEST_F(Detect, CabrilloIsKnownByTheFirstThirteenCharacters) {
    EXPECT_EQ(DetectBytes("START-OF-LOG: 3.0\r\nQSO: 14000\r\n"), FormatCabrillo);
    EXPECT_EQ(HeaderLine(), "START-OF-LOG: 3.0");
    EXPECT_EQ(DetectBytes("START-OF-LOG:"), FormatCabrillo);
    EXPECT_EQ(DetectBytes("start-of-log: 3.0\r\n"), FormatUnknown);
    EXPECT_EQ(DetectBytes("START-OF-LOG\r\n"), FormatUnknown);
    EXPECT_EQ(DetectBytes(" START-OF-LOG: 3.0\r\n"), FormatUnknown);
    EXPECT_EQ(DetectBytes("# exported\r\n\r\nSTART-OF-LOG: 2.0\r\n"), FormatCabrillo);
}

TEST_F(Detect, AnIndentedTxtHeaderIsRecognisedAndKeptUntrimmed) {
    std::string header =
        " \t mon day time  callsign      sent         rcvd      multi   MHz mode pts memo";
    EXPECT_EQ(DetectBytes(Lines({"", header, "  6   4 0900 QP3GES"})), FormatZLogTxt);
    EXPECT_EQ(HeaderLine(), header);
    EXPECT_EQ(DetectBytes("Mon day time\r\n"), FormatUnknown);
}

TEST_F(Detect, NoMarkerOrNoFileGivesMinusOneAndKeepsTheLastHeaderLine) {
    EXPECT_EQ(DetectBytes("START-OF-LOG: 3.0\r\n"), FormatCabrillo);
    EXPECT_EQ(DetectBytes(""), FormatUnknown);
    EXPECT_EQ(DetectBytes("just text\r\nmore text"), FormatUnknown);
    EXPECT_EQ(DetectLogFormat(dir.File("missing.log")), FormatUnknown);
    EXPECT_EQ(DetectLogFormat(dir.Path().string()), FormatUnknown);
    EXPECT_EQ(HeaderLine(), "START-OF-LOG: 3.0");
    EXPECT_EQ(FormatUnknown, -1);
}

TEST_F(Detect, TheFirstIdentifyingLineDecides) {
    EXPECT_EQ(DetectBytes("mon day time\nSTART-OF-LOG: 3.0\nzLog for Windows \n"), FormatZLogTxt);
    EXPECT_EQ(DetectBytes("x\nSTART-OF-LOG: 3.0\nmon day time\n"), FormatCabrillo);
}

TEST_F(Detect, AHeaderAfterAnyBlankOrControlByteIsFoundAndAfterNoOtherByte) {
    for (int c = 0; c < 256; ++c) {
        // After a first line, as that one is offered to the markers as it is.
        const std::string text = "x\n" + std::string(1, static_cast<char>(c)) + "mon day time\n";
        EXPECT_EQ(DetectBytes(text), c <= 32 ? FormatZLogTxt : FormatUnknown) << c;
    }
}

TEST(Layout, FixedLayoutsAreThoseOfTheirFormats) {
    ColumnLayout all{};
    GetColumnLayout(FormatZLogAll, all);
    EXPECT_EQ(all, (ColumnLayout{{67, 3},
                                 {18, 10},
                                 {9, 2},
                                 {12, 2},
                                 {55, 1},
                                 {61, 1},
                                 {1, 10},
                                 {72, 4},
                                 {31, 3},
                                 {43, 3},
                                 {12, 5},
                                 {6, 2},
                                 {47, 3}}));
    ColumnLayout cab{};
    GetColumnLayout(FormatCabrillo, cab);
    EXPECT_EQ(cab, (ColumnLayout{{6, 2},
                                 {56, 10},
                                 {23, 2},
                                 {26, 2},
                                 {-1, 0},
                                 {-1, 0},
                                 {15, 10},
                                 {12, 2},
                                 {45, 3},
                                 {70, 3},
                                 {26, 4},
                                 {20, 2},
                                 {74, 6}}));
    ColumnLayout untouched{};
    untouched.Call = {5, 5};
    ColumnLayout copy = untouched;
    GetColumnLayout(FormatUnknown, copy);
    GetColumnLayout(7, copy);
    EXPECT_EQ(copy, untouched);
}

TEST(Layout, TheTxtLayoutFollowsTheKeywordsOfTheHeader) {
    ColumnLayout txt{};
    LayoutFromHeader("mon day time  callsign      sent         rcvd      multi   MHz mode pts memo",
                     txt);
    EXPECT_EQ(txt.Band, (ColumnSpan{59, 4}));
    EXPECT_EQ(txt.Call, (ColumnSpan{14, 10}));
    EXPECT_EQ(txt.Day, (ColumnSpan{6, 2}));
    EXPECT_EQ(txt.Hour, (ColumnSpan{9, 2}));
    EXPECT_EQ(txt.Time, (ColumnSpan{9, 4}));
    EXPECT_EQ(txt.Multi, (ColumnSpan{56, 1}));
    EXPECT_EQ(txt.Mode, (ColumnSpan{65, 3}));
    EXPECT_EQ(txt.Sent, (ColumnSpan{25, 3}));
    EXPECT_EQ(txt.Rcvd, (ColumnSpan{38, 3}));
    EXPECT_EQ(txt.Month, (ColumnSpan{2, 2}));
    EXPECT_EQ(txt.Extra, (ColumnSpan{-1, 0}));
    EXPECT_EQ(txt.Date, (ColumnSpan{-1, 0}));
    EXPECT_EQ(txt.RcvdExch, (ColumnSpan{-1, 0}));
}

TEST(Layout, MissingKeywordsStillGiveSpans) {
    ColumnLayout txt{};
    LayoutFromHeader("mon day time  callsign", txt);
    EXPECT_EQ(txt.Band, (ColumnSpan{-1, 4}));
    EXPECT_EQ(txt.Sent, (ColumnSpan{-4, 3}));
    EXPECT_EQ(KeywordEnd("abc", "MHz"), 2);
    EXPECT_EQ(KeywordEnd("  MHz MHz", "MHz"), 5);
    EXPECT_EQ(KeywordEnd("mhz", "MHz"), 2);
}

TEST_F(Detect, TheTxtLayoutComesFromTheDetectedHeaderLine) {
    ASSERT_EQ(DetectBytes("\t\tmon day time  callsign   MHz\r\n"), FormatZLogTxt);
    ColumnLayout txt{};
    GetColumnLayout(FormatZLogTxt, txt);
    EXPECT_EQ(txt.Month, (ColumnSpan{4, 2}));
    EXPECT_EQ(txt.Band, (ColumnSpan{27, 4}));
}

TEST_F(Detect, RealLogsAreRecognised) {
    std::string real = TAVO_REALDATA;
    if (!tavo::FileExists(real + "/zlog/qxsl_allja1_2bc4e16.ALL")) GTEST_SKIP() << "no real data";
    EXPECT_EQ(DetectLogFormat(real + "/zlog/qxsl_allja1_2bc4e16.ALL"), FormatZLogAll);
    EXPECT_EQ(DetectLogFormat(real + "/zlog/qxsl_allja1_beb6527.ALL"), FormatZLogAll);
    EXPECT_EQ(DetectLogFormat(real + "/zlog/qxsl_allja1_2bc4e16.TXT"), FormatZLogTxt);
    EXPECT_EQ(DetectLogFormat(real + "/zlog/qxsl_allja1_4e001fc_dateheader.ALL"), FormatUnknown);
    for (const char* log :
         {"CQWW-CW-2005_4S7RS.log", "CQWW-CW-2005_7K1CPT.log", "CQWW-CW-2005_7M4CDX.log",
          "CQWW-CW-2012_2E0ZSE.log", "CQWW-CW-2024_7L3KJV.log", "CQWW-CW-2024_7N2TRM.log",
          "CQWW-PH-2008_4F1AL.log", "CQWW-PH-2008_7L3DGP.log", "CQWW-PH-2019_7K1CPT.log",
          "CQWW-PH-2019_7L4SCQ.log"}) {
        EXPECT_EQ(DetectLogFormat(real + "/cabrillo/cqww/" + log), FormatCabrillo) << log;
    }
}

}  // namespace
}  // namespace tv_util2
