#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "logformat/log_formats.h"
#include "logformat/log_reader.h"
#include "logformat/tv_util2.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace tv_util2 {
namespace {

constexpr ColumnSpan kAllBand{67, 3};
constexpr ColumnSpan kCabrilloBand{6, 2};

std::string CabrilloLine(std::string_view freq) {
    return "QSO: " + std::string(freq) +
           " CW 2012-11-24 0752 2E0ZSE        599 14     8P5A          599 08";
}

std::string AllLine(std::string_view band) {
    std::string line = "2017/06/04 09:00 QP3GES       599         599 26      -     -     ";
    return line + std::string(band);
}

TEST(IsQsoLine, CabrilloNeedsTheMarkerInAnyCaseAtTheStart) {
    EXPECT_TRUE(IsQsoLine(FormatCabrillo, CabrilloLine(" 7060")));
    EXPECT_TRUE(IsQsoLine(FormatCabrillo, "qSo:"));
    EXPECT_FALSE(IsQsoLine(FormatCabrillo, "X-QSO: 7060"));
    EXPECT_FALSE(IsQsoLine(FormatCabrillo, " QSO: 7060"));
    EXPECT_FALSE(IsQsoLine(FormatCabrillo, "QSO"));
    EXPECT_FALSE(IsQsoLine(FormatCabrillo, "QTC: 14000"));
}

TEST(IsQsoLine, EveryZLogLineCountsAndUnknownFormatsNone) {
    EXPECT_TRUE(IsQsoLine(FormatZLogAll, ""));
    EXPECT_TRUE(IsQsoLine(FormatZLogTxt, "anything"));
    EXPECT_FALSE(IsQsoLine(FormatUnknown, "QSO: 7060"));
    EXPECT_FALSE(IsQsoLine(255, "QSO: 7060"));
}

TEST(BandIndexOf, CabrilloLooksAtTheFirstTwoCharactersOfTheKilohertz) {
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine(" 1830"), kCabrilloBand), 0);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine("01830"), kCabrilloBand), 0);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine(" 3525"), kCabrilloBand), 1);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine("03525"), kCabrilloBand), 1);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine(" 7060"), kCabrilloBand), 2);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine("14025"), kCabrilloBand), 3);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine("21000"), kCabrilloBand), 4);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine("28400"), kCabrilloBand), 5);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine("50100"), kCabrilloBand), 6);
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine("144100"), kCabrilloBand), 3);
}

TEST(BandIndexOf, UnplacedCabrilloFrequenciesFallToTheCatchAll) {
    for (std::string_view freq : {"10110", "18080", "24900", "  144", "   50", "7060 "}) {
        EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine(freq), kCabrilloBand), 10) << freq;
    }
    EXPECT_EQ(BandIndexOf(FormatCabrillo, "QSO:", kCabrilloBand), 10);
    // Only two characters are looked at, so a designator may pass for another band.
    EXPECT_EQ(BandIndexOf(FormatCabrillo, CabrilloLine(" 1.2G"), kCabrilloBand), 0);
}

TEST(BandIndexOf, AllBandsAreLeftAlignedMegahertz) {
    const std::pair<std::string_view, int> cases[] = {
        {"1.9", 0},  {"3.5", 1},  {"7  ", 2},   {"14 ", 3},  {"21 ", 4},  {"28 ", 5},
        {"50 ", 6},  {"144", 7},  {"430", 8},   {"1200", 9}, {"10 ", 10}, {"18 ", 10},
        {"24 ", 10}, {"2.4", 10}, {"5600", 10}, {"7", 10},   {" 7 ", 10}};
    for (auto [band, index] : cases)
        EXPECT_EQ(BandIndexOf(FormatZLogAll, AllLine(band), kAllBand), index) << band;
}

