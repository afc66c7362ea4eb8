// The country database: CQWW.DAT or a cty.dat loaded into a country table, a
// prefix table and (cty.dat only) a table of exact calls, and callsigns
// resolved against them: exact call, then longest prefix.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/short_string.h"
#include "common/zeroed_array.h"

namespace tavo {
class TextReader;
}

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
    // cty.dat's "(cq)" and "{continent}" of the item; 0 when it has none, as
    // always from CQWW.DAT.
    std::int32_t CqZone = 0;
    std::int32_t Continent = 0;
};

// A cty.dat "=" item: the whole callsign it matches, upper-cased; the text
// lives in the database and stays valid until it is loaded or cleared again.
struct TExactRec {
    std::string_view Call;
    std::int32_t Country = 0;
    std::int32_t CqZone = 0;     // the override, 0 when there is none
    std::int32_t Continent = 0;  // the override, 0 when there is none
};

// Which form the loaded file had; the fixed columns of CQWW.DAT, or cty.dat
// with its colon-separated headers.
enum class DataForm { CqwwDat, CtyDat };

// A callsign's country with the zone and continent of the entry that matched
// it: its override where it has one, else its country's. All -1 for no country.
struct CallResolution {
    int Country = -1;
    int CqZone = -1;
    int Continent = -1;
};

// One loaded country file: the tables, their counts and the prefix index. A
// database is a plain value; its lookups are const, so passes on several
// threads may share one.
class CountryDatabase {
public:
    CountryDatabase();

    // 0 when the file was read, -1 when it cannot be opened (tables untouched).
    // The form is told by the first line that is not blank: a cty.dat header
    // there means cty.dat. Records are overwritten from 1 on; those beyond the
    // new counts keep what they held. A read error after the open raises
    // tavo::IoError; a cty.dat that is malformed or holds more than the tables
    // do raises CtyFormatError and leaves the database as it was.
    int Load(const std::string& FileName);
    // Back to the zeroed tables a new database has.
    void Clear();

    // Records 1..MaxCountries and 1..MaxPrefixes; the counts say how many are loaded.
    const TCountryRec& Country(int Index) const;
    const TPrefixRec& Prefix(int Index) const;
    int CountryCount() const { return countryCount_; }
    int PrefixCount() const { return prefixCount_; }
    // Exact calls 1..ExactCount(), in file order.
    TExactRec Exact(int Index) const;
    int ExactCount() const { return static_cast<int>(exacts_.size()); }
    DataForm Form() const { return form_; }
    // cty.dat's "=VER" date, or CQWW.DAT's title line trimmed; empty when none.
    const std::string& Version() const { return version_; }

    // Longest prefix of the table that begins Call; later records win ties; -1 for none.
    int FindPrefix(std::string_view Call) const;
    // An exact call equal to the trimmed Call (ASCII case-insensitive) wins;
    // else FindPrefix with the portable rule: "AB1CD/VE3" is tried as
    // "VE3/AB1CD" first, unless the part after the "/" is an operating suffix
    // such as MM or QRP.
    CallResolution Resolve(std::string_view Call) const;
    int CallToCountry(std::string_view Call) const { return Resolve(Call).Country; }

private:
    friend class Loader;
    friend class CtyLoader;
    // An exact call: its upper-cased text in exactChars_, its country and overrides.
    struct ExactEntry {
        std::uint32_t Offset = 0;
        std::uint32_t Length = 0;
        std::uint32_t Hash = 0;  // of the text, as the index probes it
        std::int32_t Country = 0;
        std::int32_t CqZone = 0;
        std::int32_t Continent = 0;
    };
    // A trie cell: a node's child under one column. Every node on a prefix's
    // path either ends a prefix or has children, so an all-zero cell means no child.
    struct Cell {
        std::uint32_t Row = 0;    // where the child's row of cells starts; 0 for none
        std::int32_t Record = 0;  // the last record whose whole prefix ends at the child
    };

