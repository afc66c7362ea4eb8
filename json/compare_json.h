// The comparison as JSON, written with a JSON library outside the core.
#pragma once

#include "analysis/compare.h"
#include "platform/text_file.h"

namespace tavo {

void WriteCompareJson(TextWriter& Out, const u_tavo300::Comparison& Compared);
void WriteFieldJson(TextWriter& Out, const u_tavo300::CompareLog& Log,
                    const u_tavo300::FieldComparison& Field);

}  // namespace tavo
