#include "app/outputs.h"

#include <array>

#include "analysis/html_report.h"
#include "json/json_report.h"

namespace tavo {

namespace {

constexpr std::array<const u_tavo300::OutputKind*, 3> kOutputs = {
    &u_tavo300::TextReport, &u_tavo300::HtmlPage, &tavo_json::JsonReport};

}  // namespace

std::span<const u_tavo300::OutputKind* const> Outputs() { return kOutputs; }

}  // namespace tavo
