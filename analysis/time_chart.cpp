// The time charts: QSOs per clock hour and continent, one table per chart day,
// first over all bands, then band by band.
#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "analysis/model.h"
#include "analysis/report_format.h"
#include "analysis/u_tavo300.h"
#include "common/text.h"
#include "country/cty_utl3.h"

namespace u_tavo300 {

namespace {

// Columns are three characters while every column sum has at most two digits;
// a wider sum widens every column of the block so that neighbours never touch.
constexpr int kNarrowWidth = 3;

int ColumnWidth(long long largestSum) {
    if (largestSum <= 99) return kNarrowWidth;
    return static_cast<int>(tavo::IntToStr(largestSum).size()) + 1;
}

// Appends n right-aligned in width characters; a chart has hundreds of cells,
// so none is made as a string of its own.
void AppendCell(std::string& row, long long n, int width) {
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n);
    const auto length = static_cast<std::size_t>(end - digits);
    if (length < static_cast<std::size_t>(width))
        row.append(static_cast<std::size_t>(width) - length, ' ');
    row.append(digits, length);
}

void WriteBlock(tavo::TextWriter& out, const ContestModel& model, const ChartBlock& block) {
    long long largest = 0;
    for (long long n : block.ColumnSums) largest = std::max(largest, n);
    const int w = ColumnWidth(largest);

    std::string header = "    ";
    for (int j = 0; j < Hours; ++j) AppendCell(header, model.ColumnHour(j), w);
    out.WriteLine(header);
    const std::string rule(static_cast<std::size_t>(Hours * w + 10), '-');
    out.WriteLine(rule);
    const std::string zero = std::string(static_cast<std::size_t>(w - 1), ' ') + "-";
    for (int k = 1; k <= Continents; ++k) {
        std::string row(cty_utl3::ContinentAbbr(k));
        row += " |";
        long long total = 0;
        for (int j = 0; j < Hours; ++j) {
            long long n = block.Cells[static_cast<std::size_t>(model.ColumnHour(j))]
                                     [static_cast<std::size_t>(k)];
            if (n == 0)
                row += zero;
            else
                AppendCell(row, n, w);
            total += n;
        }
        out.WriteLine(row + "|" + Int4(total));
    }
    out.WriteLine(rule);
    std::string sum = "SUM|";
    std::string running(4, ' ');
    long long total = 0;
    for (int j = 0; j < Hours; ++j) {
        const long long n = block.ColumnSums[static_cast<std::size_t>(j)];
        AppendCell(sum, n, w);
        total += n;
        // Each running sum ends under the third hour of its group; in a narrow
        // block one over 999 pushes the rest of the row right, as it always did.
        if (j % 3 == 2) {
            if (w == kNarrowWidth)
                running += "      " + Int3(total);
            else
                AppendCell(running, total, 3 * w);
        }
    }
    out.WriteLine(sum + "|" + Int4(total));
    out.WriteLine(running + "      ");
    out.WriteLine();
}

}  // namespace

void WriteAllBandTimeChart(tavo::TextWriter& Report, const ContestModel& Model) {
    Report.WriteLine("Time Chart / QSO  ALL BAND ");
    for (const ChartBlock& day : Model.AllBandDays) {
        Report.WriteLine("day " + tavo::IntToStr(day.Day));
        WriteBlock(Report, Model, day);
    }
}

void WriteBandTimeCharts(tavo::TextWriter& Report, const ContestModel& Model) {
    Report.WriteLine("Time Chart / QSO ");
    for (int d = 1; d <= Model.ChartDay; ++d) {
        Report.WriteLine("day " + tavo::IntToStr(d));
        for (const ChartBlock& block : Model.BandDays[static_cast<std::size_t>(d - 1)]) {
            std::string label;
            BandLabel(block.Band, label);
            Report.WriteLine("-- " + label + "MHz--");
            WriteBlock(Report, Model, block);
        }
    }
}

}  // namespace u_tavo300
