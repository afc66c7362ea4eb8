// Where the time of a run goes: loading the country file, resolving calls
// (a scan of the whole prefix table each), and a whole pass with its report.
#include <benchmark/benchmark.h>

#include <string>

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "tests/analysis/log_builder.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kData = std::string(TAVO_SOURCE_DIR) + "/data/CQWW.DAT";

const char* const kCalls[] = {"JA1ABC", "W1AW",     "DL1ABC", "VK2ABC",
                              "UA9ABC", "W1AW/KH6", "QQ1ZZZ", "ZS6ABC"};

void LoadCountryFile(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(cty_utl3::LoadCountryFile(kData));
    state.counters["prefixes"] = cty_utl3::PrefixCount();
}
BENCHMARK(LoadCountryFile)->Unit(benchmark::kMillisecond);

void CallToCountry(benchmark::State& state) {
    cty_utl3::LoadCountryFile(kData);
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(cty_utl3::CallToCountry(kCalls[i++ % std::size(kCalls)]));
}
BENCHMARK(CallToCountry);

// A Cabrillo log of state.range(0) QSOs over two days.
void AnalyzeLog(benchmark::State& state) {
    cty_utl3::LoadCountryFile(kData);
    tavo::test::TempDir dir;
    std::string qsos;
    for (int i = 0; i < state.range(0); ++i) {
        int minute = i * 2880 / static_cast<int>(state.range(0));
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d", minute / 60 % 24, minute % 60);
        std::string date = minute < 1440 ? "2012-11-24" : "2012-11-25";
        qsos += tavo::test::CabrilloQso(i % 2 ? "14025" : " 7025", date, time,
                                        kCalls[i % std::size(kCalls)]) +
                "\r\n";
    }
    std::string log = dir.Write("big.cbr", tavo::test::CabrilloLog(qsos));
    for (auto _ : state) {
        int format = 0;
        benchmark::DoNotOptimize(u_tavo300::AnalyzeLog(log, format));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AnalyzeLog)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
