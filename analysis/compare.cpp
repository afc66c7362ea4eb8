#include "analysis/compare.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "common/paths.h"
#include "common/text.h"
#include "logformat/log_formats.h"
#include "logformat/tv_util2.h"
#include "platform/text_file.h"

namespace u_tavo300 {

namespace {

// The text after a Cabrillo header's colon, trimmed.
std::string HeaderValue(std::string_view line) {
    return std::string(tavo::Trim(line.substr(line.find(':') + 1)));
}

// The items of Own that none of Others holds; every list is sorted.
std::vector<std::string> OnlyIn(const std::vector<std::string>& own,
                                const std::vector<const std::vector<std::string>*>& others) {
    std::vector<std::string> left = own;
    for (const std::vector<std::string>* other : others) {
        std::vector<std::string> next;
        std::set_difference(left.begin(), left.end(), other->begin(), other->end(),
                            std::back_inserter(next));
        left = std::move(next);
    }
    return left;
}

// The same in the order Own lists them (the country table's order).
std::vector<std::string> OnlyInKeepingOrder(
    const std::vector<std::string>& own,
    const std::vector<std::vector<std::string>>& sortedOthers) {
    std::vector<std::string> left;
    for (const std::string& item : own) {
        bool elsewhere = false;
        for (const std::vector<std::string>& other : sortedOthers)
            elsewhere = elsewhere || std::binary_search(other.begin(), other.end(), item);
        if (!elsewhere) left.push_back(item);
    }
    return left;
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    return items;
}

}  // namespace

std::optional<LogHeaders> ScanLogHeaders(const std::string& FileName) {
    std::optional<tavo::TextReader> log = tavo::TextReader::Open(FileName);
    if (!log) return std::nullopt;
    const tv_util2::Detection found = tv_util2::DetectLog(*log);
    if (!tv_util2::IsAnalysed(found.Format)) return std::nullopt;
    LogHeaders headers;
    // Only a Cabrillo log has these headers; the others have nothing to scan.
    if (found.Format != tv_util2::FormatCabrillo) return headers;
    log->Rewind(tavo::TextReader::CtrlZ::EndsFile);
    std::string line;
    log->ReadLine(line);  // the format's marker, as the pass skips it
    while (log->ReadLine(line) && !tv_util2::IsQsoLine(found.Format, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = tavo::UpperAscii(line.substr(0, colon));
        if (key == "CALLSIGN") {
            headers.Call = tavo::UpperAscii(HeaderValue(line));
        } else if (key.starts_with("CATEGORY-")) {
            headers.Categories.emplace_back(key, tavo::UpperAscii(HeaderValue(line)));
        }
    }
    return headers;
}

long long CompareLog::QsosInHour(int Hour) const {
    const long long at = static_cast<long long>(Hour) - FirstHour;
    return at >= 0 && at < static_cast<long long>(Hours.size())
               ? Hours[static_cast<std::size_t>(at)]
               : 0;
}

long long FieldEntry::QsosInHour(int Hour) const {
    const long long at = static_cast<long long>(Hour) - FirstHour;
    return at >= 0 && at < static_cast<long long>(Hours.size())
               ? Hours[static_cast<std::size_t>(at)]
               : 0;
}

CompareLog SummarizeLog(const ContestModel& Model, int StartStamp, std::string_view Name) {
    CompareLog log;
    log.Name = std::string(Name);
    log.LogTime = !Model.UtcClock;
    log.Qsos = Model.QsoCount;
    for (const CountryFigures& country : Model.WorkedCountries)
        log.Countries.push_back(country.Prefix);
    for (const CountryRow& row : Model.Countries) {
        for (int b = 0; b < HfBands; ++b) {
            if (row.Bands[static_cast<std::size_t>(b)] > 0)
                log.BandCountries[static_cast<std::size_t>(b)].emplace_back(
                    tavo::Trim(row.MainPrefix));
        }
    }
    log.Zones = Model.Zones;
    log.BestRates = Model.BestRates;
    log.OnMinutes = Model.OnMinutes;
    log.ContinentBands = Model.ContinentBands;
    log.ContinentBandSums = Model.ContinentBandSums;
    // Chart day d's column j is the clock hour StartStamp + (d-1)*24 + j.
    log.FirstHour = StartStamp;
    for (const ChartBlock& day : Model.AllBandDays)
        log.Hours.insert(log.Hours.end(), day.ColumnSums.begin(), day.ColumnSums.end());
    while (!log.Hours.empty() && log.Hours.back() == 0) log.Hours.pop_back();
    return log;
}

Comparison CompareLogs(std::vector<CompareLog> Logs) {
    Comparison c;
    c.Logs = std::move(Logs);
    const std::size_t n = c.Logs.size();
    bool any = false;
    int last = 0;
    for (const CompareLog& log : c.Logs) {
        if (log.Hours.empty()) continue;
        const int end = log.FirstHour + static_cast<int>(log.Hours.size());
        c.FirstHour = any ? std::min(c.FirstHour, log.FirstHour) : log.FirstHour;
        last = any ? std::max(last, end) : end;
        any = true;
    }
    c.HourCount = any ? last - c.FirstHour : 0;
    if (c.HourCount > MaxClockSpan) {
        c.OwnClocks = true;
        c.FirstHour = 0;
        c.HourCount = 0;
        for (const CompareLog& log : c.Logs)
            c.HourCount = std::max(c.HourCount, static_cast<int>(log.Hours.size()));
    }

    std::vector<std::vector<std::string>> countries(n);
    std::vector<std::array<std::vector<std::string>, HfBands>> bands(n);
    for (std::size_t i = 0; i < n; ++i) {
        countries[i] = Sorted(c.Logs[i].Countries);
        for (std::size_t b = 0; b < HfBands; ++b) bands[i][b] = Sorted(c.Logs[i].BandCountries[b]);
    }
    c.UniqueCountries.resize(n);
    c.UniqueBandCountries.resize(n);
    c.UniqueCalls.resize(n);
    c.UniqueZones.resize(n);
    c.UniqueBandZones.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        std::vector<std::vector<std::string>> otherCountries;
        std::vector<const std::vector<std::string>*> otherCalls;
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i) continue;
            otherCountries.push_back(countries[j]);
            otherCalls.push_back(&c.Logs[j].Calls);
        }
        c.UniqueCountries[i] = OnlyInKeepingOrder(c.Logs[i].Countries, otherCountries);
        for (std::size_t b = 0; b < HfBands; ++b) {
            std::vector<std::vector<std::string>> others;
            for (std::size_t j = 0; j < n; ++j) {
                if (j != i) others.push_back(bands[j][b]);
            }
            c.UniqueBandCountries[i][b] = OnlyInKeepingOrder(c.Logs[i].BandCountries[b], others);
        }
        c.UniqueCalls[i] = OnlyIn(c.Logs[i].Calls, otherCalls);
        // Zones in zone order, on any band (-1) and per HF band.
        auto worked = [&](std::size_t log, int band, int zone) {
            for (const ZoneFigures& z : c.Logs[log].Zones) {
                if (z.Zone == zone)
                    return band < 0 ? z.Total > 0 : z.ByBand[static_cast<std::size_t>(band)] > 0;
            }
            return false;
        };
        auto elsewhere = [&](int band, int zone) {
            for (std::size_t j = 0; j < n; ++j) {
                if (j != i && worked(j, band, zone)) return true;
            }
            return false;
        };
        for (const ZoneFigures& z : c.Logs[i].Zones) {
            if (z.Total > 0 && !elsewhere(-1, z.Zone)) c.UniqueZones[i].push_back(z.Zone);
            for (int b = 0; b < HfBands; ++b) {
                if (z.ByBand[static_cast<std::size_t>(b)] > 0 && !elsewhere(b, z.Zone))
                    c.UniqueBandZones[i][static_cast<std::size_t>(b)].push_back(z.Zone);
            }
        }
    }
    if (n > 0) {
        std::vector<std::string> common = c.Logs[0].Calls;
        for (std::size_t j = 1; j < n; ++j) {
            std::vector<std::string> next;
            std::set_intersection(common.begin(), common.end(), c.Logs[j].Calls.begin(),
                                  c.Logs[j].Calls.end(), std::back_inserter(next));
            common = std::move(next);
        }
        c.CommonCalls = static_cast<long long>(common.size());
    }
    return c;
}

