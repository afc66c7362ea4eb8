// The figures of a pass as JSON, for spreadsheets and scripts: every figure
// of the model that covers the whole log, rendered from the same model as the
// text report and the page.
#pragma once

#include "analysis/model.h"
#include "analysis/u_tavo300.h"
#include "platform/text_file.h"

namespace tavo_json {

void WriteJsonReport(tavo::TextWriter& Out, const u_tavo300::ContestModel& Model);

// LOG.json beside the log, or to a stream with --stdout.
inline constexpr u_tavo300::OutputKind JsonReport{"JSON", ".json", &WriteJsonReport, true};

}  // namespace tavo_json
