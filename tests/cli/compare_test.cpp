// `tavo compare` as a user runs it: real logs, the page and JSON it writes,
// and a field of logs read from a list on standard input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/analysis/log_builder.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unified_diff.h"

namespace {

using namespace tavo::test;
using json = nlohmann::ordered_json;  // keys in the order written
namespace fs = std::filesystem;

const std::string kTavo = TAVO_BIN;
const std::string kData = std::string(TAVO_SOURCE_DIR) + "/tests/data/";
const std::string kGolden = std::string(TAVO_SOURCE_DIR) + "/tests/golden/";
const std::string kCountries = kData + "zServer_CQWW.DAT";
const char* const kLogs[] = {"CQWW-CW-2005_7K1CPT.log", "CQWW-CW-2005_4S7RS.log"};

class Compare : public ::testing::Test {
protected:
    ProgramRun Tavo(const std::vector<std::string>& args, const Streams& streams = {}) {
        std::vector<std::string> all = {"compare", "--data", kCountries};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(kTavo, all, dir.Path().string(), streams);
    }
    // A copy of a real log in the scratch folder.
    std::string Copy(const std::string& log) {
        const std::string path = dir.File(log);
        fs::copy_file(kData + log, path, fs::copy_options::overwrite_existing);
        return path;
    }
    void ExpectGolden(const std::string& file, const std::string& golden) {
        if (std::getenv("TAVO_UPDATE_GOLDEN") != nullptr)
            fs::copy_file(file, kGolden + golden, fs::copy_options::overwrite_existing);
        const std::string expected = ReadBytes(kGolden + golden);
        const std::string actual = ReadBytes(file);
        EXPECT_TRUE(actual == expected) << golden << ":\n" << UnifiedDiff(expected, actual);
    }
    TempDir dir;
};

TEST_F(Compare, TwoRealLogsMatchTheCheckedPageAndJson) {
    const std::string a = Copy(kLogs[0]), b = Copy(kLogs[1]);
    const std::string before = ReadBytes(a);
    ProgramRun page = Tavo({"-o", dir.File("two.html"), a, b});
    ASSERT_EQ(page.exitCode, 0) << page.err;
    EXPECT_EQ(page.out + page.err, "");
    ExpectGolden(dir.File("two.html"), "compare_7K1CPT_4S7RS.html");
    ProgramRun js = Tavo({"--json", "--stdout", kLogs[0], kLogs[1]});
    ASSERT_EQ(js.exitCode, 0) << js.err;
    dir.Write("two.json", js.out);
    ExpectGolden(dir.File("two.json"), "compare_7K1CPT_4S7RS.json");
    EXPECT_EQ(ReadBytes(a), before) << "a log is never changed";
    EXPECT_FALSE(fs::exists(dir.File("CQWW-CW-2005_7K1CPT.tavo"))) << "nothing beside the logs";
}

// The continent table of a log's own text report, by the JSON's abbreviations.
std::map<std::string, std::vector<int>> ReportContinents(const std::string& text) {
    const std::map<std::string, std::string> abbr = {
        {"North America", "NA"}, {"South America", "SA"}, {"Europe", "EU"},
        {"Asia", "AS"},          {"Oceania", "OC"},       {"Africa", "AF"}};
    std::map<std::string, std::vector<int>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const std::size_t bar = line.find('|');
        if (bar == std::string::npos) continue;
        std::istringstream name(line.substr(0, bar));
        std::string word, full;
        while (name >> word) full += (full.empty() ? "" : " ") + word;
        if (!abbr.contains(full)) continue;
        std::istringstream cells(line.substr(bar + 1, line.find('|', bar + 1) - bar - 1));
        for (std::string cell; cells >> cell;)
            rows[abbr.at(full)].push_back(cell == "-" ? 0 : std::stoi(cell));
    }
    return rows;
}

