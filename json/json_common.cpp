#include "json/json_common.h"

#include <string>
#include <string_view>

namespace tavo_json {

Json Time(std::int64_t Minute, bool Utc) {
    if (Minute == u_tavo300::NoStamp) return nullptr;
    return u_tavo300::StampText(Minute, Utc);
}

Json BestRates(std::span<const u_tavo300::BestRate> Rates, bool Utc) {
    Json best = Json::array();
    for (const u_tavo300::BestRate& rate : Rates)
        best.push_back(
            {{"minutes", rate.Minutes}, {"qsos", rate.Qsos}, {"start", Time(rate.Start, Utc)}});
    return best;
}

void WriteJson(tavo::TextWriter& Out, const Json& Doc) {
    Out.WriteLines(Doc.dump(2, ' ', false, Json::error_handler_t::replace));
}

}  // namespace tavo_json
