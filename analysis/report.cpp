// The breakdown report: title, continents × the six HF bands with shares,
// worked countries × the same bands, then the time charts.
#include <string>

#include "analysis/report_format.h"
#include "analysis/u_tavo300.h"
#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"

namespace u_tavo300 {

namespace {

constexpr int kHfBands = 6;  // 1.9 to 28 MHz; higher bands have no column

void WriteContinents(tavo::TextWriter& out, const LogPass& pass) {
    out.WriteLine(" Band(MHz)      1.9   3.5    7    14    21    28  |  ALL :  -%-");
    out.WriteLine(std::string(64, '-'));
    long long bandSum[kHfBands] = {};
    for (int k = 1; k <= Continents; ++k) {
        std::string line(cty_utl3::ContinentName(k));
        line += '|';
        long long total = 0;
        for (int b = 0; b < kHfBands; ++b) {
            int n = pass.ContinentTally(b, k);
            line += BandCell(n);
            total += n;
            bandSum[b] += n;
        }
        line += "| " + Int4(total);
        // With no QSO at all there is nothing to share out: every share is 0.0.
        double share =
            pass.QsoCount() > 0 ? static_cast<double>(total) / pass.QsoCount() * 100 : 0.0;
        line += " : " + Share(share) + "%";
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
    long long qsos[kHfBands] = {};
    long long worked[kHfBands] = {};
    for (int c = 1; c <= countries; ++c) {
        for (int b = 0; b < kHfBands; ++b) {
            qsos[b] += pass.CountryTally(b, c);
            worked[b] += pass.CountryTally(b, c) > 0 ? 1 : 0;
        }
        if (pass.CountryTotal(c) == 0) continue;
        const cty_utl3::TCountryRec& rec = db.Country(c);
        std::string line = tavo::PadRight(rec.MainPrefix.View(), 5) + ":";
        line += tavo::PadRight(rec.Name.View(), 26) + "|";
        for (int b = 0; b < kHfBands; ++b) line += BandCell(pass.CountryTally(b, c));
        line += "| " + Int4(pass.CountryTotal(c));
        out.WriteLine(line);
    }
    out.WriteLine(std::string(77, '-'));
    auto summary = [&out](std::string line, const long long(&cells)[kHfBands]) {
        long long total = 0;
        for (long long n : cells) {
            line += BandCell(n);
            total += n;
        }
        out.WriteLine(line + "| " + Int4(total));
    };
    summary("   QSOs                         |", qsos);
    summary("   Country                      |", worked);
}

}  // namespace

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
