// tavo: the window's commands for scripts and machines without a display.
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <clocale>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "analysis/html_report.h"
#include "analysis/u_tavo300.h"
#include "app/command_texts.h"
#include "app/execute.h"
#include "app/outputs.h"
#include "cli/batch.h"
#include "cli/compare_command.h"
#include "cli/options.h"
#include "common/text.h"
#include "country/cty_convert.h"
#include "country/cty_utl3.h"
#include "json/json_report.h"
#include "platform/text_file.h"
#include "tavo_version.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kVersion =
    "tavo (Tavo) " TAVO_VERSION
    "\n"
    "Copyright (C) 2026 " TAVO_MAKER
    "\n"
    "License MIT: <https://opensource.org/license/mit>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

using tavo::cli::kExitFailed;
using tavo::cli::kExitOk;
constexpr int kExitUsage = 2;

using tavo::cli::LoadData;
using tavo::cli::Options;
using tavo::cli::UsageError;

// Message texts use CR LF for the window; a terminal wants plain newlines.
std::string ForTerminal(std::string text) {
    std::string out;
    for (char c : text) {
        if (c != '\r') out += c;
    }
    return out;
}

// What one log of a batch printed, kept until the logs before it have printed.
struct LogOutcome {
    std::string out;  // for standard output
    std::string err;  // for standard error
    bool failed = false;
};

// The outputs a report command writes: the text report, then each asked for.
std::vector<const u_tavo300::OutputKind*> OutputsOf(const Options& o) {
    std::vector<const u_tavo300::OutputKind*> kinds;
    for (const u_tavo300::OutputKind* kind : tavo::Outputs()) {
        if (kind == &u_tavo300::TextReport || (kind == &u_tavo300::HtmlPage && o.html) ||
            (kind == &tavo_json::JsonReport && o.json))
            kinds.push_back(kind);
    }
    return kinds;
}

// One log of `report`; the pass is the caller's, so each job has its own.
LogOutcome ReportLog(const Options& o, const std::vector<const u_tavo300::OutputKind*>& kinds,
                     const std::string& log, u_tavo300::LogPass& pass) {
    const std::string prefix = o.args.size() > 1 ? log + ": " : "";
    LogOutcome outcome;
    pass.SetOffThreshold(o.offTime.value_or(u_tavo300::DefaultOffTime));
    try {
        const cty_utl3::CountryDatabase& db = cty_utl3::DefaultCountryDatabase();
        tavo::ExecuteResult result;
        if (o.toStdout) {
            // One document per stream: the last output asked for is the one.
            tavo::TextWriter out = tavo::TextWriter::Attach(stdout, "standard output");
            u_tavo300::OutputTo sink(*kinds.back(), out);
            result = tavo::ExecuteLog(log, sink, db, pass);
            out.Close();
        } else {
            u_tavo300::OutputsBesideLog beside(kinds);
            result = tavo::ExecuteLog(log, beside, db, pass);
        }
        // A failure is an error message; a success is the command's output,
        // unless the report itself took standard output.
        outcome.failed = result.Outcome != tavo::ExecuteOutcome::Worked;
        (o.toStdout || outcome.failed ? outcome.err : outcome.out) =
            prefix + tavo::OutcomeText(result) + "\n";
        const std::string reason = tavo::RefusalText(result);
        // Each line of the reason carries the log's name, as the status line does.
        for (std::size_t at = 0; at < reason.size();) {
            std::size_t end = std::min(reason.find("\r\n", at), reason.size());
            outcome.err += prefix + reason.substr(at, end - at) + "\n";
            at = end + 2;
        }
    } catch (const tavo::IoError& e) {
        outcome.err = prefix + e.what() + "\n";
        outcome.failed = true;
        // Said here already; main's check of standard output must not say it again.
        if (o.toStdout) std::clearerr(stdout);
    } catch (const std::exception& e) {
        outcome.err = "tavo: " + prefix + e.what() + "\n";
        outcome.failed = true;
    }
    return outcome;
}

