// The HTML page: a golden page for a real log, its tables and bars read back
// and compared with the text report of the same pass for every real log, the
// escaping of what logs and data files bring, and the page's file name.
#include "analysis/html_report.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "analysis/u_tavo300.h"
#include "common/text.h"
#include "country/cty_utl3.h"
#include "tests/analysis/log_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unified_diff.h"

namespace u_tavo300 {
namespace {

using tavo::test::ReadBytes;
using tavo::test::TempDir;
using Row = std::vector<std::string>;

const std::string kData = std::string(TAVO_SOURCE_DIR) + "/tests/data/";
const std::string kGolden = std::string(TAVO_SOURCE_DIR) + "/tests/golden/";

// The text report and the page of one pass, both beside a copy of the log.
struct Outputs {
    int count = 0;
    std::string report;
    std::string page;
};

Outputs ReportBoth(const TempDir& dir, const std::string& source) {
    std::string log = dir.File(std::filesystem::path(source).filename().string());
    std::filesystem::copy_file(source, log);
    OutputBesideLog report(TextReport);
    OutputBesideLog page(HtmlPage);
    SinkList both;
    both.Add(report);
    both.Add(page);
    LogPass pass;
    int format = 0;
    Outputs out;
    out.count = AnalyzeLog(cty_utl3::DefaultCountryDatabase(), pass, log, format, both);
    out.report = ReadBytes(ReportFileName(log));
    out.page = ReadBytes(HtmlFileName(log));
    return out;
}

std::string Unescape(std::string_view text) {
    static const std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool matched = false;
        for (const auto& [entity, c] : kEntities) {
            if (text.substr(i).starts_with(entity)) {
                out += c;
                i += entity.size();
                matched = true;
                break;
            }
        }
        if (!matched) out += text[i++];
    }
    return out;
}

// The text of markup with its tags left out and its entities undone.
std::string TextOf(std::string_view markup) {
    std::string text;
    bool inTag = false;
    for (char c : markup) {
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag)
            text += c;
    }
    return Unescape(text);
}

// Every piece of `text` from `open` up to the next `close`, the markers left out.
std::vector<std::string_view> Pieces(std::string_view text, std::string_view open,
                                     std::string_view close) {
    std::vector<std::string_view> pieces;
    for (std::size_t at = text.find(open); at != std::string_view::npos; at = text.find(open, at)) {
        at += open.size();
        std::size_t end = text.find(close, at);
        if (end == std::string_view::npos) break;
        pieces.push_back(text.substr(at, end - at));
        at = end + close.size();
    }
    return pieces;
}