TEST(AllFields, CutsEveryFieldAsTheLayoutDoesOnALineThatHoldsThemAll) {
    ColumnLayout layout{};
    GetColumnLayout(FormatZLogAll, layout);
    ASSERT_TRUE(IsAllLayout(layout));
    const std::string line = AllLine("14   CW   1  ");
    std::string longCall = line, oddCall = line;
    longCall.replace(17, 17, "JA1ABCDEFGHIJKLMN");
    oddCall.replace(17, 5,
                    "JA\xE9"
                    "1\t");
    const std::string lines[] = {line,
                                 longCall,
                                 oddCall,
                                 line.substr(0, 76),
                                 line.substr(0, 75),
                                 "2017/06/04",
                                 AllLine("144  SSB"),
                                 ""};
    const auto fields = [](const QsoFields& q) {
        return std::vector<std::string_view>{q.Day,  q.Hour, q.Date,     q.Call,
                                             q.Time, q.Mode, q.Frequency};
    };
    for (const std::string& text : lines) {
        int band = -1;
        const int callLength = MeasureAllLine(text, band);
        // Only a line that holds every field whole is cut at the columns.
        ASSERT_EQ(callLength >= 0, text.size() >= 76) << text;
        if (callLength < 0) continue;
        const QsoFields fast = AllFields(text, band, callLength);
        const QsoFields cut = ReadQsoFields(FormatZLogAll, text, layout);
        EXPECT_EQ(fields(fast), fields(cut)) << text;
        EXPECT_EQ(fast.Band, cut.Band) << text;
    }
    int band = -1;
    for (std::string_view text : std::initializer_list<std::string_view>{
             "1.9", "3.5", "7  ", "14 ", "21 ", "28 ", "50 ", "144", "430", "1200", "10 ", "2.4",
             " 7 ", "7", std::string_view("\0\0\0", 3), "43"}) {
        const std::string withBand = AllLine(text) + std::string(10, ' ');
        ASSERT_GE(MeasureAllLine(withBand, band), 0);
        EXPECT_EQ(band, BandIndexOf(FormatZLogAll, withBand, kAllBand)) << text;
    }
    EXPECT_EQ(AllFields(longCall, 0, MeasureAllLine(longCall, band)).Call, "JA1ABCDEFGHIJ");
    const QsoFields odd = AllFields(oddCall, 0, MeasureAllLine(oddCall, band));
    EXPECT_EQ(odd.Call,
              "JA\xE9"
              "1");
    EXPECT_EQ(odd.Mode, "CW   ");
    EXPECT_EQ(band, 3);
}

// A zLog ALL log read whole, its lines long enough for the mode and shorter.
TEST(AllFields, AZLogAllLogReadsShortLinesAsTheLayoutCutsThem) {
    tavo::test::TempDir dir;
    const std::string name =
        dir.Write("log.ALL", "zLog for Windows \r\n" + AllLine("14   CW   1  ") + "\r\n" +
                                 AllLine("50 ") + "\r\n2017/06/05 10:30 JA1XYZ\r\n" +
                                 "2017/06/05 23:59" + AllLine("144  SSB  1").substr(16) + "\n");
    const Detection found = DetectLog(name);
    ColumnLayout layout{};
    GetColumnLayout(found, layout);
    std::optional<tavo::TextReader> log = tavo::TextReader::Open(name);
    std::unique_ptr<LogReader> reader =
        FindLogFormat(found.Format)->OpenReader(*log, found, layout);
    using Qso = std::tuple<std::string, int, int, int, std::string, bool>;
    std::vector<Qso> qsos;
    for (LogQso q; reader->Next(q);)
        qsos.emplace_back(q.Call, q.Band, q.Day, q.Hour, q.Mode, q.Stamp != NoStamp);
    EXPECT_EQ(qsos, (std::vector<Qso>{{"QP3GES", 3, 4, 9, "CW   ", true},
                                      {"QP3GES", 6, 4, 9, "", true},
                                      {"JA1XYZ", 10, 5, 10, "", true},
                                      {"QP3GES", 7, 5, 23, "SSB  ", true}}));
}

TEST(BandIndexOf, TxtBandsAreRightAlignedInFourCharacters) {
    ColumnSpan span{58, 4};
    std::string line(57, ' ');
    EXPECT_EQ(BandIndexOf(FormatZLogTxt, line + "   7  CW", span), 2);
    EXPECT_EQ(BandIndexOf(FormatZLogTxt, line + "1200  CW", span), 9);
    EXPECT_EQ(BandIndexOf(FormatZLogTxt, line + "2400  CW", span), 10);
    EXPECT_EQ(BandIndexOf(FormatZLogTxt, line + " 1.9", span), 0);
    EXPECT_EQ(BandIndexOf(FormatZLogTxt, line + "  7", span), 10);  // cut short by the line end
    EXPECT_EQ(BandIndexOf(FormatUnknown, line + "  14", span), 10);
}

}  // namespace
}  // namespace tv_util2