struct IdentityHash {
    std::size_t operator()(const tavo::FileIdentity& id) const {
        return std::hash<std::uint64_t>()(id.Number * 31 + id.Device);
    }
};

// The logs that must not be analysed: the message for each, empty for the
// others. An output that is a log of the command (the same file under any
// name or link) would destroy that log; two reports under one name would
// leave only the last, and two jobs would write one file at once. A batch of
// a whole contest's logs must not compare every pair, so both look-ups are
// maps.
std::vector<std::string> ReportClashes(const Options& o,
                                       const std::vector<const u_tavo300::OutputKind*>& outputs) {
    std::vector<std::string> clashes(o.args.size());
    if (o.toStdout) return clashes;
    // The outputs that are there already; on a first run over a batch there
    // are none, and then no log needs a look of its own.
    std::vector<std::optional<tavo::FileIdentity>> existing(o.args.size() * outputs.size());
    bool anyExists = false;
    for (std::size_t i = 0; i < o.args.size(); ++i) {
        for (std::size_t k = 0; k < outputs.size(); ++k) {
            const std::string output = u_tavo300::OutputFileName(o.args[i], outputs[k]->Extension);
            existing[i * outputs.size() + k] = tavo::IdentityOf(output);
            anyExists = anyExists || existing[i * outputs.size() + k].has_value();
        }
    }
    std::unordered_map<tavo::FileIdentity, std::size_t, IdentityHash> logs;
    for (std::size_t i = 0; anyExists && i < o.args.size(); ++i) {
        if (std::optional<tavo::FileIdentity> id = tavo::IdentityOf(o.args[i]))
            logs.emplace(*id, i);
    }
    std::unordered_map<std::string, std::size_t> firstReport;
    // A batch keeps its logs in few folders: each is made canonical once, not
    // once per report. The report's own name is kept as it is, since the
    // report replaces whatever that name holds, a link too.
    std::unordered_map<std::string, fs::path> canonicalFolder;
    for (std::size_t i = 0; i < o.args.size(); ++i) {
        const std::string& log = o.args[i];
        for (std::size_t k = 0; k < outputs.size(); ++k) {
            const u_tavo300::OutputKind* kind = outputs[k];
            const std::optional<tavo::FileIdentity>& id = existing[i * outputs.size() + k];
            auto other = id ? logs.find(*id) : logs.end();
            if (other == logs.end()) continue;
            const std::string output = u_tavo300::OutputFileName(log, kind->Extension);
            const std::string& victim = o.args[other->second];
            clashes[i] = (o.args.size() > 1 ? log + ": " : "") +
                         tavo::OutcomeText({tavo::ExecuteOutcome::CannotOpenLog}) + "\n" +
                         "tavo: " + log + ": its " + std::string(kind->Name) + " " + output +
                         " would replace " +
                         (other->second == i ? "the log itself" : "the log " + victim) + "\n";
            break;
        }
        if (!clashes[i].empty()) continue;
        const std::string report = u_tavo300::ReportFileName(log);
        const fs::path name(report);
        const std::string folder = name.parent_path().string();
        auto [known, fresh] = canonicalFolder.try_emplace(folder);
        if (fresh) {
            std::error_code ec;
            known->second =
                fs::weakly_canonical(fs::absolute(folder.empty() ? "." : folder, ec), ec);
            if (ec) known->second = fs::path(folder).lexically_normal();
        }
        const fs::path key = known->second / name.filename();
        auto [at, added] = firstReport.emplace(key.string(), i);
        if (!added)
            clashes[i] = "tavo: " + log + ": its report " + report + " is that of " +
                         o.args[at->second] + " already\n";
    }
    return clashes;
}

