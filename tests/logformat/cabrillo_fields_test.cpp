// Cabrillo QSO lines as today's loggers write them: on the template's columns
// they are cut as ever; otherwise they are read by their blank-separated fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "logformat/cabrillo_template.h"
#include "logformat/log_formats.h"
#include "logformat/tv_util2.h"
#include "platform/text_file.h"
#include "tests/support/temp_dir.h"

namespace tv_util2 {
namespace {

QsoFields Read(std::string_view line) {
    ColumnLayout layout{};
    GetColumnLayout(FormatCabrillo, layout);
    return ReadQsoFields(FormatCabrillo, line, layout);
}

std::string Call(std::string_view line) { return std::string(Read(line).Call); }

TEST(CabrilloFields, TheReceivedCallOpensTheSecondHalfOfTheExchange) {
    // CQWW: RST and zone each way.
    EXPECT_EQ(Call("QSO:   14025 CW 2024-11-23 0042 7N2TRM           599 25    K8AZ             "
                   "599  04      0"),
              "K8AZ");
    // ARRL Sweepstakes: serial, precedence, check, section each way.
    EXPECT_EQ(Call("QSO: 14050 CW 2024-11-02 2101 K5NZ 0001 U 69 STX K8LX 0002 M 64 MI"), "K8LX");
    // Field Day: class and section.
    EXPECT_EQ(
        Call("QSO: 14261   PH 2020-06-27 1900 W6REK         1D   SCV    K6AA          3A  LAX"),
        "K6AA");
    // VHF: the grid.
    EXPECT_EQ(Call("QSO: 144 PH   2018-01-20 1903 W6REK         CM87   N6NB          DM04"),
              "N6NB");
    // A name exchange, with the transmitter id at the end.
    EXPECT_EQ(Call("QSO:   14043 CW 2025-08-02 1800 K3AJ            TOM        MD  AC0E            "
                   "JIM        KS  1"),
              "AC0E");
    // Nothing after the time, or only one field: there is no received call.
    EXPECT_EQ(Call("QSO: 14025 CW 2024-11-23 0042"), "");
    EXPECT_EQ(Call("QSO: 14025 CW 2024-11-23 0042 K8AZ"), "");
    // The bare calls of both stations: the second one is the received call.
    EXPECT_EQ(Call("QSO: 14025 CW 2024-11-23 0042 K8AZ K1AA"), "K1AA");
}

TEST(CabrilloFields, ALineOnTheTemplateIsCutByTheColumns) {
    // The call field is 13 wide: a 12-character call is whole, a longer run
    // is cut at 13, and the sent exchange may be missing.
    const std::string line =
        "QSO: 14025 CW 2012-11-24 0100 JA1ZLO        599        JA1ABCDEFGHI  599 14";
    ASSERT_EQ(line.find("JA1ABCDEFGHI"), 55u);
    EXPECT_EQ(Call(line), "JA1ABCDEFGHI");
    EXPECT_EQ(Call("QSO: 14025 CW 2012-11-24 0100 JA1ZLO        599        DL1ABCD/KH6   599 31"),
              "DL1ABCD/KH6");
    EXPECT_EQ(Call("QSO: 14025 CW 2012-11-24 0100 JA1ZLO        599        JA1ABCDEFGHIJK599 14"),
              "JA1ABCDEFGHIJ");
    // The band keeps its two-character rule: " 1.2G" reads as 1.9 MHz there.
    EXPECT_EQ(
        Read("QSO:  1.2G CW 2012-11-24 0100 JA1ZLO        599 25     JA1ABC        599 14").Band,
        0);
    // Off the template the same designator is 1200 MHz and the call is whole.
    EXPECT_EQ(Read("QSO: 1.2G CW 2012-11-24 0100 JA1ZLO 599 25 JA1ABCDEFGHI 599 14").Band, 9);
    EXPECT_EQ(Call("QSO: 1.2G CW 2012-11-24 0100 JA1ZLO 599 25 JA1ABCDEFGHI 599 14"),
              "JA1ABCDEFGHI");
}

TEST(CabrilloFields, AFieldThatHappensToStandAtColumn56IsNotTakenForTheCall) {
    // Single blanks: "0002" starts at column 56, but the received call is K8LXX.
    const std::string line = "QSO: 14050 CW 2024-11-02 2101 K5NZ 0001 U 69 STX K8LXX 0002 M 64 MI";
    ASSERT_EQ(line.find("0002"), 55u);
    CabrilloTokens tokens(line);
    EXPECT_FALSE(tokens.OnTemplate());
    EXPECT_EQ(Call(line), "K8LXX");
}

TEST(CabrilloFields, DayHourAndDateComeFromTheirFields) {
    QsoFields q = Read("QSO:    7025 CW 2024-11-23 0042 7N2TRM  599 25  K8AZ  599 04");
    EXPECT_EQ(q.Band, 2);
    EXPECT_EQ(q.Day, "23");
    EXPECT_EQ(q.Hour, "00");
    EXPECT_EQ(q.Date, "2024-11-23");
    // Tabs separate fields like blanks.
    q = Read("QSO:\t21025\tCW\t2024-11-24\t2359\tK1AA\t599\t05\tJA1ABC\t599\t25");
    EXPECT_EQ(q.Band, 4);
    EXPECT_EQ(q.Day, "24");
    EXPECT_EQ(q.Hour, "23");
    EXPECT_EQ(q.Call, "JA1ABC");
}

TEST(CabrilloBand, DesignatorsAndFrequenciesInKilohertz) {
    EXPECT_EQ(CabrilloBandOf("50"), 6);
    EXPECT_EQ(CabrilloBandOf("144"), 7);
    EXPECT_EQ(CabrilloBandOf("432"), 8);
    EXPECT_EQ(CabrilloBandOf("1.2G"), 9);
    EXPECT_EQ(CabrilloBandOf("1.2g"), 9);
    EXPECT_EQ(CabrilloBandOf("222"), 10);
    EXPECT_EQ(CabrilloBandOf("2.3G"), 10);
    // Decimal frequencies count by their whole kHz.
    EXPECT_EQ(CabrilloBandOf("14025.5"), 3);
    EXPECT_EQ(CabrilloBandOf("7299.99"), 2);
    EXPECT_EQ(CabrilloBandOf("0001830"), 0);
    for (std::string_view bad :
         {"", "14025.", ".5", "14O25", "-14025", "14025.5.1", "99999999999999999999"})
        EXPECT_EQ(CabrilloBandOf(bad), 10) << bad;
}

TEST(CabrilloBand, EveryRangeIncludesBothEdges) {
    struct Range {
        int low, high, band;
    };
    for (Range r :
         {Range{1800, 2000, 0}, Range{3500, 4000, 1}, Range{7000, 7300, 2}, Range{14000, 14350, 3},
          Range{21000, 21450, 4}, Range{28000, 29700, 5}, Range{50000, 54000, 6},
          Range{144000, 148000, 7}, Range{420000, 450000, 8}, Range{1240000, 1300000, 9}}) {
        EXPECT_EQ(CabrilloBandOf(std::to_string(r.low - 1)), 10) << r.low - 1;
        EXPECT_EQ(CabrilloBandOf(std::to_string(r.low)), r.band) << r.low;
        EXPECT_EQ(CabrilloBandOf(std::to_string(r.high)), r.band) << r.high;
        EXPECT_EQ(CabrilloBandOf(std::to_string(r.high) + ".9"), r.band) << r.high;
        EXPECT_EQ(CabrilloBandOf(std::to_string(r.high + 1)), 10) << r.high + 1;
    }
}

TEST(CabrilloFields, ZLogLinesAreStillCutByTheirColumns) {
    ColumnLayout layout{};
    GetColumnLayout(FormatZLogAll, layout);
    QsoFields q = ReadQsoFields(
        FormatZLogAll,
        "2017/06/04 09:00 JA1ABC       599 100110  599 120103  -     -     14   CW   1  ", layout);
    EXPECT_EQ(q.Band, 3);
    EXPECT_EQ(q.Hour, "09");
    EXPECT_EQ(q.Day, "04");
    EXPECT_EQ(q.Call, "JA1ABC");
    // A 13-character call runs into the sent report at column 31: cut at 13.
    q = ReadQsoFields(
        FormatZLogAll,
        "2017/06/04 09:00 JA1ABCD/KH6/P599 100110  599 120103  -     -     14   CW   1  ", layout);
    EXPECT_EQ(q.Call, "JA1ABCD/KH6/P");
}

TEST(LooksLikeCall, TellsCallsFromReportsQthsAndGrids) {
    for (std::string_view call : {"DL1ABC", "4X1AB", "9A1A", "2E0ABC", "VP2E/W1AW", "3A/DL1ABC",
                                  "W1AW/MM", "4U1UN", "dl1abc", "W1AW/DL1ABC", "KH6/W1AW/P"})
        EXPECT_TRUE(LooksLikeCall(call)) << call;
    for (std::string_view other :
         {"599", "5NN", "OH", "LASS", "10A", "FN42", "FN42AB", "fn42ab", "001", "", "/W1AW",
          "W1AW/", "W1AW//P", "W1AWXYZ/P", "ABCDE/W1AW", "W1AW/PORTA", "W123456A", "DL1ÄBC"})
        EXPECT_FALSE(LooksLikeCall(other)) << other;
    // A call whose shape a locator cannot have is not mistaken for one.
    EXPECT_TRUE(LooksLikeCall("SN42AB"));
}

// Only A-Z and a-z count as a call's letters and 0-9 as its digits, at each
// place of the common shape: the bytes beside them in the code table and
// those above 127 make no call. A digit may lead, or stand in a number of two.
TEST(LooksLikeCall, TakesOnlyAsciiLettersAndDigits) {
    for (int c = 1; c < 256; ++c) {
        const std::string b(1, static_cast<char>(c));
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        EXPECT_EQ(LooksLikeCall(b + "L1A"), letter || digit) << c;
        EXPECT_EQ(LooksLikeCall("D" + b + "1A"), letter || digit) << c;
        EXPECT_EQ(LooksLikeCall("DL" + b + "A"), digit) << c;
        EXPECT_EQ(LooksLikeCall("DL1" + b), letter) << c;
    }
}

// The received call of a line read by its fields is judged as LooksLikeCall
// judges it, whatever byte stands at any place of a call of any size: else
// the call after it is taken.
TEST(CabrilloFields, TheReceivedCallIsJudgedAsLooksLikeCallJudgesIt) {
    for (std::string_view shape :
         {"K3L", "9A1A", "DL1AB", "2E0ABC", "VK2ABCD", "W1AWXYZ", "4X1ABCDE", "DL1ABCDEF"}) {
        for (std::size_t at = 0; at < shape.size(); ++at) {
            for (int c = '!'; c < 256; ++c) {
                std::string call(shape);
                call[at] = static_cast<char>(c);
                const std::string line =
                    "QSO: 14025 CW 2024-11-23 0042 K3LR 599 5 " + call + " 599 W1AW";
                EXPECT_EQ(Call(line), LooksLikeCall(call) ? call : "W1AW") << line;
            }
        }
    }
}

TEST(CabrilloFields, UnevenExchangesStillFindTheCall) {
    // The received exchange is missing: the halves land on the sent QTH "OH".
    EXPECT_EQ(Call("QSO: 7030 CW 2024-03-09 1201 N8XX 599 OH W1AW"), "W1AW");
    // A sent exchange shorter than the received one: the halves land on "599".
    EXPECT_EQ(Call("QSO: 7030 CW 2024-03-09 1201 N8XX OH W1AW 599 CT 7"), "W1AW");
    // Later fields first, then earlier ones; never the sent call.
    EXPECT_EQ(Call("QSO: 7030 CW 2024-03-09 1201 N8XX K1AA 5NN 599 OH K2BB"), "K2BB");
    EXPECT_EQ(Call("QSO: 7030 CW 2024-03-09 1201 N8XX 599 K1AA OH CT 7"), "K1AA");
    // With no field like a call, the halves rule stands.
    EXPECT_EQ(Call("QSO: 7030 CW 2024-03-09 1201 N8XX 599 OH 599 CT"), "OH");
    // A grid is not taken for a call.
    EXPECT_EQ(Call("QSO: 144 PH 2018-01-20 1903 W6REK CM87 DM04 N6NB"), "N6NB");
}

TEST(CabrilloFields, SplitLinesReadAsTheirTokensSay) {
    // Lines off the template, of every length around the two blocks the
    // common reading takes, with fields that may or may not look like calls:
    // read as the token walk reads them.
    std::mt19937 rng(20261210);
    const std::vector<std::string> words = {
        "K8AZ",   "599", "5NN",         "OH", "FN42AB",
        "W1AW/P", "0",   "DL1ABCDEFGH", "14", std::string(70, 'X')};
    auto pick = [&rng](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    for (int round = 0; round < 3000; ++round) {
        std::string line = "QSO:" + std::string(2 + pick(3), ' ') + "14025 CW 2024-11-23 0042";
        for (std::size_t i = pick(12); i > 0; --i)
            line += std::string(1 + pick(round % 2 == 0 ? 3 : 20), ' ') + words[pick(words.size())];
        line += std::string(pick(3), ' ');
        SCOPED_TRACE(line);
        const CabrilloTokens tokens(line);
        const QsoFields q = Read(line);
        ASSERT_FALSE(tokens.OnTemplate());
        EXPECT_EQ(q.Frequency, tokens.At(0).Text);
        EXPECT_EQ(q.Mode, tokens.At(1).Text);
        EXPECT_EQ(q.Date, tokens.At(2).Text);
        EXPECT_EQ(q.Time, tokens.At(3).Text);
        EXPECT_EQ(q.Call, tokens.At(tokens.ReceivedCallIndex()).Text);
        EXPECT_EQ(q.Day, "23");
        EXPECT_EQ(q.Hour, "00");
    }
}

TEST(CabrilloFields, LinesOnTheTemplatesColumnsReadAsTheirTokensSay) {
    // The date, the time and a field at column 56 where the template puts
    // them, with sent and received halves of any length, out to lines of
    // several words past the first block: a line is cut by the columns only
    // when its halves meet at that field, as the token walk tells.
    std::mt19937 rng(20261211);
    const std::vector<std::string> words = {
        "K3LR", "599", "14", "OH", "W1AW/P", "DL1ABC", std::string(30, 'X')};
    auto pick = [&rng](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    int on = 0, off = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string line = "QSO: 14025 CW 2012-11-24 0100 ";
        for (std::size_t i = pick(4); i > 0 && line.size() < 48; --i)
            line += words[pick(4)] + std::string(1 + pick(2), ' ');
        line.resize(55, ' ');
        line += words[pick(words.size() - 1)];
        for (std::size_t i = pick(6); i > 0; --i)
            line += std::string(1 + pick(12), ' ') + words[pick(words.size())];
        line += std::string(pick(3), ' ');
        SCOPED_TRACE(line);
        const CabrilloTokens tokens(line);
        const QsoFields q = Read(line);
        if (tokens.OnTemplate()) {
            ++on;
            EXPECT_EQ(q.Mode, " CW ");
            const std::string at56 = line.substr(55, line.find(' ', 55) - 55);
            EXPECT_EQ(q.Call, at56.substr(0, 13));
        } else {
            ++off;
            EXPECT_EQ(q.Mode, "CW");
            EXPECT_EQ(q.Call, tokens.At(tokens.ReceivedCallIndex()).Text);
        }
        EXPECT_EQ(q.Date, "2012-11-24");
    }
    EXPECT_GT(on, 100);
    EXPECT_GT(off, 100);
}

// A log read line after line with its shape kept between them reads each
// line as it reads alone, while the fields grow, shrink, vanish, turn into
// tabs or trail blanks from one line to the next, or end sooner where the
// next one starts in the same place.
TEST(CabrilloFields, ALogsLinesReadAsEachAlone) {
    std::mt19937 rng(20261211);
    auto pick = [&rng](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    const std::vector<std::string> freqs = {"    7016", "   14004", "  144000", "      50"};
    const std::vector<std::string> calls = {"AF0E", "JI1FOE", "M6T", "599", "W1AW/P", ""};
    const std::vector<std::string> zones = {"04", "5", "", "14 0", std::string(40, 'Z')};
    const std::vector<std::string> middles = {" CW 2024-11-23 0000", "\tCW 2024-11-23 0000",
                                              " C  2024-11-23 0000", " CW 2024-11-2  0000",
                                              " CW 2024-11-23 000 ", " CW 2024-11-23 00000"};
    CabrilloFields kept;  // read into by each line in turn
    for (int round = 0; round < 4000; ++round) {
        // Runs of lines that differ only in what a logger pads.
        const bool change = pick(4) == 0;
        std::string line = "QSO:" + freqs[change ? pick(freqs.size()) : round % 2] +
                           middles[pick(8) == 0 ? pick(middles.size()) : 0] + " K3LR" +
                           std::string(change ? 1 + pick(14) : 13, ' ') + "599 5     ";
        std::string call = calls[change ? pick(calls.size()) : pick(3)];
        line += call + std::string(17 - std::min<std::size_t>(call.size(), 16), ' ') + "599  " +
                zones[change ? pick(zones.size()) : pick(2)];
        if (pick(3) != 0) line += "      0";
        line += std::string(pick(3), pick(2) == 0 ? ' ' : '\t');
        SCOPED_TRACE(line);
        CabrilloFields alone;  // no shape kept: the full walk
        ASSERT_LT(ReadCabrilloFields(line, alone), 0);
        ASSERT_LT(ReadCabrilloFields(line, kept), 0);
        for (auto field : {&QsoFields::Date, &QsoFields::Call, &QsoFields::Time, &QsoFields::Mode,
                           &QsoFields::Frequency}) {
            EXPECT_EQ((kept.*field).data(), (alone.*field).data());
            EXPECT_EQ((kept.*field).size(), (alone.*field).size());
        }
        EXPECT_EQ(kept.Band, alone.Band);
    }
}

// Each QSO of a Cabrillo log text as the log's reader gives it: kHz, band,
// day and hour.
std::vector<std::array<std::uint64_t, 4>> ReadLog(const std::string& text) {
    tavo::test::TempDir dir;
    const std::string name = dir.Write("log", text);
    const Detection found = DetectLog(name);
    ColumnLayout layout{};
    GetColumnLayout(found, layout);
    std::optional<tavo::TextReader> log = tavo::TextReader::Open(name);
    std::unique_ptr<LogReader> reader =
        FindLogFormat(FormatCabrillo)->OpenReader(*log, found, layout);
    std::vector<std::array<std::uint64_t, 4>> qsos;
    for (LogQso q; reader->Next(q);) {
        qsos.push_back({q.Khz, static_cast<std::uint64_t>(q.Band),
                        static_cast<std::uint64_t>(q.Day), static_cast<std::uint64_t>(q.Hour)});
    }
    return qsos;
}

// A log that keeps moving among more frequencies than are kept read still
// gets each line's own kHz, band, day and hour, on and off the template's columns.
TEST(CabrilloFields, EveryLineKeepsItsOwnFrequencyAmongMany) {
    std::string text = "START-OF-LOG: 3.0\n";
    std::vector<std::array<std::uint64_t, 4>> expected;
    for (int round = 0; round < 3; ++round) {
        for (std::uint64_t f = 14000; f < 14080; f += round + 1) {
            const std::string freq = std::to_string(f);
            text += "QSO: " + freq +
                    " CW 2024-11-23 0042 K3LR          599 05     DL1ABC        599 14\n";
            text += "QSO: " + freq + " CW 2024-11-24 2143 K3LR 599 05 DL1ABC 599 14\n";
            expected.push_back({f, 3, 23, 0});
            expected.push_back({f, 3, 24, 21});
        }
    }
    EXPECT_EQ(ReadLog(text), expected);
}

// Band designators and frequencies shorter than four bytes or longer than
// eight, among plain kHz, each keep their own reading from line to line.
TEST(CabrilloFields, DesignatorsAndLongFrequenciesKeepTheirOwnBand) {
    struct Frequency {
        std::string text;
        std::uint64_t khz, band;
    };
    const std::vector<Frequency> frequencies = {
        {"50", 0, 6},       {"432", 0, 8},          {"144", 0, 7},
        {"1.2G", 0, 9},     {"7", 0, 10},           {"14025.500", 0, 3},
        {"14025.50", 0, 3}, {"140255", 140255, 10}, {"7025", 7025, 2}};
    std::string text = "START-OF-LOG: 3.0\n";
    std::vector<std::array<std::uint64_t, 4>> expected;
    for (int round = 0; round < 40; ++round) {
        const Frequency& f = frequencies[(round * 5 + round / 8) % frequencies.size()];
        text += "QSO: " + f.text + " CW 2024-11-23 0042 K3LR 599 05 DL1ABC 599 14\n";
        expected.push_back({f.khz, f.band, 23, 0});
    }
    EXPECT_EQ(ReadLog(text), expected);
}

}  // namespace
}  // namespace tv_util2
