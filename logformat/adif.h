// ADIF logs, the format every logger exports: tagged fields in .adi files,
// and the same fields as XML elements in .adx files. The core reads no XML
// itself; the programs install a parser for .adx through InstallAdxParser.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "logformat/log_reader.h"
#include "logformat/tv_util2.h"

namespace tavo {
class TextReader;
}

namespace tv_util2 {

inline constexpr int FormatAdif = 4;

// The fields of a record that a pass reads; all others are dropped unread.
enum class AdifField { Call, Band, Freq, QsoDate, TimeOn, TimeOff, Mode };
inline constexpr std::size_t AdifFieldCount = 7;
// The most bytes of one field's data that are kept: a field as long as the
// file itself then costs no more memory than a sane one.
inline constexpr std::size_t AdifFieldKept = 4096;

struct AdifRecord {
    std::array<std::string, AdifFieldCount> Values;  // empty: absent or empty
    std::array<bool, AdifFieldCount> Seen{};         // the first occurrence counts
    // Keeps Value as the field's data unless the record has the field already.
    void Set(AdifField Field, std::string_view Value);
    const std::string& operator[](AdifField Field) const {
        return Values[static_cast<std::size_t>(Field)];
    }
    void Clear();
};

// The field a name stands for, in any case; empty for a field no pass reads.
std::optional<AdifField> AdifFieldNamed(std::string_view Name);

// A record read as a QSO; false when it is none (its CALL, trimmed, is empty).
bool QsoFromRecord(const AdifRecord& Record, LogQso& Qso);

// The RECORDs of an .adx file, in file order.
class AdxRecords {
public:
    virtual ~AdxRecords() = default;
    // False at the end of the document. A document that is not well-formed,
    // or that a reader refuses to expand, raises tavo::IoError.
    virtual bool Next(AdifRecord& Record) = 0;
};

// A real XML parser, which the programs install.
class AdxParser {
public:
    virtual ~AdxParser() = default;
    // The file, from where Log stands, is an XML document whose root element is ADX.
    virtual bool IsAdx(tavo::TextReader& Log) const = 0;
    virtual std::unique_ptr<AdxRecords> Open(tavo::TextReader& Log) const = 0;
};

// The parser for .adx files from now on; nullptr leaves them unrecognised.
// The parser must outlive every pass.
void InstallAdxParser(const AdxParser* Parser);

// The file holds an <EOR> tag in any case, or is an ADX document.
bool HoldsAdif(tavo::TextReader& Log);
// The QSOs of an ADIF log, read from its first byte.
std::unique_ptr<LogReader> OpenAdifReader(tavo::TextReader& Log, const Detection& Found,
                                          const ColumnLayout& Layout);

}  // namespace tv_util2