// One log of the batch: refused when its report name is taken, else analysed.
LogOutcome ReportOne(const Options& o, const std::vector<const u_tavo300::OutputKind*>& outputs,
                     std::size_t i, const std::vector<std::string>& clashes,
                     u_tavo300::LogPass& pass) {
    if (!clashes[i].empty()) return {"", clashes[i], true};
    return ReportLog(o, outputs, o.args[i], pass);
}

// The first error of a flush of standard output, kept for the message at the
// end: later flushes find nothing to write and say nothing of it.
int standardOutputError = 0;

void FlushStandardOutput() {
    errno = 0;
    std::cout.flush();
    if (standardOutputError == 0 && (!std::cout || std::ferror(stdout)))
        standardOutputError = errno;
}

bool StandardOutputIsTerminal() {
#ifdef _WIN32
    static const bool terminal = _isatty(_fileno(stdout)) != 0;
#else
    static const bool terminal = ::isatty(STDOUT_FILENO) != 0;
#endif
    return terminal;
}

// A terminal shows each log's line as soon as it is done; a file or a pipe
// gets the lines in blocks, not a write per log, and standard output is
// flushed before any message to standard error, so that the two keep their
// order wherever both go.
void Print(const LogOutcome& outcome) {
    std::cout << outcome.out;
    if (!outcome.err.empty() || StandardOutputIsTerminal()) FlushStandardOutput();
    if (!outcome.err.empty()) std::cerr << outcome.err << std::flush;
}

// The logs on `jobs` threads; each log's lines are printed in argument
// order as soon as every log before it is done, so the output is that of
// one job.
int ReportBatch(const Options& o, const std::vector<const u_tavo300::OutputKind*>& outputs,
                const std::vector<std::string>& clashes, std::size_t jobs) {
    const std::size_t n = o.args.size();
    std::vector<LogOutcome> outcomes(n);
    std::vector<bool> done(n, false);
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        u_tavo300::LogPass pass;
        for (std::size_t i = next++; i < n; i = next++) {
            LogOutcome outcome = ReportOne(o, outputs, i, clashes, pass);
            std::lock_guard<std::mutex> lock(mutex);
            outcomes[i] = std::move(outcome);
            done[i] = true;
            finished.notify_one();
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < jobs; ++t) threads.emplace_back(work);
    bool failed = false;
    for (std::size_t i = 0; i < n; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        finished.wait(lock, [&] { return done[i]; });
        LogOutcome outcome = std::move(outcomes[i]);
        lock.unlock();
        Print(outcome);
        failed = failed || outcome.failed;
    }
    for (std::thread& t : threads) t.join();
    return failed ? kExitFailed : kExitOk;
}

int Report(Options& o) {
    if (o.filesFrom) {
        std::string error;
        std::optional<std::vector<std::string>> listed =
            tavo::cli::ReadPathList(*o.filesFrom, error);
        if (!listed) {
            std::cerr << "tavo: " << error << '\n';
            return kExitFailed;
        }
        o.args.insert(o.args.end(), listed->begin(), listed->end());
        // An empty list, as from a search that found nothing, is nothing to do.
        if (o.args.empty()) return kExitOk;
    }
    if (o.args.empty()) throw UsageError{"'report' needs at least one LOG"};
    if (o.toStdout && o.args.size() != 1)
        throw UsageError{"'report --stdout' takes exactly one LOG"};
    if (o.toStdout && o.html && o.json)
        throw UsageError{"'report --stdout' writes either the page or the JSON, not both"};
    if (!LoadData(o)) return kExitFailed;
    const std::size_t jobs = tavo::cli::JobsFor(o, o.args.size());
    const std::vector<const u_tavo300::OutputKind*> outputs = OutputsOf(o);
    const std::vector<std::string> clashes = ReportClashes(o, outputs);
    if (jobs <= 1) {
        bool failed = false;
        for (std::size_t i = 0; i < o.args.size(); ++i) {
            LogOutcome outcome = ReportOne(o, outputs, i, clashes, u_tavo300::DefaultLogPass());
            Print(outcome);
            failed = failed || outcome.failed;
        }
        return failed ? kExitFailed : kExitOk;
    }
    return ReportBatch(o, outputs, clashes, jobs);
}

