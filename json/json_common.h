// What the report's JSON and the comparison's JSON write alike, so a figure
// reads the same in both.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <span>

#include "analysis/model.h"
#include "platform/text_file.h"

namespace tavo_json {

using Json = nlohmann::ordered_json;

// A time of the log: its stamp text, null for none.
Json Time(std::int64_t Minute, bool Utc);

// The best rates: [{"minutes", "qsos", "start"}, ...] in the windows' order.
Json BestRates(std::span<const u_tavo300::BestRate> Rates, bool Utc);

// The document in lines of the system's line end; texts from a log or a data
// file need not be UTF-8, so a stray byte shows as U+FFFD instead of failing.
void WriteJson(tavo::TextWriter& Out, const Json& Doc);

}  // namespace tavo_json
