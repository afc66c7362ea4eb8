// Where the time of a run goes: loading either country file, resolving calls
// through the prefix index and the exact calls, and whole passes with their reports, on real logs
// as today's loggers write them and on generated ones of both Cabrillo
// layouts (the template's columns, and fields read by their blanks).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/u_tavo300.h"
#include "country/cty_utl3.h"
#include "platform/text_file.h"
#include "tests/analysis/log_builder.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kData = std::string(TAVO_SOURCE_DIR) + "/data/CQWW.DAT";
// Public logs and country files beside the project, when they are there.
const std::filesystem::path kShared = std::filesystem::path(TAVO_SOURCE_DIR) / ".." / "shared";
const std::filesystem::path kModernLogs = kShared / "realdata" / "cabrillo" / "modern";
const std::string kCtyDat = (kShared / "countrydata" / "cty.dat").string();
const std::string kMasterScp = (kShared / "countrydata" / "MASTER.SCP").string();

const char* const kCalls[] = {"JA1ABC", "W1AW",     "DL1ABC", "VK2ABC",
                              "UA9ABC", "W1AW/KH6", "QQ1ZZZ", "ZS6ABC"};

const cty_utl3::CountryDatabase& Database() {
    static const cty_utl3::CountryDatabase db = [] {
        cty_utl3::CountryDatabase d;
        d.Load(kData);
        return d;
    }();
    return db;
}

// Passes a log and writes its report to a scratch file, as `tavo report` does.
void RunPass(benchmark::State& state, const std::string& log, int qsos) {
    tavo::test::TempDir dir;
    const std::string out = dir.File("out.tavo");
    u_tavo300::LogPass pass;
    for (auto _ : state) {
        std::optional<tavo::TextWriter> writer = tavo::TextWriter::Create(out);
        u_tavo300::OutputTo sink(u_tavo300::TextReport, *writer);
        int format = 0;
        benchmark::DoNotOptimize(u_tavo300::AnalyzeLog(Database(), pass, log, format, sink));
        writer->Close();
    }
    state.SetItemsProcessed(state.iterations() * qsos);
}

void LoadCountryFile(benchmark::State& state, const std::string& file) {
    for (auto _ : state) {
        cty_utl3::CountryDatabase db;
        benchmark::DoNotOptimize(db.Load(file));
    }
}
BENCHMARK_CAPTURE(LoadCountryFile, cqww_dat, kData)->Unit(benchmark::kMillisecond);

void CallToCountry(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(Database().CallToCountry(kCalls[i++ % std::size(kCalls)]));
}
BENCHMARK(CallToCountry);

// A generated Cabrillo log of state.range(0) QSOs over two days; range(1) is
// 0 for the template's columns, 1 for the wide layout current loggers write.
void GeneratedLog(benchmark::State& state) {
    tavo::test::TempDir dir;
    const int n = static_cast<int>(state.range(0));
    std::string qsos;
    for (int i = 0; i < n; ++i) {
        int minute = i * 2880 / n;
        char time[16];
        std::snprintf(time, sizeof time, "%02d%02d", minute / 60 % 24, minute % 60);
        std::string date = minute < 1440 ? "2012-11-24" : "2012-11-25";
        const char* call = kCalls[i % std::size(kCalls)];
        if (state.range(1) == 0) {
            qsos += tavo::test::CabrilloQso(i % 2 ? "14025" : " 7025", date, time, call);
        } else {
            char line[128];
            std::snprintf(line, sizeof line,
                          "QSO: %7s CW %s %s K3LR             599 5     %-16s 599  %02d      0",
                          i % 2 ? "14025" : "7025", date.c_str(), time, call, i % 40 + 1);
            qsos += line;
        }
        qsos += "\r\n";
    }
    RunPass(state, dir.Write("big.cbr", tavo::test::CabrilloLog(qsos)), n);
}
BENCHMARK(GeneratedLog)
    ->ArgsProduct({{2000, 20000}, {0, 1}})
    ->ArgNames({"qsos", "wide"})
    ->Unit(benchmark::kMillisecond);