// The rows of the page's table with this id, each row its cells' texts;
// empty cells are left out.
std::vector<Row> TableRows(const std::string& page, const std::string& id) {
    std::vector<std::string_view> tables = Pieces(page, "<table id=\"" + id + "\">", "</table>");
    EXPECT_EQ(tables.size(), 1u) << id;
    std::vector<Row> rows;
    if (tables.empty()) return rows;
    for (std::string_view tr : Pieces(tables[0], "<tr>", "</tr>")) {
        Row row;
        for (std::size_t at = tr.find("<t"); at != std::string_view::npos; at = tr.find("<t", at)) {
            std::size_t start = tr.find('>', at) + 1;
            std::size_t end = tr.find("</t", start);
            std::string cell = TextOf(tr.substr(start, end - start));
            if (!cell.empty()) row.push_back(cell);
            at = end + 3;
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> ReportLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Words(std::string text) {
    for (char& c : text) {
        if (c == '|' || c == ':') c = ' ';
    }
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

std::size_t LineIndex(const std::vector<std::string>& lines, std::string_view start,
                      std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (lines[i].starts_with(start)) return i;
    }
    ADD_FAILURE() << "no line starting with '" << start << "'";
    return lines.size();
}

// The continent table of the text report: name, six band cells, ALL and the
// share; then the sum row.
std::vector<Row> TextContinentRows(const std::vector<std::string>& lines) {
    std::vector<Row> rows;
    std::size_t at = LineIndex(lines, " Band(MHz)") + 2;
    for (std::size_t i = at; i < at + 6 && i < lines.size(); ++i) {
        Row row{std::string(tavo::Trim(lines[i].substr(0, 13)))};
        for (std::string& w : Words(lines[i].substr(13))) row.push_back(w);
        rows.push_back(row);
    }
    if (at + 7 < lines.size()) rows.push_back(Words(lines[at + 7]));
    return rows;
}

// The country table of the text report: prefix, name, six band cells and
// ALL; then the two summary rows without their labels.
std::vector<Row> TextCountryRows(const std::vector<std::string>& lines) {
    std::vector<Row> rows;
    std::size_t i = LineIndex(lines, "Px      Country") + 2;
    for (; i < lines.size() && !lines[i].starts_with("-----"); ++i) {
        const std::string& line = lines[i];
        std::size_t colon = line.find(':');
        Row row{std::string(tavo::Trim(line.substr(0, colon))),
                std::string(tavo::Trim(line.substr(colon + 1, 26)))};
        for (std::string& w : Words(line.substr(colon + 27))) row.push_back(w);
        rows.push_back(row);
    }
    for (std::size_t s = i + 1; s <= i + 2 && s < lines.size(); ++s)
        rows.push_back(Words(lines[s].substr(lines[s].find('|'))));
    return rows;
}

// One time chart: its non-empty hour columns in order, each with the
// continents' counts 1..6.
struct Chart {
    std::vector<std::pair<int, std::array<long long, 7>>> bars;
};
using Charts = std::map<std::pair<int, std::string>, Chart>;  // (day, band or ALL)

Chart TextBlock(const std::vector<std::string>& lines, std::size_t header) {
    Chart chart;
    std::vector<std::string> hours = Words(lines[header]);
    const std::size_t width = (lines[header + 1].size() - 10) / 24;  // from the rule's length
    for (std::size_t j = 0; j < hours.size(); ++j) {
        std::array<long long, 7> counts{};
        long long sum = 0;
        for (int k = 1; k <= 6; ++k) {
            std::string cell(tavo::Trim(lines[header + 1 + k].substr(4 + width * j, width)));
            counts[k] = cell == "-" ? 0 : std::stoll(cell);
            sum += counts[k];
        }
        if (sum > 0) chart.bars.push_back({std::stoi(hours[j]), counts});
    }
    return chart;
}

Charts TextCharts(const std::vector<std::string>& lines) {
    Charts charts;
    std::size_t all = LineIndex(lines, "Time Chart / QSO  ALL BAND");
    std::size_t bands = LineIndex(lines, "Time Chart / QSO ", all + 1);
    int day = 0;
    std::string band = "ALL";
    for (std::size_t i = all + 1; i < lines.size(); ++i) {
        if (i == bands) band = "";
        if (lines[i].starts_with("day ")) day = std::stoi(lines[i].substr(4));
        if (lines[i].starts_with("-- ")) band = Words(lines[i].substr(3, 3))[0];
        if (lines[i].starts_with("    ") && i + 1 < lines.size() && lines[i + 1].starts_with("---"))
            charts[{day, band}] = TextBlock(lines, i);
    }
    return charts;
}

// The page's charts read from its bars' titles: "hour 14: 35 QSOs (NA 3, EU 30)".
Charts PageCharts(const std::string& page) {
    Charts charts;
    int day = 0;
    for (std::string_view part : Pieces(page, "<section class=\"day\">\r\n<h3>", "</section>")) {
        day = std::stoi(std::string(part.substr(4)));
        for (std::string_view figure : Pieces(part, "<figcaption><b>", "</figure>")) {
            std::string label(figure.substr(0, figure.find("</b>")));
            std::string band = label == "All bands" ? "ALL" : Words(label)[0];
            Chart chart;
            for (std::string_view title : Pieces(figure, "<g class=\"bar\"><title>", "</title>")) {
                std::array<long long, 7> counts{};
                std::string text(title);
                int hour = std::stoi(text.substr(5, 2));
                std::string list = text.substr(text.find('(') + 1);
                list.pop_back();
                std::istringstream in(list);
                for (std::string abbr, n; in >> abbr >> n;) {
                    for (int k = 1; k <= 6; ++k) {
                        if (cty_utl3::ContinentAbbr(k) == abbr) counts[k] = std::stoll(n);
                    }
                }
                long long sum = 0;
                for (long long n : counts) sum += n;
                EXPECT_EQ(text.substr(9, text.find(' ', 9) - 9), std::to_string(sum)) << text;
                chart.bars.push_back({hour, counts});
            }
            charts[{day, band}] = chart;
        }
    }
    return charts;
}

class HtmlReport : public ::testing::Test {
protected:
    void SetUp() override {
        cty_utl3::ClearCountryTables();
        ASSERT_EQ(cty_utl3::LoadCountryFile(kData + "zServer_CQWW.DAT"), 0);
    }
    void TearDown() override { cty_utl3::ClearCountryTables(); }
    TempDir dir;
};

TEST_F(HtmlReport, MatchesTheCheckedPageBesideAnUnchangedReport) {
    Outputs out = ReportBoth(dir, kData + "CQWW-CW-2012_2E0ZSE.log");
    EXPECT_EQ(out.count, 226);
    const std::string golden = kGolden + "CQWW-CW-2012_2E0ZSE.html";
    if (std::getenv("TAVO_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(golden, std::ios::binary) << out.page;
    }
    std::string expected = ReadBytes(golden);
    EXPECT_TRUE(out.page == expected) << tavo::test::UnifiedDiff(expected, out.page);
    // The page rides along; the text report stays byte for byte what it was.
    EXPECT_EQ(out.report, ReadBytes(kGolden + "CQWW-CW-2012_2E0ZSE.tavo"));
}

// A text report alone needs none of the figures over every QSO, so its pass
// skips them; a pass reused for a page afterwards counts them all again.
TEST_F(HtmlReport, APassCountsEveryQsoOnlyForAnOutputThatShowsIt) {
    struct Keep : ReportSink {
        explicit Keep(bool whole) : whole_(whole) {}
        bool Write(const ContestModel& written) override {
            model = written;
            return true;
        }
        bool WholeLog() const override { return whole_; }
        bool whole_;
        ContestModel model;
    };
    const std::string log = dir.File("CQWW-CW-2012_2E0ZSE.log");
    std::filesystem::copy_file(kData + "CQWW-CW-2012_2E0ZSE.log", log);
    const cty_utl3::CountryDatabase& db = cty_utl3::DefaultCountryDatabase();
    LogPass pass;
    int format = 0;
    OutputBesideLog report(TextReport), page(HtmlPage);
    Keep textOnly(false), whole(true);
    SinkList first, then;
    first.Add(report);
    first.Add(textOnly);
    then.Add(page);
    then.Add(whole);

    ASSERT_EQ(AnalyzeLog(db, pass, log, format, first), 226);
    EXPECT_FALSE(pass.WholeLog());
    EXPECT_EQ(ReadBytes(ReportFileName(log)), ReadBytes(kGolden + "CQWW-CW-2012_2E0ZSE.tavo"));
    EXPECT_TRUE(textOnly.model.Modes.empty());
    EXPECT_TRUE(textOnly.model.WorkedCountries.empty());
    EXPECT_TRUE(textOnly.model.Progress.empty());

    ASSERT_EQ(AnalyzeLog(db, pass, log, format, then), 226);
    EXPECT_TRUE(pass.WholeLog());
    EXPECT_EQ(ReadBytes(HtmlFileName(log)), ReadBytes(kGolden + "CQWW-CW-2012_2E0ZSE.html"));
    EXPECT_FALSE(whole.model.Modes.empty());
}

class PageAgreesWithReport : public HtmlReport,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(PageAgreesWithReport, InEveryTableFigureAndEveryBar) {
    Outputs out = ReportBoth(dir, kData + GetParam());
    ASSERT_GT(out.count, 0);
    const std::vector<std::string> lines = ReportLines(out.report);

    std::vector<Row> continents = TableRows(out.page, "continents");
    ASSERT_FALSE(continents.empty());
    continents.erase(continents.begin());  // the heading row
    EXPECT_EQ(continents, TextContinentRows(lines));

    std::vector<Row> countries = TableRows(out.page, "countries");
    ASSERT_GE(countries.size(), 3u);
    countries.erase(countries.begin());
    for (std::size_t i = countries.size() - 2; i < countries.size(); ++i)
        countries[i].erase(countries[i].begin());  // "QSOs", "Countries"
    EXPECT_EQ(countries, TextCountryRows(lines));

    Charts text = TextCharts(lines);
    const Charts page = PageCharts(out.page);
    ASSERT_FALSE(text.empty());
    // A day without cells has its empty table in the report and no chart on the page.
    std::erase_if(text, [](const auto& chart) { return chart.second.bars.empty(); });
    EXPECT_EQ(page.size(), text.size());
    for (const auto& [key, chart] : text) {
        auto found = page.find(key);
        ASSERT_NE(found, page.end()) << "day " << key.first << " band " << key.second;
        EXPECT_EQ(found->second.bars, chart.bars) << "day " << key.first << " band " << key.second;
    }
    EXPECT_NE(out.page.find("<title>" + std::string(GetParam()) + " &ndash; Worked " +
                            std::to_string(out.count) + " stations / File type "),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(RealLogs, PageAgreesWithReport,
                         ::testing::Values("CQWW-CW-2012_2E0ZSE.log", "CQWW-PH-2008_4F1AL.log",
                                           "WAE-CW-2017_9M2_JE1SCJ.log", "CQWW-CW-2024_7N2TRM.log",
                                           "CQWW-CW-2005_4S7RS.log", "ARRL10_mixed_2024_PX2A.log",
                                           "NAQP_cw_2025_K3AJ.log", "CQWW_cw_2024_k3lr.log",
                                           "W6REK_2018-jan-vhf-arrl.cabrillo.txt",
                                           "zLog_ALLJA8_2022_JR8PPG.cbr",
                                           "qxsl_allja1_beb6527.ALL"),
                         [](const auto& info) {
                             std::string name = std::filesystem::path(info.param).stem().string();
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

TEST_F(HtmlReport, EveryPageStandsAlone) {
    for (const char* log : {"CQWW-CW-2012_2E0ZSE.log", "NAQP_cw_2025_K3AJ.log"}) {
        TempDir own;
        const std::string page = ReportBoth(own, kData + log).page;
        EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\r\n")) << log;
        EXPECT_TRUE(page.ends_with("</html>\r\n")) << log;
        for (const char* outside : {"<script", "src=", "href=", "url(", "@import",
                                    "http:", "https:", "<link", "<img", "<iframe", "@font-face"})
            EXPECT_EQ(page.find(outside), std::string::npos) << log << ": " << outside;
        EXPECT_NE(page.find("@media print"), std::string::npos);
        // Every line ends in CR LF, as every file tavo writes.
        for (std::size_t at = page.find('\n'); at != std::string::npos;
             at = page.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && page[at - 1] == '\r') << log << " at byte " << at;
    }
}

TEST(HtmlEscape, TurnsEveryMarkupCharacterIntoItsEntity) {
    EXPECT_EQ(HtmlEscape("<b>Tom & \"Jerry\" 'n'</b>"),
              "&lt;b&gt;Tom &amp; &quot;Jerry&quot; &#39;n&#39;&lt;/b&gt;");
    EXPECT_EQ(HtmlEscape("&amp;"), "&amp;amp;");
    EXPECT_EQ(HtmlEscape(std::string("a\0b\x1b", 4)), "a&#xFFFD;b&#xFFFD;");
    // Bytes beyond ASCII are the name's own and stay as they are.
    EXPECT_EQ(HtmlEscape("Bj\xc3\xb6rn\tJA"), "Bj\xc3\xb6rn\tJA");
    // Bytes of another code page, overlong forms, surrogates and cut
    // sequences: each byte that is no part of well-formed UTF-8 is one U+FFFD.
    EXPECT_EQ(HtmlEscape("Bj\xf6rn \xe2\x82\xac\xf0\x9f\x93\xbb"),
              "Bj&#xFFFD;rn \xe2\x82\xac\xf0\x9f\x93\xbb");
    EXPECT_EQ(HtmlEscape("\xc0\xaf \xed\xa0\x80 \xe2\x82"),
              "&#xFFFD;&#xFFFD; &#xFFFD;&#xFFFD;&#xFFFD; &#xFFFD;&#xFFFD;");
}

TEST(HtmlReportHostile, NamesFromTheLogAndTheDataFileAreTextNotMarkup) {
    using namespace tavo::test;
    TempDir dir;
    std::string data = dir.Write(
        "CQWW.DAT",
        Lines({"hostile countries", CountryHeader("<script>alert(1)</script>", "25", "J<A", "AS"),
               "  JA;", CountryHeader("Tom & \"Jerry's\" Land", "14", "DL&", "EU"), "  DL;",
               "end of file"}));
    cty_utl3::CountryDatabase db;
    ASSERT_EQ(db.Load(data), 0);
    std::string log = dir.Write(
        "cq.cbr", CabrilloLog(CabrilloQso("14025", "2012-11-24", "0100", "JA1ABC") + "\r\n" +
                              CabrilloQso(" 7025", "2012-11-24", "0200", "DL1ABC") + "\r\n"));
    OutputBesideLog beside(TextReport);
    LogPass pass;
    int format = 0;
    ASSERT_EQ(AnalyzeLog(db, pass, log, format, beside), 2);
    ContestModel model = BuildModel(pass, db, "logs/a<b>&'\".cbr");
    // A name Windows would refuse for a file is still a name a page can be given.
    std::string pagePath = dir.File("page.html");
    {
        std::optional<tavo::TextWriter> out = tavo::TextWriter::Create(pagePath);
        ASSERT_TRUE(out);
        WriteHtmlReport(*out, model);
        out->Close();
    }
    const std::string page = ReadBytes(pagePath);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("J<A"), std::string::npos);
    EXPECT_EQ(page.find("a<b>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"name\">&lt;script&gt;alert(1)&lt;/script&gt;</td>"),
              std::string::npos);
    EXPECT_NE(page.find("<td class=\"name\">Tom &amp; &quot;Jerry&#39;s&quot; Land</td>"),
              std::string::npos);
    EXPECT_NE(page.find("<td class=\"name\">DL&amp;</td>"), std::string::npos);
    EXPECT_NE(page.find("<h1>a&lt;b&gt;&amp;&#39;&quot;.cbr</h1>"), std::string::npos);
    EXPECT_NE(page.find("<title>a&lt;b&gt;&amp;&#39;&quot;.cbr &ndash; Worked 2 stations"),
              std::string::npos);
    // Read back, the cells are the names exactly.
    std::vector<Row> rows = TableRows(page, "countries");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1][1], "<script>alert(1)</script>");
    EXPECT_EQ(rows[2][0], "DL&");
    EXPECT_EQ(rows[2][1], "Tom & \"Jerry's\" Land");
}

TEST_F(HtmlReport, ALogWithoutChartCellsStillGivesAWholePage) {
    using namespace tavo::test;
    // QSOs without an hour are worked stations with no bar.
    std::string log = dir.Write(
        "nohour.cbr", CabrilloLog(CabrilloQso("14025", "2012-11-24", "xx00", "JA1ABC") + "\r\n"));
    OutputBesideLog sink(HtmlPage);
    LogPass pass;
    int format = 0;
    ASSERT_EQ(AnalyzeLog(cty_utl3::DefaultCountryDatabase(), pass, log, format, sink), 1);
    std::string page = ReadBytes(HtmlFileName(log));
    EXPECT_NE(page.find("No QSO of this day has both an hour and a continent."), std::string::npos);
    EXPECT_EQ(page.find("<g class=\"bar\">"), std::string::npos);
    EXPECT_TRUE(page.ends_with("</html>\r\n"));

    std::string empty = dir.Write("empty.cbr", CabrilloLog(""));
    ASSERT_EQ(AnalyzeLog(cty_utl3::DefaultCountryDatabase(), pass, empty, format, sink), 0);
    page = ReadBytes(HtmlFileName(empty));
    EXPECT_NE(page.find("The log has no QSO."), std::string::npos);
    EXPECT_NE(page.find("<td>0.0%</td>"), std::string::npos);
}

TEST(HtmlFileName, ReplacesTheExtensionAsTheReportDoesAndNeverNamesTheLog) {
    EXPECT_EQ(HtmlFileName("contest.cbr"), "contest.html");
    EXPECT_EQ(HtmlFileName("dir.v2/contest"), "dir.v2/contest.html");
    EXPECT_EQ(ReportFileName("contest.cbr"), "contest.tavo");
    // A log that is itself an .html file keeps its whole name, as a .tavo log does.
    EXPECT_EQ(HtmlFileName("odd.html"), "odd.html.html");
    EXPECT_EQ(HtmlFileName("ODD.HTML"), "ODD.HTML.html");
    EXPECT_EQ(ReportFileName("odd.tavo"), "odd.tavo.tavo");
}

TEST(SinkList, WritesALaterSinkOnlyAfterTheEarlierOnesWorked) {
    struct Recorder : ReportSink {
        Recorder(std::vector<std::string>& log, std::string name, bool works)
            : log_(log), name_(std::move(name)), works_(works) {}
        bool Write(const ContestModel&) override {
            log_.push_back(name_);
            return works_;
        }
        std::vector<std::string>& log_;
        std::string name_;
        bool works_;
    };
    std::vector<std::string> calls;
    Recorder good(calls, "first", true), bad(calls, "bad", false), second(calls, "second", true);
    auto list = [](ReportSink& first, ReportSink& then) {
        auto sinks = std::make_unique<SinkList>();
        sinks->Add(first);
        sinks->Add(then);
        return sinks;
    };
    const ContestModel model;
    EXPECT_TRUE(list(good, second)->Write(model));
    EXPECT_FALSE(list(bad, second)->Write(model));
    EXPECT_FALSE(list(good, bad)->Write(model));
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "second", "bad", "first", "bad"}));
}

}  // namespace
}  // namespace u_tavo300
