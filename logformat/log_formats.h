// The log formats Tavo knows, as one table: how a file of the format is
// recognised, the reader that yields its QSOs, the window's status word and
// the open dialog's entry. Every caller walks this table; adding a format
// touches the table and its own reader only.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "logformat/log_reader.h"
#include "logformat/tv_util2.h"

namespace tavo {
class TextReader;
}

namespace tv_util2 {

struct LogFormatEntry {
    int Code;                         // the LogFormat code
    std::string_view StatusWord;      // after "File type " in the status line
    std::string_view DialogName;      // the open dialog's entry; empty: none
    std::string_view DialogPatterns;  // blank-separated, such as "*.cbr *.log"
    bool Analysed;                    // false: recognised, but a pass refuses it
    // A line anywhere in the file that marks the format; nullptr for a format
    // known by the whole file instead. Detection asks only of lines that
    // MayMarkLine lets through.
    bool (*MarksLine)(std::string_view Line);
    // Tried, from the file's first byte, only when no line marked a format.
    bool (*MarksFile)(tavo::TextReader& Log);
    // The QSOs of a log of this format, read from its first byte; nullptr
    // for a format that is not analysed.
    std::unique_ptr<LogReader> (*OpenReader)(tavo::TextReader& Log, const Detection& Found,
                                             const ColumnLayout& Layout);
};

// In the order the open dialog lists them; line markers are tried in this order.
std::span<const LogFormatEntry> LogFormats();
// The entry of Code, or nullptr for a code no format has (-1 among them).
const LogFormatEntry* FindLogFormat(int Code);
// A pass reads logs of this format.
bool IsAnalysed(int Code);

}  // namespace tv_util2
