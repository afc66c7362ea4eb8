// The JSON output: golden files for real logs of both formats, the page of
// the same pass read back and held against the JSON, and the definitions of
// the figures on a small log built for them.
#include "json/json_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "analysis/html_report.h"
#include "tests/analysis/log_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unified_diff.h"

namespace tavo_json {
namespace {

using namespace u_tavo300;
using Json = nlohmann::json;
using tavo::test::ReadBytes;
using tavo::test::TempDir;

const std::string kData = std::string(TAVO_SOURCE_DIR) + "/tests/data/";
const std::string kGolden = std::string(TAVO_SOURCE_DIR) + "/tests/golden/";

struct Written {
    std::string json, page;
};

// One pass over a copy of the log, writing its JSON and its page beside it.
Written WriteBoth(const TempDir& dir, const std::string& source, int offTime = DefaultOffTime) {
    const std::string log = dir.File(std::filesystem::path(source).filename().string());
    std::filesystem::copy_file(source, log);
    cty_utl3::CountryDatabase db;
    EXPECT_EQ(db.Load(kData + "zServer_CQWW.DAT"), 0);
    OutputBesideLog json(JsonReport), page(HtmlPage);
    SinkList both;
    both.Add(json);
    both.Add(page);
    LogPass pass;
    pass.SetOffThreshold(offTime);
    int format = 0;
    EXPECT_GT(AnalyzeLog(db, pass, log, format, both), 0);
    return {ReadBytes(OutputFileName(log, ".json")), ReadBytes(HtmlFileName(log))};
}

class GoldenJson : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenJson, MatchesTheCheckedFile) {
    TempDir dir;
    const std::string actual = WriteBoth(dir, kData + GetParam()).json;
    const std::string golden =
        kGolden + std::filesystem::path(GetParam()).stem().string() + ".json";
    if (std::getenv("TAVO_UPDATE_GOLDEN") != nullptr)
        std::ofstream(golden, std::ios::binary) << actual;
    const std::string expected = ReadBytes(golden);
    EXPECT_TRUE(actual == expected) << tavo::test::UnifiedDiff(expected, actual);
}

INSTANTIATE_TEST_SUITE_P(RealLogs, GoldenJson,
                         ::testing::Values("CQWW-CW-2012_2E0ZSE.log", "qxsl_allja1_2bc4e16.ALL"));

// Every piece of text between open and the next close.
std::vector<std::string> Pieces(std::string_view text, std::string_view open,
                                std::string_view close) {
    std::vector<std::string> pieces;
    for (std::size_t at = text.find(open); at != std::string_view::npos; at = text.find(open, at)) {
        at += open.size();
        const std::size_t end = text.find(close, at);
        if (end == std::string_view::npos) break;
        pieces.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return pieces;
}

std::string TextOf(std::string_view markup) {
    std::string text;
    bool tag = false;
    for (char c : markup) {
        if (c == '<' || c == '>')
            tag = c == '<';
        else if (!tag)
            text += c;
    }
    return text;
}

// The body rows of a table of the page, each row its cells' texts.
std::vector<std::vector<std::string>> BodyRows(const std::string& page, const std::string& id) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& table : Pieces(page, "<table id=\"" + id + "\">", "</table>")) {
        for (const std::string& body : Pieces(table, "<tbody>", "</tbody>")) {
            for (const std::string& tr : Pieces(body, "<tr>", "</tr>")) {
                std::vector<std::string> row;
                for (const std::string& cell : Pieces(tr, "<t", "</t"))
                    row.push_back(TextOf(cell.substr(cell.find('>') + 1)));
                rows.push_back(row);
            }
        }
    }
    return rows;
}

// A JSON time as the page shows it: "2012-11-24 07:53 UTC".
std::string Shown(const Json& time, const Json& doc) {
    if (time.is_null()) return "-";
    std::string text = time.get<std::string>();
    text[10] = ' ';
    if (text.back() == 'Z') text.pop_back();
    return text + " " + doc["clock"].get<std::string>();
}

std::string Fact(const std::string& page, const std::string& id) {
    return TextOf(Pieces(page, "<li id=\"" + id + "\"><b>", "</b>").at(0));
}

class PageAgreesWithJson : public ::testing::TestWithParam<const char*> {};

