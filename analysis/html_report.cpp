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

#include "analysis/report_format.h"
#include "common/paths.h"
#include "common/text.h"
#include "tavo_version.h"

namespace u_tavo300 {

namespace {

constexpr std::string_view kStyle =
    R"(:root{color-scheme:light;--ink:#1d2430;--muted:#5b6472;--rule:#d9dee5;--zebra:#f4f6f9;--accent:#0072B2}
*{box-sizing:border-box}
body{margin:0;background:#eceff3;color:var(--ink);font:14px/1.45 system-ui,"Segoe UI",Roboto,"Noto Sans","DejaVu Sans",Arial,sans-serif}
main{max-width:1040px;margin:0 auto;padding:24px 20px}
.card{background:#fff;border-radius:10px;padding:16px 22px;margin-bottom:18px;box-shadow:0 1px 3px rgba(20,30,50,.12)}
header.card{border-top:5px solid var(--accent)}
.tool{margin:0;color:var(--muted);font-size:12px;letter-spacing:.06em;text-transform:uppercase}
h1{margin:.1em 0 .15em;font-size:26px;overflow-wrap:anywhere}
.status{margin:0;color:var(--muted)}
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
.sw{vertical-align:-1px;margin-right:7px}
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

// A number for the markup (coordinates), locale-free, one decimal at most.
std::string Coord(double value) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 1);
    if (ec != std::errc()) return "0";
    std::string text(buf, end);
    if (text.ends_with(".0")) text.resize(text.size() - 2);
    if (text == "-0") text = "0";
    return text;
}

std::string Num(long long value) { return tavo::IntToStr(value); }

std::string TwoDigits(int hour) {
    std::string text = Num(hour);
    if (text.size() < 2) text.insert(text.begin(), '0');
    return text;
}

std::string Plural(long long n, std::string_view word) {
    return Num(n) + " " + std::string(word) + (n == 1 ? "" : "s");
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

// A band cell of the tables: the count, or the report's dash for none.
std::string BandTd(long long n) {
    return n == 0 ? "<td class=\"z\">-</td>" : "<td>" + Num(n) + "</td>";
}

std::string BandHeads() {
    std::string heads;
    for (int b = 0; b < HfBands; ++b) heads += "<th scope=\"col\">" + TrimmedLabel(b) + "</th>";
    return heads;
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
        row += "<td>" + Num(model.ContinentTotal[ku]) + "</td>";
        row += "<td>" + std::string(tavo::Trim(Share(model.ContinentShare[ku]))) + "%</td></tr>";
        out.WriteLine(row);
    }
    out.WriteLine("</tbody>");
    std::string sum = "<tfoot><tr><th scope=\"row\" class=\"name\">Sum</th>";
    for (long long n : model.ContinentBandSums) sum += "<td>" + Num(n) + "</td>";
    sum += "<td>" + Num(model.QsoCount) + "</td><td></td></tr></tfoot>";
    out.WriteLine(sum);
    out.WriteLine("</table>");
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
        std::string row =
            "<tr><td class=\"name\">" + HtmlEscape(tavo::Trim(country.MainPrefix)) +
            "</td><td class=\"name\">" + HtmlEscape(tavo::Trim(country.Name)) + "</td>";
        for (long long n : country.Bands) row += BandTd(n);
        row += "<td>" + Num(country.Total) + "</td></tr>";
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
        out.WriteLine(row + "<td>" + Num(total) + "</td></tr>");
    };
    out.WriteLine("<tfoot>");
    summary("QSOs", sums.Qsos);
    summary("Countries", sums.Worked);
    out.WriteLine("</tfoot>");
    out.WriteLine("</table>");
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

// The y axis' top and step: 1, 2 or 5 times a power of ten, at most maxTicks steps.
std::pair<long long, long long> YScale(long long peak, int maxTicks) {
    long long step = 1;
    for (long long decade = 1;; decade *= 10) {
        bool found = false;
        for (long long m : {1, 2, 5}) {
            if ((peak + m * decade - 1) / (m * decade) <= maxTicks) {
                step = m * decade;
                found = true;
                break;
            }
        }
        if (found) break;
    }
    return {(peak + step - 1) / step * step, step};
}

// One bar's tooltip: "hour 14: 35 QSOs (NA 3, EU 30, AS 2)".
std::string BarTitle(int hour, const std::array<long long, Continents + 1>& cell, long long sum) {
    std::string title = "hour " + TwoDigits(hour) + ": " + Plural(sum, "QSO") + " (";
    bool first = true;
    for (int k = 1; k <= Continents; ++k) {
        const long long n = cell[static_cast<std::size_t>(k)];
        if (n == 0) continue;
        if (!first) title += ", ";
        title += std::string(cty_utl3::ContinentAbbr(k)) + " " + Num(n);
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
    const std::pair<long long, long long> scale =
        YScale(std::max<long long>(peak, shape.maxTicks), shape.maxTicks);
    const long long top = scale.first;
    const long long step = scale.second;
    const double plotW = shape.width - shape.left - shape.right;
    const double plotH = shape.height - shape.top - shape.bottom;
    const double base = shape.top + plotH;
    const double slot = plotW / Hours;
    const double barW = slot * 0.74;
    auto yOf = [&](long long n) { return base - plotH * static_cast<double>(n) / top; };

    out.WriteLine("<figure>");
    out.WriteLine("<figcaption>" + caption + "</figcaption>");
    out.WriteLine("<svg class=\"chart\" viewBox=\"0 0 " + Coord(shape.width) + " " +
                  Coord(shape.height) + "\">");
    for (long long t = 0; t <= top; t += step) {
        const std::string y = Coord(yOf(t));
        if (t > 0)
            out.WriteLine("<line class=\"grid\" x1=\"" + Coord(shape.left) + "\" x2=\"" +
                          Coord(shape.width - shape.right) + "\" y1=\"" + y + "\" y2=\"" + y +
                          "\"/>");
        out.WriteLine("<text x=\"" + Coord(shape.left - 6) + "\" y=\"" + Coord(yOf(t) + 4) +
                      "\" text-anchor=\"end\">" + Num(t) + "</text>");
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
                out.WriteLine("<rect x=\"" + Coord(x) + "\" y=\"" + Coord(y) + "\" width=\"" +
                              Coord(barW) + "\" height=\"" + Coord(yOf(below) - y) + "\" fill=\"" +
                              std::string(ContinentColour(k)) + "\"/>");
                below += n;
            }
            if (shape.barValues)
                out.WriteLine("<text class=\"v\" x=\"" + Coord(x + barW / 2) + "\" y=\"" +
                              Coord(yOf(sum) - 3) + "\">" + Num(sum) + "</text>");
            out.WriteLine("</g>");
        }
        if (j % shape.hourEvery == 0)
            out.WriteLine("<text x=\"" + Coord(x + barW / 2) + "\" y=\"" + Coord(base + 14) +
                          "\" text-anchor=\"middle\">" + TwoDigits(hour) + "</text>");
    }
    out.WriteLine("<line class=\"axis\" x1=\"" + Coord(shape.left) + "\" x2=\"" +
                  Coord(shape.width - shape.right) + "\" y1=\"" + Coord(base) + "\" y2=\"" +
                  Coord(base) + "\"/>");
    out.WriteLine("<text x=\"" + Coord(shape.left + plotW / 2) + "\" y=\"" +
                  Coord(shape.height - 3) + "\" text-anchor=\"middle\">hour</text>");
    out.WriteLine("</svg>");
    out.WriteLine("</figure>");
}

void WriteLegend(tavo::TextWriter& out) {
    std::string legend = "<ul class=\"legend\">";
    for (int k = 1; k <= Continents; ++k)
        legend += "<li>" + Swatch(k) + ContinentLabel(k) + "</li>";
    out.WriteLine(legend + "</ul>");
}

void WriteChartDay(tavo::TextWriter& out, const ContestModel& model, int day) {
    out.WriteLine("<section class=\"day\">");
    out.WriteLine("<h3>Day " + Num(day) + "</h3>");
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
        WriteChart(out, model, block, kBandChart,
                   "<b>" + TrimmedLabel(block.Band) + " MHz</b> &middot; " +
                       Plural(block.Total, "QSO"));
    }
    out.WriteLine("</div>");
    out.WriteLine("</section>");
}

