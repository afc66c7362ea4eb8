#include "json/json_report.h"

#include <nlohmann/json.hpp>

#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"
#include "logformat/log_formats.h"
#include "tavo_version.h"

namespace tavo_json {

namespace {

using Json = nlohmann::ordered_json;
using namespace u_tavo300;

Json Time(const ContestModel& model, std::int64_t minute) {
    if (minute == NoStamp) return nullptr;
    return StampText(minute, model.UtcClock);
}

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
    Json best = Json::array();
    for (const BestRate& rate : model.BestRates)
        best.push_back(
            {{"minutes", rate.Minutes}, {"qsos", rate.Qsos}, {"start", Time(model, rate.Start)}});
    Json series = Json::array();
    for (const ProgressStep& step : model.Progress)
        series.push_back({{"start", Time(model, step.Minute)},
                          {"qsos", step.Qsos},
                          {"total_qsos", step.TotalQsos},
                          {"countries", step.Countries},
                          {"zones", step.Zones}});
    return {{"best", best}, {"step_minutes", model.StepMinutes}, {"series", series}};
}

Json OffTime(const ContestModel& model) {
    Json periods = Json::array();
    for (const OffPeriod& off : model.OffPeriods)
        periods.push_back({{"start", Time(model, off.Start)},
                           {"end", Time(model, off.End)},
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
    const tv_util2::LogFormatEntry* format = tv_util2::FindLogFormat(Model.Format);
    Json doc = {
        {"generator", "Tavo " TAVO_VERSION},
        {"log", std::string(tavo::ExtractFileName(Model.LogFileName))},
        {"format", format != nullptr ? std::string(format->StatusWord) : std::string()},
        {"clock", Model.UtcClock ? "UTC" : "log time"},
        {"qsos", Model.QsoCount},
        {"unstamped", Model.Unstamped},
        {"first_qso", Time(Model, Model.FirstStamp)},
        {"last_qso", Time(Model, Model.LastStamp)},
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
    // Texts from a log or a data file need not be UTF-8; a stray byte shows
    // as U+FFFD instead of failing the whole output.
    const std::string text = doc.dump(2, ' ', false, Json::error_handler_t::replace);
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        Out.WriteLine(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
}

}  // namespace tavo_json
