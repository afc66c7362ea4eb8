// The command line of `tavo`: its commands and options in one table, from
// which the parser and every help text are made.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavo::cli {

// The commands, as bits, so that an option names every command that takes it.
enum Command : unsigned {
    kNoCommand = 1u << 0,  // `tavo --help`, `tavo --version`
    kReport = 1u << 1,
    kCall = 1u << 2,
    kData = 1u << 3,
    kConvertCty = 1u << 4,
    kCompare = 1u << 5,
};

// What a command line asks for, once parsed.
struct Options {
    std::string command;
    std::optional<std::string> data;
    std::optional<std::string> output;
    std::optional<std::string> filesFrom;
    std::optional<std::string> field;  // compare: the folder or list of the field
    bool sameCategory = false;
    bool toStdout = false;
    bool html = false;
    bool json = false;
    std::optional<int> offTime;  // minutes; the pass's own default when not given
    std::optional<int> jobs;
    bool help = false;
    bool version = false;
    std::vector<std::string> args;
};

struct OptionEntry {
    std::string_view Long;   // "--jobs"
    std::string_view Short;  // "-j", or empty
    std::string_view Value;  // the value's name, empty for a flag
    unsigned Commands;       // the Command bits that take it
    std::string_view Help;   // one paragraph, wrapped when shown
    void (*Set)(Options&, const std::string& value);
};

std::span<const OptionEntry> OptionTable();

struct UsageError {
    std::string message;
};

// The command line after the program's name; raises UsageError.
Options Parse(const std::vector<std::string>& argv);

// `tavo --help`, and `tavo COMMAND --help` (empty for an unknown command).
std::string GeneralHelp();
std::string CommandHelp(std::string_view command);

}  // namespace tavo::cli
