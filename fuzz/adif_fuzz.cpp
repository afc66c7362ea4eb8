// The ADIF reader over arbitrary bytes, as .adi and (with expat installed) as
// .adx. Properties: every QSO is well-formed, no QSO comes without a CALL
// tag in the input, and a record appended after an <EOR> adds exactly itself.
#include <cstdio>
#include <string>
#include <vector>

#include "common/text.h"
#include "fuzz/fuzz_support.h"
#include "logformat/adif.h"
#include "platform/text_file.h"
#include "xml/adx_expat.h"

namespace {

// A QSO with its own copies of the texts the reader lends up to its next read.
struct HeldQso : tv_util2::LogQso {
    explicit HeldQso(const tv_util2::LogQso& q) : LogQso(q), Call(q.Call), Mode(q.Mode) {}
    std::string Call;
    std::string Mode;
};

std::vector<HeldQso> Read(std::string_view bytes) {
    std::string path = tavo::fuzz::PutFile("fuzz.adi", bytes);
    std::optional<tavo::TextReader> log = tavo::TextReader::Open(path);
    if (!log) tavo::fuzz::Broken("a regular file could not be opened");
    std::unique_ptr<tv_util2::LogReader> reader = tv_util2::OpenAdifReader(*log, {}, {});
    std::vector<HeldQso> qsos;
    for (tv_util2::LogQso q; reader->Next(q);) qsos.emplace_back(q);
    return qsos;
}

std::size_t CallTags(std::string_view bytes) {
    std::size_t n = 0;
    for (std::size_t i = 0; i + 5 <= bytes.size(); ++i) {
        if (bytes[i] == '<' && tavo::SameTextAscii(bytes.substr(i + 1, 4), "CALL")) ++n;
    }
    return n;
}

void CheckQsos(const std::vector<HeldQso>& qsos, std::string_view bytes) {
    if (qsos.size() > CallTags(bytes)) tavo::fuzz::Broken("a QSO without a CALL tag");
    for (const HeldQso& q : qsos) {
        if (q.Call.empty() || tavo::Trim(q.Call) != q.Call) tavo::fuzz::Broken("an untrimmed call");
        if (q.Call.size() > tv_util2::AdifFieldKept) tavo::fuzz::Broken("a call past the cap");
        if (q.Band < 0 || q.Band > 10) tavo::fuzz::Broken("a band out of range");
        if (q.Day < -1 || q.Day > 31 || q.Day == 0) tavo::fuzz::Broken("a day out of range");
        if (q.DateDays.has_value() != (q.Day != -1)) tavo::fuzz::Broken("a date without its day");
        if (q.Stamp != tv_util2::NoStamp &&
            (!q.DateDays || q.Stamp - std::int64_t{*q.DateDays} * 1440 < 0 ||
             q.Stamp - std::int64_t{*q.DateDays} * 1440 >= 1440))
            tavo::fuzz::Broken("a stamp off its own date");
    }
}

bool Same(const HeldQso& a, const HeldQso& b) {
    return a.Call == b.Call && a.Band == b.Band && a.Day == b.Day && a.Hour == b.Hour &&
           a.Stamp == b.Stamp && a.DateDays == b.DateDays && a.Mode == b.Mode && a.Khz == b.Khz;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = tavo::fuzz::AsText(data, size);

    // As .adi, whatever the bytes are.
    tv_util2::InstallAdxParser(nullptr);
    const std::vector<HeldQso> adi = Read(bytes);
    CheckQsos(adi, bytes);
    const std::string longer = std::string(bytes) + "<EOR><CALL:4>Z9ZZ<BAND:3>20M<EOR>";
    const std::vector<HeldQso> more = Read(longer);
    if (more.size() != adi.size() + 1 || more.back().Call != "Z9ZZ" || more.back().Band != 3)
        tavo::fuzz::Broken("an appended record did not add exactly itself");
    for (std::size_t i = 0; i < adi.size(); ++i) {
        if (!Same(adi[i], more[i])) tavo::fuzz::Broken("an appended record changed an earlier one");
    }

    // As .adx where the bytes are an ADX document; a refusal is an error, not a crash.
    tavo::xml::InstallAdxParser();
    try {
        CheckQsos(Read(bytes), bytes);
    } catch (const tavo::IoError&) {
    }
    return 0;
}
