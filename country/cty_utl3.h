// The country database: CQWW.DAT loaded into a country table and a prefix
// table, and callsigns resolved against them by longest prefix.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/short_string.h"

namespace cty_utl3 {

inline constexpr int MaxCountries = 500;
inline constexpr int MaxPrefixes = 20000;
inline constexpr int MaxPrefixLength = 14;

struct TCountryRec {
    tavo::ShortString<26> Name;       // columns 1-26, blanks kept
    tavo::ShortString<8> MainPrefix;  // columns 32-36, blanks kept
    std::int32_t CqZone = 0;          // -1 when empty or not a number
    std::int32_t Continent = 0;       // 1..6, or -1
};

struct TPrefixRec {
    tavo::ShortString<MaxPrefixLength> Prefix;
    std::int32_t Country = 0;  // index into the country table
    std::int32_t PrefixLen = 0;
};

// One loaded country file: the tables, their counts and the prefix index. A
// database is a plain value; its lookups are const, so passes on several
// threads may share one.
class CountryDatabase {
public:
    CountryDatabase();

    // 0 when the file was read, -1 when it cannot be opened (tables untouched).
    // Records are overwritten from 1 on; those beyond the new counts keep what
    // they held. A read error after the open raises tavo::IoError.
    int Load(const std::string& FileName);
    // Back to the zeroed tables a new database has.
    void Clear();

    // Records 1..MaxCountries and 1..MaxPrefixes; the counts say how many are loaded.
    const TCountryRec& Country(int Index) const;
    const TPrefixRec& Prefix(int Index) const;
    int CountryCount() const { return countryCount_; }
    int PrefixCount() const { return prefixCount_; }

    // Longest prefix of the table that begins Call; later records win ties; -1 for none.
    int FindPrefix(std::string_view Call) const;
    // FindPrefix with the portable rule: "AB1CD/VE3" is tried as "VE3/AB1CD" first.
    int CallToCountry(std::string_view Call) const;

private:
    friend class Loader;
    void BuildIndex();
    int FindPrefixRecord(std::string_view Call) const;

    std::vector<TCountryRec> countries_;  // index 0 is never a record
    std::vector<TPrefixRec> prefixes_;
    int countryCount_ = 0;
    int prefixCount_ = 0;

    // The prefixes as a trie over their upper-cased characters; a node keeps
    // the last record, in table order, whose whole prefix ends there. Edges
    // sit in one open-addressing table keyed by (node, character).
    struct Edge {
        std::uint32_t key = 0;  // node * 256 + character + 1; 0 is a free slot
        std::int32_t child = 0;
    };
    std::vector<std::int32_t> nodeRecord_;  // 0 where no prefix ends; node 0 is the root
    std::vector<Edge> edges_;
    std::uint32_t edgeMask_ = 0;
    int Child(int node, unsigned char c) const;
};

// The database the window and the command line load once and read afterwards.
CountryDatabase& DefaultCountryDatabase();

// The default database under the names the window and the command line use.
int LoadCountryFile(const std::string& FileName);
const TCountryRec& CountryTable(int Index);
const TPrefixRec& PrefixTable(int Index);
int CountryCount();
int PrefixCount();
void ClearCountryTables();
int FindPrefix(std::string_view Call);
int CallToCountry(std::string_view Call);

// Continent codes 1..6; any other code gives the empty text.
std::string_view ContinentAbbr(int Code);
std::string_view ContinentName(int Code);  // 13 characters, as the report prints it

// The loader's helpers, public for their own tests.
int FieldToInt(std::string_view Line, int From, int Count);
int ContinentOf(std::string_view Line, int From, int Count, int Zone);
std::string StripPrefix(std::string_view Text);

}  // namespace cty_utl3
