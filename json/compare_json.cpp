#include "json/compare_json.h"

#include "country/cty_utl3.h"
#include "json/json_common.h"

namespace tavo_json {

namespace {

using namespace u_tavo300;

// Counts by band label over the HF bands, every band named.
Json HfBandsOf(const std::array<long long, HfBands>& counts) {
    Json bands = Json::object();
    for (int b = 0; b < HfBands; ++b)
        bands[std::string(BandName(b))] = counts[static_cast<std::size_t>(b)];
    return bands;
}

Json LogJson(const CompareLog& log) {
    Json j;
    j["name"] = log.Name;
    j["call"] = log.Call.empty() ? Json(nullptr) : Json(log.Call);
    j["clock"] = ClockName(!log.LogTime);
    j["qsos"] = log.Qsos;
    j["countries"] = log.Countries.size();
    j["zones"] = log.Zones.size();
    // As the log's own report --json writes its best rates.
    j["rates"] = {{"best", BestRates(log.BestRates, !log.LogTime)}};
    j["on_minutes"] = log.OnMinutes;
    Json continents = Json::object();
    for (int k = 1; k <= Continents; ++k)
        continents[std::string(cty_utl3::ContinentAbbr(k))] =
            HfBandsOf(log.ContinentBands[static_cast<std::size_t>(k)]);
    j["continents"] = std::move(continents);
    Json zones = Json::array();
    for (const ZoneFigures& z : log.Zones) {
        std::array<long long, HfBands> hf{};
        std::copy_n(z.ByBand.begin(), HfBands, hf.begin());
        zones.push_back({{"zone", z.Zone}, {"total", z.Total}, {"bands", HfBandsOf(hf)}});
    }
    j["zones_by_band"] = std::move(zones);
    Json hours = Json::array();
    for (std::size_t h = 0; h < log.Hours.size(); ++h)
        hours.push_back({{"hour", HourStamp(log.FirstHour + static_cast<int>(h), log.LogTime)},
                         {"qsos", log.Hours[h]}});
    j["hours"] = std::move(hours);
    return j;
}

Json StandingJson(const Standing& s) {
    auto value = [](const std::optional<long long>& v) { return v ? Json(*v) : Json(nullptr); };
    return {{"value", s.Value},
            {"median", value(s.Median)},
            {"p75", value(s.P75)},
            {"p90", value(s.P90)},
            {"rank", s.Rank}};
}

}  // namespace

void WriteCompareJson(tavo::TextWriter& Out, const Comparison& Compared) {
    Json j;
    Json logs = Json::array();
    for (const CompareLog& log : Compared.Logs) logs.push_back(LogJson(log));
    j["logs"] = std::move(logs);
    // Logs years apart share no clock: each is then drawn from its own first hour.
    j["hour_axis"] = Compared.OwnClocks ? "own" : "clock";
    Json countries = Json::object(), countriesByBand = Json::object(), zones = Json::object(),
         zonesByBand = Json::object(), calls = Json::object(), callLists = Json::object();
    for (std::size_t i = 0; i < Compared.Logs.size(); ++i) {
        const std::string& name = Compared.Logs[i].Name;
        countries[name] = Compared.UniqueCountries[i];
        zones[name] = Compared.UniqueZones[i];
        Json countryBands = Json::object(), zoneBands = Json::object();
        for (int b = 0; b < HfBands; ++b) {
            const std::string band(BandName(b));
            countryBands[band] = Compared.UniqueBandCountries[i][static_cast<std::size_t>(b)];
            zoneBands[band] = Compared.UniqueBandZones[i][static_cast<std::size_t>(b)];
        }
        countriesByBand[name] = std::move(countryBands);
        zonesByBand[name] = std::move(zoneBands);
        calls[name] = Compared.UniqueCalls[i].size();
        callLists[name] = Compared.UniqueCalls[i];
    }
    j["unique_countries"] = std::move(countries);
    j["unique_countries_by_band"] = std::move(countriesByBand);
    j["unique_zones"] = std::move(zones);
    j["unique_zones_by_band"] = std::move(zonesByBand);
    j["unique_calls"] = std::move(calls);
    j["unique_call_lists"] = std::move(callLists);
    j["common_calls"] = Compared.CommonCalls;
    WriteJson(Out, j);
}

void WriteFieldJson(tavo::TextWriter& Out, const CompareLog& Log, const FieldComparison& Field) {
    Json j;
    j["logs"] = Json::array({LogJson(Log)});
    Json field;
    field["logs"] = Field.Read;
    field["skipped"] = Field.Skipped;
    field["other_category"] = Field.OtherCategory;
    Json hours = Json::array();
    for (const FieldHour& h : Field.Hours) {
        const Json standing = StandingJson(h.Qsos);
        hours.push_back({{"hour", HourStamp(h.Hour, Log.LogTime)},
                         {"qsos", h.Qsos.Value},
                         {"median", standing["median"]},
                         {"p75", standing["p75"]},
                         {"p90", standing["p90"]},
                         {"rank", h.Qsos.Rank}});
    }
    field["hours"] = std::move(hours);
    field["qsos"] = StandingJson(Field.Qsos);
    field["countries"] = StandingJson(Field.Countries);
    field["zones"] = StandingJson(Field.Zones);
    Json rates = Json::array();
    for (std::size_t r = 0; r < RateWindows.size(); ++r) {
        const Standing& s = Field.BestRates[r];
        const Json standing = StandingJson(s);
        rates.push_back({{"minutes", RateWindows[r]},
                         {"value", s.Value},
                         {"median", standing["median"]},
                         {"p75", standing["p75"]},
                         {"p90", standing["p90"]},
                         {"rank", s.Rank}});
    }
    field["rates"] = std::move(rates);
    j["field"] = std::move(field);
    WriteJson(Out, j);
}

}  // namespace tavo_json