long long Comparison::QsosAt(std::size_t Log, int Step) const {
    const CompareLog& log = Logs.at(Log);
    return log.QsosInHour((OwnClocks ? log.FirstHour : FirstHour) + Step);
}

FieldEntry ToFieldEntry(const CompareLog& Log) {
    FieldEntry entry;
    entry.Qsos = Log.Qsos;
    entry.Countries = static_cast<int>(Log.Countries.size());
    entry.Zones = static_cast<int>(Log.Zones.size());
    for (std::size_t r = 0; r < RateWindows.size(); ++r) entry.BestRates[r] = Log.BestRates[r].Qsos;
    entry.FirstHour = Log.FirstHour;
    for (long long n : Log.Hours) entry.Hours.push_back(static_cast<int>(n));
    return entry;
}

std::optional<long long> NearestRank(const std::vector<long long>& Sorted, int Percent) {
    if (Sorted.empty()) return std::nullopt;
    const std::size_t n = Sorted.size();
    // ceil(P * N / 100), at least rank 1.
    std::size_t rank = (static_cast<std::size_t>(Percent) * n + 99) / 100;
    rank = std::clamp<std::size_t>(rank, 1, n);
    return Sorted[rank - 1];
}

Standing StandAgainst(long long Value, std::vector<long long> Field) {
    std::sort(Field.begin(), Field.end());
    Standing s;
    s.Value = Value;
    s.Median = NearestRank(Field, 50);
    s.P75 = NearestRank(Field, 75);
    s.P90 = NearestRank(Field, 90);
    const auto larger = Field.end() - std::upper_bound(Field.begin(), Field.end(), Value);
    s.Rank = 1 + static_cast<int>(larger);
    return s;
}

