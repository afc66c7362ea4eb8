#include "cli/compare_command.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

#include "analysis/compare.h"
#include "analysis/compare_page.h"
#include "app/command_texts.h"
#include "app/execute.h"
#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"
#include "json/compare_json.h"
#include "platform/text_file.h"

namespace tavo {

namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kHelp =
    "Usage: tavo compare [--json] [--off-time MIN] [--data FILE] (-o OUT | --stdout)\n"
    "                    LOG LOG [LOG...]\n"
    "       tavo compare --field DIR|LIST [--same-category] [--jobs N] [--json]\n"
    "                    [--off-time MIN] [--data FILE] (-o OUT | --stdout) LOG\n"
    "Compare two to eight logs side by side (QSOs, countries, zones, best rates,\n"
    "on-time, QSOs per hour and so far, continents and zones by band, countries,\n"
    "zones and calls only one log worked), or one LOG against a whole field of\n"
    "logs: per clock hour and per figure, the field's median, 75th and 90th\n"
    "percentile and the log's rank. The P-th percentile of N values is the value\n"
    "at rank ceil(P/100 x N) in ascending order (nearest rank); the rank is 1 plus\n"
    "the field's logs with a larger value. Every figure is the one the log's own\n"
    "report shows. The output is one HTML page with no script, or JSON.\n"
    "\n"
    "Options:\n"
    "  --data FILE   country data file; default CQWW.DAT in the current folder,\n"
    "                else the one installed with tavo\n"
    "  -o, --output OUT  write the page (or JSON) to OUT, replaced only when whole\n"
    "  --stdout      write it to standard output\n"
    "  --json        write JSON instead of the page\n"
    "  --off-time MIN  a gap of MIN minutes or more between two QSOs is an off\n"
    "                period, not on-time (default 30), as for report\n"
    "  --field DIR|LIST  the field: every file in the folder DIR, or the paths\n"
    "                listed one a line in the file LIST ('-': standard input); a\n"
    "                log that cannot be read is named on standard error and left out\n"
    "  --same-category  only the field's logs whose Cabrillo CATEGORY-OPERATOR,\n"
    "                -ASSISTED, -BAND, -POWER, -MODE and -TRANSMITTER headers match\n"
    "                those LOG carries\n"
    "  -j, --jobs N  (--field) read N logs at a time; default: one per core\n"
    "  --help        show this help\n";

// The category headers that place an entry, as most contests class them.
constexpr std::string_view kCategoryKeys[] = {"CATEGORY-OPERATOR", "CATEGORY-ASSISTED",
                                              "CATEGORY-BAND",     "CATEGORY-POWER",
                                              "CATEGORY-MODE",     "CATEGORY-TRANSMITTER"};

struct Usage {
    std::string message;
};

struct CompareOptions {
    std::optional<std::string> data, output, field;
    bool toStdout = false, json = false, sameCategory = false, help = false;
    std::optional<int> jobs;
    int offTime = u_tavo300::DefaultOffTime;
    std::vector<std::string> logs;
};

// A whole positive decimal number for an option.
int Positive(std::string_view option, const std::string& text, std::string_view what) {
    std::optional<std::int32_t> n = ParseInt32(text);
    if (!n || *n < 1 || text.find_first_not_of("0123456789") != std::string::npos)
        throw Usage{"'" + std::string(option) + "' needs a positive " + std::string(what) +
                    ", not '" + text + "'"};
    return *n;
}

CompareOptions Parse(const std::vector<std::string>& argv) {
    CompareOptions o;
    bool optionsEnd = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        auto value = [&](const std::string& name) {
            if (i + 1 >= argv.size()) throw Usage{"option '" + name + "' needs a value"};
            return argv[++i];
        };
        auto joined = [&](std::string_view name) { return a.starts_with(std::string(name) + "="); };
        if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
            o.logs.push_back(a);
        } else if (a == "--") {
            optionsEnd = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--data") {
            o.data = value(a);
        } else if (joined("--data")) {
            o.data = a.substr(7);
        } else if (a == "-o" || a == "--output") {
            o.output = value(a);
        } else if (joined("--output")) {
            o.output = a.substr(9);
        } else if (a == "--stdout") {
            o.toStdout = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--field") {
            o.field = value(a);
        } else if (joined("--field")) {
            o.field = a.substr(8);
        } else if (a == "--same-category") {
            o.sameCategory = true;
        } else if (a == "--jobs" || a == "-j") {
            o.jobs = Positive("--jobs", value(a), "number");
        } else if (joined("--jobs")) {
            o.jobs = Positive("--jobs", a.substr(7), "number");
        } else if (a == "--off-time") {
            o.offTime = Positive(a, value(a), "number of minutes");
        } else if (joined("--off-time")) {
            o.offTime = Positive("--off-time", a.substr(11), "number of minutes");
        } else {
            throw Usage{"unknown option '" + a + "' for 'compare'"};
        }
    }
    if (o.help) return o;
    if (o.toStdout == o.output.has_value())
        throw Usage{"'compare' writes either to -o OUT or with --stdout"};
    if (o.field) {
        if (o.logs.size() != 1) throw Usage{"'compare --field' takes exactly one LOG"};
    } else {
        if (o.sameCategory) throw Usage{"'--same-category' needs '--field'"};
        if (o.jobs) throw Usage{"'--jobs' needs '--field'"};
        if (o.logs.size() < 2 || o.logs.size() > u_tavo300::MaxComparedLogs)
            throw Usage{"'compare' takes two to eight LOGs"};
    }
    return o;
}

