// The time charts: QSOs per clock hour and continent, one table per chart day,
// first over all bands, then band by band.
#include <array>
#include <string>

#include "analysis/model.h"
#include "analysis/report_format.h"
#include "analysis/u_tavo300.h"
#include "common/text.h"
#include "country/cty_utl3.h"

namespace u_tavo300 {

namespace {

void WriteBlock(tavo::TextWriter& out, const ContestModel& model, const ChartBlock& block) {
    std::string header = "    ";
    for (int j = 0; j < Hours; ++j) header += Int3(model.ColumnHour(j));
    out.WriteLine(header);
    const std::string rule(82, '-');
    out.WriteLine(rule);
    for (int k = 1; k <= Continents; ++k) {
        std::string row(cty_utl3::ContinentAbbr(k));
        row += " |";
        long long total = 0;
        for (int j = 0; j < Hours; ++j) {
            long long n = block.Cells[static_cast<std::size_t>(model.ColumnHour(j))]
                                     [static_cast<std::size_t>(k)];
            row += n == 0 ? "  -" : Int3(n);
            total += n;
        }
        out.WriteLine(row + "|" + Int4(total));
    }
    out.WriteLine(rule);
    std::string sum = "SUM|";
    std::string running(10, ' ');
    long long total = 0;
    for (int j = 0; j < Hours; ++j) {
        sum += Int3(block.ColumnSums[static_cast<std::size_t>(j)]);
        total += block.ColumnSums[static_cast<std::size_t>(j)];
        if (j % 3 == 2) running += Int3(total) + "      ";
    }
    out.WriteLine(sum + "|" + Int4(total));
    out.WriteLine(running);
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
