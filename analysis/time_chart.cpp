// The time charts: QSOs per clock hour and continent, one table per chart day,
// first over all bands, then band by band.
#include <algorithm>
#include <array>
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
    return tavo::DigitCount(largestSum) + 1;
}

void WriteBlock(LineWriter& out, const ContestModel& model, const ChartBlock& block) {
    long long largest = 0;
    for (long long n : block.ColumnSums) largest = std::max(largest, n);
    const int w = ColumnWidth(largest);
    const auto width = static_cast<std::size_t>(w);
    // In a narrow block every cell and column sum is 0..99: each row is
    // gathered in the charts' hour order and written in one go.
    const bool narrow = w == kNarrowWidth;
    std::array<std::size_t, Hours> hours{};
    std::array<long long, Hours> row{};
    for (int j = 0; j < Hours; ++j)
        hours[static_cast<std::size_t>(j)] = static_cast<std::size_t>(model.ColumnHour(j));

    out.Put("    ");
    if (narrow) {
        std::copy(hours.begin(), hours.end(), row.begin());
        out.NarrowCells(row, false);
    } else {
        for (std::size_t hour : hours) out.Number(static_cast<long long>(hour), width);
    }
    out.EndLine();
    const std::size_t rule = Hours * width + 10;
    out.Repeat('-', rule);
    out.EndLine();
    // Each continent's total in one walk over the cells as they lie.
    std::array<long long, Continents + 1> totals{};
    for (const auto& hour : block.Cells) {
        for (std::size_t k = 1; k <= Continents; ++k) totals[k] += hour[k];
    }
    for (int k = 1; k <= Continents; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        const long long total = totals[ku];
        out.Put(cty_utl3::ContinentAbbr(k));
        out.Put(" |");
        if (total == 0 && narrow) {
            // A continent without a QSO in the block, as most are in a band's:
            // its whole row of dashes at once.
            static constexpr std::string_view kNoQsos =
                "  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -  -";
            static_assert(kNoQsos.size() == Hours * kNarrowWidth);
            out.Put(kNoQsos);
        } else if (narrow) {
            for (std::size_t j = 0; j < Hours; ++j) row[j] = block.Cells[hours[j]][ku];
            out.NarrowCells(row, true);
        } else {
            for (std::size_t hour : hours) {
                const long long n = block.Cells[hour][ku];
                if (n == 0) {
                    out.Repeat(' ', width - 1);
                    out.Put("-");
                } else {
                    out.Number(n, width);
                }
            }
        }
        out.Put("|");
        out.Number(total, 4);
        out.EndLine();
    }
    out.Repeat('-', rule);
    out.EndLine();
    out.Put("SUM|");
    long long total = 0;
    for (long long n : block.ColumnSums) total += n;
    if (narrow) {
        out.NarrowCells(block.ColumnSums, false);
    } else {
        for (long long n : block.ColumnSums) out.Number(n, width);
    }
    out.Put("|");
    out.Number(total, 4);
    out.EndLine();
    // Each running sum ends under the third hour of its group; in a narrow
    // block one over 999 pushes the rest of the row right, as it always did.
    out.Put("    ");
    long long running = 0;
    for (int j = 0; j < Hours; ++j) {
        running += block.ColumnSums[static_cast<std::size_t>(j)];
        if (j % 3 != 2) continue;
        if (narrow) {
            out.Put("      ");
            out.Number(running, 3);
        } else {
            out.Number(running, 3 * width);
        }
    }
    out.EndLine("      ");
    out.EndLine();
}

}  // namespace

void WriteAllBandTimeChart(tavo::TextWriter& Report, const ContestModel& Model) {
    LineWriter out(Report);
    out.EndLine("Time Chart / QSO  ALL BAND ");
    for (const ChartBlock& day : Model.AllBandDays) {
        out.Put("day ");
        out.Number(day.Day, 0);
        out.EndLine();
        WriteBlock(out, Model, day);
    }
    out.Flush();
}

void WriteBandTimeCharts(tavo::TextWriter& Report, const ContestModel& Model) {
    LineWriter out(Report);
    out.EndLine("Time Chart / QSO ");
    for (int d = 1; d <= Model.ChartDay; ++d) {
        out.Put("day ");
        out.Number(d, 0);
        out.EndLine();
        for (const ChartBlock& block : Model.BandDays[static_cast<std::size_t>(d - 1)]) {
            std::string label;
            BandLabel(block.Band, label);
            out.Put("-- ");
            out.Put(label);
            out.EndLine("MHz--");
            WriteBlock(out, Model, block);
        }
    }
    out.Flush();
}

}  // namespace u_tavo300