TEST_P(PageAgreesWithJson, InEveryNewFigure) {
    TempDir dir;
    const Written out = WriteBoth(dir, kData + GetParam());
    const Json doc = Json::parse(out.json);
    const std::string& page = out.page;

    EXPECT_EQ(Fact(page, "fact-qsos"), std::to_string(doc["qsos"].get<int>()));
    EXPECT_EQ(Fact(page, "fact-countries"), std::to_string(doc["countries"].size()));
    EXPECT_EQ(Fact(page, "fact-zones"), std::to_string(doc["zones"].size()));

    const auto zones = BodyRows(page, "zones");
    ASSERT_EQ(zones.size(), doc["zones"].size());
    for (std::size_t i = 0; i < zones.size(); ++i) {
        const Json& z = doc["zones"][i];
        EXPECT_EQ(zones[i].front(), std::to_string(z["zone"].get<int>()));
        EXPECT_EQ(zones[i][zones[i].size() - 2], std::to_string(z["total"].get<long long>()));
        EXPECT_EQ(zones[i].back(), Shown(z["first"]["time"], doc) + " &middot; " +
                                       z["first"]["band"].get<std::string>());
    }

    const auto modes = BodyRows(page, "modes");
    ASSERT_EQ(modes.size(), doc["modes"].size());
    for (const auto& row : modes)
        EXPECT_EQ(row[1], std::to_string(doc["modes"][row[0]].get<int>()));

    const auto best = BodyRows(page, "best-rates");
    ASSERT_EQ(best.size(), 3u);
    for (std::size_t i = 0; i < best.size(); ++i) {
        const Json& rate = doc["rates"]["best"][i];
        EXPECT_EQ(best[i][0], std::to_string(rate["minutes"].get<int>()) + " minutes");
        EXPECT_EQ(best[i][1], std::to_string(rate["qsos"].get<long long>()));
        EXPECT_EQ(best[i][3], Shown(rate["start"], doc));
    }

    const Json& off = doc["off_time"];
    const auto periods = BodyRows(page, "off-periods");
    ASSERT_EQ(periods.size(), off["periods"].size());
    for (std::size_t i = 0; i < periods.size(); ++i) {
        EXPECT_EQ(periods[i][0], Shown(off["periods"][i]["start"], doc));
        EXPECT_EQ(periods[i][1], Shown(off["periods"][i]["end"], doc));
        EXPECT_EQ(periods[i][2], std::to_string(off["periods"][i]["minutes"].get<long long>()));
    }
    EXPECT_NE(page.find("(" + std::to_string(off["on_minutes"].get<long long>()) + " minute"),
              std::string::npos);

    // The first-worked list is in time order; the JSON in table order.
    std::map<std::string, std::string> firsts;
    for (const auto& row : BodyRows(page, "first-worked")) firsts[row[3]] = row[1] + " " + row[2];
    std::size_t stamped = 0;
    for (const Json& c : doc["countries"]) {
        if (c["first"].is_null()) continue;
        ++stamped;
        EXPECT_EQ(firsts[c["prefix"]],
                  Shown(c["first"]["time"], doc) + " " + c["first"]["band"].get<std::string>());
    }
    EXPECT_EQ(firsts.size(), stamped);

    std::map<std::string, long long> outside;
    for (const auto& row : BodyRows(page, "outside-hf")) outside[row[0]] = std::stoll(row[1]);
    EXPECT_EQ(outside, doc["outside_hf"].get<decltype(outside)>());

    std::vector<std::string> calls;
    for (const std::string& list :
         Pieces(page, "<ul class=\"calls\" id=\"unknown-calls\">", "</ul>"))
        for (const std::string& call : Pieces(list, "<li>", "</li>")) calls.push_back(call);
    EXPECT_EQ(calls, doc["unknown_calls"].get<std::vector<std::string>>());

    // One bar per step with QSOs, each titled with the step's time and count.
    std::vector<std::string> bars = Pieces(page, "<rect class=\"step\"", "</rect>");
    std::vector<std::string> steps;
    for (const Json& step : doc["rates"]["series"]) {
        const long long n = step["qsos"];
        if (n > 0)
            steps.push_back(Shown(step["start"], doc) + ": " + std::to_string(n) + " QSO" +
                            (n == 1 ? "" : "s"));
    }
    ASSERT_EQ(bars.size(), steps.size());
    for (std::size_t i = 0; i < bars.size(); ++i)
        EXPECT_EQ(TextOf(bars[i].substr(bars[i].find('>') + 1)), steps[i]);
}