TEST_F(Compare, EachLogsFiguresAreThoseOfItsOwnReport) {
    // A threshold of its own reaches every log's on-time, as in report.
    ProgramRun js =
        Tavo({"--json", "--stdout", "--off-time", "45", Copy(kLogs[0]), Copy(kLogs[1])});
    ASSERT_EQ(js.exitCode, 0) << js.err;
    const json j = json::parse(js.out);
    ASSERT_EQ(j["logs"].size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        auto report = [&](std::vector<std::string> args) {
            args.insert(args.begin(), {"report", "--stdout", "--data", kCountries});
            args.push_back(kLogs[i]);
            ProgramRun run = RunProgram(kTavo, args, dir.Path().string());
            EXPECT_EQ(run.exitCode, 0) << run.err;
            return run.out;
        };
        const json own = json::parse(report({"--json", "--off-time", "45"}));
        const json& log = j["logs"][i];
        EXPECT_EQ(log["name"], own["log"]);
        EXPECT_EQ(log["qsos"], own["qsos"]);
        EXPECT_EQ(log["countries"], own["countries"].size());
        EXPECT_EQ(log["zones"], own["zones"].size());
        EXPECT_EQ(log["rates"]["best"], own["rates"]["best"]);
        EXPECT_EQ(log["on_minutes"], own["off_time"]["on_minutes"]);
        ASSERT_GT(own["off_time"]["on_minutes"], 0);
        for (std::size_t z = 0; z < own["zones"].size(); ++z) {
            for (const auto& [band, n] : log["zones_by_band"][z]["bands"].items())
                EXPECT_EQ(n, own["zones"][z]["bands"].value(band, 0)) << kLogs[i] << " zone " << z;
        }
        const auto continents = ReportContinents(report({}));
        ASSERT_EQ(continents.size(), 6u);
        for (const auto& [k, cells] : continents) {
            std::vector<int> bands;
            for (const auto& [band, n] : log["continents"][k].items()) bands.push_back(n);
            EXPECT_EQ(bands, cells) << kLogs[i] << " " << k;
        }
    }
    // 7K1CPT worked Japan and 4S7RS did not; both worked Germany.
    const json& only = j["unique_countries"];
    EXPECT_NE(std::find(only[kLogs[0]].begin(), only[kLogs[0]].end(), "JA"), only[kLogs[0]].end());
    for (const auto& [name, list] : only.items())
        EXPECT_EQ(std::find(list.begin(), list.end(), "DL"), list.end()) << name;
}

// A log of n QSOs, each with another call, all in the hour 01 UTC.
std::string LogOf(int n, std::string_view power) {
    std::string lines;
    for (int i = 0; i < n; ++i)
        lines += CabrilloQso("14025", "2024-11-30",
                             "01" + std::string(i < 10 ? "0" : "") + std::to_string(i),
                             "DL" + std::to_string(i) + "AA") +
                 "\r\n";
    return "START-OF-LOG: 3.0\r\nCALLSIGN: JA1ZLO\r\nCATEGORY-OPERATOR: SINGLE-OP\r\n"
           "CATEGORY-POWER: " +
           std::string(power) + "\r\n" + lines + "END-OF-LOG:\r\n";
}

