// The country database: CQWW.DAT loaded into a country table and a prefix
// table, and callsigns resolved against them by longest prefix.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/short_string.h"

namespace cty_utl3 {

inline constexpr int MaxCountries = 500;
inline constexpr int MaxPrefixes = 20000;

struct TCountryRec {
    tavo::ShortString<26> Name;       // columns 1-26, blanks kept
    tavo::ShortString<8> MainPrefix;  // columns 32-36, blanks kept
    std::int32_t CqZone = 0;          // -1 when empty or not a number
    std::int32_t Continent = 0;       // 1..6, or -1
};

struct TPrefixRec {
    tavo::ShortString<14> Prefix;
    std::int32_t Country = 0;  // index into the country table
    std::int32_t PrefixLen = 0;
};

// 0 when the file was read, -1 when it cannot be opened (tables untouched).
// A read error after the open raises tavo::IoError.
int LoadCountryFile(const std::string& FileName);

// Records 1..MaxCountries and 1..MaxPrefixes; the counts say how many are loaded.
const TCountryRec& CountryTable(int Index);
const TPrefixRec& PrefixTable(int Index);
int CountryCount();
int PrefixCount();

// Back to the zeroed tables the program starts with.
void ClearCountryTables();

// Continent codes 1..6; any other code gives the empty text.
std::string_view ContinentAbbr(int Code);
std::string_view ContinentName(int Code);  // 13 characters, as the report prints it

// Longest prefix of the table that begins Call; later records win ties; -1 for none.
int FindPrefix(std::string_view Call);
// FindPrefix with the portable rule: "AB1CD/VE3" is tried as "VE3/AB1CD" first.
int CallToCountry(std::string_view Call);

// The loader's helpers, public for their own tests.
int FieldToInt(std::string_view Line, int From, int Count);
int ContinentOf(std::string_view Line, int From, int Count, int Zone);
std::string StripPrefix(std::string_view Text);

}  // namespace cty_utl3