INSTANTIATE_TEST_SUITE_P(RealLogs, PageAgreesWithJson,
                         ::testing::Values("CQWW-CW-2012_2E0ZSE.log", "qxsl_allja1_2bc4e16.ALL",
                                           "ARRL10_mixed_2024_PX2A.log",
                                           "W6REK_2018-jan-vhf-arrl.cabrillo.txt",
                                           "CQWW-PH-2008_4F1AL.log"));

TEST(JsonFigures, FollowTheirDefinitions) {
    using tavo::test::CabrilloQso;
    TempDir source, dir;
    std::string fm = CabrilloQso("50100", "2024-03-02", "1230", "JA2ABC");  // 20 minutes on
    fm.replace(fm.find(" CW "), 4, " fm ");  // the mode as written, to be upper-cased
    // In file order; the stamps are not: Cabrillo lines need not be sorted.
    std::string lines;
    for (const std::string& line : {
             CabrilloQso("14025", "2024-03-02", "1205", "DL1AA"),
             CabrilloQso("14025", "2024-03-02", "1200", "DL4DD"),
             CabrilloQso(" 7025", "2024-03-02", "1200", "DL2BB"),  // the same minute, later
             CabrilloQso("14025", "2024-03-02", "1209", "JA1ABC"),
             CabrilloQso("14025", "2024-03-02", "1210", "JA1ABC"),
             fm,
             CabrilloQso("14025", "2023-02-29", "1300", "DL3CC"),  // no such day
             CabrilloQso("14025", "2024-03-02", "2400", "DL3CC"),  // no such time
             CabrilloQso("14025", "2024-03-02", "12:5", "DL3CC"),  // not four digits
             CabrilloQso("14025", "2024-03-02", "1300", "Q1ZZZ"),
             CabrilloQso("14025", "2024-03-02", "1301", "Q1ZZZ"),
             CabrilloQso("14025", "2024-03-02", "1302", "Q2ZZZ"),
         }) {
        lines += line + "\r\n";
    }
    const std::string log = source.Write("defs.cbr", tavo::test::CabrilloLog(lines));

    const Json doc = Json::parse(WriteBoth(dir, log, 20).json);
    EXPECT_EQ(doc["qsos"], 12);
    EXPECT_EQ(doc["unstamped"], 3);
    EXPECT_EQ(doc["modes"], (Json{{"CW", 11}, {"FM", 1}}));
    EXPECT_EQ(doc["outside_hf"], (Json{{"50", 1}}));
    EXPECT_EQ(doc["unknown_calls"], (Json{"Q1ZZZ", "Q2ZZZ"}));
    // Windows [s, s+N) from each stamp: 12:00 holds four QSOs in ten minutes
    // and five in thirty (12:30 is out); 12:05 holds seven in sixty.
    const Json& best = doc["rates"]["best"];
    EXPECT_EQ(best[0], (Json{{"minutes", 10}, {"qsos", 4}, {"start", "2024-03-02T12:00Z"}}));
    EXPECT_EQ(best[1], (Json{{"minutes", 30}, {"qsos", 5}, {"start", "2024-03-02T12:00Z"}}));
    EXPECT_EQ(best[2], (Json{{"minutes", 60}, {"qsos", 7}, {"start", "2024-03-02T12:05Z"}}));
    // Gaps of 20 minutes or more: 12:10 to 12:30, then 12:30 to 13:00.
    const Json& off = doc["off_time"];
    EXPECT_EQ(off["threshold_minutes"], 20);
    ASSERT_EQ(off["periods"].size(), 2u);
    EXPECT_EQ(
        off["periods"][0],
        (Json{{"start", "2024-03-02T12:10Z"}, {"end", "2024-03-02T12:30Z"}, {"minutes", 20}}));
    EXPECT_EQ(off["on_minutes"], 62 - 20 - 30);
    // Germany: first at 12:00, where the earlier line in the file wins the
    // tie; its unstamped QSOs count but are not considered.
    bool seen = false;
    for (const Json& c : doc["countries"]) {
        if (c["prefix"] != "DL") continue;
        seen = true;
        EXPECT_EQ(c["first"], (Json{{"time", "2024-03-02T12:00Z"}, {"band", "14"}}));
        EXPECT_EQ(c["total"], 6);
        EXPECT_EQ(c["zone"], 14);
    }
    EXPECT_TRUE(seen);
}

}  // namespace
}  // namespace tavo_json
