// tavo: the window's commands for scripts and machines without a display.
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
#include <thread>
#include <unordered_map>
#include <vector>

#include "analysis/html_report.h"
#include "analysis/u_tavo300.h"
#include "app/command_texts.h"
#include "app/execute.h"
#include "common/text.h"
#include "country/cty_convert.h"
#include "country/cty_utl3.h"
#include "platform/text_file.h"
#include "tavo_version.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "Usage: tavo COMMAND [OPTIONS] [ARGS]\n"
    "Analyse contest logs (zLog ALL, Cabrillo) by country, continent and hour.\n"
    "\n"
    "Commands:\n"
    "  report [--html] [--jobs N] [--data FILE] LOG...\n"
    "                                   write LOG's report beside it (LOG with .tavo)\n"
    "  report --stdout [--html] [--data FILE] LOG\n"
    "                                   write the report to standard output instead\n"
    "  call [--data FILE] CALL...       show the country of each callsign\n"
    "  data [--data FILE]               show the country file used and its counts\n"
    "  convert-cty CTY.DAT [-o OUT]     convert a cty.dat into a CQWW.DAT\n"
    "\n"
    "Options:\n"
    "  --data FILE   country data file; default CQWW.DAT in the current folder,\n"
    "                else the one installed with tavo\n"
    "  --stdout      (report) the report goes to standard output, the status to\n"
    "                standard error, and nothing is written beside the log\n"
    "  --html        (report) also write the HTML page (LOG with .html); with\n"
    "                --stdout the page alone goes to standard output\n"
    "  -j, --jobs N  (report) analyse N logs at a time; default: one per core\n"
    "  -o, --output OUT  (convert-cty) write to OUT instead of standard output\n"
    "  --help        show this help; COMMAND --help shows that command's\n"
    "  --version     show the version\n"
    "\n"
    "Exit status: 0 success, 1 a log, callsign or file could not be handled,\n"
    "2 usage error.\n";

constexpr const char* kDataHelp =
    "  --data FILE   country data file; default CQWW.DAT in the current folder,\n"
    "                else the one installed with tavo\n";

// What `tavo COMMAND --help` shows; every command takes --help.
struct CommandHelp {
    const char* Command;
    const char* Synopsis;
    const char* Description;
    const char* Options;
};

constexpr CommandHelp kCommandHelp[] = {
    {"report",
     "report [--html] [--jobs N] [--data FILE] LOG...\n"
     "       tavo report --stdout [--html] [--data FILE] LOG",
     "Analyse each LOG (zLog ALL or Cabrillo) and write its report beside it: LOG\n"
     "without its last four characters, plus .tavo. The log itself is never changed.\n"
     "The outcome of each LOG goes to standard output when it worked, else to\n"
     "standard error.\n",
     "  --stdout      the report goes to standard output, the outcome to standard\n"
     "                error, and nothing is written beside the log\n"
     "  --html        also write an HTML page beside the report (LOG with .html):\n"
     "                the tables and QSO-per-hour charts, one file with no script\n"
     "                that opens offline and prints; with --stdout the page alone\n"
     "                goes to standard output, the text report is left out\n"
     "  -j, --jobs N  analyse N logs at a time (default: one per core); reports,\n"
     "                outcomes and their order are those of one at a time\n"},
    {"call", "call [--data FILE] CALL...",
     "Show the country, prefix, CQ zone and continent of each callsign.\n", ""},
    {"data", "data [--data FILE]",
     "Show which country data file is used and how many countries and prefixes it\n"
     "holds.\n",
     ""},
    {"convert-cty", "convert-cty CTY.DAT [-o OUT]",
     "Convert a cty.dat (country-files.com) into a CQWW.DAT.\n",
     "  -o, --output OUT  write to OUT instead of standard output\n"},
};

std::string HelpOf(const CommandHelp& help) {
    std::string text =
        std::string("Usage: tavo ") + help.Synopsis + "\n" + help.Description + "\nOptions:\n";
    if (std::string_view(help.Command) != "convert-cty") text += kDataHelp;
    text += help.Options;
    text += "  --help        show this help\n";
    return text;
}

