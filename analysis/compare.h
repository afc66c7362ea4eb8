// Comparing logs: each log's figures are taken from its own model, exactly as
// its report shows them; a comparison adds only set differences, nearest-rank
// percentiles and ranks. A field of thousands of logs keeps a few numbers per
// log, never a QSO.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/model.h"

namespace u_tavo300 {

// The most logs compared side by side: one colour of the palette each.
inline constexpr int MaxComparedLogs = 8;

// What the header lines of a Cabrillo log say beside the pass: the station
// call and the categories.
struct LogHeaders {
    std::string Call;                                             // CALLSIGN:, empty when none
    std::vector<std::pair<std::string, std::string>> Categories;  // CATEGORY-*: key, value
};

// Reads a log's lines up to its first QSO, where the headers end. Empty when
// the log cannot be opened or is not a format the pass analyses. Read errors
// raise tavo::IoError.
std::optional<LogHeaders> ScanLogHeaders(const std::string& FileName);

// One log's figures for a comparison.
struct CompareLog {
    std::string Name;      // the log's file name, without its folder
    std::string Call;      // the station call when the log names one
    bool LogTime = false;  // zLog ALL keeps the logger's local clock, not UTC
    int Qsos = 0;
    std::vector<std::string> Countries;                           // prefixes, any band, table order
    std::array<std::vector<std::string>, HfBands> BandCountries;  // prefixes per HF band
    std::vector<ZoneFigures> Zones;                               // in zone order, any band
    std::array<BestRate, RateWindows.size()> BestRates{};
    std::int64_t OnMinutes = 0;
    std::array<std::array<long long, HfBands>, Continents + 1> ContinentBands{};
    std::array<long long, HfBands> ContinentBandSums{};
    // QSOs per clock hour of the chart days, from FirstHour on; an hour is
    // counted in hours since 1970-01-01 00:00 of the log's clock.
    int FirstHour = 0;
    std::vector<long long> Hours;
    std::vector<std::string> Calls;  // sorted, distinct

    // The legend's label: the call, or the file name of a log without one.
    const std::string& Label() const { return Call.empty() ? Name : Call; }
    long long QsosInHour(int Hour) const;
};

// The log's figures from its model; StartStamp is the pass's first stamp in
// hours, the clock hour of the first chart column.
CompareLog SummarizeLog(const ContestModel& Model, int StartStamp, std::string_view Name);

// Two to eight logs side by side.
struct Comparison {
    std::vector<CompareLog> Logs;  // in the order given
    // The hour axis: one clock over every log's hours, or, for logs further
    // apart than MaxClockSpan (last year's and this year's), each log's own
    // hours from its first one.
    bool OwnClocks = false;
    int FirstHour = 0;  // the clock hour of axis step 0, with one clock
    int HourCount = 0;
    long long QsosAt(std::size_t Log, int Step) const;
    // Per log: what it worked and no other log did.
    std::vector<std::vector<std::string>> UniqueCountries;
    std::vector<std::array<std::vector<std::string>, HfBands>> UniqueBandCountries;
    std::vector<std::vector<int>> UniqueZones;
    std::vector<std::array<std::vector<int>, HfBands>> UniqueBandZones;
    std::vector<std::vector<std::string>> UniqueCalls;
    long long CommonCalls = 0;  // calls every log worked
};

// Two weeks: a contest of two weekends still shares one clock.
inline constexpr int MaxClockSpan = 14 * 24;

Comparison CompareLogs(std::vector<CompareLog> Logs);

// The few numbers a log of a field keeps.
struct FieldEntry {
    int Qsos = 0;
    int Countries = 0;
    int Zones = 0;
    std::array<long long, RateWindows.size()> BestRates{};
    int FirstHour = 0;
    std::vector<int> Hours;  // as CompareLog::Hours
    long long QsosInHour(int Hour) const;
};

FieldEntry ToFieldEntry(const CompareLog& Log);

// A value of the log against the same figure over the field: the field's
// nearest-rank percentiles (none for an empty field), and the log's rank,
// 1 + the field's logs with a larger value.
struct Standing {
    long long Value = 0;
    std::optional<long long> Median, P75, P90;
    int Rank = 1;
};

// The P-th percentile by nearest rank of values sorted ascending: the value
// at 1-based rank ceil(P/100 * N). Empty for no values.
std::optional<long long> NearestRank(const std::vector<long long>& Sorted, int Percent);
Standing StandAgainst(long long Value, std::vector<long long> Field);

struct FieldHour {
    int Hour = 0;  // clock hour, as CompareLog::Hours counts it
    Standing Qsos;
};

struct FieldComparison {
    int Read = 0;                  // field logs analysed
    int Skipped = 0;               // field logs that could not be read
    int OtherCategory = 0;         // left out by --same-category
    std::vector<FieldHour> Hours;  // every hour of the log's chart days
    Standing Qsos, Countries, Zones;
    std::array<Standing, RateWindows.size()> BestRates;  // in RateWindows' order
};

FieldComparison CompareWithField(const CompareLog& Log, const std::vector<FieldEntry>& Field,
                                 int Skipped);

// "2005-11-26T07:00Z" for an hour of a UTC log, without the Z in log time.
std::string HourStamp(int Hour, bool LogTime);

}  // namespace u_tavo300