int Call(const Options& o) {
    if (o.args.empty()) throw UsageError{"'call' needs at least one CALL"};
    for (const std::string& call : o.args) {
        if (call.empty()) throw UsageError{"an empty CALL"};
    }
    if (!LoadData(o)) return kExitFailed;
    int exit = kExitOk;
    for (std::size_t i = 0; i < o.args.size(); ++i) {
        if (i > 0) std::cout << '\n';
        std::optional<std::string> text = tavo::TestText(o.args[i]);
        if (!text) exit = kExitFailed;
        // With several calls each answer says which call it is, a failed one too.
        if (!text && o.args.size() > 1) std::cout << ForTerminal(tavo::CallLine(o.args[i]));
        std::cout << (text ? ForTerminal(*text) : std::string(tavo::kUnknownCall)) << '\n';
    }
    return exit;
}

int Data(const Options& o) {
    if (!o.args.empty()) throw UsageError{"'data' takes no arguments"};
    std::optional<std::string> name = LoadData(o);
    if (!name) return kExitFailed;
    std::cout << ForTerminal(tavo::DataTextWithForm(*name)) << '\n';
    return kExitOk;
}

int ConvertCty(const Options& o) {
    if (o.args.size() != 1) throw UsageError{"'convert-cty' takes exactly one CTY.DAT"};
    // The whole input is read and checked before any output is created.
    std::optional<cty_convert::CtyData> data = cty_convert::ReadCtyFile(o.args[0]);
    if (!data) {
        std::cerr << "tavo: cannot open " << o.args[0] << '\n';
        return kExitFailed;
    }
    if (!o.output) {
        tavo::TextWriter out = tavo::TextWriter::Attach(stdout, "standard output");
        cty_convert::WriteCqwwDat(*data, out);
        out.Close();
        return kExitOk;
    }
    std::optional<tavo::TextWriter> file = tavo::TextWriter::Replace(*o.output);
    if (!file) {
        std::cerr << "tavo: cannot create " << *o.output << '\n';
        return kExitFailed;
    }
    cty_convert::WriteCqwwDat(*data, *file);
    file->Close();
    return kExitOk;
}

int Run(const std::vector<std::string>& argv) {
    Options o = tavo::cli::Parse(argv);
    if (o.help) {
        std::cout << (o.command.empty() ? tavo::cli::GeneralHelp()
                                        : tavo::cli::CommandHelp(o.command));
        return kExitOk;
    }
    if (o.version) {
        std::cout << kVersion;
        return kExitOk;
    }
    if (o.command == "report") return Report(o);
    if (o.command == "compare") return tavo::RunCompare(o);
    if (o.command == "call") return Call(o);
    if (o.command == "data") return Data(o);
    if (o.command == "convert-cty") return ConvertCty(o);
    throw UsageError{"no command given"};
}

// Whatever went to standard output reached it: a full disk or a closed pipe
// under `tavo call ... > FILE` is an error like any other write's.
bool StandardOutputWritten() {
    FlushStandardOutput();
    errno = 0;
    if (std::fflush(stdout) != 0 && standardOutputError == 0) standardOutputError = errno;
    if (!std::ferror(stdout) && std::cout.good()) return true;
    const int err = standardOutputError;
    std::cerr << "tavo: standard output: " << (err != 0 ? std::strerror(err) : "input/output error")
              << '\n';
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Only the report's decimal separator follows the user's locale.
    std::setlocale(LC_NUMERIC, "");
    try {
        int status = Run(std::vector<std::string>(argv + 1, argv + argc));
        return StandardOutputWritten() ? status : kExitFailed;
    } catch (const UsageError& e) {
        std::cerr << "tavo: " << e.message << "; try 'tavo --help'\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "tavo: " << e.what() << '\n';
        return kExitFailed;
    }
}