constexpr const char* kVersion =
    "tavo (Tavo) " TAVO_VERSION
    "\n"
    "Copyright (C) 2026 " TAVO_MAKER
    "\n"
    "License MIT: <https://opensource.org/license/mit>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct UsageError {
    std::string message;
};

struct Options {
    std::string command;
    std::optional<std::string> data;
    std::optional<std::string> output;
    bool toStdout = false;
    bool html = false;
    std::optional<int> jobs;
    bool help = false;
    std::vector<std::string> args;
};

// A count of parallel jobs: a whole positive decimal number.
int JobCount(const std::string& text) {
    std::optional<std::int32_t> n = tavo::ParseInt32(text);
    if (!n || *n < 1 || text.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError{"'--jobs' needs a positive number, not '" + text + "'"};
    return *n;
}

Options Parse(const std::vector<std::string>& argv) {
    Options o;
    o.command = argv.at(0);
    bool optionsEnd = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        auto value = [&](const std::string& name) {
            if (i + 1 >= argv.size()) throw UsageError{"option '" + name + "' needs a value"};
            return argv[++i];
        };
        if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
            o.args.push_back(a);
        } else if (a == "--") {
            optionsEnd = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--data" && o.command != "convert-cty") {
            o.data = value(a);
        } else if (a.starts_with("--data=") && o.command != "convert-cty") {
            o.data = a.substr(7);
        } else if (a == "--stdout" && o.command == "report") {
            o.toStdout = true;
        } else if (a == "--html" && o.command == "report") {
            o.html = true;
        } else if ((a == "--jobs" || a == "-j") && o.command == "report") {
            o.jobs = JobCount(value(a));
        } else if (a.starts_with("--jobs=") && o.command == "report") {
            o.jobs = JobCount(a.substr(7));
        } else if ((a == "-o" || a == "--output") && o.command == "convert-cty") {
            o.output = value(a);
        } else if (a.starts_with("--output=") && o.command == "convert-cty") {
            o.output = a.substr(9);
        } else {
            throw UsageError{"unknown option '" + a + "' for '" + o.command + "'"};
        }
    }
    return o;
}

// Loads the country data, or says why not; the name is the one "data" shows.
std::optional<std::string> LoadData(const Options& o) {
    std::string name = o.data ? *o.data : tavo::DefaultDataFile();
    if (cty_utl3::LoadCountryFile(name) == -1) {
        std::cerr << "Cannot Open DATA file!\n";
        return std::nullopt;
    }
    return name;
}

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