void WriteHeader(tavo::TextWriter& out, const ContestModel& model, const std::string& name) {
    out.WriteLine("<header class=\"card\">");
    out.WriteLine("<p class=\"tool\">Tavo " TAVO_VERSION " &middot; Country + Continent</p>");
    out.WriteLine("<h1>" + name + "</h1>");
    out.WriteLine("<p class=\"status\">" + WorkedStatus(model.QsoCount, model.Format) + "</p>");
    const BestHour& best = model.Best;
    std::string facts = "<ul class=\"facts\">";
    facts += "<li><b>" + Num(model.QsoCount) + "</b>stations worked</li>";
    facts += "<li><b>" + Num(static_cast<long long>(model.Countries.size())) + "</b>countries</li>";
    facts += "<li><b>" + Num(model.ChartDay) + "</b>chart days</li>";
    if (best.Qsos > 0)
        facts += "<li><b>" + Num(best.Qsos) + "</b>best hour: day " + Num(best.Day) + ", hour " +
                 TwoDigits(best.Hour) + "</li>";
    out.WriteLine(facts + "</ul>");
    out.WriteLine("</header>");
}

}  // namespace

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
    Page.WriteLine("<!DOCTYPE html>");
    Page.WriteLine("<html lang=\"en\">");
    Page.WriteLine("<head>");
    Page.WriteLine("<meta charset=\"utf-8\">");
    Page.WriteLine("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    Page.WriteLine("<meta name=\"generator\" content=\"Tavo " TAVO_VERSION "\">");
    Page.WriteLine("<title>" + name + " &ndash; " + WorkedStatus(Model.QsoCount, Model.Format) +
                   "</title>");
    Page.WriteLine("<style>");
    // Line by line, so that the page keeps one kind of line end throughout.
    for (std::string_view rest = kStyle; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        Page.WriteLine(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    Page.WriteLine("</style>");
    Page.WriteLine("</head>");
    Page.WriteLine("<body>");
    Page.WriteLine("<main>");
    WriteHeader(Page, Model, name);
    WriteContinentTable(Page, Model);
    WriteCountryTable(Page, Model);
    Page.WriteLine("<section class=\"card\" id=\"charts\">");
    Page.WriteLine("<h2>QSOs per hour</h2>");
    for (int d = 1; d <= Model.ChartDay; ++d) WriteChartDay(Page, Model, d);
    if (Model.ChartDay == 0) Page.WriteLine("<p class=\"empty\">The log has no QSO.</p>");
    Page.WriteLine("</section>");
    Page.WriteLine("</main>");
    Page.WriteLine("<footer>Written by Tavo " TAVO_VERSION
                   " from the same pass as the text report.</footer>");
    Page.WriteLine("</body>");
    Page.WriteLine("</html>");
}

}  // namespace u_tavo300
