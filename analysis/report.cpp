// The breakdown report: title, continents × the six HF bands with shares,
// worked countries × the same bands, then the time charts.
#include <array>
#include <string>

#include "analysis/model.h"
#include "analysis/report_format.h"
#include "analysis/u_tavo300.h"
#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"

namespace u_tavo300 {

namespace {

// "%0:4d  ", or "   -  " for 0: a band's cell in both tables.
void BandCellTo(LineWriter& out, long long n) {
    if (n == 0) {
        out.Put("   -  ");
    } else {
        out.Number(n, 4);
        out.Put("  ");
    }
}

void WriteContinents(LineWriter& out, const ContestModel& model) {
    out.EndLine(" Band(MHz)      1.9   3.5    7    14    21    28  |  ALL :  -%-");
    out.Repeat('-', 64);
    out.EndLine();
    for (int k = 1; k <= Continents; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        out.Put(cty_utl3::ContinentName(k));
        out.Put("|");
        for (long long n : model.ContinentBands[ku]) BandCellTo(out, n);
        out.Put("| ");
        out.Number(model.ContinentTotal[ku], 4);
        out.Put(" : ");
        out.Put(Share(model.ContinentShare[ku]));
        out.EndLine("%");
    }
    out.Repeat('-', 64);
    out.EndLine();
    out.Put("    Sum      |");
    for (long long n : model.ContinentBandSums) {
        out.Number(n, 4);
        out.Put("  ");
    }
    out.Put("| ");
    out.Number(model.QsoCount, 4);
    out.EndLine("  ");
}

// Left-aligned and padded to `width`, never cut ("%0:-26s").
void PutPadded(LineWriter& out, std::string_view text, std::size_t width) {
    out.Put(text);
    if (text.size() < width) out.Repeat(' ', width - text.size());
}

void WriteCountries(LineWriter& out, const ContestModel& model) {
    out.EndLine("Px      Country                    1.9   3.5    7    14    21    28     ALL");
    out.Repeat('-', 76);
    out.EndLine();
    for (const CountryRow& row : model.Countries) {
        PutPadded(out, row.MainPrefix, 5);
        out.Put(":");
        PutPadded(out, row.Name, 26);
        out.Put("|");
        for (long long n : row.Bands) BandCellTo(out, n);
        out.Put("| ");
        out.Number(row.Total, 4);
        out.EndLine();
    }
    out.Repeat('-', 77);
    out.EndLine();
    auto summary = [&out](std::string_view head, const std::array<long long, HfBands>& cells) {
        out.Put(head);
        long long total = 0;
        for (long long n : cells) {
            BandCellTo(out, n);
            total += n;
        }
        out.Put("| ");
        out.Number(total, 4);
        out.EndLine();
    };
    summary("   QSOs                         |", model.Columns.Qsos);
    summary("   Country                      |", model.Columns.Worked);
}

}  // namespace

std::string WorkedStatus(int Count, int Format) {
    return "Worked " + tavo::IntToStr(Count) + " stations / File type " +
           std::string(FormatWord(Format));
}

void WriteBreakdownReport(tavo::TextWriter& Report, const ContestModel& Model) {
    {
        // Its buffer gone before the charts make theirs.
        LineWriter out(Report);
        out.EndLine("  Tavo / Country + Continent  Ver 3.80 TAVO-PROJECT ");
        out.Put("                             logfile=");
        out.EndLine(tavo::ExtractFileName(Model.LogFileName));
        out.EndLine();
        WriteContinents(out, Model);
        out.EndLine();
        out.EndLine();
        WriteCountries(out, Model);
        out.EndLine();
        out.EndLine();
        out.Flush();
    }
    WriteAllBandTimeChart(Report, Model);
    Report.WriteLine();
    WriteBandTimeCharts(Report, Model);
}

}  // namespace u_tavo300