TEST_F(Compare, AFieldFromStandardInputGivesNearestRankPercentilesAndRanks) {
    dir.Write("CQWW.DAT", Lines({"test countries", CountryHeader("Germany", "14", "DL"), "  DL;",
                                 "end of file"}));
    std::string list;
    // QSOs 1..5 in the low-power class, two high-power logs, one that cannot be read.
    for (int n = 1; n <= 5; ++n)
        list += dir.Write("low" + std::to_string(n) + ".log", LogOf(n, "LOW")) + "\n";
    for (int n : {20, 30})
        list += dir.Write("high" + std::to_string(n) + ".log", LogOf(n, "HIGH")) + "\n";
    list += dir.File("missing.log") + "\n";
    dir.Write("list.txt", list);
    const std::string own = dir.Write("own.log", LogOf(3, "LOW"));
    Streams fromList;
    fromList.in = dir.File("list.txt");
    ProgramRun all = RunProgram(kTavo, {"compare", "--json", "--stdout", "--field", "-", own},
                                dir.Path().string(), fromList);
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_NE(all.err.find("missing.log"), std::string::npos) << all.err;
    json f = json::parse(all.out)["field"];
    EXPECT_EQ(f["logs"], 7);
    EXPECT_EQ(f["skipped"], 1);
    // QSOs 1 2 3 4 5 20 30: ranks ceil(.5*7)=4, ceil(.75*7)=6, ceil(.9*7)=7.
    EXPECT_EQ(f["qsos"], json::parse(R"({"value":3,"median":4,"p75":20,"p90":30,"rank":5})"));
    ASSERT_EQ(f["hours"].size(), 1u);
    EXPECT_EQ(f["hours"][0]["hour"], "2024-11-30T01:00Z");
    EXPECT_EQ(f["hours"][0]["rank"], 5);

    // The output never replaces a log of the field either.
    const std::string low1 = ReadBytes(dir.File("low1.log"));
    EXPECT_EQ(RunProgram(kTavo, {"compare", "--field", "-", "-o", dir.File("low1.log"), own},
                         dir.Path().string(), fromList)
                  .exitCode,
              1);
    EXPECT_EQ(ReadBytes(dir.File("low1.log")), low1);

    ProgramRun low =
        RunProgram(kTavo, {"compare", "--json", "--stdout", "--same-category", "--field", "-", own},
                   dir.Path().string(), fromList);
    ASSERT_EQ(low.exitCode, 0) << low.err;
    f = json::parse(low.out)["field"];
    EXPECT_EQ(f["logs"], 5);
    EXPECT_EQ(f["other_category"], 2);
    // QSOs 1..5: ranks ceil(2.5)=3, ceil(3.75)=4, ceil(4.5)=5; two logs have more than 3.
    EXPECT_EQ(f["qsos"], json::parse(R"({"value":3,"median":3,"p75":4,"p90":5,"rank":3})"));
    EXPECT_EQ(f["countries"]["median"], 1);
    EXPECT_EQ(f["zones"]["rank"], 1);
    // One QSO a minute: each log's best 10 minutes is its QSOs, up to 10.
    EXPECT_EQ(f["rates"][0], json::parse(R"({"minutes":10,"value":3,"median":3,"p75":4,"p90":5,
                                             "rank":3})"));
}

TEST_F(Compare, RefusesWhatItCannotDo) {
    const std::string a = Copy(kLogs[0]);
    ProgramRun help = Tavo({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: tavo compare ")) << help.out;
    EXPECT_NE(help.out.find("ceil(P/100 x N)"), std::string::npos) << "the percentile rule";
    // An empty field has no percentiles, and the log stands first.
    dir.Write("empty.txt", "");
    const json alone =
        json::parse(Tavo({"--json", "--stdout", "--field", dir.File("empty.txt"), a}).out);
    EXPECT_EQ(alone["field"]["qsos"],
              json::parse(R"({"value":161,"median":null,"p75":null,"p90":null,"rank":1})"));
    EXPECT_EQ(Tavo({"--stdout", a}).exitCode, 2) << "one log alone";
    EXPECT_EQ(Tavo({a, a}).exitCode, 2) << "no output named";
    ProgramRun onto = Tavo({"-o", a, a, Copy(kLogs[1])});
    EXPECT_EQ(onto.exitCode, 1);
    EXPECT_EQ(ReadBytes(a), ReadBytes(kData + kLogs[0])) << "the output never replaces a log";
    ProgramRun missing = Tavo({"--stdout", a, dir.File("none.log")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("none.log"), std::string::npos);
}

}  // namespace
