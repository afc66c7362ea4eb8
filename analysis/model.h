// One model of a contest: every figure that any output shows, built once after
// a pass. The text report, the page and the JSON only render it; none of them
// adds a sum of its own, so they cannot disagree.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "platform/text_file.h"

namespace u_tavo300 {

// One chart table: a chart day, over all bands or one band.
struct ChartBlock {
    int Day = 0;                                // 1..3
    int Band = -1;                              // 0..10, or -1 for all bands together
    HourTable Cells{};                          // [hour of the day][continent 1..6]
    std::array<long long, Hours> ColumnSums{};  // per chart column, in the charts' hour order
    long long Total = 0;
};

// A worked country's row of the breakdown.
struct CountryRow {
    int Country = 0;         // index into the country table
    std::string MainPrefix;  // as stored, untrimmed
    std::string Name;        // as stored, untrimmed
    std::array<long long, HfBands> Bands{};
    long long Total = 0;  // every band, 6..10 included
};

// The busiest hour over all bands and chart days.
struct BestHour {
    long long Qsos = 0;
    int Day = 0;
    int Hour = 0;
};

// A worked country over every QSO of the log, whatever its band or chart day.
struct CountryFigures {
    int Country = 0;
    std::string Prefix;  // trimmed
    std::string Name;    // trimmed
    int Continent = -1;  // the country's own
    int Zone = -1;       // the country's own
    long long Total = 0;
    FirstWorked First;
};

// A CQ zone worked, over every QSO of the log.
struct ZoneFigures {
    int Zone = 0;
    std::array<long long, u_tavo300::Bands> ByBand{};
    long long Total = 0;
    FirstWorked First;
};

struct ModeCount {
    std::string Mode;  // upper-cased, as written
    long long Qsos = 0;
};

// The most stamped QSOs in any window [Start, Start + Minutes).
struct BestRate {
    int Minutes = 0;
    long long Qsos = 0;
    std::int64_t Start = NoStamp;  // the earliest window start reaching it
};

// A gap of at least the threshold between two consecutive stamps.
struct OffPeriod {
    std::int64_t Start = 0;
    std::int64_t End = 0;
    std::int64_t Minutes() const { return End - Start; }
};

// One step of the progress series: the QSOs stamped in [Minute, Minute +
// step), and the running totals at its end.
struct ProgressStep {
    std::int64_t Minute = 0;
    long long Qsos = 0;
    long long TotalQsos = 0;
    long long Countries = 0;
    long long Zones = 0;
};

inline constexpr std::array<int, 3> RateWindows = {10, 30, 60};

struct ContestModel {
    std::string LogFileName;  // as the pass was given it
    // The file the pass read, so that no output replaces it; empty where the
    // system does not tell it at the open.
    std::optional<tavo::FileIdentity> LogIdentity;
    int Format = -1;
    int QsoCount = 0;
    int ChartDay = 0;
    int FirstHour = 0;

    // Continents 1..6 on the HF bands; index 0 unused.
    std::array<std::array<long long, HfBands>, Continents + 1> ContinentBands{};
    std::array<long long, Continents + 1> ContinentTotal{};
    std::array<double, Continents + 1> ContinentShare{};  // percent of every worked station
    std::array<long long, HfBands> ContinentBandSums{};   // the Sum row

    std::vector<CountryRow> Countries;  // in the country table's order, worked ones only
    CountryColumns Columns;             // the QSOs and Countries rows

    std::vector<ChartBlock> AllBandDays;            // one per chart day, 1..ChartDay
    std::vector<std::vector<ChartBlock>> BandDays;  // per chart day, the bands with a count
    BestHour Best;

    // The figures below cover every QSO of the log. A model whose pass did
    // not count them (LogPass::WholeLog) holds them as they start.
    bool UtcClock = true;       // false for zLog ALL, which keeps the logger's local clock
    long long Unstamped = 0;    // QSOs without a real date and time
    long long ChartedQsos = 0;  // QSOs inside the three chart days, any band
    std::vector<std::int64_t> ChartDayDates;      // per chart day, the stamp of the QSO opening it
    std::vector<ModeCount> Modes;                 // in first-seen order
    std::vector<ZoneFigures> Zones;               // in zone order
    std::vector<CountryFigures> WorkedCountries;  // in the country table's order
    std::array<long long, Bands> BandTotals{};    // every QSO by band
    std::array<BestRate, RateWindows.size()> BestRates{};
    int OffThreshold = DefaultOffTime;  // minutes
    std::vector<OffPeriod> OffPeriods;
    std::int64_t OnMinutes = 0;
    std::int64_t FirstStamp = NoStamp, LastStamp = NoStamp;
    int StepMinutes = 10;  // of the progress series; wider only for a log of many weeks
    std::vector<ProgressStep> Progress;
    std::vector<std::string> UnknownCalls;
    long long UnknownQsos = 0;  // QSOs whose call has no country, the empty call included

    // The hour of the day that chart column 0..23 shows: the charts begin at the first hour.
    int ColumnHour(int Column) const { return (FirstHour + Column) % Hours; }
};

ContestModel BuildModel(const LogPass& Pass, const cty_utl3::CountryDatabase& Db,
                        std::string_view LogFileName);

// "2012-11-24T00:05Z" for a UTC log, without the "Z" for a log on local time.
std::string StampText(std::int64_t Minute, bool Utc);
// The band's label in the JSON and on the page: "1.9" ... "1200", "other".
std::string_view BandName(int Band);
// The clock a log's times are on, as every output names it: "UTC" or "log time".
std::string_view ClockName(bool Utc);
// The log format's word after "File type " (empty for an unknown code).
std::string_view FormatWord(int Format);

}  // namespace u_tavo300