// Real calls, as a log holds them: with the blanks of the call's column.
void ResolveRealCalls(benchmark::State& state, const cty_utl3::CountryDatabase& db,
                      const std::vector<std::string>& calls) {
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(db.Resolve(calls[i]));
        if (++i == calls.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

// cty.dat and the calls of MASTER.SCP, registered when they are there.
void RegisterCtyDat() {
    std::vector<std::string> calls;
    if (auto reader = tavo::TextReader::Open(kMasterScp)) {
        for (std::string line; reader->ReadLine(line);) {
            if (!line.empty() && line[0] != '#')
                calls.push_back(line +
                                std::string(13 - std::min<std::size_t>(13, line.size()), ' '));
        }
    }
    if (!tavo::FileExists(kCtyDat) || calls.empty()) return;
    benchmark::RegisterBenchmark("LoadCountryFile/cty_dat", [](benchmark::State& state) {
        LoadCountryFile(state, kCtyDat);
    })->Unit(benchmark::kMillisecond);
    static const cty_utl3::CountryDatabase cty = [] {
        cty_utl3::CountryDatabase d;
        d.Load(kCtyDat);
        return d;
    }();
    benchmark::RegisterBenchmark("ResolveRealCalls/cqww_dat", [calls](benchmark::State& state) {
        ResolveRealCalls(state, Database(), calls);
    });
    benchmark::RegisterBenchmark("ResolveRealCalls/cty_dat", [calls](benchmark::State& state) {
        ResolveRealCalls(state, cty, calls);
    });
}

// Each real log of the modern folder, registered when the folder is there.
void RegisterRealLogs() {
    std::error_code ec;
    if (!std::filesystem::is_directory(kModernLogs, ec)) return;
    std::vector<std::filesystem::path> logs;
    for (const auto& entry : std::filesystem::directory_iterator(kModernLogs, ec))
        if (entry.path().extension() == ".log") logs.push_back(entry.path());
    std::sort(logs.begin(), logs.end());
    for (const auto& path : logs) {
        int qsos = 0;
        if (auto reader = tavo::TextReader::Open(path.string())) {
            std::string line;
            while (reader->ReadLine(line)) qsos += line.rfind("QSO:", 0) == 0;
        }
        benchmark::RegisterBenchmark(
            ("RealLog/" + path.stem().string()).c_str(),
            [p = path.string(), qsos](benchmark::State& state) { RunPass(state, p, qsos); })
            ->Unit(benchmark::kMillisecond);
    }
}

// Every real log beside the project, of every format, each passed with its
// text report in turn: the cost per log of a batch, most of which are small.
void RegisterLogBatch() {
    std::error_code ec;
    const std::filesystem::path root = kShared / "realdata";
    if (!std::filesystem::is_directory(root, ec)) return;
    std::vector<std::string> logs;
    for (const char* folder : {"cabrillo", "zlog", "adif"}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder, ec))
            if (entry.is_regular_file() && entry.path().extension() != ".md")
                logs.push_back(entry.path().string());
    }
    std::sort(logs.begin(), logs.end());
    if (logs.empty()) return;
    benchmark::RegisterBenchmark("LogBatch/realdata", [logs](benchmark::State& state) {
        tavo::test::TempDir dir;
        const std::string out = dir.File("out.tavo");
        u_tavo300::LogPass pass;
        for (auto _ : state) {
            for (const std::string& log : logs) {
                std::optional<tavo::TextWriter> writer = tavo::TextWriter::Create(out);
                u_tavo300::OutputTo sink(u_tavo300::TextReport, *writer);
                int format = 0;
                benchmark::DoNotOptimize(
                    u_tavo300::AnalyzeLog(Database(), pass, log, format, sink));
                writer->Close();
            }
        }
        state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(logs.size()));
    })->Unit(benchmark::kMillisecond);
    // The same logs copied into a scratch folder, each report replacing the
    // one beside its log as `tavo report` does: the system calls included.
    benchmark::RegisterBenchmark("LogBatch/beside", [logs](benchmark::State& state) {
        tavo::test::TempDir dir;
        std::vector<std::string> copies;
        for (const std::string& log : logs) {
            copies.push_back(dir.File(std::to_string(copies.size()) + "-" +
                                      std::filesystem::path(log).filename().string()));
            std::filesystem::copy_file(log, copies.back());
        }
        static constexpr const u_tavo300::OutputKind* kReport[] = {&u_tavo300::TextReport};
        u_tavo300::OutputsBesideLog beside(kReport);
        u_tavo300::LogPass pass;
        for (auto _ : state) {
            for (const std::string& log : copies) {
                int format = 0;
                benchmark::DoNotOptimize(
                    u_tavo300::AnalyzeLog(Database(), pass, log, format, beside));
            }
        }
        state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(copies.size()));
    })->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    RegisterCtyDat();
    RegisterRealLogs();
    RegisterLogBatch();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
