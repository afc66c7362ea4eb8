// The time charts: QSOs per clock hour and continent, one table per chart day,
// first over all bands, then band by band.
#include <algorithm>
#include <array>
#include <string>

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

std::string Cell(long long n, int width) {
    return tavo::PadLeft(tavo::IntToStr(n), static_cast<std::size_t>(width));
}

void WriteBlock(tavo::TextWriter& out, const LogPass& pass, const HourTable& cells) {
    std::array<long long, Hours> columnSum{};
    for (int j = 0; j < Hours; ++j) {
        for (int k = 1; k <= Continents; ++k)
            columnSum[static_cast<std::size_t>(j)] +=
                cells[static_cast<std::size_t>(ChartColumnHour(pass, j))]
                     [static_cast<std::size_t>(k)];
    }
    long long largest = 0;
    for (long long n : columnSum) largest = std::max(largest, n);
    const int w = ColumnWidth(largest);

    std::string header = "    ";
    for (int j = 0; j < Hours; ++j) header += Cell(ChartColumnHour(pass, j), w);
    out.WriteLine(header);
    const std::string rule(static_cast<std::size_t>(Hours * w + 10), '-');
    out.WriteLine(rule);
    const std::string zero = std::string(static_cast<std::size_t>(w - 1), ' ') + "-";
    for (int k = 1; k <= Continents; ++k) {
        std::string row(cty_utl3::ContinentAbbr(k));
        row += " |";
        long long total = 0;
        for (int j = 0; j < Hours; ++j) {
            long long n = cells[static_cast<std::size_t>(ChartColumnHour(pass, j))][k];
            row += n == 0 ? zero : Cell(n, w);
            total += n;
        }
        out.WriteLine(row + "|" + Int4(total));
    }
    out.WriteLine(rule);
    std::string sum = "SUM|";
    std::string running(4, ' ');
    long long total = 0;
    for (int j = 0; j < Hours; ++j) {
        sum += Cell(columnSum[static_cast<std::size_t>(j)], w);
        total += columnSum[static_cast<std::size_t>(j)];
        // Each running sum ends under the third hour of its group; in a narrow
        // block one over 999 pushes the rest of the row right, as it always did.
        if (j % 3 == 2) running += w == kNarrowWidth ? "      " + Int3(total) : Cell(total, 3 * w);
    }
    out.WriteLine(sum + "|" + Int4(total));
    out.WriteLine(running + "      ");
    out.WriteLine();
}

}  // namespace

HourTable DayTable(const LogPass& Pass, int Day, int FirstBand, int LastBand) {
    HourTable cells{};
    for (int h = 0; h < Hours; ++h) {
        for (int b = FirstBand; b <= LastBand; ++b) {
            for (int k = 1; k <= Continents; ++k)
                cells[static_cast<std::size_t>(h)][static_cast<std::size_t>(k)] +=
                    Pass.ChartHours(Day, h, b, k);
        }
    }
    return cells;
}

int ChartColumnHour(const LogPass& Pass, int Column) { return (Pass.FirstHour() + Column) % Hours; }

long long TableTotal(const HourTable& Cells) {
    long long total = 0;
    for (const auto& hour : Cells) {
        for (int k = 1; k <= Continents; ++k) total += hour[static_cast<std::size_t>(k)];
    }
    return total;
}

void WriteAllBandTimeChart(tavo::TextWriter& Report, const LogPass& Pass) {
    Report.WriteLine("Time Chart / QSO  ALL BAND ");
    for (int d = 1; d <= Pass.ChartDay(); ++d) {
        Report.WriteLine("day " + tavo::IntToStr(d));
        WriteBlock(Report, Pass, DayTable(Pass, d, 0, Bands - 1));
    }
}

void WriteBandTimeCharts(tavo::TextWriter& Report, const LogPass& Pass) {
    Report.WriteLine("Time Chart / QSO ");
    for (int d = 1; d <= Pass.ChartDay(); ++d) {
        Report.WriteLine("day " + tavo::IntToStr(d));
        for (int b = 0; b < Bands; ++b) {
            const HourTable cells = DayTable(Pass, d, b, b);
            if (TableTotal(cells) == 0) continue;
            std::string label;
            BandLabel(b, label);
            Report.WriteLine("-- " + label + "MHz--");
            WriteBlock(Report, Pass, cells);
        }
    }
}

}  // namespace u_tavo300