FieldComparison CompareWithField(const CompareLog& Log, const std::vector<FieldEntry>& Field,
                                 int Skipped) {
    FieldComparison f;
    f.Read = static_cast<int>(Field.size());
    f.Skipped = Skipped;
    std::vector<long long> values(Field.size());
    for (std::size_t h = 0; h < Log.Hours.size(); ++h) {
        const int hour = Log.FirstHour + static_cast<int>(h);
        for (std::size_t i = 0; i < Field.size(); ++i) values[i] = Field[i].QsosInHour(hour);
        f.Hours.push_back({hour, StandAgainst(Log.Hours[h], values)});
    }
    for (std::size_t i = 0; i < Field.size(); ++i) values[i] = Field[i].Qsos;
    f.Qsos = StandAgainst(Log.Qsos, values);
    for (std::size_t i = 0; i < Field.size(); ++i) values[i] = Field[i].Countries;
    f.Countries = StandAgainst(static_cast<long long>(Log.Countries.size()), values);
    for (std::size_t i = 0; i < Field.size(); ++i) values[i] = Field[i].Zones;
    f.Zones = StandAgainst(static_cast<long long>(Log.Zones.size()), values);
    for (std::size_t r = 0; r < RateWindows.size(); ++r) {
        for (std::size_t i = 0; i < Field.size(); ++i) values[i] = Field[i].BestRates[r];
        f.BestRates[r] = StandAgainst(Log.BestRates[r].Qsos, values);
    }
    return f;
}

std::string HourStamp(int Hour, bool LogTime) {
    return StampText(std::int64_t{Hour} * 60, !LogTime);
}

}  // namespace u_tavo300
