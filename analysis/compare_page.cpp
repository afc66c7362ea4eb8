#include "analysis/compare_page.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>

#include "analysis/html_report.h"
#include "common/text.h"
#include "country/cty_utl3.h"
#include "tavo_version.h"

namespace u_tavo300 {

namespace {

constexpr std::string_view kStyle =
    R"(h2{font-size:18px;margin:0 0 10px}
h3{font-size:15px;margin:4px 0 8px}
p.note{color:var(--muted);margin:6px 0 0}
table{border-collapse:collapse;width:100%;font-variant-numeric:tabular-nums}
th,td{padding:3px 9px;text-align:right;border-bottom:1px solid var(--rule);white-space:nowrap}
th.name,td.name{text-align:left}
td.name{white-space:normal;overflow-wrap:anywhere}
td.list{text-align:left;white-space:normal;font-size:13px}
thead th{background:#fff;border-bottom:2px solid var(--ink);font-weight:600;white-space:normal}
tbody tr:nth-child(even){background:var(--zebra)}
tbody th{font-weight:500}
tfoot th,tfoot td{font-weight:600;border-top:2px solid var(--ink);border-bottom:0}
td.z{color:#aab2bd}
.sw{vertical-align:-1px;margin-right:7px}
svg.chart{display:block;width:100%;height:auto}
.chart text{font-size:11px;fill:var(--muted)}
.chart .grid{stroke:var(--rule)}
.chart .axis{stroke:var(--ink)}
.chart polyline{fill:none;stroke-width:2;stroke-linejoin:round}
.legend{display:flex;flex-wrap:wrap;gap:4px 18px;list-style:none;margin:10px 0 0;padding:0;font-size:14px}
.side{display:grid;grid-template-columns:repeat(auto-fill,minmax(460px,1fr));gap:12px 20px}
.empty{color:var(--muted);font-style:italic}
footer{color:var(--muted);font-size:12px;text-align:center;padding:0 0 18px}
@media print{
body{background:#fff;font-size:10.5px}
main{max-width:none;padding:0}
.card{box-shadow:none;border:1px solid var(--rule);border-radius:0;padding:10px 14px;margin-bottom:10px}
figure,tr{break-inside:avoid}
*{print-color-adjust:exact;-webkit-print-color-adjust:exact}
})";

// The field's lines: its percentiles in greys and dashes, the log in blue.
constexpr std::array<std::string_view, 3> kFieldColours = {"#555555", "#888888", "#bbbbbb"};

using tavo::IntToStr;

std::string Swatch(std::string_view colour) {
    return "<svg class=\"sw\" width=\"14\" height=\"14\" aria-hidden=\"true\"><rect width=\"14\" "
           "height=\"14\" rx=\"2\" fill=\"" +
           std::string(colour) + "\"/></svg>";
}

void WriteHead(tavo::TextWriter& page, const std::string& title) {
    WritePageHead(page, title, kStyle);
}

void WriteFoot(tavo::TextWriter& page) {
    page.WriteLine("</main>");
    page.WriteLine("<footer>Written by Tavo " TAVO_VERSION
                   " from each log's own pass, as its report shows it.</footer>");
    page.WriteLine("</body>");
    page.WriteLine("</html>");
}

// One line of a chart: a name for the legend and the tooltip, a colour, and
// a value per hour of the axis.
struct Series {
    std::string label;
    std::string_view colour;
    std::string dash;  // stroke-dasharray, empty for a solid line
    std::vector<long long> values;
};

// A line chart over the clock axis, hours from firstHour; the svg carries its
// scale (data-top) so a reader can map the points back to values.
// The axis of a line chart: clock hours from FirstHour, or hours from each
// line's own start.
struct HourAxis {
    int firstHour = 0;
    int count = 0;
    bool logTime = false;
    bool ownClocks = false;
};

void WriteLineChart(tavo::TextWriter& page, std::string_view id, std::string_view caption,
                    const HourAxis& axis, const std::vector<Series>& lines) {
    const int hourCount = axis.count;
    constexpr double kWidth = 980, kHeight = 280, kLeft = 48, kRight = 10, kTop = 12, kBottom = 40;
    const double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom;
    long long max = 1;
    for (const Series& s : lines) {
        for (long long v : s.values) max = std::max(max, v);
    }
    const ValueAxis scale = AxisFor(max, 6);
    const long long top = scale.Top;
    const long long steps = top / scale.Step;
    const double step = hourCount > 0 ? plotW / hourCount : plotW;
    auto x = [&](int i) { return kLeft + (i + 0.5) * step; };
    auto y = [&](long long v) { return kTop + plotH - static_cast<double>(v) / top * plotH; };
    page.WriteLine("<figure>");
    page.WriteLine("<figcaption>" + std::string(caption) + "</figcaption>");
    page.WriteLine("<svg class=\"chart\" id=\"" + std::string(id) + "\" viewBox=\"0 0 " +
                   SvgCoord(kWidth) + " " + SvgCoord(kHeight) + "\" data-top=\"" + IntToStr(top) +
                   "\" data-y0=\"" + SvgCoord(kTop + plotH) + "\" data-height=\"" +
                   SvgCoord(plotH) + "\" role=\"img\" aria-label=\"" + std::string(caption) +
                   "\">");
    for (long long t = 0; t <= steps; ++t) {
        const long long v = top * t / steps;
        const std::string yy = SvgCoord(y(v));
        page.WriteLine("<line class=\"" + std::string(t == 0 ? "axis" : "grid") + "\" x1=\"" +
                       SvgCoord(kLeft) + "\" x2=\"" + SvgCoord(kWidth - kRight) + "\" y1=\"" + yy +
                       "\" y2=\"" + yy + "\"/><text x=\"" + SvgCoord(kLeft - 6) + "\" y=\"" +
                       SvgCoord(y(v) + 4) + "\" text-anchor=\"end\">" + IntToStr(v) + "</text>");
    }
    // An hour label every few hours, the date under each midnight or the first hour.
    const int every = hourCount <= 24 ? 2 : hourCount <= 48 ? 3 : 6;
    for (int i = 0; i < hourCount; ++i) {
        if (axis.ownClocks) {
            if (i % every == 0)
                page.WriteLine("<text x=\"" + SvgCoord(x(i)) + "\" y=\"" +
                               SvgCoord(kTop + plotH + 14) + "\" text-anchor=\"middle\">" +
                               IntToStr(i) + "</text>");
            continue;
        }
        const std::string stamp = HourStamp(axis.firstHour + i, axis.logTime);
        const bool midnight = stamp.substr(11, 2) == "00";
        if (i % every != 0 && !midnight) continue;
        page.WriteLine("<text x=\"" + SvgCoord(x(i)) + "\" y=\"" + SvgCoord(kTop + plotH + 14) +
                       "\" text-anchor=\"middle\">" + stamp.substr(11, 2) + "</text>");
        if (midnight || i == 0)
            page.WriteLine("<text x=\"" + SvgCoord(x(i)) + "\" y=\"" + SvgCoord(kTop + plotH + 30) +
                           "\" text-anchor=\"start\">" + stamp.substr(0, 10) + "</text>");
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const Series& s = lines[k];
        std::string points;
        for (std::size_t i = 0; i < s.values.size(); ++i) {
            if (i > 0) points += ' ';
            points += SvgCoord(x(static_cast<int>(i))) + "," + SvgCoord(y(s.values[i]));
        }
        page.WriteLine("<polyline data-line=\"" + IntToStr(static_cast<long long>(k)) +
                       "\" stroke=\"" + std::string(s.colour) + "\"" +
                       (s.dash.empty() ? "" : " stroke-dasharray=\"" + s.dash + "\"") +
                       " points=\"" + points + "\"><title>" + HtmlEscape(s.label) +
                       "</title></polyline>");
    }
    page.WriteLine("</svg>");
    page.WriteLine("</figure>");
}

std::string ClockNote(bool anyLogTime) {
    return anyLogTime ? "Hours are UTC; a log marked &ldquo;log time&rdquo; keeps its logger's "
                        "local clock and is placed as if it were UTC."
                      : "Hours are UTC.";
}

std::string LegendItem(std::size_t i, const CompareLog& log) {
    return "<li data-log=\"" + IntToStr(static_cast<long long>(i)) + "\">" +
           Swatch(LogColour(static_cast<int>(i))) + HtmlEscape(log.Label()) +
           std::string(log.LogTime ? " (log time)" : "") + "</li>";
}

std::string ListCell(const std::vector<std::string>& items);

std::string IntList(const std::vector<int>& items) {
    std::vector<std::string> texts;
    for (int n : items) texts.push_back(IntToStr(n));
    return ListCell(texts);
}

std::string RateHeads() {
    std::string heads;
    for (int minutes : RateWindows)
        heads += "<th scope=\"col\">Best " + IntToStr(minutes) + " min</th>";
    return heads;
}

std::string RateCells(const CompareLog& log) {
    std::string cells;
    for (const BestRate& rate : log.BestRates) cells += "<td>" + IntToStr(rate.Qsos) + "</td>";
    return cells;
}

std::string ListCell(const std::vector<std::string>& items) {
    if (items.empty()) return "<td class=\"list z\">-</td>";
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty()) text += ' ';
        text += HtmlEscape(item);
    }
    return "<td class=\"list\">" + text + "</td>";
}

// A section with one table per log, side by side under each log's swatch.
template <typename Body>
void WritePerLog(tavo::TextWriter& page, const Comparison& c, std::string_view heading, Body body) {
    page.WriteLine("<section class=\"card\">");
    page.WriteLine("<h2>" + std::string(heading) + "</h2>");
    page.WriteLine("<div class=\"side\">");
    for (std::size_t i = 0; i < c.Logs.size(); ++i) {
        const CompareLog& log = c.Logs[i];
        page.WriteLine("<div>");
        page.WriteLine("<h3>" + Swatch(LogColour(static_cast<int>(i))) + HtmlEscape(log.Label()) +
                       "</h3>");
        body(log);
        page.WriteLine("</div>");
    }
    page.WriteLine("</div>");
    page.WriteLine("</section>");
}

void WriteContinents(tavo::TextWriter& page, const Comparison& c) {
    WritePerLog(page, c, "QSOs by continent and band", [&page](const CompareLog& log) {
        page.WriteLine("<table class=\"continents\">");
        page.WriteLine("<thead><tr><th scope=\"col\" class=\"name\">MHz</th>" + BandHeads() +
                       "</tr></thead>");
        page.WriteLine("<tbody>");
        for (int k = 1; k <= Continents; ++k) {
            std::string row = "<tr><th scope=\"row\" class=\"name\">" +
                              std::string(cty_utl3::ContinentAbbr(k)) + "</th>";
            for (long long n : log.ContinentBands[static_cast<std::size_t>(k)]) row += BandTd(n);
            page.WriteLine(row + "</tr>");
        }
        page.WriteLine("</tbody>");
        std::string sum = "<tfoot><tr><th scope=\"row\" class=\"name\">Sum</th>";
        for (long long n : log.ContinentBandSums) sum += "<td>" + IntToStr(n) + "</td>";
        page.WriteLine(sum + "</tr></tfoot>");
        page.WriteLine("</table>");
    });
}

void WriteZones(tavo::TextWriter& page, const Comparison& c) {
    WritePerLog(page, c, "QSOs by CQ zone and band", [&page](const CompareLog& log) {
        if (log.Zones.empty()) {
            page.WriteLine("<p class=\"empty\">No zone worked.</p>");
            return;
        }
        page.WriteLine("<table class=\"zones\">");
        page.WriteLine("<thead><tr><th scope=\"col\" class=\"name\">Zone</th>" + BandHeads() +
                       "<th scope=\"col\">All bands</th></tr></thead>");
        page.WriteLine("<tbody>");
        for (const ZoneFigures& z : log.Zones) {
            std::string row = "<tr><th scope=\"row\" class=\"name\">" + IntToStr(z.Zone) + "</th>";
            for (int b = 0; b < HfBands; ++b) row += BandTd(z.ByBand[static_cast<std::size_t>(b)]);
            page.WriteLine(row + "<td>" + IntToStr(z.Total) + "</td></tr>");
        }
        page.WriteLine("</tbody>");
        page.WriteLine("</table>");
    });
}

void WriteUniqueCountries(tavo::TextWriter& page, const Comparison& c) {
    page.WriteLine("<section class=\"card\">");
    page.WriteLine("<h2>Countries and zones only one log worked</h2>");
    page.WriteLine("<table id=\"unique-countries\">");
    page.WriteLine(
        "<thead><tr><th scope=\"col\" class=\"name\">Log</th><th scope=\"col\" "
        "class=\"name\">MHz</th><th scope=\"col\" class=\"name\">Countries</th><th "
        "scope=\"col\" class=\"name\">Zones</th></tr></thead>");
    page.WriteLine("<tbody>");
    for (std::size_t i = 0; i < c.Logs.size(); ++i) {
        const std::string who = "<th scope=\"row\" class=\"name\">" +
                                Swatch(LogColour(static_cast<int>(i))) +
                                HtmlEscape(c.Logs[i].Label()) + "</th>";
        page.WriteLine("<tr>" + who + "<td class=\"name\">any band</td>" +
                       ListCell(c.UniqueCountries[i]) + IntList(c.UniqueZones[i]) + "</tr>");
        for (int b = 0; b < HfBands; ++b) {
            const auto bu = static_cast<std::size_t>(b);
            const auto& countries = c.UniqueBandCountries[i][bu];
            const auto& zones = c.UniqueBandZones[i][bu];
            if (countries.empty() && zones.empty()) continue;
            page.WriteLine("<tr>" + who + "<td class=\"name\">" + std::string(BandName(b)) +
                           "</td>" + ListCell(countries) + IntList(zones) + "</tr>");
        }
    }
    page.WriteLine("</tbody>");
    page.WriteLine("</table>");
    page.WriteLine(
        "<p class=\"note\">&ldquo;Any band&rdquo; covers every QSO of each log; the rows "
        "per band cover the six HF bands, as each log's tables do.</p>");
    page.WriteLine("</section>");
}

void WriteCalls(tavo::TextWriter& page, const Comparison& c) {
    page.WriteLine("<section class=\"card\">");
    page.WriteLine("<h2>Calls</h2>");
    page.WriteLine("<table id=\"calls\">");
    page.WriteLine(
        "<thead><tr><th scope=\"col\" class=\"name\">Log</th><th scope=\"col\">Distinct "
        "calls</th><th scope=\"col\">Only this log</th></tr></thead>");
    page.WriteLine("<tbody>");
    for (std::size_t i = 0; i < c.Logs.size(); ++i) {
        page.WriteLine("<tr><th scope=\"row\" class=\"name\">" +
                       Swatch(LogColour(static_cast<int>(i))) + HtmlEscape(c.Logs[i].Label()) +
                       "</th><td>" + IntToStr(static_cast<long long>(c.Logs[i].Calls.size())) +
                       "</td><td>" + IntToStr(static_cast<long long>(c.UniqueCalls[i].size())) +
                       "</td></tr>");
    }
    page.WriteLine("</tbody>");
    page.WriteLine("<tfoot><tr><th scope=\"row\" class=\"name\">Worked by every log</th><td>" +
                   IntToStr(c.CommonCalls) + "</td><td></td></tr></tfoot>");
    page.WriteLine("</table>");
    page.WriteLine("</section>");
}

std::string StandCell(const std::optional<long long>& v) {
    return v ? "<td>" + IntToStr(*v) + "</td>" : "<td class=\"z\">-</td>";
}

std::string StandRow(std::string_view label, const Standing& s) {
    return "<tr><th scope=\"row\" class=\"name\">" + std::string(label) + "</th><td>" +
           IntToStr(s.Value) + "</td>" + StandCell(s.Median) + StandCell(s.P75) + StandCell(s.P90) +
           "<td>" + IntToStr(s.Rank) + "</td></tr>";
}

}  // namespace

std::string_view LogColour(int Log) {
    // Okabe-Ito, the strongest first; yellow, faint on white, comes last.
    static constexpr std::array<std::string_view, MaxComparedLogs> kColours = {
        "#0072B2", "#D55E00", "#009E73", "#CC79A7", "#E69F00", "#56B4E9", "#000000", "#F0E442"};
    return kColours[static_cast<std::size_t>(Log) % kColours.size()];
}

void WriteComparePage(tavo::TextWriter& Page, const Comparison& Compared) {
    const Comparison& c = Compared;
    std::string names;
    bool anyLogTime = false;
    for (const CompareLog& log : c.Logs) {
        if (!names.empty()) names += " &ndash; ";
        names += HtmlEscape(log.Label());
        anyLogTime = anyLogTime || log.LogTime;
    }
    WriteHead(Page, "Tavo comparison: " + names);
    Page.WriteLine("<header class=\"card\">");
    Page.WriteLine("<p class=\"tool\">Tavo &middot; comparison of " +
                   IntToStr(static_cast<long long>(c.Logs.size())) + " logs</p>");
    Page.WriteLine("<h1>" + names + "</h1>");
    Page.WriteLine("<ul class=\"legend\" id=\"legend\">");
    for (std::size_t i = 0; i < c.Logs.size(); ++i) Page.WriteLine(LegendItem(i, c.Logs[i]));
    Page.WriteLine("</ul>");
    Page.WriteLine("</header>");

    Page.WriteLine("<section class=\"card\">");
    Page.WriteLine("<h2>Summary</h2>");
    Page.WriteLine("<table id=\"summary\">");
    Page.WriteLine(
        "<thead><tr><th scope=\"col\" class=\"name\">Log</th><th scope=\"col\" "
        "class=\"name\">File</th><th scope=\"col\">QSOs</th><th "
        "scope=\"col\">Countries</th><th scope=\"col\">Zones</th>" +
        RateHeads() + "<th scope=\"col\">On-time</th></tr></thead>");
    Page.WriteLine("<tbody>");
    for (std::size_t i = 0; i < c.Logs.size(); ++i) {
        const CompareLog& log = c.Logs[i];
        Page.WriteLine("<tr><th scope=\"row\" class=\"name\">" +
                       Swatch(LogColour(static_cast<int>(i))) + HtmlEscape(log.Label()) +
                       "</th><td class=\"name\">" + HtmlEscape(log.Name) + "</td><td>" +
                       IntToStr(log.Qsos) + "</td><td>" +
                       IntToStr(static_cast<long long>(log.Countries.size())) + "</td><td>" +
                       IntToStr(static_cast<long long>(log.Zones.size())) + "</td>" +
                       RateCells(log) + "<td>" + HoursMinutes(log.OnMinutes, ":") + "</td></tr>");
    }
    Page.WriteLine("</tbody>");
    Page.WriteLine("</table>");
    Page.WriteLine("</section>");

    Page.WriteLine("<section class=\"card\" id=\"hours\">");
    Page.WriteLine("<h2>QSOs per hour</h2>");
    if (c.HourCount == 0) {
        Page.WriteLine("<p class=\"empty\">No log has a QSO with an hour.</p>");
    } else {
        std::vector<Series> perHour, cumulative;
        for (std::size_t i = 0; i < c.Logs.size(); ++i) {
            Series s{c.Logs[i].Label(), LogColour(static_cast<int>(i)), "", {}};
            Series sum = s;
            long long running = 0;
            for (int h = 0; h < c.HourCount; ++h) {
                const long long n = c.QsosAt(i, h);
                s.values.push_back(n);
                running += n;
                sum.values.push_back(running);
            }
            perHour.push_back(std::move(s));
            cumulative.push_back(std::move(sum));
        }
        const HourAxis axis{c.FirstHour, c.HourCount, anyLogTime, c.OwnClocks};
        const std::string_view each =
            c.OwnClocks ? "QSOs in each hour from the log's first" : "QSOs in each clock hour";
        WriteLineChart(Page, "per-hour", each, axis, perHour);
        WriteLineChart(Page, "cumulative", "QSOs so far, at the end of each hour", axis,
                       cumulative);
    }
    const std::string clock =
        c.OwnClocks ? "The logs lie more than two weeks apart: each is drawn from its own first "
                      "hour (hour 0)."
                    : ClockNote(anyLogTime);
    Page.WriteLine("<p class=\"note\">" + clock +
                   " The hours count what each log's time charts count: the QSOs of its first "
                   "three chart days whose country is known.</p>");
    Page.WriteLine("</section>");
    WriteContinents(Page, c);
    WriteZones(Page, c);
    WriteUniqueCountries(Page, c);
    WriteCalls(Page, c);
    WriteFoot(Page);
}

void WriteFieldPage(tavo::TextWriter& Page, const CompareLog& Log, const FieldComparison& Field) {
    const std::string label = HtmlEscape(Log.Label());
    WriteHead(Page, "Tavo: " + label + " against a field of " + IntToStr(Field.Read) + " logs");
    Page.WriteLine("<header class=\"card\">");
    Page.WriteLine("<p class=\"tool\">Tavo &middot; one log against a field</p>");
    Page.WriteLine("<h1>" + label + "</h1>");
    std::string about = "Against a field of " + IntToStr(Field.Read) + " logs";
    if (Field.Skipped > 0) about += "; " + IntToStr(Field.Skipped) + " could not be read";
    if (Field.OtherCategory > 0)
        about += "; " + IntToStr(Field.OtherCategory) + " of another category left out";
    Page.WriteLine("<p class=\"note\" id=\"field-size\">" + about + ".</p>");
    Page.WriteLine("<ul class=\"legend\" id=\"legend\">");
    Page.WriteLine("<li data-log=\"0\">" + Swatch(LogColour(0)) + label +
                   std::string(Log.LogTime ? " (log time)" : "") + "</li>");
    constexpr std::array<std::string_view, 3> kNames = {"field median", "field 75th percentile",
                                                        "field 90th percentile"};
    for (std::size_t k = 0; k < kNames.size(); ++k)
        Page.WriteLine("<li>" + Swatch(kFieldColours[k]) + std::string(kNames[k]) + "</li>");
    Page.WriteLine("</ul>");
    Page.WriteLine("</header>");

    Page.WriteLine("<section class=\"card\">");
    Page.WriteLine("<h2>Standing</h2>");
    Page.WriteLine("<table id=\"standing\">");
    const std::string heads =
        "<th scope=\"col\">Median</th><th scope=\"col\">75th</th><th scope=\"col\">90th</th>"
        "<th scope=\"col\">Rank</th>";
    Page.WriteLine("<thead><tr><th scope=\"col\" class=\"name\">Figure</th><th scope=\"col\">" +
                   label + "</th>" + heads + "</tr></thead>");
    Page.WriteLine("<tbody>");
    Page.WriteLine(StandRow("QSOs", Field.Qsos));
    Page.WriteLine(StandRow("Countries", Field.Countries));
    Page.WriteLine(StandRow("Zones", Field.Zones));
    for (std::size_t r = 0; r < RateWindows.size(); ++r)
        Page.WriteLine(
            StandRow("Best " + IntToStr(RateWindows[r]) + "-minute rate", Field.BestRates[r]));
    Page.WriteLine("</tbody>");
    Page.WriteLine("</table>");
    Page.WriteLine(
        "<p class=\"note\">Percentiles by nearest rank over the field's logs; rank 1 "
        "plus the number of field logs with more.</p>");
    Page.WriteLine("</section>");

    Page.WriteLine("<section class=\"card\" id=\"hours\">");
    Page.WriteLine("<h2>QSOs per hour against the field</h2>");
    if (Field.Hours.empty()) {
        Page.WriteLine("<p class=\"empty\">The log has no QSO with an hour.</p>");
    } else {
        std::vector<Series> lines(4);
        lines[0] = {Log.Label(), LogColour(0), "", {}};
        for (std::size_t k = 0; k < kNames.size(); ++k)
            lines[k + 1] = {std::string(kNames[k]), kFieldColours[k], "5 3", {}};
        for (const FieldHour& h : Field.Hours) {
            lines[0].values.push_back(h.Qsos.Value);
            lines[1].values.push_back(h.Qsos.Median.value_or(0));
            lines[2].values.push_back(h.Qsos.P75.value_or(0));
            lines[3].values.push_back(h.Qsos.P90.value_or(0));
        }
        WriteLineChart(
            Page, "per-hour", "QSOs in each clock hour",
            {Field.Hours.front().Hour, static_cast<int>(Field.Hours.size()), Log.LogTime, false},
            lines);
        Page.WriteLine("<table id=\"field-hours\">");
        Page.WriteLine("<thead><tr><th scope=\"col\" class=\"name\">Hour</th><th scope=\"col\">" +
                       label + "</th>" + heads + "</tr></thead>");
        Page.WriteLine("<tbody>");
        for (const FieldHour& h : Field.Hours) {
            const std::string stamp = HourStamp(h.Hour, Log.LogTime);
            Page.WriteLine(StandRow(stamp.substr(0, 10) + " " + stamp.substr(11), h.Qsos));
        }
        Page.WriteLine("</tbody>");
        Page.WriteLine("</table>");
    }
    Page.WriteLine("<p class=\"note\">" + ClockNote(Log.LogTime) +
                   " The hours count what each log's time charts count: the QSOs of its first "
                   "three chart days whose country is known; a field log counts 0 in an hour "
                   "it has no QSO in.</p>");
    Page.WriteLine("</section>");
    WriteFoot(Page);
}

}  // namespace u_tavo300
