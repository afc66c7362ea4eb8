// Turns a cty.dat in the colon-separated country-files.com layout into a
// CQWW.DAT that LoadCountryFile reads: one header line in fixed columns per
// entity, then its prefixes wrapped over lines ending in "," and the last in ";".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "country/cty_dat.h"
#include "platform/text_file.h"

namespace cty_convert {

// A cty.dat that cannot be converted faithfully, as "FILE:LINE: problem".
using CtyFormatError = cty_utl3::CtyFormatError;

// One entity of cty.dat as CQWW.DAT will hold it.
struct CtyEntity {
    std::string Name;        // trimmed; cut to 26 only when written
    int CqZone = 0;          // 1..40
    std::string Continent;   // "NA", "SA", "EU", "AS", "OC" or "AF"
    std::string MainPrefix;  // without the "*" that marks a WAE-only entity
    // The items written to the prefix list, annotations kept. Exact calls
    // ("=...") are left out, unless the entity has nothing else.
    std::vector<std::string> Prefixes;
};

struct CtyData {
    std::string Version;  // the digits of the "=VERyyyymmdd" item; empty when there is none
    std::vector<CtyEntity> Entities;
};

// Empty when the file cannot be opened. Raises CtyFormatError for content that
// would not load as cty.dat means it (including more entities or prefixes than
// the country tables hold), and tavo::IoError for a read error.
std::optional<CtyData> ReadCtyFile(const std::string& ctyPath);

// Writes the title line, every entity and the closing "end of file" line.
// Raises tavo::IoError when a write fails.
void WriteCqwwDat(const CtyData& data, tavo::TextWriter& out);

struct ConvertResult {
    int Countries = 0;
    int Prefixes = 0;
    std::string Version;  // as in CtyData
};

// ReadCtyFile then WriteCqwwDat: nothing is written unless the whole input
// was read and found good. Empty when the input cannot be opened; raises as
// the two functions do.
std::optional<ConvertResult> ConvertCtyFile(const std::string& ctyPath, tavo::TextWriter& out);

}  // namespace cty_convert
