// A comparison as JSON: each log's figures as its own report's JSON writes
// them, and what the comparison adds (set differences, percentiles, ranks).
#pragma once

#include "analysis/compare.h"
#include "platform/text_file.h"

namespace tavo_json {

void WriteCompareJson(tavo::TextWriter& Out, const u_tavo300::Comparison& Compared);
void WriteFieldJson(tavo::TextWriter& Out, const u_tavo300::CompareLog& Log,
                    const u_tavo300::FieldComparison& Field);

}  // namespace tavo_json
