#include "json/json_report.h"

#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"
#include "json/json_common.h"
#include "tavo_version.h"

namespace tavo_json {

namespace {

using namespace u_tavo300;

Json First(const ContestModel& model, const FirstWorked& first) {
    if (first.Minute == NoStamp) return nullptr;
    return {{"time", StampText(first.Minute, model.UtcClock)},
            {"band", std::string(BandName(first.Band))}};
}

// Counts by band label, only the bands that have any, in band order.
template <std::size_t N>
Json ByBand(const std::array<long long, N>& counts, int from) {
    Json bands = Json::object();
    for (std::size_t b = static_cast<std::size_t>(from); b < N; ++b) {
        if (counts[b] != 0) bands[std::string(BandName(static_cast<int>(b)))] = counts[b];
    }
    return bands;
}

Json ZoneOrNull(int zone) { return zone >= 1 ? Json(zone) : Json(nullptr); }

Json ContinentOrNull(int code) {
    const std::string_view abbr = cty_utl3::ContinentAbbr(code);
    return abbr.empty() ? Json(nullptr) : Json(std::string(abbr));
}

Json Countries(const ContestModel& model) {
    Json list = Json::array();
    for (const CountryFigures& c : model.WorkedCountries) {
        list.push_back({{"prefix", c.Prefix},
                        {"name", c.Name},
                        {"continent", ContinentOrNull(c.Continent)},
                        {"zone", ZoneOrNull(c.Zone)},
                        {"total", c.Total},
                        {"first", First(model, c.First)}});
    }
    return list;
}

Json Zones(const ContestModel& model) {
    Json list = Json::array();
    for (const ZoneFigures& z : model.Zones) {
        list.push_back({{"zone", z.Zone},
                        {"total", z.Total},
                        {"bands", ByBand(z.ByBand, 0)},
                        {"first", First(model, z.First)}});
    }
    return list;
}

Json Rates(const ContestModel& model) {
    const Json best = BestRates(model.BestRates, model.UtcClock);
    Json series = Json::array();
    for (const ProgressStep& step : model.Progress)
        series.push_back({{"start", Time(step.Minute, model.UtcClock)},
                          {"qsos", step.Qsos},
                          {"total_qsos", step.TotalQsos},
                          {"countries", step.Countries},
                          {"zones", step.Zones}});
    return {{"best", best}, {"step_minutes", model.StepMinutes}, {"series", series}};
}

Json OffTime(const ContestModel& model) {
    Json periods = Json::array();
    for (const OffPeriod& off : model.OffPeriods)
        periods.push_back({{"start", Time(off.Start, model.UtcClock)},
                           {"end", Time(off.End, model.UtcClock)},
                           {"minutes", off.Minutes()}});
    return {{"threshold_minutes", model.OffThreshold},
            {"on_minutes", model.OnMinutes},
            {"periods", periods}};
}

Json Modes(const ContestModel& model) {
    Json modes = Json::object();
    for (const ModeCount& mode : model.Modes) modes[mode.Mode] = mode.Qsos;
    return modes;
}

}  // namespace

void WriteJsonReport(tavo::TextWriter& Out, const ContestModel& Model) {
    Json doc = {
        {"generator", "Tavo " TAVO_VERSION},
        {"log", std::string(tavo::ExtractFileName(Model.LogFileName))},
        {"format", FormatWord(Model.Format)},
        {"clock", ClockName(Model.UtcClock)},
        {"qsos", Model.QsoCount},
        {"unstamped", Model.Unstamped},
        {"first_qso", Time(Model.FirstStamp, Model.UtcClock)},
        {"last_qso", Time(Model.LastStamp, Model.UtcClock)},
        {"bands", ByBand(Model.BandTotals, 0)},
        {"modes", Modes(Model)},
        {"zones", Zones(Model)},
        {"countries", Countries(Model)},
        {"rates", Rates(Model)},
        {"off_time", OffTime(Model)},
        {"outside_hf", ByBand(Model.BandTotals, HfBands)},
        {"unknown_calls", Model.UnknownCalls},
        {"unknown_qsos", Model.UnknownQsos},
    };
    WriteJson(Out, doc);
}

}  // namespace tavo_json
