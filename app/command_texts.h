// The texts of the Data and TEST commands, shared by the window and the
// command line. Line breaks are CR LF, as the message boxes show them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavo {

// The country data file's fixed name; the window reads it from the current folder.
inline constexpr const char* kCountryFileName = "CQWW.DAT";

// The country data file the window and the command line load when none is
// named: CQWW.DAT of the current folder when there is one, else the copy
// installed with the program, beside it (so also in the build tree) or in the
// install's share/tavo folder. When neither is there, plain CQWW.DAT, whose
// loading then fails. The window on Windows reads the current folder's only.
std::string DefaultDataFile();
std::string DefaultDataFile(const std::string& ProgramFileName);

// "Data File:" name, then "Country:" and "   PX:" with the loaded counts; for
// data in cty.dat form the window also shows DataFormText.
std::string DataText(std::string_view DataFileName);

// "Form:" and the loaded data's form ("CQWW.DAT", or "cty.dat" with "   Exact:"
// and the number of exact calls), then "Version:" and the data's version when
// it carries one: cty.dat's "=VER" date, or CQWW.DAT's title line.
std::string DataFormText();

// The counts and the form together, as the command line shows them.
std::string DataTextWithForm(std::string_view DataFileName);

// "Call : " and the typed callsign upper-cased byte by byte, then an empty
// line: the head of a TEST answer.
std::string CallLine(std::string_view Answer);

// The TEST answer for a typed callsign: upper-cased byte by byte, trimmed and
// resolved; the zone and continent are those of the entry that matched.
// Empty when no country has it ("unknown sri.." is then shown).
std::optional<std::string> TestText(std::string_view Answer);

inline constexpr std::string_view kUnknownCall = "unknown sri..";

}  // namespace tavo
