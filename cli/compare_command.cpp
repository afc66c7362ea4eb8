#include "cli/compare_command.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <thread>

#include "analysis/compare.h"
#include "analysis/compare_page.h"
#include "app/command_texts.h"
#include "app/execute.h"
#include "cli/batch.h"
#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"
#include "json/compare_json.h"
#include "platform/text_file.h"

namespace tavo {

namespace {

namespace fs = std::filesystem;

using cli::kExitFailed;
using cli::kExitOk;

// The category headers that place an entry, as most contests class them.
constexpr std::string_view kCategoryKeys[] = {"CATEGORY-OPERATOR", "CATEGORY-ASSISTED",
                                              "CATEGORY-BAND",     "CATEGORY-POWER",
                                              "CATEGORY-MODE",     "CATEGORY-TRANSMITTER"};

using Usage = cli::UsageError;

// The command line's options as compare reads them, checked together.
void CheckUsage(const cli::Options& o) {
    if (o.html)
        throw Usage{"'compare' writes a page unless '--json' is given; '--html' is not needed"};
    if (o.filesFrom) throw Usage{"'compare' reads a field with '--field', not '--files-from'"};
    if (o.toStdout == o.output.has_value())
        throw Usage{"'compare' writes either to -o OUT or with --stdout"};
    if (o.field) {
        if (o.args.size() != 1) throw Usage{"'compare --field' takes exactly one LOG"};
    } else {
        if (o.sameCategory) throw Usage{"'--same-category' needs '--field'"};
        if (o.jobs) throw Usage{"'--jobs' needs '--field'"};
        if (o.args.size() < 2 || o.args.size() > u_tavo300::MaxComparedLogs)
            throw Usage{"'compare' takes two to eight LOGs"};
    }
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
        pass.SetKeepCalls(withCalls);
        KeepSummary sink(pass, name);
        const ExecuteResult result =
            ExecuteLog(path, sink, cty_utl3::DefaultCountryDatabase(), pass);
        if (result.Outcome != ExecuteOutcome::Worked || !sink.summary) {
            a.error = path + ": " + OutcomeText(result);
            return a;
        }
        a.log = std::move(sink.summary);
        if (withCalls) a.log->Calls = pass.WorkedCalls();
        if (withHeaders) {
            std::optional<u_tavo300::LogHeaders> headers = u_tavo300::ScanLogHeaders(path);
            if (!headers) {
                a.log.reset();
                a.error = path + ": Cannot Open LOG File";
                return a;
            }
            a.log->Call = headers->Call;
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
int WriteOutput(const cli::Options& o, const std::vector<std::string>& logs, Render render) {
    if (o.toStdout) {
        TextWriter out = TextWriter::Attach(stdout, "standard output");
        render(out);
        out.Close();
        return kExitOk;
    }
    // The output's identity is taken once, not once for each log of a field.
    const std::optional<FileIdentity> output = IdentityOf(*o.output);
    for (const std::string& log : logs) {
        if (output && IdentityOf(log) == output) {
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

int CompareSideBySide(const cli::Options& o) {
    std::vector<u_tavo300::CompareLog> logs;
    for (std::size_t i = 0; i < o.args.size(); ++i) {
        const std::string& path = o.args[i];
        // Two logs of one file name from two folders keep apart by their paths.
        std::string name(ExtractFileName(path));
        for (std::size_t j = 0; j < o.args.size(); ++j) {
            if (j != i && ExtractFileName(o.args[j]) == name) name = path;
        }
        Analysed a = Analyse(path, name, true, true, o.offTime.value_or(u_tavo300::DefaultOffTime),
                             u_tavo300::DefaultLogPass());
        if (!a.log) {
            std::cerr << "tavo: " << a.error << '\n';
            return kExitFailed;
        }
        logs.push_back(std::move(*a.log));
    }
    const u_tavo300::Comparison compared = u_tavo300::CompareLogs(std::move(logs));
    return WriteOutput(o, o.args, [&](TextWriter& out) {
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
    std::string error;
    return cli::ReadPathList(field, error);
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

int CompareWithField(const cli::Options& o) {
    const std::string& path = o.args[0];
    Analysed own =
        Analyse(path, std::string(ExtractFileName(path)), false, true,
                o.offTime.value_or(u_tavo300::DefaultOffTime), u_tavo300::DefaultLogPass());
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
                                 o.offTime.value_or(u_tavo300::DefaultOffTime), pass);
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
    const std::size_t jobs = cli::JobsFor(o, n);
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

int RunCompare(const cli::Options& Options) {
    CheckUsage(Options);
    if (!cli::LoadData(Options)) return kExitFailed;
    return Options.field ? CompareWithField(Options) : CompareSideBySide(Options);
}

}  // namespace tavo
