// The log formats Tavo knows, as one table: the window's status word, the
// open dialog's entry and whether a pass reads the format. Every caller walks
// this table; adding a format touches the table and its own reader only.
#pragma once

#include <span>
#include <string_view>

namespace tv_util2 {

struct LogFormatEntry {
    int Code;                         // the LogFormat code
    std::string_view StatusWord;      // after "File type " in the status line
    std::string_view DialogName;      // the open dialog's entry; empty: none
    std::string_view DialogPatterns;  // blank-separated, such as "*.cbr *.log"
    bool Analysed;                    // false: recognised, but a pass refuses it
};

// In the order the open dialog lists them.
std::span<const LogFormatEntry> LogFormats();
// The entry of Code, or nullptr for a code no format has (-1 among them).
const LogFormatEntry* FindLogFormat(int Code);
// A pass reads logs of this format.
bool IsAnalysed(int Code);

}  // namespace tv_util2
