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

void WriteContinents(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine(" Band(MHz)      1.9   3.5    7    14    21    28  |  ALL :  -%-");
    out.WriteLine(std::string(64, '-'));
    for (int k = 1; k <= Continents; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        std::string line(cty_utl3::ContinentName(k));
        line += '|';
        for (long long n : model.ContinentBands[ku]) line += BandCell(n);
        line += "| " + Int4(model.ContinentTotal[ku]);
        line += " : " + Share(model.ContinentShare[ku]) + "%";
        out.WriteLine(line);
    }
    out.WriteLine(std::string(64, '-'));
    std::string sum = "    Sum      |";
    for (long long n : model.ContinentBandSums) sum += Int4(n) + "  ";
    sum += "| " + Int4(model.QsoCount) + "  ";
    out.WriteLine(sum);
}

void WriteCountries(tavo::TextWriter& out, const ContestModel& model) {
    out.WriteLine("Px      Country                    1.9   3.5    7    14    21    28     ALL");
    out.WriteLine(std::string(76, '-'));
    for (const CountryRow& row : model.Countries) {
        std::string line = tavo::PadRight(row.MainPrefix, 5) + ":";
        line += tavo::PadRight(row.Name, 26) + "|";
        for (long long n : row.Bands) line += BandCell(n);
        line += "| " + Int4(row.Total);
        out.WriteLine(line);
    }
    out.WriteLine(std::string(77, '-'));
    auto summary = [&out](std::string line, const std::array<long long, HfBands>& cells) {
        long long total = 0;
        for (long long n : cells) {
            line += BandCell(n);
            total += n;
        }
        out.WriteLine(line + "| " + Int4(total));
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
    Report.WriteLine("  Tavo / Country + Continent  Ver 3.80 TAVO-PROJECT ");
    Report.WriteLine("                             logfile=" +
                     std::string(tavo::ExtractFileName(Model.LogFileName)));
    Report.WriteLine();
    WriteContinents(Report, Model);
    Report.WriteLine();
    Report.WriteLine();
    WriteCountries(Report, Model);
    Report.WriteLine();
    Report.WriteLine();
    WriteAllBandTimeChart(Report, Model);
    Report.WriteLine();
    WriteBandTimeCharts(Report, Model);
}

}  // namespace u_tavo300
