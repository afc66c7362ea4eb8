#include "analysis/model.h"

namespace u_tavo300 {

namespace {

ChartBlock MakeBlock(const LogPass& pass, int day, int firstBand, int lastBand) {
    ChartBlock block;
    block.Day = day;
    block.Band = firstBand == lastBand ? firstBand : -1;
    for (int h = 0; h < Hours; ++h) {
        for (int b = firstBand; b <= lastBand; ++b) {
            for (int k = 1; k <= Continents; ++k)
                block.Cells[static_cast<std::size_t>(h)][static_cast<std::size_t>(k)] +=
                    pass.ChartHours(day, h, b, k);
        }
    }
    for (int j = 0; j < Hours; ++j) {
        const auto& cell = block.Cells[static_cast<std::size_t>((pass.FirstHour() + j) % Hours)];
        long long sum = 0;
        for (int k = 1; k <= Continents; ++k) sum += cell[static_cast<std::size_t>(k)];
        block.ColumnSums[static_cast<std::size_t>(j)] = sum;
        block.Total += sum;
    }
    return block;
}

void AddBreakdown(ContestModel& model, const LogPass& pass, const cty_utl3::CountryDatabase& db) {
    for (int k = 1; k <= Continents; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        for (int b = 0; b < HfBands; ++b) {
            const long long n = pass.ContinentTally(b, k);
            model.ContinentBands[ku][static_cast<std::size_t>(b)] = n;
            model.ContinentTotal[ku] += n;
            model.ContinentBandSums[static_cast<std::size_t>(b)] += n;
        }
        // With no QSO at all there is nothing to share out: every share is 0.0.
        model.ContinentShare[ku] =
            pass.QsoCount() > 0
                ? static_cast<double>(model.ContinentTotal[ku]) / pass.QsoCount() * 100
                : 0.0;
    }
    for (int c = 1; c <= db.CountryCount(); ++c) {
        for (int b = 0; b < HfBands; ++b) {
            const int n = pass.CountryTally(b, c);
            model.Columns.Qsos[static_cast<std::size_t>(b)] += n;
            model.Columns.Worked[static_cast<std::size_t>(b)] += n > 0 ? 1 : 0;
        }
        if (pass.CountryTotal(c) == 0) continue;
        const cty_utl3::TCountryRec& rec = db.Country(c);
        CountryRow row;
        row.Country = c;
        row.MainPrefix = std::string(rec.MainPrefix.View());
        row.Name = std::string(rec.Name.View());
        for (int b = 0; b < HfBands; ++b)
            row.Bands[static_cast<std::size_t>(b)] = pass.CountryTally(b, c);
        row.Total = pass.CountryTotal(c);
        model.Countries.push_back(std::move(row));
    }
}

void AddCharts(ContestModel& model, const LogPass& pass) {
    for (int d = 1; d <= pass.ChartDay(); ++d) {
        ChartBlock all = MakeBlock(pass, d, 0, Bands - 1);
        for (int j = 0; j < Hours; ++j) {
            const long long n = all.ColumnSums[static_cast<std::size_t>(j)];
            if (n > model.Best.Qsos) model.Best = {n, d, model.ColumnHour(j)};
        }
        model.AllBandDays.push_back(std::move(all));
        std::vector<ChartBlock> bands;
        for (int b = 0; b < Bands; ++b) {
            ChartBlock block = MakeBlock(pass, d, b, b);
            if (block.Total != 0) bands.push_back(std::move(block));
        }
        model.BandDays.push_back(std::move(bands));
    }
}

}  // namespace

ContestModel BuildModel(const LogPass& Pass, const cty_utl3::CountryDatabase& Db,
                        std::string_view LogFileName) {
    ContestModel model;
    model.LogFileName = std::string(LogFileName);
    model.Format = Pass.Format();
    model.QsoCount = Pass.QsoCount();
    model.ChartDay = Pass.ChartDay();
    model.FirstHour = Pass.FirstHour();
    AddBreakdown(model, Pass, Db);
    AddCharts(model, Pass);
    return model;
}

}  // namespace u_tavo300
