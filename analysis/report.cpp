// The breakdown report: title, continents × the six HF bands with shares,
// worked countries × the same bands, then the time charts.
#include <array>
#include <string>

#include "analysis/report_format.h"
#include "analysis/u_tavo300.h"
#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"
#include "logformat/log_formats.h"

namespace u_tavo300 {

namespace {

void WriteContinents(tavo::TextWriter& out, const LogPass& pass) {
    out.WriteLine(" Band(MHz)      1.9   3.5    7    14    21    28  |  ALL :  -%-");
    out.WriteLine(std::string(64, '-'));
    long long bandSum[HfBands] = {};
    for (int k = 1; k <= Continents; ++k) {
        std::string line(cty_utl3::ContinentName(k));
        line += '|';
        for (int b = 0; b < HfBands; ++b) {
            int n = pass.ContinentTally(b, k);
            line += BandCell(n);
            bandSum[b] += n;
        }
        line += "| " + Int4(ContinentHfTotal(pass, k));
        line += " : " + Share(ContinentShare(pass, k)) + "%";
        out.WriteLine(line);
    }
    out.WriteLine(std::string(64, '-'));
    std::string sum = "    Sum      |";
    for (long long n : bandSum) sum += Int4(n) + "  ";
    sum += "| " + Int4(pass.QsoCount()) + "  ";
    out.WriteLine(sum);
}

void WriteCountries(tavo::TextWriter& out, const LogPass& pass,
                    const cty_utl3::CountryDatabase& db) {
    out.WriteLine("Px      Country                    1.9   3.5    7    14    21    28     ALL");
    out.WriteLine(std::string(76, '-'));
    const int countries = db.CountryCount();
    for (int c = 1; c <= countries; ++c) {
        if (pass.CountryTotal(c) == 0) continue;
        const cty_utl3::TCountryRec& rec = db.Country(c);
        std::string line = tavo::PadRight(rec.MainPrefix.View(), 5) + ":";
        line += tavo::PadRight(rec.Name.View(), 26) + "|";
        for (int b = 0; b < HfBands; ++b) line += BandCell(pass.CountryTally(b, c));
        line += "| " + Int4(pass.CountryTotal(c));
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
    const CountryColumns sums = CountryColumnSums(pass, db);
    summary("   QSOs                         |", sums.Qsos);
    summary("   Country                      |", sums.Worked);
}

}  // namespace

std::string WorkedStatus(int Count, int Format) {
    const tv_util2::LogFormatEntry* entry = tv_util2::FindLogFormat(Format);
    return "Worked " + tavo::IntToStr(Count) + " stations / File type " +
           std::string(entry != nullptr ? entry->StatusWord : "");
}

long long ContinentHfTotal(const LogPass& Pass, int Continent) {
    long long total = 0;
    for (int b = 0; b < HfBands; ++b) total += Pass.ContinentTally(b, Continent);
    return total;
}

double ContinentShare(const LogPass& Pass, int Continent) {
    // With no QSO at all there is nothing to share out: every share is 0.0.
    if (Pass.QsoCount() <= 0) return 0.0;
    return static_cast<double>(ContinentHfTotal(Pass, Continent)) / Pass.QsoCount() * 100;
}

CountryColumns CountryColumnSums(const LogPass& Pass, const cty_utl3::CountryDatabase& Db) {
    CountryColumns sums;
    for (int c = 1; c <= Db.CountryCount(); ++c) {
        for (int b = 0; b < HfBands; ++b) {
            const int n = Pass.CountryTally(b, c);
            sums.Qsos[static_cast<std::size_t>(b)] += n;
            sums.Worked[static_cast<std::size_t>(b)] += n > 0 ? 1 : 0;
        }
    }
    return sums;
}

void WriteBreakdownReport(tavo::TextWriter& Report, const LogPass& Pass,
                          const cty_utl3::CountryDatabase& Db, std::string_view LogFileName) {
    Report.WriteLine("  Tavo / Country + Continent  Ver 3.80 TAVO-PROJECT ");
    Report.WriteLine("                             logfile=" +
                     std::string(tavo::ExtractFileName(LogFileName)));
    Report.WriteLine();
    WriteContinents(Report, Pass);
    Report.WriteLine();
    Report.WriteLine();
    WriteCountries(Report, Pass, Db);
    Report.WriteLine();
    Report.WriteLine();
    WriteAllBandTimeChart(Report, Pass);
    Report.WriteLine();
    WriteBandTimeCharts(Report, Pass);
}

}  // namespace u_tavo300
