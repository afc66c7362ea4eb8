#include "app/execute.h"

#include <optional>
#include <utility>

#include "analysis/u_tavo300.h"
#include "common/text.h"
#ifdef TAVO_ADX
#include "xml/adx_expat.h"
#endif
#include "logformat/log_formats.h"

namespace tavo {

namespace {

ExecuteResult FromPass(int count, int format) {
    if (count < 0) return {ExecuteOutcome::CannotOpenLog, 0, format};
    if (format == -1) return {ExecuteOutcome::FormatRefused, 0, -1};
    return {ExecuteOutcome::Worked, count, format};
}

}  // namespace

ExecuteResult ExecuteLog(const std::string& LogFileName, u_tavo300::ReportSink& Sink,
                         const cty_utl3::CountryDatabase& Db, u_tavo300::LogPass& Pass) {
    // A log that opens costs no look of its own: only a failed open asks
    // whether the log was there at all, and a missing log leaves the pass as it was.
    std::optional<TextReader> log = TextReader::Open(LogFileName);
    if (!log && !FileExists(LogFileName)) return {ExecuteOutcome::FileNotFound};
#ifdef TAVO_ADX
    // Both programs execute logs through here: .adx reading is installed once.
    static const bool adxInstalled = (xml::InstallAdxParser(), true);
    (void)adxInstalled;
#endif
    int format = -1;
    int count = u_tavo300::AnalyzeOpenLog(Db, Pass, LogFileName, std::move(log), format, Sink);
    ExecuteResult result = FromPass(count, format);
    result.Detected = Pass.Format();
    return result;
}

ExecuteResult ExecuteLog(const std::string& LogFileName,
                         std::span<const u_tavo300::OutputKind* const> Outputs) {
    u_tavo300::OutputsBesideLog beside(Outputs);
    return ExecuteLog(LogFileName, beside, cty_utl3::DefaultCountryDatabase(),
                      u_tavo300::DefaultLogPass());
}

std::string OutcomeText(const ExecuteResult& Result) {
    switch (Result.Outcome) {
        case ExecuteOutcome::FileNotFound: return "File Not Found!!";
        case ExecuteOutcome::CannotOpenLog: return "Cannot Open LOG File";
        case ExecuteOutcome::FormatRefused: return "Cannot Execute...";
        case ExecuteOutcome::Worked: break;
    }
    return u_tavo300::WorkedStatus(Result.Count, Result.Format);
}

std::string RefusalText(const ExecuteResult& Result) {
    if (Result.Outcome != ExecuteOutcome::FormatRefused) return "";
    std::string text;
    if (const tv_util2::LogFormatEntry* known = tv_util2::FindLogFormat(Result.Detected)) {
        text = "File type ";
        text += known->StatusWord;
        text += " is recognised, but not analysed.";
    } else {
        text = "File type not recognised.";
    }
    text += "\r\nFormats that are read:";
    const char* separator = " ";
    for (const tv_util2::LogFormatEntry& entry : tv_util2::LogFormats()) {
        if (!entry.Analysed) continue;
        text += separator;
        text += entry.StatusWord;
        separator = ", ";
    }
    return text;
}

}  // namespace tavo
