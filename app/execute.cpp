#include "app/execute.h"

#include "analysis/u_tavo300.h"
#include "common/text.h"

namespace tavo {

namespace {

ExecuteResult FromPass(int count, int format) {
    if (count < 0) return {ExecuteOutcome::CannotOpenLog, 0, format};
    if (format == -1) return {ExecuteOutcome::FormatRefused, 0, -1};
    return {ExecuteOutcome::Worked, count, format};
}

}  // namespace

ExecuteResult ExecuteLog(const std::string& LogFileName) {
    if (!FileExists(LogFileName)) return {ExecuteOutcome::FileNotFound};
    int format = -1;
    int count = u_tavo300::AnalyzeLog(LogFileName, format);
    return FromPass(count, format);
}

ExecuteResult ExecuteLogTo(const std::string& LogFileName, TextWriter& Report) {
    if (!FileExists(LogFileName)) return {ExecuteOutcome::FileNotFound};
    int format = -1;
    int count = u_tavo300::AnalyzeLogTo(LogFileName, format, Report);
    return FromPass(count, format);
}

std::string OutcomeText(const ExecuteResult& Result) {
    switch (Result.Outcome) {
        case ExecuteOutcome::FileNotFound: return "File Not Found!!";
        case ExecuteOutcome::CannotOpenLog: return "Cannot Open LOG File";
        case ExecuteOutcome::FormatRefused: return "Cannot Execute...";
        case ExecuteOutcome::Worked: break;
    }
    std::string text = "Worked " + IntToStr(Result.Count);
    text +=
        Result.Format == 1 ? " stations / File type ZLOG(ALL)" : " stations / File type Cabrillo";
    return text;
}

}  // namespace tavo
