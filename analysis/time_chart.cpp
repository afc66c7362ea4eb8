// The time charts: QSOs per clock hour and continent, one table per chart day,
// first over all bands, then band by band.
#include <array>
#include <string>

#include "analysis/report_format.h"
#include "analysis/u_tavo300.h"
#include "common/text.h"
#include "country/cty_utl3.h"

namespace u_tavo300 {

namespace {

void WriteBlock(tavo::TextWriter& out, const LogPass& pass, const HourTable& cells) {
    std::string header = "    ";
    for (int j = 0; j < Hours; ++j) header += Int3(ChartColumnHour(pass, j));
    out.WriteLine(header);
    const std::string rule(82, '-');
    out.WriteLine(rule);
    std::array<long long, Hours> columnSum{};
    for (int k = 1; k <= Continents; ++k) {
        std::string row(cty_utl3::ContinentAbbr(k));
        row += " |";
        long long total = 0;
        for (int j = 0; j < Hours; ++j) {
            long long n = cells[static_cast<std::size_t>(ChartColumnHour(pass, j))][k];
            row += n == 0 ? "  -" : Int3(n);
            total += n;
            columnSum[static_cast<std::size_t>(j)] += n;
        }
        out.WriteLine(row + "|" + Int4(total));
    }
    out.WriteLine(rule);
    std::string sum = "SUM|";
    std::string running(10, ' ');
    long long total = 0;
    for (int j = 0; j < Hours; ++j) {
        sum += Int3(columnSum[static_cast<std::size_t>(j)]);
        total += columnSum[static_cast<std::size_t>(j)];
        if (j % 3 == 2) running += Int3(total) + "      ";
    }
    out.WriteLine(sum + "|" + Int4(total));
    out.WriteLine(running);
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