// One log read for a comparison, or the message that says why not.
struct Analysed {
    std::optional<u_tavo300::CompareLog> log;
    std::vector<std::pair<std::string, std::string>> categories;
    std::string error;
};

// Keeps the figures a comparison needs from the model a pass hands over,
// and nothing of the log's QSOs.
class KeepSummary : public u_tavo300::ReportSink {
public:
    KeepSummary(const u_tavo300::LogPass& pass, std::string name)
        : pass_(pass), name_(std::move(name)) {}
    bool Write(const u_tavo300::ContestModel& Model) override {
        summary = u_tavo300::SummarizeLog(Model, pass_.StartStamp(), name_);
        return true;
    }
    std::optional<u_tavo300::CompareLog> summary;

private:
    const u_tavo300::LogPass& pass_;
    std::string name_;
};

Analysed Analyse(const std::string& path, const std::string& name, bool withCalls, bool withHeaders,
                 int offTime, u_tavo300::LogPass& pass) {
    Analysed a;
    try {
        pass.SetOffThreshold(offTime);
        KeepSummary sink(pass, name);
        const ExecuteResult result =
            ExecuteLog(path, sink, cty_utl3::DefaultCountryDatabase(), pass);
        if (result.Outcome != ExecuteOutcome::Worked || !sink.summary) {
            a.error = path + ": " + OutcomeText(result);
            return a;
        }
        a.log = std::move(sink.summary);
        if (withCalls || withHeaders) {
            std::optional<u_tavo300::LogHeaders> headers =
                u_tavo300::ScanLogHeaders(path, withCalls);
            if (!headers) {
                a.log.reset();
                a.error = path + ": Cannot Open LOG File";
                return a;
            }
            a.log->Call = headers->Call;
            a.log->Calls = std::move(headers->Calls);
            a.categories = std::move(headers->Categories);
        }
    } catch (const std::exception& e) {
        a.log.reset();
        a.error = e.what();
    }
    return a;
}

// Writes through Render to standard output or to OUT, which is never one of the logs.
template <typename Render>
int WriteOutput(const CompareOptions& o, const std::vector<std::string>& logs, Render render) {
    if (o.toStdout) {
        TextWriter out = TextWriter::Attach(stdout, "standard output");
        render(out);
        out.Close();
        return kExitOk;
    }
    for (const std::string& log : logs) {
        if (SameFile(*o.output, log)) {
            std::cerr << "tavo: " << *o.output << " is the log " << log << "; not replaced\n";
            return kExitFailed;
        }
    }
    std::optional<TextWriter> out = TextWriter::Replace(*o.output);
    if (!out) {
        std::cerr << "tavo: cannot create " << *o.output << '\n';
        return kExitFailed;
    }
    render(*out);
    out->Close();
    return kExitOk;
}

int CompareSideBySide(const CompareOptions& o) {
    std::vector<u_tavo300::CompareLog> logs;
    for (std::size_t i = 0; i < o.logs.size(); ++i) {
        const std::string& path = o.logs[i];
        // Two logs of one file name from two folders keep apart by their paths.
        std::string name(ExtractFileName(path));
        for (std::size_t j = 0; j < o.logs.size(); ++j) {
            if (j != i && ExtractFileName(o.logs[j]) == name) name = path;
        }
        Analysed a = Analyse(path, name, true, true, o.offTime, u_tavo300::DefaultLogPass());
        if (!a.log) {
            std::cerr << "tavo: " << a.error << '\n';
            return kExitFailed;
        }
        logs.push_back(std::move(*a.log));
    }
    const u_tavo300::Comparison compared = u_tavo300::CompareLogs(std::move(logs));
    return WriteOutput(o, o.logs, [&](TextWriter& out) {
        if (o.json)
            tavo_json::WriteCompareJson(out, compared);
        else
            u_tavo300::WriteComparePage(out, compared);
    });
}

