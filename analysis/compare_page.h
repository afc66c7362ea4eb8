// The comparison page: one self-contained file (inline CSS and SVG, no
// script) in the report page's style, each log in a colour of its own.
#pragma once

#include <string_view>

#include "analysis/compare.h"
#include "platform/text_file.h"

namespace u_tavo300 {

// The colour of log 0..7 (Okabe-Ito, told apart with colour blindness).
std::string_view LogColour(int Log);

void WriteComparePage(tavo::TextWriter& Page, const Comparison& Compared);
void WriteFieldPage(tavo::TextWriter& Page, const CompareLog& Log, const FieldComparison& Field);

}  // namespace u_tavo300
