#include "json/compare_json.h"

#include <nlohmann/json.hpp>

#include "country/cty_utl3.h"

namespace tavo {

namespace {

using nlohmann::ordered_json;
using u_tavo300::CompareLog;

ordered_json LogJson(const CompareLog& log) {
    ordered_json j;
    j["name"] = log.Name;
    j["call"] = log.Call.empty() ? ordered_json(nullptr) : ordered_json(log.Call);
    j["clock"] = log.LogTime ? "log time" : "UTC";
    j["qsos"] = log.Qsos;
    j["countries"] = log.Countries.size();
    ordered_json continents = ordered_json::object();
    for (int k = 1; k <= u_tavo300::Continents; ++k) {
        ordered_json bands = ordered_json::object();
        for (int b = 0; b < u_tavo300::HfBands; ++b)
            bands[std::string(u_tavo300::BandName(b))] =
                log.ContinentBands[static_cast<std::size_t>(k)][static_cast<std::size_t>(b)];
        continents[std::string(cty_utl3::ContinentAbbr(k))] = std::move(bands);
    }
    j["continents"] = std::move(continents);
    ordered_json hours = ordered_json::array();
    for (std::size_t h = 0; h < log.Hours.size(); ++h)
        hours.push_back(
            {{"hour", u_tavo300::HourStamp(log.FirstHour + static_cast<int>(h), log.LogTime)},
             {"qsos", log.Hours[h]}});
    j["hours"] = std::move(hours);
    return j;
}

ordered_json StandingJson(const u_tavo300::Standing& s) {
    auto value = [](const std::optional<long long>& v) {
        return v ? ordered_json(*v) : ordered_json(nullptr);
    };
    return {{"value", s.Value},
            {"median", value(s.Median)},
            {"p75", value(s.P75)},
            {"p90", value(s.P90)},
            {"rank", s.Rank}};
}

// Plain newlines, as JSON tools write them.
void Write(TextWriter& out, const ordered_json& j) {
    out.Write(j.dump(2));
    out.Write("\n");
}

}  // namespace

void WriteCompareJson(TextWriter& Out, const u_tavo300::Comparison& Compared) {
    ordered_json j;
    ordered_json logs = ordered_json::array();
    for (const CompareLog& log : Compared.Logs) logs.push_back(LogJson(log));
    j["logs"] = std::move(logs);
    // Logs years apart share no clock: each is then drawn from its own first hour.
    j["hour_axis"] = Compared.OwnClocks ? "own" : "clock";
    ordered_json countries = ordered_json::object(), byBand = ordered_json::object(),
                 calls = ordered_json::object(), callLists = ordered_json::object();
    for (std::size_t i = 0; i < Compared.Logs.size(); ++i) {
        const std::string& name = Compared.Logs[i].Name;
        countries[name] = Compared.UniqueCountries[i];
        ordered_json bands = ordered_json::object();
        for (int b = 0; b < u_tavo300::HfBands; ++b)
            bands[std::string(u_tavo300::BandName(b))] =
                Compared.UniqueBandCountries[i][static_cast<std::size_t>(b)];
        byBand[name] = std::move(bands);
        calls[name] = Compared.UniqueCalls[i].size();
        callLists[name] = Compared.UniqueCalls[i];
    }
    j["unique_countries"] = std::move(countries);
    j["unique_countries_by_band"] = std::move(byBand);
    j["unique_calls"] = std::move(calls);
    j["unique_call_lists"] = std::move(callLists);
    j["common_calls"] = Compared.CommonCalls;
    Write(Out, j);
}

void WriteFieldJson(TextWriter& Out, const u_tavo300::CompareLog& Log,
                    const u_tavo300::FieldComparison& Field) {
    ordered_json j;
    j["logs"] = ordered_json::array({LogJson(Log)});
    ordered_json field;
    field["logs"] = Field.Read;
    field["skipped"] = Field.Skipped;
    field["other_category"] = Field.OtherCategory;
    field["qsos"] = StandingJson(Field.Qsos);
    field["countries"] = StandingJson(Field.Countries);
    ordered_json hours = ordered_json::array();
    for (const u_tavo300::FieldHour& h : Field.Hours) {
        ordered_json row = StandingJson(h.Qsos);
        hours.push_back({{"hour", u_tavo300::HourStamp(h.Hour, Log.LogTime)},
                         {"qsos", row["value"]},
                         {"median", row["median"]},
                         {"p75", row["p75"]},
                         {"p90", row["p90"]},
                         {"rank", row["rank"]}});
    }
    field["hours"] = std::move(hours);
    j["field"] = std::move(field);
    Write(Out, j);
}

}  // namespace tavo
