#include "analysis/model.h"

#include <algorithm>
#include <bit>

#include "common/text.h"
#include "logformat/log_formats.h"
#include "logformat/tv_util2.h"

namespace u_tavo300 {

namespace {

// Sums a block's columns in the charts' hour order, from its cells.
void SumColumns(ChartBlock& block, int firstHour) {
    for (int j = 0; j < Hours; ++j) {
        const auto& cell = block.Cells[static_cast<std::size_t>((firstHour + j) % Hours)];
        long long sum = 0;
        for (int k = 1; k <= Continents; ++k) sum += cell[static_cast<std::size_t>(k)];
        block.ColumnSums[static_cast<std::size_t>(j)] = sum;
        block.Total += sum;
    }
}

void FillBandBlock(ChartBlock& block, const LogPass& pass, int day, int band) {
    block.Day = day;
    block.Band = band;
    for (int h = 0; h < Hours; ++h) {
        const auto row = pass.ChartRow(day, h, band);
        auto& cell = block.Cells[static_cast<std::size_t>(h)];
        for (int k = 1; k <= Continents; ++k)
            cell[static_cast<std::size_t>(k)] = row[static_cast<std::size_t>(k)];
    }
    SumColumns(block, pass.FirstHour());
}

void AddBreakdown(ContestModel& model, const LogPass& pass, const cty_utl3::CountryDatabase& db) {
    for (int k = 1; k <= Continents; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        for (int b = 0; b < HfBands; ++b) {
            const long long n = pass.ContinentTally(b, k);
            model.ContinentBands[ku][static_cast<std::size_t>(b)] = n;
            model.ContinentTotal[ku] += n;
            model.ContinentBandSums[static_cast<std::size_t>(b)] += n;
        }
        // With no QSO at all there is nothing to share out: every share is 0.0.
        model.ContinentShare[ku] =
            pass.QsoCount() > 0
                ? static_cast<double>(model.ContinentTotal[ku]) / pass.QsoCount() * 100
                : 0.0;
    }
    for (int c = 1; c <= db.CountryCount(); ++c) {
        // A country with no QSO on any band adds nothing to the columns either.
        if (pass.CountryTotal(c) == 0) continue;
        const cty_utl3::TCountryRec& rec = db.Country(c);
        CountryRow row;
        row.Country = c;
        row.MainPrefix = std::string(rec.MainPrefix.View());
        row.Name = std::string(rec.Name.View());
        for (int b = 0; b < HfBands; ++b) {
            const int n = pass.CountryTally(b, c);
            row.Bands[static_cast<std::size_t>(b)] = n;
            model.Columns.Qsos[static_cast<std::size_t>(b)] += n;
            model.Columns.Worked[static_cast<std::size_t>(b)] += n > 0 ? 1 : 0;
        }
        row.Total = pass.CountryTotal(c);
        model.Countries.push_back(std::move(row));
    }
}

void AddCharts(ContestModel& model, const LogPass& pass) {
    // Reserved, so that each block is filled where it stays.
    model.AllBandDays.reserve(static_cast<std::size_t>(pass.ChartDay()));
    model.BandDays.reserve(static_cast<std::size_t>(pass.ChartDay()));
    // The cells of a band a chart day has no QSO on are all empty, and most
    // logs are on a few bands, so the charts never read them.
    const std::array<unsigned, ChartDays + 1> bandsOn = pass.BandsOn();
    for (int d = 1; d <= pass.ChartDay(); ++d) {
        const unsigned on = bandsOn[static_cast<std::size_t>(d)];
        // The all-band block sums the band blocks, so each cell is read once.
        ChartBlock& all = model.AllBandDays.emplace_back();
        all.Day = d;
        std::vector<ChartBlock>& bands = model.BandDays.emplace_back();
        bands.reserve(static_cast<std::size_t>(std::popcount(on)));
        for (int b = 0; b < Bands; ++b) {
            if ((on >> b & 1u) == 0) continue;
            ChartBlock& block = bands.emplace_back();
            FillBandBlock(block, pass, d, b);
            if (block.Total == 0) {
                bands.pop_back();
                continue;
            }
            for (int h = 0; h < Hours; ++h) {
                for (int k = 1; k <= Continents; ++k)
                    all.Cells[static_cast<std::size_t>(h)][static_cast<std::size_t>(k)] +=
                        block.Cells[static_cast<std::size_t>(h)][static_cast<std::size_t>(k)];
            }
        }
        SumColumns(all, pass.FirstHour());
        for (int j = 0; j < Hours; ++j) {
            const long long n = all.ColumnSums[static_cast<std::size_t>(j)];
            if (n > model.Best.Qsos) model.Best = {n, d, model.ColumnHour(j)};
        }
    }
}

std::int64_t FloorTo(std::int64_t minute, std::int64_t step) {
    const std::int64_t q = minute / step;
    return (q * step > minute ? q - 1 : q) * step;
}

// The figures over every QSO, from the counts the pass kept as it read.
void AddCounts(ContestModel& model, const LogPass& pass, const cty_utl3::CountryDatabase& db) {
    for (int d = 1; d <= model.ChartDay && d <= ChartDays; ++d)
        model.ChartDayDates.push_back(pass.DayOpened(d));
    model.BandTotals = pass.BandTotals();
    model.Unstamped = pass.Unstamped();
    model.ChartedQsos = pass.ChartedQsos();
    model.UnknownQsos = pass.UnknownQsos();
    for (std::size_t m = 0; m < pass.Modes().size(); ++m) {
        if (pass.ModeQsos()[m] > 0) model.Modes.push_back({pass.Modes()[m], pass.ModeQsos()[m]});
    }
    for (int i = 1; i < CountrySlots; ++i) {
        const WorkedCount& count = pass.CountryWorked(i);
        if (count.Total == 0) continue;
        CountryFigures c;
        c.Country = i;
        c.Total = count.Total;
        c.First = count.First;
        if (i <= db.CountryCount()) {
            const cty_utl3::TCountryRec& rec = db.Country(i);
            c.Prefix = std::string(tavo::Trim(rec.MainPrefix.View()));
            c.Name = std::string(tavo::Trim(rec.Name.View()));
            c.Continent = rec.Continent;
            c.Zone = rec.CqZone;
        }
        model.WorkedCountries.push_back(std::move(c));
    }
    for (int i = 1; i < ZoneSlots; ++i) {
        const ZoneCount& count = pass.ZoneWorked(i);
        if (count.Total == 0) continue;
        model.Zones.push_back({i, count.ByBand, count.Total, count.First});
    }
    model.UnknownCalls = pass.UnknownCalls();
}

// Best rates in one walk over the minutes: each window's end moves on with
// its start, and only a minute with QSOs can start a best window.
void AddTimes(ContestModel& model, const std::vector<MinuteRun>& runs) {
    // Kept in locals: stores into the model could alias the runs, and each
    // step of the walk would load them all again.
    const MinuteRun* const run = runs.data();
    const std::size_t count = runs.size();
    for (std::size_t w = 0; w < RateWindows.size(); ++w) {
        BestRate best{RateWindows[w]};
        std::size_t end = 0;
        long long inside = 0;  // QSOs of runs[i..end)
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t until = run[i].Minute + best.Minutes;
            for (; end < count && run[end].Minute < until; ++end) inside += run[end].Qsos;
            if (inside > best.Qsos) {
                best.Qsos = inside;
                best.Start = run[i].Minute;
            }
            inside -= run[i].Qsos;
        }
        model.BestRates[w] = best;
    }
    if (runs.empty()) return;
    model.FirstStamp = runs.front().Minute;
    model.LastStamp = runs.back().Minute;
    std::int64_t off = 0;
    for (std::size_t i = 1; i < runs.size(); ++i) {
        const std::int64_t a = runs[i - 1].Minute, b = runs[i].Minute;
        if (b - a >= model.OffThreshold) {
            model.OffPeriods.push_back({a, b});
            off += b - a;
        }
    }
    model.OnMinutes = model.LastStamp - model.FirstStamp - off;
}

// The rate and the running totals in steps of ten minutes; a log spanning
// many weeks gets wider steps, so that the page stays a page.
void AddProgress(ContestModel& model, const std::vector<MinuteRun>& runs) {
    if (runs.empty()) return;
    constexpr std::int64_t kMostSteps = 4464;  // 31 days of ten minutes
    std::int64_t step = 10;
    const std::int64_t span = model.LastStamp - FloorTo(model.FirstStamp, 10);
    if (span / step + 1 > kMostSteps) step = 10 * ((span / 10 + kMostSteps) / kMostSteps);
    model.StepMinutes = static_cast<int>(step);
    const std::int64_t first = FloorTo(model.FirstStamp, step);
    const auto steps = static_cast<std::size_t>((model.LastStamp - first) / step + 1);
    model.Progress.resize(steps);
    std::vector<long long> newCountries(steps, 0), newZones(steps, 0);
    auto at = [&](std::int64_t minute) {
        return static_cast<std::size_t>((minute - first) / step);
    };
    for (const MinuteRun& run : runs) model.Progress[at(run.Minute)].Qsos += run.Qsos;
    for (const CountryFigures& c : model.WorkedCountries) {
        if (c.First.Minute != NoStamp) ++newCountries[at(c.First.Minute)];
    }
    for (const ZoneFigures& z : model.Zones) {
        if (z.First.Minute != NoStamp) ++newZones[at(z.First.Minute)];
    }
    long long qsos = 0, countries = 0, zones = 0;
    for (std::size_t k = 0; k < steps; ++k) {
        ProgressStep& p = model.Progress[k];
        p.Minute = first + static_cast<std::int64_t>(k) * step;
        p.TotalQsos = qsos += p.Qsos;
        p.Countries = countries += newCountries[k];
        p.Zones = zones += newZones[k];
    }
}

// Days since 1970-01-01 back to a civil date, the inverse of the pass's rule.
void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

std::string Padded(int value, std::size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

}  // namespace

std::string StampText(std::int64_t Minute, bool Utc) {
    const std::int64_t day = FloorTo(Minute, 1440) / 1440;
    const auto clock = static_cast<int>(Minute - day * 1440);
    int y = 0, m = 0, d = 0;
    CivilFromDays(day, y, m, d);
    return Padded(y, 4) + "-" + Padded(m, 2) + "-" + Padded(d, 2) + "T" + Padded(clock / 60, 2) +
           ":" + Padded(clock % 60, 2) + (Utc ? "Z" : "");
}

std::string_view BandName(int Band) {
    static constexpr std::array<std::string_view, Bands> kNames = {
        "1.9", "3.5", "7", "14", "21", "28", "50", "144", "430", "1200", "other"};
    return Band >= 0 && Band < Bands ? kNames[static_cast<std::size_t>(Band)] : kNames[Bands - 1];
}

std::string_view ClockName(bool Utc) { return Utc ? "UTC" : "log time"; }

std::string_view FormatWord(int Format) {
    const tv_util2::LogFormatEntry* entry = tv_util2::FindLogFormat(Format);
    return entry != nullptr ? entry->StatusWord : std::string_view();
}

ContestModel BuildModel(const LogPass& Pass, const cty_utl3::CountryDatabase& Db,
                        std::string_view LogFileName) {
    ContestModel model;
    model.LogFileName = std::string(LogFileName);
    model.Format = Pass.Format();
    model.QsoCount = Pass.QsoCount();
    model.ChartDay = Pass.ChartDay();
    model.FirstHour = Pass.FirstHour();
    AddBreakdown(model, Pass, Db);
    model.UtcClock = Pass.Format() != tv_util2::FormatZLogAll;
    model.OffThreshold = Pass.OffThreshold();
    AddCharts(model, Pass);
    if (!Pass.WholeLog()) return model;
    AddCounts(model, Pass, Db);
    AddTimes(model, Pass.MinuteRuns());
    AddProgress(model, Pass.MinuteRuns());
    return model;
}

}  // namespace u_tavo300
