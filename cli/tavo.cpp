// tavo: the window's commands for scripts and machines without a display.
#include <clocale>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/command_texts.h"
#include "app/execute.h"
#include "common/text.h"
#include "country/cty_convert.h"
#include "country/cty_utl3.h"
#include "platform/text_file.h"
#include "tavo_version.h"

namespace {

constexpr const char* kUsage =
    "Usage: tavo COMMAND [OPTIONS] [ARGS]\n"
    "Analyse contest logs (zLog ALL, Cabrillo) by country, continent and hour.\n"
    "\n"
    "Commands:\n"
    "  report [--data FILE] LOG...      write LOG's report beside it (LOG with .tavo)\n"
    "  report --stdout [--data FILE] LOG\n"
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
    {"report", "report [--data FILE] LOG...\n       tavo report --stdout [--data FILE] LOG",
     "Analyse each LOG (zLog ALL or Cabrillo) and write its report beside it: LOG\n"
     "without its last four characters, plus .tavo. The log itself is never changed.\n"
     "The outcome of each LOG goes to standard output when it worked, else to\n"
     "standard error.\n",
     "  --stdout      the report goes to standard output, the outcome to standard\n"
     "                error, and nothing is written beside the log\n"},
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
    bool help = false;
    std::vector<std::string> args;
};

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

int Report(const Options& o) {
    if (o.args.empty()) throw UsageError{"'report' needs at least one LOG"};
    if (o.toStdout && o.args.size() != 1)
        throw UsageError{"'report --stdout' takes exactly one LOG"};
    if (!LoadData(o)) return kExitFailed;
    int exit = kExitOk;
    for (const std::string& log : o.args) {
        const std::string prefix = o.args.size() > 1 ? log + ": " : "";
        try {
            tavo::ExecuteResult result;
            if (o.toStdout) {
                tavo::TextWriter out = tavo::TextWriter::Attach(stdout, "standard output");
                result = tavo::ExecuteLogTo(log, out);
                out.Close();
            } else {
                result = tavo::ExecuteLog(log);
            }
            // A failure is an error message; a success is the command's output,
            // unless the report itself took standard output.
            const bool worked = result.Outcome == tavo::ExecuteOutcome::Worked;
            (o.toStdout || !worked ? std::cerr : std::cout)
                << prefix << tavo::OutcomeText(result) << '\n';
            if (!worked) exit = kExitFailed;
        } catch (const tavo::IoError& e) {
            std::cerr << prefix << e.what() << '\n';
            exit = kExitFailed;
        }
    }
    return exit;
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
    std::cout << ForTerminal(tavo::DataText(*name)) << '\n';
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
    std::optional<tavo::TextWriter> file = tavo::TextWriter::Create(*o.output);
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

}  // namespace

int main(int argc, char** argv) {
    // Only the report's decimal separator follows the user's locale.
    std::setlocale(LC_NUMERIC, "");
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "tavo: " << e.message << "; try 'tavo --help'\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "tavo: " << e.what() << '\n';
        return kExitFailed;
    }
}
