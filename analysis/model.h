// One model of a contest: every figure that any output shows, built once after
// a pass. The text report, the page and the JSON only render it; none of them
// adds a sum of its own, so they cannot disagree.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"

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

struct ContestModel {
    std::string LogFileName;  // as the pass was given it
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

    // The hour of the day that chart column 0..23 shows: the charts begin at the first hour.
    int ColumnHour(int Column) const { return (FirstHour + Column) % Hours; }
};

ContestModel BuildModel(const LogPass& Pass, const cty_utl3::CountryDatabase& Db,
                        std::string_view LogFileName);

}  // namespace u_tavo300
