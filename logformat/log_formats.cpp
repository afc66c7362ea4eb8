#include "logformat/log_formats.h"

#include <array>

#include "logformat/adif.h"
#include "logformat/tv_util2.h"

namespace tv_util2 {

namespace {

// Real Cabrillo files are named .log or .txt as often as .cbr.
constexpr std::array<LogFormatEntry, 4> kFormats = {{
    {FormatZLogAll, "ZLOG(ALL)", "ALL(zlog)", "*.ALL", true, IsZLogAllMarker, nullptr,
     OpenZLogAllReader},
    {FormatCabrillo, "Cabrillo", "Cabrillo", "*.cbr *.log *.txt", true, IsCabrilloMarker, nullptr,
     OpenLineReader},
    {FormatAdif, "ADIF", "ADIF", "*.adi *.adif *.adx", true, nullptr, HoldsAdif, OpenAdifReader},
    {FormatZLogTxt, "ZLOG(TXT)", "", "", false, IsZLogTxtMarker, nullptr, nullptr},
}};

}  // namespace

std::span<const LogFormatEntry> LogFormats() { return kFormats; }

const LogFormatEntry* FindLogFormat(int Code) {
    for (const LogFormatEntry& entry : kFormats) {
        if (entry.Code == Code) return &entry;
    }
    return nullptr;
}

bool IsAnalysed(int Code) {
    const LogFormatEntry* entry = FindLogFormat(Code);
    return entry != nullptr && entry->Analysed;
}

}  // namespace tv_util2