    void BuildIndex();
    bool BuildTrie(std::size_t RowsAtMost);
    void BuildPairs();
    void BuildExactIndex();
    // The lookups a call takes inline, each in one frame: the frames of
    // their own cost a call more than some of them do.
    [[gnu::always_inline]] inline int FindPrefixRecord(std::string_view Call) const;
    [[gnu::always_inline]] inline int PortablePrefixRecord(std::string_view Call) const;
    [[gnu::always_inline]] inline CallResolution ResolveByPrefix(std::string_view Call) const;
    [[gnu::always_inline]] inline int FindExact(std::string_view Call) const;
    [[gnu::noinline]] int SwappedPrefixRecord(std::string_view Call, int Plain) const;
    [[gnu::noinline]] CallResolution ResolveWithExacts(std::string_view Call) const;
    int LoadCqwwDat(tavo::TextReader& Reader);
    int LoadCtyDat(tavo::TextReader& Reader);
    // Record Index, growing the table to it.
    TPrefixRec& PrefixToFill(int Index) {
        return prefixes_.GrowTo(static_cast<std::size_t>(Index));
    }

    std::vector<TCountryRec> countries_;  // index 0 is never a record
    // Records 0..size-1; those up to MaxPrefixes past the end read as empty.
    tavo::ZeroedArray<TPrefixRec> prefixes_;
    int countryCount_ = 0;
    int prefixCount_ = 0;
    std::vector<ExactEntry> exacts_;
    std::string exactChars_;
    // Open addressing over exacts_: entry index + 1, 0 for a free slot. A
    // call listed twice holds the later entry.
    tavo::ZeroedArray<std::uint32_t> exactSlots_;
    int exactShift_ = 0;  // a hash's slot is its top bits, hash >> exactShift_
    std::size_t exactMaxLength_ = 0;
    DataForm form_ = DataForm::CqwwDat;
    std::string version_;

    // The prefixes as a trie over their upper-cased characters; a node keeps
    // the last record, in table order, whose whole prefix ends there. Each
    // byte maps to a column (0 for one no prefix holds; a lower-case letter
    // to its capital's), and a node with children owns a row of cells_, one
    // cell per column. The root's row is the first; its own record, that of
    // an empty prefix, is rootRecord_.
    std::array<std::uint8_t, 256> column_{};
    std::uint32_t width_ = 1;
    std::int32_t rootRecord_ = 0;
    tavo::ZeroedArray<Cell> cells_;
    // Where in cells_ the pairs' table starts: the walk's state after a
    // call's first two bytes, by their columns (first * width_ + second), as
    // the last record matched, the root's included, and the row the walk goes
    // on from, 0 where it ends.
    std::size_t pairsAt_ = 0;
};

// The database the window and the command line load once and read afterwards.
CountryDatabase& DefaultCountryDatabase();

// The default database under the names the window and the command line use.
// LoadCountryFile is Load, but -1 too for a file read whole that holds no
// country; the tables then hold what it read.
int LoadCountryFile(const std::string& FileName);
const TCountryRec& CountryTable(int Index);
const TPrefixRec& PrefixTable(int Index);
int CountryCount();
int PrefixCount();
void ClearCountryTables();
int FindPrefix(std::string_view Call);
int CallToCountry(std::string_view Call);
CallResolution Resolve(std::string_view Call);

// Continent codes 1..6; any other code gives the empty text.
std::string_view ContinentAbbr(int Code);
std::string_view ContinentName(int Code);  // 13 characters, as the report prints it

// The part after a callsign's "/" that names how it operates (MM, AM, QRP,
// QRPP, LH, JOTA, YOTA, blanks around it aside), not where.
bool IsOperatingSuffix(std::string_view Part);

// The loader's helpers, public for their own tests.
int FieldToInt(std::string_view Line, int From, int Count);
int ContinentOf(std::string_view Line, int From, int Count, int Zone);
std::string StripPrefix(std::string_view Text);

}  // namespace cty_utl3