// The paths of the field: a folder's files in name order, or a list's lines.
std::optional<std::vector<std::string>> FieldPaths(const std::string& field) {
    std::vector<std::string> paths;
    std::error_code ec;
    if (field != "-" && fs::is_directory(field, ec)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(field, ec)) {
            if (entry.is_regular_file(ec)) paths.push_back(entry.path().string());
        }
        if (ec) return std::nullopt;
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    std::ifstream file;
    if (field != "-") {
        file.open(field, std::ios::binary);
        if (!file) return std::nullopt;
    }
    std::istream& in = field == "-" ? std::cin : file;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) paths.push_back(line);
    }
    if (in.bad()) return std::nullopt;
    return paths;
}

bool SameCategory(const std::vector<std::pair<std::string, std::string>>& own,
                  const std::vector<std::pair<std::string, std::string>>& other) {
    for (const auto& [key, value] : own) {
        if (std::find(std::begin(kCategoryKeys), std::end(kCategoryKeys), key) ==
            std::end(kCategoryKeys))
            continue;
        if (std::find(other.begin(), other.end(), std::pair{key, value}) == other.end())
            return false;
    }
    return true;
}

int CompareWithField(const CompareOptions& o) {
    const std::string& path = o.logs[0];
    Analysed own = Analyse(path, std::string(ExtractFileName(path)), false, true, o.offTime,
                           u_tavo300::DefaultLogPass());
    if (!own.log) {
        std::cerr << "tavo: " << own.error << '\n';
        return kExitFailed;
    }
    if (o.sameCategory &&
        std::none_of(own.categories.begin(), own.categories.end(), [](const auto& header) {
            return std::find(std::begin(kCategoryKeys), std::end(kCategoryKeys), header.first) !=
                   std::end(kCategoryKeys);
        })) {
        std::cerr << "tavo: " << path << ": no CATEGORY- header to match the field against\n";
        return kExitFailed;
    }
    std::optional<std::vector<std::string>> paths = FieldPaths(*o.field);
    if (!paths) {
        std::cerr << "tavo: cannot read the field " << *o.field << '\n';
        return kExitFailed;
    }

    // Each log of the field keeps a few numbers; its pass is the job's own.
    enum class Kept : unsigned char { Read, Failed, OtherCategory };
    const std::size_t n = paths->size();
    std::vector<u_tavo300::FieldEntry> entries(n);
    std::vector<Kept> kept(n, Kept::Failed);
    std::vector<std::string> errors(n);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        u_tavo300::LogPass pass;
        for (std::size_t i = next++; i < n; i = next++) {
            const std::string& log = (*paths)[i];
            Analysed a = Analyse(log, std::string(ExtractFileName(log)), false, o.sameCategory,
                                 o.offTime, pass);
            if (!a.log) {
                errors[i] = std::move(a.error);
            } else if (o.sameCategory && !SameCategory(own.categories, a.categories)) {
                kept[i] = Kept::OtherCategory;
            } else {
                entries[i] = u_tavo300::ToFieldEntry(*a.log);
                kept[i] = Kept::Read;
            }
        }
    };
    const unsigned cores = std::thread::hardware_concurrency();
    const std::size_t jobs = std::clamp<std::size_t>(
        o.jobs ? static_cast<std::size_t>(*o.jobs) : (cores == 0 ? 1 : cores), 1,
        std::max<std::size_t>(n, 1));
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < jobs; ++t) threads.emplace_back(work);
    for (std::thread& t : threads) t.join();

    std::vector<u_tavo300::FieldEntry> field;
    int skipped = 0, otherCategory = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (kept[i] == Kept::Failed) {
            std::cerr << "tavo: " << errors[i] << " (left out of the field)\n";
            ++skipped;
        } else if (kept[i] == Kept::OtherCategory) {
            ++otherCategory;
        } else {
            field.push_back(std::move(entries[i]));
        }
    }
    std::cerr << std::flush;
    u_tavo300::FieldComparison compared = u_tavo300::CompareWithField(*own.log, field, skipped);
    compared.OtherCategory = otherCategory;
    // Nor is it written over a log of the field.
    std::vector<std::string> logs = std::move(*paths);
    logs.push_back(path);
    return WriteOutput(o, logs, [&](TextWriter& out) {
        if (o.json)
            tavo_json::WriteFieldJson(out, *own.log, compared);
        else
            u_tavo300::WriteFieldPage(out, *own.log, compared);
    });
}

}  // namespace

int RunCompare(const std::vector<std::string>& Argv) {
    try {
        const CompareOptions o = Parse(Argv);
        if (o.help) {
            std::cout << kHelp;
            return kExitOk;
        }
        const std::string data = o.data ? *o.data : DefaultDataFile();
        if (cty_utl3::LoadCountryFile(data) == -1) {
            std::cerr << "Cannot Open DATA file!\n";
            return kExitFailed;
        }
        return o.field ? CompareWithField(o) : CompareSideBySide(o);
    } catch (const Usage& e) {
        std::cerr << "tavo: " << e.message << "; try 'tavo compare --help'\n";
        return kExitUsage;
    }
}

}  // namespace tavo
