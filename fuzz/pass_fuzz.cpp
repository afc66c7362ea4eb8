// Format detection and a whole pass over arbitrary bytes, with the report
// written out, against the bundled country data.
#include <cstdio>
#include <string>

#include "analysis/u_tavo300.h"
#include "fuzz/fuzz_support.h"
#include "logformat/log_formats.h"
#include "platform/text_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const cty_utl3::CountryDatabase& db = tavo::fuzz::BundledCountries();
    // One pass for the run, as a batch job keeps one: a pass clears itself.
    static u_tavo300::LogPass pass;
    static std::FILE* devNull = std::fopen("/dev/null", "wb");
    if (devNull == nullptr) std::abort();
    std::string log = tavo::fuzz::PutFile("fuzz.cbr", tavo::fuzz::AsText(data, size));
    tavo::TextWriter out = tavo::TextWriter::Attach(devNull, "/dev/null");
    u_tavo300::OutputTo sink(u_tavo300::TextReport, out);
    int format = 0;
    int count = u_tavo300::AnalyzeLog(db, pass, log, format, sink);
    if (count < 0) tavo::fuzz::Broken("a regular log could not be opened");
    if (format == -1) {
        if (count != 0) tavo::fuzz::Broken("a refused log with a count");
        return 0;
    }
    if (!tv_util2::IsAnalysed(format)) tavo::fuzz::Broken("a format no pass reads");
    // Lines without an hour count as worked but reach no table, so the
    // tables never hold more than the count.
    long long tabled = 0;
    for (int c = 0; c < u_tavo300::CountrySlots; ++c) tabled += pass.CountryTotal(c);
    if (tabled > count || pass.QsoCount() != count) tavo::fuzz::Broken("tables beyond the count");
    if (pass.ChartDay() < 0 || pass.ChartDay() > u_tavo300::ChartDays)
        tavo::fuzz::Broken("chart day out of range");
    return 0;
}