// One log of `report`; the pass is the caller's, so each job has its own.
LogOutcome ReportLog(const Options& o, const std::string& log, u_tavo300::LogPass& pass) {
    const std::string prefix = o.args.size() > 1 ? log + ": " : "";
    LogOutcome outcome;
    try {
        const cty_utl3::CountryDatabase& db = cty_utl3::DefaultCountryDatabase();
        tavo::ExecuteResult result;
        if (o.toStdout) {
            // One document per stream: with --html the page is what was asked for.
            tavo::TextWriter out = tavo::TextWriter::Attach(stdout, "standard output");
            u_tavo300::ReportTo report(out);
            u_tavo300::HtmlTo page(out);
            u_tavo300::ReportSink* sink =
                o.html ? static_cast<u_tavo300::ReportSink*>(&page) : &report;
            result = tavo::ExecuteLog(log, *sink, db, pass);
            out.Close();
        } else {
            u_tavo300::ReportBesideLog report;
            u_tavo300::HtmlBesideLog page;
            u_tavo300::BothSinks both(report, page);
            u_tavo300::ReportSink* sink =
                o.html ? static_cast<u_tavo300::ReportSink*>(&both) : &report;
            result = tavo::ExecuteLog(log, *sink, db, pass);
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

// The logs whose report would be that of an earlier log of the same command:
// the message for each, empty for the others. Two reports under one name
// would leave only the last, and two jobs would write one file at once.
std::vector<std::string> ReportClashes(const Options& o) {
    std::vector<std::string> clashes(o.args.size());
    if (o.toStdout) return clashes;
    // The first log of each report path; a batch of a whole contest's logs
    // must not compare every pair.
    std::unordered_map<std::string, std::size_t> first;
    for (std::size_t i = 0; i < o.args.size(); ++i) {
        const std::string report = u_tavo300::ReportFileName(o.args[i]);
        std::error_code ec;
        fs::path key = fs::weakly_canonical(fs::absolute(report, ec), ec);
        if (ec) key = fs::path(report).lexically_normal();
        auto [at, added] = first.emplace(key.string(), i);
        if (!added)
            clashes[i] = "tavo: " + o.args[i] + ": its report " + report + " is that of " +
                         o.args[at->second] + " already\n";
    }
    return clashes;
}

// One log of the batch: refused when its report name is taken, else analysed.
LogOutcome ReportOne(const Options& o, std::size_t i, const std::vector<std::string>& clashes,
                     u_tavo300::LogPass& pass) {
    if (!clashes[i].empty()) return {"", clashes[i], true};
    return ReportLog(o, o.args[i], pass);
}

// The first error of a flush of standard output, kept for the message at the
// end: later flushes find nothing to write and say nothing of it.
int standardOutputError = 0;

void FlushStandardOutput() {
    errno = 0;
    std::cout.flush();
    if (standardOutputError == 0 && (!std::cout || std::ferror(stdout))) standardOutputError = errno;
}

void Print(const LogOutcome& outcome) {
    std::cout << outcome.out;
    FlushStandardOutput();
    std::cerr << outcome.err << std::flush;
}

// The logs on `jobs` threads; each log's lines are printed in argument
// order as soon as every log before it is done, so the output is that of
// one job.
int ReportBatch(const Options& o, const std::vector<std::string>& clashes, int jobs) {
    const std::size_t n = o.args.size();
    std::vector<LogOutcome> outcomes(n);
    std::vector<bool> done(n, false);
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        u_tavo300::LogPass pass;
        for (std::size_t i = next++; i < n; i = next++) {
            LogOutcome outcome = ReportOne(o, i, clashes, pass);
            std::lock_guard<std::mutex> lock(mutex);
            outcomes[i] = std::move(outcome);
            done[i] = true;
            finished.notify_one();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < jobs; ++t) threads.emplace_back(work);
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

int Report(const Options& o) {
    if (o.args.empty()) throw UsageError{"'report' needs at least one LOG"};
    if (o.toStdout && o.args.size() != 1)
        throw UsageError{"'report --stdout' takes exactly one LOG"};
    if (!LoadData(o)) return kExitFailed;
    const unsigned cores = std::thread::hardware_concurrency();
    int jobs = o.jobs ? *o.jobs : static_cast<int>(cores == 0 ? 1 : cores);
    jobs = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs), o.args.size()));
    const std::vector<std::string> clashes = ReportClashes(o);
    if (jobs <= 1) {
        bool failed = false;
        for (std::size_t i = 0; i < o.args.size(); ++i) {
            LogOutcome outcome = ReportOne(o, i, clashes, u_tavo300::DefaultLogPass());
            Print(outcome);
            failed = failed || outcome.failed;
        }
        return failed ? kExitFailed : kExitOk;
    }
    return ReportBatch(o, clashes, jobs);
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
    if (argv.empty()) throw UsageError{"no command given"};
    if (argv[0] == "--help" || argv[0] == "-h") {
        std::cout << kUsage;
        return kExitOk;
    }
    if (argv[0] == "--version") {
        std::cout << kVersion;
        return kExitOk;
    }
    Options o = Parse(argv);
    if (o.help) {
        for (const CommandHelp& help : kCommandHelp) {
            if (o.command == help.Command) {
                std::cout << HelpOf(help);
                return kExitOk;
            }
        }
    }
    if (o.command == "report") return Report(o);
    if (o.command == "call") return Call(o);
    if (o.command == "data") return Data(o);
    if (o.command == "convert-cty") return ConvertCty(o);
    throw UsageError{"unknown command '" + o.command + "'"};
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
