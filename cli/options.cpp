#include "cli/options.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "common/text.h"

namespace tavo::cli {

namespace {

// A whole positive number given to option, such as the jobs count or the
// off-time threshold's minutes; what is the kind of number named in the message.
int PositiveNumber(const std::string& text, std::string_view option, std::string_view what) {
    std::optional<std::int32_t> n = tavo::ParseInt32(text);
    if (!n || *n < 1 || text.find_first_not_of("0123456789") != std::string::npos) {
        std::string message = "'";
        message.append(option)
            .append("' needs ")
            .append(what)
            .append(", not '")
            .append(text)
            .append("'");
        throw UsageError{message};
    }
    return *n;
}

constexpr unsigned kEveryCommand = kNoCommand | kReport | kCall | kData | kConvertCty | kCompare;

constexpr std::array kOptions = {
    OptionEntry{"--data", "", "FILE", kReport | kCall | kData | kCompare,
                "country data file; default CQWW.DAT in the current folder, else the one installed "
                "with tavo",
                [](Options& o, const std::string& v) { o.data = v; }},
    OptionEntry{"--stdout", "", "", kReport | kCompare,
                "the report (or the comparison) goes to standard output, the outcome to standard "
                "error, and nothing is written beside the log",
                [](Options& o, const std::string&) { o.toStdout = true; }},
    OptionEntry{"--html", "", "", kReport,
                "also write an HTML page beside the report (LOG with .html): the tables and "
                "QSO-per-hour charts, one file with no script that opens offline and prints; with "
                "--stdout the page alone goes to standard output",
                [](Options& o, const std::string&) { o.html = true; }},
    OptionEntry{"--json", "", "", kReport | kCompare,
                "also write the figures as JSON beside the report (LOG with .json); with --stdout "
                "the JSON alone goes to standard output; compare writes JSON instead of its page",
                [](Options& o, const std::string&) { o.json = true; }},
    OptionEntry{"--off-time", "", "MIN", kReport | kCompare,
                "a gap of MIN minutes or more between two QSOs is an off period (default 30)",
                [](Options& o, const std::string& v) {
                    o.offTime = PositiveNumber(v, "--off-time", "a positive number of minutes");
                }},
    OptionEntry{"--jobs", "-j", "N", kReport | kCompare,
                "analyse N logs at a time (default: one per core); reports, outcomes and their "
                "order are those of one at a time; compare reads a field so",
                [](Options& o, const std::string& v) {
                    o.jobs = PositiveNumber(v, "--jobs", "a positive number");
                }},
    OptionEntry{"--files-from", "", "FILE", kReport,
                "also analyse the logs named in FILE, one path a line (- reads the paths from "
                "standard input)",
                [](Options& o, const std::string& v) { o.filesFrom = v; }},
    OptionEntry{"--output", "-o", "OUT", kConvertCty | kCompare,
                "write to OUT instead of standard output; compare replaces OUT only once it is "
                "complete, and never a log",
                [](Options& o, const std::string& v) { o.output = v; }},
    OptionEntry{"--field", "", "DIR|LIST", kCompare,
                "compare LOG with a field: every file in the folder DIR, or the paths listed one a "
                "line in the file LIST (- for standard input); a log that cannot be read is named "
                "on standard error and left out",
                [](Options& o, const std::string& v) { o.field = v; }},
    OptionEntry{"--same-category", "", "", kCompare,
                "(with --field) only the field's logs whose Cabrillo CATEGORY-OPERATOR, -ASSISTED, "
                "-BAND, -POWER, -MODE and -TRANSMITTER headers match those LOG carries",
                [](Options& o, const std::string&) { o.sameCategory = true; }},
    OptionEntry{"--help", "-h", "", kEveryCommand,
                "show this help; COMMAND --help shows that command's",
                [](Options& o, const std::string&) { o.help = true; }},
    OptionEntry{"--version", "", "", kNoCommand, "show the version",
                [](Options& o, const std::string&) { o.version = true; }},
};

struct CommandEntry {
    std::string_view Name;
    Command Bit;
    std::string_view Synopsis;     // after "tavo "; more forms on lines of their own
    std::string_view Summary;      // the general help's line
    std::string_view Description;  // the command's own help
};

constexpr std::array<CommandEntry, 5> kCommands = {{
    {"report", kReport,
     "report [--html] [--json] [--off-time MIN] [--jobs N] [--data FILE] LOG...\n"
     "report [--html] [--json] [--off-time MIN] [--jobs N] [--data FILE] --files-from FILE\n"
     "       [LOG...]\n"
     "report --stdout [--html | --json] [--off-time MIN] [--data FILE] LOG",
     "write each LOG's report beside it",
     "Analyse each LOG (zLog ALL, Cabrillo or ADIF) and write its report beside it: the\n"
     "LOG's path with its extension replaced by .tavo (a LOG that already ends in\n"
     ".tavo keeps its name and gains .tavo). The log itself is never changed: a LOG\n"
     "whose report or page would replace another LOG of the command, or its own,\n"
     "fails with \"Cannot Open LOG File\". The outcome of each LOG goes to standard\n"
     "output when it worked, else to standard error.\n"},
    {"compare", kCompare,
     "compare [--json] [--off-time MIN] [--data FILE] (-o OUT | --stdout) LOG LOG [LOG...]\n"
     "compare --field DIR|LIST [--same-category] [--jobs N] [--json] [--off-time MIN]\n"
     "        [--data FILE] (-o OUT | --stdout) LOG",
     "compare two to eight logs, or one log with a whole field",
     "Compare two to eight logs side by side (QSOs, countries, zones, best rates,\n"
     "on-time, QSOs per hour and so far, continents and zones by band, countries,\n"
     "zones and calls only one log worked), or one LOG against a whole field of\n"
     "logs: per clock hour and per figure, the field's median, 75th and 90th\n"
     "percentile and the log's rank. The P-th percentile of N values is the value\n"
     "at rank ceil(P/100 x N) in ascending order (nearest rank); the rank is 1 plus\n"
     "the field's logs with a larger value. Every figure is the one the log's own\n"
     "report shows. The output is one HTML page with no script, or JSON.\n"},
    {"call", kCall, "call [--data FILE] CALL...", "show the country of each callsign",
     "Show the country, prefix, CQ zone and continent of each callsign.\n"},
    {"data", kData, "data [--data FILE]", "show the country file used and its counts",
     "Show which country data file is used and how many countries and prefixes it\n"
     "holds.\n"},
    {"convert-cty", kConvertCty, "convert-cty CTY.DAT [-o OUT]",
     "convert a cty.dat into a CQWW.DAT",
     "Convert a cty.dat (country-files.com) into a CQWW.DAT.\n"},
}};

constexpr std::size_t kHelpColumn = 22;

constexpr std::size_t kHelpWidth = 79;

// One option's help lines: its names and value on the left, the text beside,
// wrapped at word ends.
std::string OptionHelp(const OptionEntry& option, std::string_view note) {
    std::string left = "  ";
    if (option.Short.empty()) {
        left += "    ";
    } else {
        left += option.Short;
        left += ", ";
    }
    left += option.Long;
    if (!option.Value.empty()) {
        left += ' ';
        left += option.Value;
    }
    std::string text = left;
    std::size_t column = left.size();
    if (column + 1 > kHelpColumn) {
        text += "\n";
        column = 0;
    }
    std::string help(note);
    help += option.Help;
    bool lineStart = true;
    for (std::size_t pos = 0; pos < help.size();) {
        std::size_t end = std::min(help.find(' ', pos), help.size());
        const std::string_view word = std::string_view(help).substr(pos, end - pos);
        if (!lineStart && column + 1 + word.size() > kHelpWidth) {
            text += "\n";
            column = 0;
            lineStart = true;
        }
        if (lineStart) {
            text += std::string(kHelpColumn - column, ' ');
            column = kHelpColumn;
        } else {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
        lineStart = false;
        pos = end + 1;
    }
    return text + "\n";
}

const CommandEntry* FindCommand(std::string_view name) {
    for (const CommandEntry& c : kCommands)
        if (c.Name == name) return &c;
    return nullptr;
}

// Each form of a synopsis on a line of its own, after Lead (after Indent for
// the second form on).
std::string Forms(std::string_view synopsis, std::string_view lead, std::string_view indent) {
    std::string text;
    for (std::size_t pos = 0, end; pos < synopsis.size(); pos = end + 1) {
        end = std::min(synopsis.find('\n', pos), synopsis.size());
        text += pos == 0 ? lead : indent;
        text.append(synopsis.substr(pos, end - pos)) += "\n";
    }
    return text;
}

}  // namespace

std::span<const OptionEntry> OptionTable() { return kOptions; }

Options Parse(const std::vector<std::string>& argv) {
    if (argv.empty()) throw UsageError{"no command given"};
    Options o;
    unsigned bit = kNoCommand;
    std::size_t first = 0;
    if (argv[0].empty() || argv[0][0] != '-') {
        const CommandEntry* command = FindCommand(argv[0]);
        if (command == nullptr) throw UsageError{"unknown command '" + argv[0] + "'"};
        o.command = argv[0];
        bit = command->Bit;
        first = 1;
    }
    bool optionsEnd = false;
    for (std::size_t i = first; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
            o.args.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnd = true;
            continue;
        }
        const OptionEntry* found = nullptr;
        std::optional<std::string> value;
        for (const OptionEntry& option : kOptions) {
            if ((option.Commands & bit) == 0) continue;
            if (a == option.Long || (!option.Short.empty() && a == option.Short)) {
                found = &option;
            } else if (!option.Value.empty() && a.size() > option.Long.size() &&
                       a.starts_with(option.Long) && a[option.Long.size()] == '=') {
                found = &option;
                value = a.substr(option.Long.size() + 1);
            }
            if (found != nullptr) break;
        }
        const std::string where = bit == kNoCommand ? "tavo" : o.command;
        if (found == nullptr) throw UsageError{"unknown option '" + a + "' for '" + where + "'"};
        if (!found->Value.empty() && !value) {
            if (i + 1 >= argv.size()) throw UsageError{"option '" + a + "' needs a value"};
            value = argv[++i];
        }
        found->Set(o, value.value_or(""));
    }
    return o;
}

std::string GeneralHelp() {
    std::string text =
        "Usage: tavo COMMAND [OPTIONS] [ARGS]\n"
        "Analyse contest logs (zLog ALL, Cabrillo, ADIF) by country, continent and hour.\n"
        "\n"
        "Commands:\n";
    for (const CommandEntry& c : kCommands) {
        text += Forms(c.Synopsis, "  ", "  ");
        text += "      " + std::string(c.Summary) + "\n";
    }
    text += "\nOptions:\n";
    for (const OptionEntry& option : kOptions) {
        std::string note;
        if ((option.Commands & kEveryCommand) != kEveryCommand &&
            (option.Commands & kNoCommand) == 0) {
            for (const CommandEntry& c : kCommands)
                if ((option.Commands & c.Bit) != 0)
                    note += (note.empty() ? "(" : ", ") + std::string(c.Name);
            note += ") ";
        }
        text += OptionHelp(option, note);
    }
    text +=
        "\n"
        "Exit status: 0 success, 1 a log, callsign or file could not be handled,\n"
        "2 usage error.\n";
    return text;
}

std::string CommandHelp(std::string_view command) {
    const CommandEntry* c = FindCommand(command);
    if (c == nullptr) return {};
    std::string text = Forms(c->Synopsis, "Usage: tavo ", "       tavo ");
    text += std::string(c->Description) + "\nOptions:\n";
    for (const OptionEntry& option : kOptions)
        if ((option.Commands & c->Bit) != 0) text += OptionHelp(option, "");
    return text;
}

}  // namespace tavo::cli
