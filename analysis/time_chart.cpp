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

// Cells of one table: [hour][continent 1..6].
using HourTable = std::array<std::array<long long, Continents + 1>, Hours>;
// ChartHours per chart day and band; the all-band chart sums the bands.
using ChartHours = std::array<std::array<HourTable, Bands>, ChartDays>;

// Sums TimeTally by continent; the unknown bucket and countries without a
// continent have no row, so they are left out.
ChartHours SumByContinent() {
    ChartHours hours{};
    const int countries = cty_utl3::CountryCount();
    for (int d = 1; d <= ChartDay(); ++d) {
        for (int h = 0; h < Hours; ++h) {
            for (int b = 0; b < Bands; ++b) {
                for (int c = 1; c <= countries; ++c) {
                    int k = cty_utl3::CountryTable(c).Continent;
                    if (k >= 1 && k <= Continents) hours[d - 1][b][h][k] += TimeTally(d, h, b, c);
                }
            }
        }
    }
    return hours;
}

// Column j shows hour (FirstHour + j) mod 24.
int HourOf(int column) { return (FirstHour() + column) % Hours; }

void WriteBlock(tavo::TextWriter& out, const HourTable& cells) {
    std::string header = "    ";
    for (int j = 0; j < Hours; ++j) header += Int3(HourOf(j));
    out.WriteLine(header);
    const std::string rule(82, '-');
    out.WriteLine(rule);
    std::array<long long, Hours> columnSum{};
    for (int k = 1; k <= Continents; ++k) {
        std::string row(cty_utl3::ContinentAbbr(k));
        row += " |";
        long long total = 0;
        for (int j = 0; j < Hours; ++j) {
            long long n = cells[static_cast<std::size_t>(HourOf(j))][k];
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

long long TableTotal(const HourTable& cells) {
    long long total = 0;
    for (const auto& hour : cells) {
        for (int k = 1; k <= Continents; ++k) total += hour[k];
    }
    return total;
}

}  // namespace

void WriteAllBandTimeChart(tavo::TextWriter& Report) {
    Report.WriteLine("Time Chart / QSO  ALL BAND ");
    const ChartHours hours = SumByContinent();
    for (int d = 1; d <= ChartDay(); ++d) {
        HourTable all{};
        for (const HourTable& band : hours[d - 1]) {
            for (int h = 0; h < Hours; ++h) {
                for (int k = 1; k <= Continents; ++k) all[h][k] += band[h][k];
            }
        }
        Report.WriteLine("day " + tavo::IntToStr(d));
        WriteBlock(Report, all);
    }
}

void WriteBandTimeCharts(tavo::TextWriter& Report) {
    Report.WriteLine("Time Chart / QSO ");
    const ChartHours hours = SumByContinent();
    for (int d = 1; d <= ChartDay(); ++d) {
        Report.WriteLine("day " + tavo::IntToStr(d));
        for (int b = 0; b < Bands; ++b) {
            const HourTable& cells = hours[d - 1][b];
            if (TableTotal(cells) == 0) continue;
            std::string label;
            BandLabel(b, label);
            Report.WriteLine("-- " + label + "MHz--");
            WriteBlock(Report, cells);
        }
    }
}

}  // namespace u_tavo300
