// The HTML report. Every figure comes from the model the text report renders,
// so the page and the report cannot disagree; numbers in the
// markup are written locale-free, figures shown to the user as the report
// writes them.
#include "analysis/html_report.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/report_format.h"
#include "common/paths.h"
#include "common/text.h"
#include "tavo_version.h"

namespace u_tavo300 {

namespace {

// The look both pages share: colours, page, cards and title. WritePageHead
// writes it before each page's own style.
constexpr std::string_view kSharedStyle =
    R"(:root{color-scheme:light;--ink:#1d2430;--muted:#5b6472;--rule:#d9dee5;--zebra:#f4f6f9;--accent:#0072B2}
*{box-sizing:border-box}
body{margin:0;background:#eceff3;color:var(--ink);font:14px/1.45 system-ui,"Segoe UI",Roboto,"Noto Sans","DejaVu Sans",Arial,sans-serif}
main{max-width:1040px;margin:0 auto;padding:24px 20px}
.card{background:#fff;border-radius:10px;padding:16px 22px;margin-bottom:18px;box-shadow:0 1px 3px rgba(20,30,50,.12)}
header.card{border-top:5px solid var(--accent)}
.tool{margin:0;color:var(--muted);font-size:12px;letter-spacing:.06em;text-transform:uppercase}
h1{margin:.1em 0 .15em;font-size:26px;overflow-wrap:anywhere})";

constexpr std::string_view kStyle =
    R"(.status{margin:0;color:var(--muted)}
.facts{display:flex;flex-wrap:wrap;gap:10px;margin:14px 0 2px;padding:0;list-style:none}
.facts li{background:var(--zebra);border-radius:8px;padding:6px 14px;min-width:120px;color:var(--muted);font-size:12px}
.facts b{display:block;color:var(--ink);font-size:20px;font-variant-numeric:tabular-nums}
h2{font-size:18px;margin:0 0 10px}
h3{font-size:16px;margin:4px 0 8px}
table{border-collapse:collapse;width:100%;font-variant-numeric:tabular-nums}
th,td{padding:3px 9px;text-align:right;border-bottom:1px solid var(--rule);white-space:nowrap}
th.name,td.name{text-align:left}
td.name{white-space:normal}
thead th{position:sticky;top:0;background:#fff;border-bottom:2px solid var(--ink);font-weight:600}
tbody tr:nth-child(even){background:var(--zebra)}
tbody th{font-weight:500}
tfoot th,tfoot td{font-weight:600;border-top:2px solid var(--ink);border-bottom:0}
td.z{color:#aab2bd}
.sw,.key{vertical-align:-1px;margin-right:7px}
.day{border-top:1px solid var(--rule);padding-top:14px;margin-top:14px}
.day:first-of-type{border-top:0;padding-top:0;margin-top:0}
figure{margin:0}
figcaption{font-size:13px;color:var(--muted);margin-bottom:2px}
figcaption b{color:var(--ink)}
svg.chart{display:block;width:100%;height:auto}
.chart text{font-size:11px;fill:var(--muted)}
.chart text.v{font-size:9.5px;fill:var(--ink);text-anchor:middle}
.chart .grid{stroke:var(--rule)}
.chart .axis{stroke:var(--ink)}
.bar rect{stroke:#fff;stroke-width:.6}
.bar:hover rect{opacity:.75}
.legend{display:flex;flex-wrap:wrap;gap:4px 18px;list-style:none;margin:6px 0 0;padding:0;font-size:13px}
.bands{display:grid;grid-template-columns:repeat(auto-fill,minmax(310px,1fr));gap:12px 20px;margin-top:14px}
.empty{color:var(--muted);font-style:italic}
.scope{margin:8px 0 0;color:var(--muted);font-size:13px}
.pair{display:grid;grid-template-columns:repeat(auto-fill,minmax(380px,1fr));gap:12px 20px}
.chart .best{fill-opacity:.16}
.chart .line{fill:none;stroke-width:1.8}
.calls{columns:8em;margin:6px 0 0;padding:0;list-style:none;font-family:ui-monospace,monospace}
footer{color:var(--muted);font-size:12px;text-align:center;padding:0 0 18px}
@media print{
body{background:#fff;font-size:10.5px}
main{max-width:none;padding:0}
.card{box-shadow:none;border:1px solid var(--rule);border-radius:0;padding:10px 14px;margin-bottom:10px}
thead{display:table-header-group}
thead th{position:static}
figure,tr{break-inside:avoid}
.day{break-before:page;border-top:0}
*{print-color-adjust:exact;-webkit-print-color-adjust:exact}
})";

using tavo::IntToStr;

std::string TwoDigits(int hour) {
    std::string text = IntToStr(hour);
    if (text.size() < 2) text.insert(text.begin(), '0');
    return text;
}

std::string Plural(long long n, std::string_view word) {
    return IntToStr(n) + " " + std::string(word) + (n == 1 ? "" : "s");
}

std::string TrimmedLabel(int band) {
    std::string label;
    BandLabel(band, label);
    return std::string(tavo::Trim(label));
}

std::string ContinentLabel(int k) {
    return std::string(cty_utl3::ContinentAbbr(k)) + " " +
           std::string(tavo::Trim(cty_utl3::ContinentName(k)));
}

// A small square in a continent's colour; SVG, so that it prints without
// the browser's background option.
std::string Swatch(int k) {
    return "<svg class=\"sw\" width=\"12\" height=\"12\" aria-hidden=\"true\"><rect width=\"12\" "
           "height=\"12\" rx=\"2\" fill=\"" +
           std::string(ContinentColour(k)) + "\"/></svg>";
}

// 12435 as "12,435", for the sentences people read.
std::string Grouped(long long n) {
    const std::string digits = IntToStr(n);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && digits[i - 1] != '-' && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

// What the breakdown tables cover: the first three chart days, by the HF bands.
void WriteScope(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine("<p class=\"scope\">The first three chart days: " + Grouped(model.ChartedQsos) +
                  " of " + Grouped(model.QsoCount) + " QSOs; band columns 1.9 to 28 MHz.</p>");
}

void WriteContinentTable(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine("<section class=\"card\">");
    out.WriteLine("<h2>QSOs by continent</h2>");
    out.WriteLine("<table id=\"continents\">");
    out.WriteLine("<thead><tr><th scope=\"col\" class=\"name\">Continent (MHz)</th>" + BandHeads() +
                  "<th scope=\"col\">ALL</th><th scope=\"col\">%</th></tr></thead>");
    out.WriteLine("<tbody>");
    for (int k = 1; k <= Continents; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        std::string row = "<tr><th scope=\"row\" class=\"name\">" + Swatch(k) +
                          std::string(tavo::Trim(cty_utl3::ContinentName(k))) + "</th>";
        for (long long n : model.ContinentBands[ku]) row += BandTd(n);
        row += "<td>" + IntToStr(model.ContinentTotal[ku]) + "</td>";
        row += "<td>" + std::string(tavo::Trim(Share(model.ContinentShare[ku]))) + "%</td></tr>";
        out.WriteLine(row);
    }
    out.WriteLine("</tbody>");
    std::string sum = "<tfoot><tr><th scope=\"row\" class=\"name\">Sum</th>";
    for (long long n : model.ContinentBandSums) sum += "<td>" + IntToStr(n) + "</td>";
    sum += "<td>" + IntToStr(model.QsoCount) + "</td><td></td></tr></tfoot>";
    out.WriteLine(sum);
    out.WriteLine("</table>");
    WriteScope(out, model);
    out.WriteLine("</section>");
}

void WriteCountryTable(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine("<section class=\"card\">");
    out.WriteLine("<h2>QSOs by country</h2>");
    out.WriteLine("<table id=\"countries\">");
    out.WriteLine(
        "<thead><tr><th scope=\"col\" class=\"name\">Px</th><th scope=\"col\" "
        "class=\"name\">Country</th>" +
        BandHeads() + "<th scope=\"col\">ALL</th></tr></thead>");
    out.WriteLine("<tbody>");
    for (const CountryRow& country : model.Countries) {
        std::string row = "<tr><td class=\"name\">" + HtmlEscape(tavo::Trim(country.MainPrefix)) +
                          "</td><td class=\"name\">" + HtmlEscape(tavo::Trim(country.Name)) +
                          "</td>";
        for (long long n : country.Bands) row += BandTd(n);
        row += "<td>" + IntToStr(country.Total) + "</td></tr>";
        out.WriteLine(row);
    }
    out.WriteLine("</tbody>");
    const CountryColumns& sums = model.Columns;
    auto summary = [&out](std::string_view label, const std::array<long long, HfBands>& cells) {
        std::string row =
            "<tr><th scope=\"row\" class=\"name\" colspan=\"2\">" + std::string(label) + "</th>";
        long long total = 0;
        for (long long n : cells) {
            row += BandTd(n);
            total += n;
        }
        out.WriteLine(row + "<td>" + IntToStr(total) + "</td></tr>");
    };
    out.WriteLine("<tfoot>");
    summary("QSOs", sums.Qsos);
    summary("Countries", sums.Worked);
    out.WriteLine("</tfoot>");
    out.WriteLine("</table>");
    WriteScope(out, model);
    out.WriteLine("</section>");
}

// The size of one chart and what it shows beside its bars.
struct ChartShape {
    double width, height;
    double left, right, top, bottom;  // the plot's margins
    int maxTicks;                     // on the y axis, above 0
    int hourEvery;                    // an hour label every so many columns
    bool barValues;                   // each bar's total above it
};

constexpr ChartShape kDayChart{760, 290, 40, 8, 18, 34, 5, 1, true};
constexpr ChartShape kBandChart{360, 164, 32, 6, 8, 32, 3, 3, false};

// One bar's tooltip: "hour 14: 35 QSOs (NA 3, EU 30, AS 2)".
std::string BarTitle(int hour, const std::array<long long, Continents + 1>& cell, long long sum) {
    std::string title = "hour " + TwoDigits(hour) + ": " + Plural(sum, "QSO") + " (";
    bool first = true;
    for (int k = 1; k <= Continents; ++k) {
        const long long n = cell[static_cast<std::size_t>(k)];
        if (n == 0) continue;
        if (!first) title += ", ";
        title += std::string(cty_utl3::ContinentAbbr(k)) + " " + IntToStr(n);
        first = false;
    }
    return title + ")";
}

// A stacked bar chart of one table, in the report's hour order; continents
// stack from 1 at the bottom, each bar a group with its figures as title.
void WriteChart(tavo::TextWriter& out, const ContestModel& model, const ChartBlock& block,
                const ChartShape& shape, const std::string& caption) {
    const HourTable& cells = block.Cells;
    const std::array<long long, Hours>& sums = block.ColumnSums;
    long long peak = 0;
    for (long long n : sums) peak = std::max(peak, n);
    // A scale of a few QSOs at least, so that a single QSO is not a full bar.
    // Named pair members, not a structured binding: clang 14 lets no lambda
    // capture one.
    const ValueAxis scale = AxisFor(std::max<long long>(peak, shape.maxTicks), shape.maxTicks);
    const long long top = scale.Top;
    const long long step = scale.Step;
    const double plotW = shape.width - shape.left - shape.right;
    const double plotH = shape.height - shape.top - shape.bottom;
    const double base = shape.top + plotH;
    const double slot = plotW / Hours;
    const double barW = slot * 0.74;
    auto yOf = [&](long long n) { return base - plotH * static_cast<double>(n) / top; };

    out.WriteLine("<figure>");
    out.WriteLine("<figcaption>" + caption + "</figcaption>");
    out.WriteLine("<svg class=\"chart\" viewBox=\"0 0 " + SvgCoord(shape.width) + " " +
                  SvgCoord(shape.height) + "\">");
    for (long long t = 0; t <= top; t += step) {
        const std::string y = SvgCoord(yOf(t));
        if (t > 0)
            out.WriteLine("<line class=\"grid\" x1=\"" + SvgCoord(shape.left) + "\" x2=\"" +
                          SvgCoord(shape.width - shape.right) + "\" y1=\"" + y + "\" y2=\"" + y +
                          "\"/>");
        out.WriteLine("<text x=\"" + SvgCoord(shape.left - 6) + "\" y=\"" + SvgCoord(yOf(t) + 4) +
                      "\" text-anchor=\"end\">" + IntToStr(t) + "</text>");
    }
    for (int j = 0; j < Hours; ++j) {
        const int hour = model.ColumnHour(j);
        const double x = shape.left + slot * j + (slot - barW) / 2;
        const long long sum = sums[static_cast<std::size_t>(j)];
        if (sum > 0) {
            const auto& cell = cells[static_cast<std::size_t>(hour)];
            out.WriteLine("<g class=\"bar\"><title>" + BarTitle(hour, cell, sum) + "</title>");
            long long below = 0;
            for (int k = 1; k <= Continents; ++k) {
                const long long n = cell[static_cast<std::size_t>(k)];
                if (n == 0) continue;
                const double y = yOf(below + n);
                out.WriteLine("<rect x=\"" + SvgCoord(x) + "\" y=\"" + SvgCoord(y) + "\" width=\"" +
                              SvgCoord(barW) + "\" height=\"" + SvgCoord(yOf(below) - y) +
                              "\" fill=\"" + std::string(ContinentColour(k)) + "\"/>");
                below += n;
            }
            if (shape.barValues)
                out.WriteLine("<text class=\"v\" x=\"" + SvgCoord(x + barW / 2) + "\" y=\"" +
                              SvgCoord(yOf(sum) - 3) + "\">" + IntToStr(sum) + "</text>");
            out.WriteLine("</g>");
        }
        if (j % shape.hourEvery == 0)
            out.WriteLine("<text x=\"" + SvgCoord(x + barW / 2) + "\" y=\"" + SvgCoord(base + 14) +
                          "\" text-anchor=\"middle\">" + TwoDigits(hour) + "</text>");
    }
    out.WriteLine("<line class=\"axis\" x1=\"" + SvgCoord(shape.left) + "\" x2=\"" +
                  SvgCoord(shape.width - shape.right) + "\" y1=\"" + SvgCoord(base) + "\" y2=\"" +
                  SvgCoord(base) + "\"/>");
    out.WriteLine("<text x=\"" + SvgCoord(shape.left + plotW / 2) + "\" y=\"" +
                  SvgCoord(shape.height - 3) + "\" text-anchor=\"middle\">hour</text>");
    out.WriteLine("</svg>");
    out.WriteLine("</figure>");
}

void WriteLegend(tavo::TextWriter& out) {
    std::string legend = "<ul class=\"legend\">";
    for (int k = 1; k <= Continents; ++k)
        legend += "<li>" + Swatch(k) + ContinentLabel(k) + "</li>";
    out.WriteLine(legend + "</ul>");
}

// "2012-11-24 07:52 UTC": a stamp as people read it, on the log's clock.
std::string When(const ContestModel& model, std::int64_t minute) {
    std::string text = StampText(minute, false);
    text[10] = ' ';
    return text + " " + std::string(ClockName(model.UtcClock));
}

// A chart day's date and clock, from its earliest stamped QSO.
std::string DayDate(const ContestModel& model, int day) {
    const std::size_t d = static_cast<std::size_t>(day - 1);
    if (d >= model.ChartDayDates.size() || model.ChartDayDates[d] == NoStamp) return "";
    return " &middot; from " + When(model, model.ChartDayDates[d]);
}

void WriteChartDay(tavo::TextWriter& out, const ContestModel& model, int day) {
    out.WriteLine("<section class=\"day\">");
    out.WriteLine("<h3>Day " + IntToStr(day) + DayDate(model, day) + "</h3>");
    const ChartBlock& all = model.AllBandDays[static_cast<std::size_t>(day - 1)];
    const long long total = all.Total;
    if (total == 0) {
        out.WriteLine(
            "<p class=\"empty\">No QSO of this day has both an hour and a continent.</p>");
        out.WriteLine("</section>");
        return;
    }
    WriteChart(out, model, all, kDayChart, "<b>All bands</b> &middot; " + Plural(total, "QSO"));
    WriteLegend(out);
    out.WriteLine("<div class=\"bands\">");
    for (const ChartBlock& block : model.BandDays[static_cast<std::size_t>(day - 1)]) {
        WriteChart(
            out, model, block, kBandChart,
            "<b>" + TrimmedLabel(block.Band) + " MHz</b> &middot; " + Plural(block.Total, "QSO"));
    }
    out.WriteLine("</div>");
    out.WriteLine("</section>");
}

// The whole log on one time axis, for the rate and the running totals.
struct Timeline {
    double width, height, left, right, top, bottom;
    std::int64_t first = 0, span = 1;  // minutes
    double plotW() const { return width - left - right; }
    double plotH() const { return height - top - bottom; }
    double base() const { return top + plotH(); }
    double X(std::int64_t minute) const {
        return left + plotW() * static_cast<double>(minute - first) / static_cast<double>(span);
    }
};

Timeline TimelineOf(const ContestModel& model, double width, double height) {
    Timeline t{width, height, 40, 10, 14, 34};
    t.first = model.Progress.front().Minute;
    t.span = static_cast<std::int64_t>(model.Progress.size()) * model.StepMinutes;
    return t;
}

void WriteYAxis(tavo::TextWriter& out, const Timeline& t, long long top, long long step) {
    for (long long v = 0; v <= top; v += step) {
        const double y = t.base() - t.plotH() * static_cast<double>(v) / static_cast<double>(top);
        if (v > 0)
            out.WriteLine("<line class=\"grid\" x1=\"" + SvgCoord(t.left) + "\" x2=\"" +
                          SvgCoord(t.width - t.right) + "\" y1=\"" + SvgCoord(y) + "\" y2=\"" +
                          SvgCoord(y) + "\"/>");
        out.WriteLine("<text x=\"" + SvgCoord(t.left - 6) + "\" y=\"" + SvgCoord(y + 4) +
                      "\" text-anchor=\"end\">" + IntToStr(v) + "</text>");
    }
}

// Ticks at midnight, labelled with the date, and between them every few
// hours, as many as the width allows.
void WriteTimeAxis(tavo::TextWriter& out, const ContestModel& model, const Timeline& t) {
    std::int64_t every = 10080;
    for (std::int64_t step : {60, 180, 360, 720, 1440}) {
        if (static_cast<double>(t.span / step) <= t.plotW() / 45) {
            every = step;
            break;
        }
    }
    for (std::int64_t m = (t.first / every + 1) * every; m < t.first + t.span; m += every) {
        if (m < t.first) continue;
        const std::string x = SvgCoord(t.X(m));
        const std::string stamp = StampText(m, false);
        const bool midnight = m % 1440 == 0;
        out.WriteLine("<line class=\"grid\" x1=\"" + x + "\" x2=\"" + x + "\" y1=\"" +
                      SvgCoord(t.top) + "\" y2=\"" + SvgCoord(t.base() + 4) + "\"/>");
        out.WriteLine("<text x=\"" + x + "\" y=\"" + SvgCoord(t.base() + 15) +
                      "\" text-anchor=\"middle\">" +
                      (midnight ? stamp.substr(5, 5) : stamp.substr(11, 2)) + "</text>");
    }
    out.WriteLine("<line class=\"axis\" x1=\"" + SvgCoord(t.left) + "\" x2=\"" +
                  SvgCoord(t.width - t.right) + "\" y1=\"" + SvgCoord(t.base()) + "\" y2=\"" +
                  SvgCoord(t.base()) + "\"/>");
    out.WriteLine("<text x=\"" + SvgCoord(t.left + t.plotW() / 2) + "\" y=\"" +
                  SvgCoord(t.height - 3) + "\" text-anchor=\"middle\">" +
                  std::string(ClockName(model.UtcClock)) + " (dates at midnight)</text>");
}

// The best-rate windows' colours: Okabe-Ito vermillion, reddish purple, bluish green.
constexpr std::array<std::string_view, RateWindows.size()> kBestColours = {"#D55E00", "#CC79A7",
                                                                           "#009E73"};

std::string KeySwatch(std::string_view colour) {
    return "<svg class=\"key\" width=\"12\" height=\"12\" aria-hidden=\"true\"><rect width=\"12\" "
           "height=\"12\" rx=\"2\" fill=\"" +
           std::string(colour) + "\"/></svg>";
}

void WriteRateChart(tavo::TextWriter& out, const ContestModel& model) {
    Timeline t = TimelineOf(model, 760, 270);
    t.top = 36;  // room for the best-rate labels, one line each
    long long peak = 0;
    for (const ProgressStep& step : model.Progress) peak = std::max(peak, step.Qsos);
    const ValueAxis scale = AxisFor(std::max<long long>(peak, 5), 5);
    auto yOf = [&](long long n) {
        return t.base() - t.plotH() * static_cast<double>(n) / static_cast<double>(scale.Top);
    };
    out.WriteLine("<figure>");
    out.WriteLine("<figcaption><b>QSOs per " + IntToStr(model.StepMinutes) +
                  " minutes</b> &middot; the whole log, " + std::string(ClockName(model.UtcClock)) +
                  "</figcaption>");
    out.WriteLine("<svg class=\"chart\" id=\"rate-chart\" viewBox=\"0 0 " + SvgCoord(t.width) +
                  " " + SvgCoord(t.height) + "\">");
    WriteYAxis(out, t, scale.Top, scale.Step);
    for (std::size_t w = 0; w < RateWindows.size(); ++w) {
        const BestRate& best = model.BestRates[w];
        if (best.Qsos == 0) continue;
        const double x = t.X(best.Start);
        const double width = std::max(t.X(best.Start + best.Minutes) - x, 1.0);
        out.WriteLine("<rect class=\"best\" x=\"" + SvgCoord(x) + "\" y=\"" + SvgCoord(t.top) +
                      "\" width=\"" + SvgCoord(width) + "\" height=\"" + SvgCoord(t.plotH()) +
                      "\" fill=\"" + std::string(kBestColours[w]) + "\"><title>best " +
                      IntToStr(best.Minutes) + " minutes: " + Plural(best.Qsos, "QSO") + " from " +
                      When(model, best.Start) + "</title></rect>");
        out.WriteLine("<text class=\"v\" x=\"" + SvgCoord(x + width / 2) + "\" y=\"" +
                      SvgCoord(10 + 10 * static_cast<double>(w)) + "\">" + IntToStr(best.Minutes) +
                      "</text>");
    }
    const double barW = std::max(t.plotW() / static_cast<double>(model.Progress.size()) * 0.8, 0.3);
    for (const ProgressStep& step : model.Progress) {
        if (step.Qsos == 0) continue;
        const double y = yOf(step.Qsos);
        out.WriteLine("<rect class=\"step\" x=\"" + SvgCoord(t.X(step.Minute)) + "\" y=\"" +
                      SvgCoord(y) + "\" width=\"" + SvgCoord(barW) + "\" height=\"" +
                      SvgCoord(t.base() - y) + "\" fill=\"#0072B2\"><title>" +
                      When(model, step.Minute) + ": " + Plural(step.Qsos, "QSO") +
                      "</title></rect>");
    }
    WriteTimeAxis(out, model, t);
    out.WriteLine("</svg>");
    out.WriteLine("</figure>");
}

void WriteBestRates(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine("<table id=\"best-rates\">");
    out.WriteLine(
        "<thead><tr><th scope=\"col\" class=\"name\">Best rate</th><th scope=\"col\">QSOs</th>"
        "<th scope=\"col\">per hour</th><th scope=\"col\" class=\"name\">from</th></tr></thead>");
    out.WriteLine("<tbody>");
    for (std::size_t w = 0; w < RateWindows.size(); ++w) {
        const BestRate& best = model.BestRates[w];
        out.WriteLine("<tr><th scope=\"row\" class=\"name\">" + KeySwatch(kBestColours[w]) +
                      IntToStr(best.Minutes) + " minutes</th><td>" + IntToStr(best.Qsos) +
                      "</td><td>" + IntToStr(best.Qsos * 60 / best.Minutes) +
                      "</td><td class=\"name\">" +
                      (best.Start == NoStamp ? "-" : When(model, best.Start)) + "</td></tr>");
    }
    out.WriteLine("</tbody>");
    out.WriteLine("</table>");
}

// A running total as a line, one point at the end of each step.
std::string Polyline(const Timeline& t, const ContestModel& model, long long top,
                     long long ProgressStep::*field, std::string_view colour, std::string_view id) {
    std::string points;
    for (const ProgressStep& step : model.Progress) {
        const double y =
            t.base() - t.plotH() * static_cast<double>(step.*field) / static_cast<double>(top);
        if (!points.empty()) points += ' ';
        points += SvgCoord(t.X(step.Minute + model.StepMinutes)) + "," + SvgCoord(y);
    }
    return "<polyline class=\"line\" id=\"" + std::string(id) + "\" stroke=\"" +
           std::string(colour) + "\" points=\"" + points + "\"/>";
}

void WriteRunningChart(tavo::TextWriter& out, const ContestModel& model, std::string_view title,
                       std::initializer_list<std::tuple<long long ProgressStep::*, std::string_view,
                                                        std::string_view, std::string_view>>
                           lines) {
    const Timeline t = TimelineOf(model, 380, 190);
    long long peak = 0;
    for (const auto& line : lines) {
        for (const ProgressStep& step : model.Progress)
            peak = std::max(peak, step.*std::get<0>(line));
    }
    const ValueAxis scale = AxisFor(std::max<long long>(peak, 4), 4);
    out.WriteLine("<figure>");
    std::string caption = "<figcaption><b>" + std::string(title) + "</b>";
    for (const auto& line : lines) {
        const long long last = model.Progress.back().*std::get<0>(line);
        caption += " &middot; " + KeySwatch(std::get<2>(line)) + std::string(std::get<1>(line)) +
                   " " + IntToStr(last);
    }
    out.WriteLine(caption + "</figcaption>");
    out.WriteLine("<svg class=\"chart\" viewBox=\"0 0 " + SvgCoord(t.width) + " " +
                  SvgCoord(t.height) + "\">");
    WriteYAxis(out, t, scale.Top, scale.Step);
    for (const auto& line : lines)
        out.WriteLine(
            Polyline(t, model, scale.Top, std::get<0>(line), std::get<2>(line), std::get<3>(line)));
    WriteTimeAxis(out, model, t);
    out.WriteLine("</svg>");
    out.WriteLine("</figure>");
}

void WriteRates(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine("<section class=\"card\" id=\"rates\">");
    out.WriteLine("<h2>Rate and progress</h2>");
    if (model.Progress.empty()) {
        out.WriteLine("<p class=\"empty\">No QSO has a date and time.</p>");
        out.WriteLine("</section>");
        return;
    }
    WriteRateChart(out, model);
    WriteBestRates(out, model);
    out.WriteLine("<div class=\"pair\">");
    WriteRunningChart(out, model, "QSOs so far",
                      {{&ProgressStep::TotalQsos, "QSOs", "#0072B2", "run-qsos"}});
    WriteRunningChart(out, model, "Multipliers so far",
                      {{&ProgressStep::Countries, "countries", "#D55E00", "run-countries"},
                       {&ProgressStep::Zones, "zones", "#009E73", "run-zones"}});
    out.WriteLine("</div>");
    out.WriteLine(
        "<p class=\"scope\">Every stamped QSO of the log, whatever its band or chart "
        "day.</p>");
    out.WriteLine("</section>");
}

constexpr std::string_view kEveryQso =
    "<p class=\"scope\">Every QSO of the log, whatever its band or chart day.</p>";

std::string FirstText(const ContestModel& model, const FirstWorked& first) {
    if (first.Minute == NoStamp) return "-";
    return When(model, first.Minute) + " &middot; " + std::string(BandName(first.Band));
}

void WriteZonesAndModes(tavo::TextWriter& out, const ContestModel& model) {
    std::array<bool, Bands> used{};
    for (const ZoneFigures& z : model.Zones) {
        for (int b = 0; b < Bands; ++b)
            used[static_cast<std::size_t>(b)] |= z.ByBand[static_cast<std::size_t>(b)] > 0;
    }
    out.WriteLine("<section class=\"card\">");
    out.WriteLine("<h2>QSOs by CQ zone</h2>");
    if (model.Zones.empty()) {
        out.WriteLine("<p class=\"empty\">No QSO has a zone.</p>");
    } else {
        out.WriteLine("<table id=\"zones\">");
        std::string head = "<thead><tr><th scope=\"col\" class=\"name\">Zone (MHz)</th>";
        for (int b = 0; b < Bands; ++b) {
            if (used[static_cast<std::size_t>(b)])
                head += "<th scope=\"col\">" + std::string(BandName(b)) + "</th>";
        }
        out.WriteLine(head +
                      "<th scope=\"col\">ALL</th><th scope=\"col\" class=\"name\">first worked</th>"
                      "</tr></thead>");
        out.WriteLine("<tbody>");
        for (const ZoneFigures& z : model.Zones) {
            std::string row = "<tr><th scope=\"row\" class=\"name\">" + IntToStr(z.Zone) + "</th>";
            for (int b = 0; b < Bands; ++b) {
                if (used[static_cast<std::size_t>(b)])
                    row += BandTd(z.ByBand[static_cast<std::size_t>(b)]);
            }
            out.WriteLine(row + "<td>" + IntToStr(z.Total) + "</td><td class=\"name\">" +
                          FirstText(model, z.First) + "</td></tr>");
        }
        out.WriteLine("</tbody>");
        out.WriteLine("</table>");
    }
    out.WriteLine(kEveryQso);
    out.WriteLine("</section>");
    out.WriteLine("<section class=\"card\">");
    out.WriteLine("<h2>QSOs by mode</h2>");
    out.WriteLine("<table id=\"modes\">");
    out.WriteLine(
        "<thead><tr><th scope=\"col\" class=\"name\">Mode</th><th scope=\"col\">QSOs</th>"
        "<th scope=\"col\">%</th></tr></thead>");
    out.WriteLine("<tbody>");
    for (const ModeCount& mode : model.Modes) {
        const double share = static_cast<double>(mode.Qsos) / model.QsoCount * 100;
        out.WriteLine("<tr><th scope=\"row\" class=\"name\">" +
                      (mode.Mode.empty() ? std::string("(none)") : HtmlEscape(mode.Mode)) +
                      "</th><td>" + IntToStr(mode.Qsos) + "</td><td>" +
                      std::string(tavo::Trim(Share(share))) + "%</td></tr>");
    }
    out.WriteLine("</tbody>");
    out.WriteLine("</table>");
    out.WriteLine(kEveryQso);
    out.WriteLine("</section>");
}

void WriteOffTimes(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine("<section class=\"card\">");
    out.WriteLine("<h2>Operating time</h2>");
    if (model.FirstStamp == NoStamp) {
        out.WriteLine("<p class=\"empty\">No QSO has a date and time.</p>");
        out.WriteLine("</section>");
        return;
    }
    out.WriteLine(
        "<p id=\"on-time\">On the air <b>" + HoursMinutes(model.OnMinutes, " h ") + " min</b> (" +
        Plural(model.OnMinutes, "minute") + ") between " + When(model, model.FirstStamp) + " and " +
        When(model, model.LastStamp) + ", less " +
        Plural(static_cast<long long>(model.OffPeriods.size()), "off period") + ": gaps of " +
        Plural(model.OffThreshold, "minute") + " or more between two QSOs.</p>");
    if (!model.OffPeriods.empty()) {
        out.WriteLine("<table id=\"off-periods\">");
        out.WriteLine(
            "<thead><tr><th scope=\"col\" class=\"name\">Off from</th><th scope=\"col\" "
            "class=\"name\">to</th><th scope=\"col\">minutes</th></tr></thead>");
        out.WriteLine("<tbody>");
        for (const OffPeriod& off : model.OffPeriods)
            out.WriteLine("<tr><td class=\"name\">" + When(model, off.Start) +
                          "</td><td class=\"name\">" + When(model, off.End) + "</td><td>" +
                          IntToStr(off.Minutes()) + "</td></tr>");
        out.WriteLine("</tbody>");
        out.WriteLine("</table>");
    }
    out.WriteLine("</section>");
}

void WriteFirstWorked(tavo::TextWriter& out, const ContestModel& model) {
    std::vector<const CountryFigures*> order;
    for (const CountryFigures& c : model.WorkedCountries) {
        if (c.First.Minute != NoStamp) order.push_back(&c);
    }
    // In the order they were worked; the table's order between equal times.
    std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
        return a->First.Minute < b->First.Minute;
    });
    out.WriteLine("<section class=\"card\">");
    out.WriteLine("<h2>Countries in the order first worked</h2>");
    if (order.empty()) {
        out.WriteLine("<p class=\"empty\">No QSO with a country has a date and time.</p>");
        out.WriteLine("</section>");
        return;
    }
    out.WriteLine("<table id=\"first-worked\">");
    out.WriteLine(
        "<thead><tr><th scope=\"col\">#</th><th scope=\"col\" class=\"name\">first "
        "worked</th><th scope=\"col\">MHz</th><th scope=\"col\" class=\"name\">Px</th>"
        "<th scope=\"col\" class=\"name\">Country</th><th scope=\"col\">QSOs</th></tr>"
        "</thead>");
    out.WriteLine("<tbody>");
    long long n = 0;
    for (const CountryFigures* c : order)
        out.WriteLine("<tr><td>" + IntToStr(++n) + "</td><td class=\"name\">" +
                      When(model, c->First.Minute) + "</td><td>" +
                      std::string(BandName(c->First.Band)) + "</td><td class=\"name\">" +
                      HtmlEscape(c->Prefix) + "</td><td class=\"name\">" + HtmlEscape(c->Name) +
                      "</td><td>" + IntToStr(c->Total) + "</td></tr>");
    out.WriteLine("</tbody>");
    out.WriteLine("</table>");
    out.WriteLine("</section>");
}

// What the tables above leave out, so that no QSO silently vanishes.
void WriteElsewhere(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine("<section class=\"card\" id=\"elsewhere\">");
    out.WriteLine("<h2>Outside the tables</h2>");
    std::string outside;
    for (int b = HfBands; b < Bands; ++b) {
        const long long n = model.BandTotals[static_cast<std::size_t>(b)];
        if (n > 0)
            outside += "<tr><th scope=\"row\" class=\"name\">" + std::string(BandName(b)) +
                       "</th><td>" + IntToStr(n) + "</td></tr>";
    }
    if (outside.empty()) {
        out.WriteLine("<p>Every QSO is on an HF band, 1.9 to 28 MHz.</p>");
    } else {
        out.WriteLine("<table id=\"outside-hf\">");
        out.WriteLine(
            "<thead><tr><th scope=\"col\" class=\"name\">Outside HF (MHz)</th>"
            "<th scope=\"col\">QSOs</th></tr></thead>");
        out.WriteLine("<tbody>" + outside + "</tbody>");
        out.WriteLine("</table>");
    }
    out.WriteLine(
        "<p id=\"unknown-qsos\">" + Plural(model.UnknownQsos, "QSO") +
        " with a call of no country" +
        (model.UnknownCalls.empty()
             ? std::string(".")
             : ", " + Plural(static_cast<long long>(model.UnknownCalls.size()), "distinct call") +
                   ":") +
        "</p>");
    if (!model.UnknownCalls.empty()) {
        std::string calls = "<ul class=\"calls\" id=\"unknown-calls\">";
        for (const std::string& call : model.UnknownCalls)
            calls += "<li>" + HtmlEscape(call) + "</li>";
        out.WriteLine(calls + "</ul>");
    }
    out.WriteLine("<p id=\"unstamped\">" + Plural(model.Unstamped, "QSO") +
                  " without a real date and time, left out of the rates and times.</p>");
    out.WriteLine("</section>");
}

void WriteHeader(tavo::TextWriter& out, const ContestModel& model, const std::string& name) {
    out.WriteLine("<header class=\"card\">");
    out.WriteLine("<p class=\"tool\">Tavo " TAVO_VERSION " &middot; Country + Continent</p>");
    out.WriteLine("<h1>" + name + "</h1>");
    out.WriteLine("<p class=\"status\">" + WorkedStatus(model.QsoCount, model.Format) + "</p>");
    const BestHour& best = model.Best;
    long long bandCountries = 0;
    for (long long n : model.Columns.Worked) bandCountries += n;
    std::string facts = "<ul class=\"facts\">";
    facts += "<li id=\"fact-qsos\"><b>" + IntToStr(model.QsoCount) + "</b>QSOs</li>";
    facts += "<li id=\"fact-countries\"><b>" +
             IntToStr(static_cast<long long>(model.WorkedCountries.size())) +
             "</b>distinct countries</li>";
    facts += "<li id=\"fact-band-countries\"><b>" + IntToStr(bandCountries) +
             "</b>countries summed per band</li>";
    facts += "<li id=\"fact-zones\"><b>" + IntToStr(static_cast<long long>(model.Zones.size())) +
             "</b>zones</li>";
    facts += "<li><b>" + IntToStr(model.ChartDay) + "</b>chart days</li>";
    if (best.Qsos > 0)
        facts += "<li><b>" + IntToStr(best.Qsos) + "</b>best clock hour: day " +
                 IntToStr(best.Day) + ", hour " + TwoDigits(best.Hour) + "</li>";
    out.WriteLine(facts + "</ul>");
    out.WriteLine("</header>");
}

}  // namespace

std::string BandTd(long long Count) {
    return Count == 0 ? "<td class=\"z\">-</td>" : "<td>" + IntToStr(Count) + "</td>";
}

std::string BandHeads() {
    std::string heads;
    for (int b = 0; b < HfBands; ++b)
        heads += "<th scope=\"col\">" + std::string(BandName(b)) + "</th>";
    return heads;
}

std::string HoursMinutes(std::int64_t Minutes, std::string_view Separator) {
    std::string mm = IntToStr(Minutes % 60);
    if (mm.size() < 2) mm.insert(mm.begin(), '0');
    return IntToStr(Minutes / 60) + std::string(Separator) + mm;
}

ValueAxis AxisFor(long long Peak, int MaxSteps) {
    for (long long decade = 1;; decade *= 10) {
        for (long long m : {1, 2, 5}) {
            const long long step = m * decade;
            const long long steps = std::max<long long>(1, (Peak + step - 1) / step);
            if (steps <= MaxSteps) return {steps * step, step};
        }
    }
}

std::string SvgCoord(double Value) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, 1);
    if (ec != std::errc()) return "0";
    std::string text(buf, end);
    if (text.ends_with(".0")) text.resize(text.size() - 2);
    if (text == "-0") text = "0";
    return text;
}

void WritePageHead(tavo::TextWriter& Page, std::string_view Title, std::string_view Style) {
    Page.WriteLine("<!DOCTYPE html>");
    Page.WriteLine("<html lang=\"en\">");
    Page.WriteLine("<head>");
    Page.WriteLine("<meta charset=\"utf-8\">");
    Page.WriteLine("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    Page.WriteLine("<meta name=\"generator\" content=\"Tavo " TAVO_VERSION "\">");
    Page.WriteLine("<title>" + std::string(Title) + "</title>");
    Page.WriteLine("<style>");
    Page.WriteLines(kSharedStyle);
    Page.WriteLines(Style);
    Page.WriteLine("</style>");
    Page.WriteLine("</head>");
    Page.WriteLine("<body>");
    Page.WriteLine("<main>");
}

std::string HtmlFileName(std::string_view LogFileName) {
    return OutputFileName(LogFileName, HtmlPage.Extension);
}

namespace {

// The length of the well-formed UTF-8 sequence at the start of Text, 0 when
// its first byte begins none: a stray continuation byte, an overlong form, a
// surrogate, a code point past U+10FFFF or a cut sequence.
std::size_t Utf8Length(std::string_view Text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(Text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the bounds of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (Text.size() < length || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

}  // namespace

std::string HtmlEscape(std::string_view Text) {
    std::string out;
    out.reserve(Text.size());
    for (std::size_t at = 0; at < Text.size(); ++at) {
        const char c = Text[at];
        // A page is UTF-8 throughout: a byte of a name in another code page
        // shows as the replacement character.
        if (static_cast<unsigned char>(c) >= 0x80) {
            const std::size_t length = Utf8Length(Text.substr(at));
            if (length == 0) {
                out += "&#xFFFD;";
            } else {
                out.append(Text.substr(at, length));
                at += length - 1;
            }
            continue;
        }
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default:
                // Control characters have no place in HTML text; show that one was there.
                if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f)
                    out += "&#xFFFD;";
                else
                    out += c;
        }
    }
    return out;
}

std::string_view ContinentColour(int Continent) {
    // Okabe-Ito: blue, bluish green, orange, vermillion, reddish purple, sky blue.
    static constexpr std::array<std::string_view, Continents + 1> kColours = {
        "#999999", "#0072B2", "#009E73", "#E69F00", "#D55E00", "#CC79A7", "#56B4E9"};
    return Continent >= 1 && Continent <= Continents ? kColours[static_cast<std::size_t>(Continent)]
                                                     : kColours[0];
}

void WriteHtmlReport(tavo::TextWriter& Page, const ContestModel& Model) {
    const std::string name = HtmlEscape(tavo::ExtractFileName(Model.LogFileName));
    WritePageHead(Page, name + " &ndash; " + WorkedStatus(Model.QsoCount, Model.Format), kStyle);
    WriteHeader(Page, Model, name);
    WriteContinentTable(Page, Model);
    WriteCountryTable(Page, Model);
    Page.WriteLine("<section class=\"card\" id=\"charts\">");
    Page.WriteLine("<h2>QSOs per hour</h2>");
    for (int d = 1; d <= Model.ChartDay; ++d) WriteChartDay(Page, Model, d);
    if (Model.ChartDay == 0) Page.WriteLine("<p class=\"empty\">The log has no QSO.</p>");
    Page.WriteLine("</section>");
    WriteRates(Page, Model);
    WriteZonesAndModes(Page, Model);
    WriteOffTimes(Page, Model);
    WriteFirstWorked(Page, Model);
    WriteElsewhere(Page, Model);
    Page.WriteLine("</main>");
    Page.WriteLine("<footer>Written by Tavo " TAVO_VERSION
                   " from the same pass as the text report.</footer>");
    Page.WriteLine("</body>");
    Page.WriteLine("</html>");
}

}  // namespace u_tavo300
