// The HTML report: one self-contained page (inline CSS and SVG, no script, no
// file from elsewhere) with the breakdown tables and the QSO-per-hour charts of
// a pass, rendered from the same model as the text report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/model.h"
#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "platform/text_file.h"

namespace u_tavo300 {

// The page beside the log: the log's path with ".html" for its extension,
// by the same rule as ReportFileName.
std::string HtmlFileName(std::string_view LogFileName);

// Text from a log or a data file made safe for HTML text and attribute values.
std::string HtmlEscape(std::string_view Text);

// What every page of Tavo shares: a number for the markup (coordinates),
// locale-free, one decimal at most; and the head of the document, its title
// already escaped, the look every page shares and then the page's own Style
// written line by line, so the page keeps one kind of line end throughout, up
// to the opened <main>.
std::string SvgCoord(double Value);
void WritePageHead(tavo::TextWriter& Page, std::string_view Title, std::string_view Style);

// A count cell of a page's band table (the report's dash for none), and the head
// cells of the HF bands.
std::string BandTd(long long Count);
std::string BandHeads();

// Minutes as hours and two-digit minutes: "3:07" with ":", "3 h 07" with " h ".
std::string HoursMinutes(std::int64_t Minutes, std::string_view Separator);

// A value axis for counts up to Peak: a step of 1, 2 or 5 times a power of
// ten, and from one to MaxSteps steps up to a top at or above Peak.
struct ValueAxis {
    long long Top = 1;
    long long Step = 1;
};
ValueAxis AxisFor(long long Peak, int MaxSteps);

// The fill of continent 1..6 in the charts and the legend (Okabe-Ito colours,
// told apart with colour blindness and in grey print).
std::string_view ContinentColour(int Continent);

void WriteHtmlReport(tavo::TextWriter& Page, const ContestModel& Model);

// The page beside the log, or to a stream with --stdout.
inline constexpr OutputKind HtmlPage{"page", ".html", &WriteHtmlReport, true};

}  // namespace u_tavo300
