// Log formats: which kind of log a file holds, where each field of a QSO line
// stands, which lines are QSOs and on which band a QSO was made.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace tavo {
class TextReader;
}

namespace tv_util2 {

inline constexpr int FormatZLogAll = 1;
inline constexpr int FormatCabrillo = 2;
inline constexpr int FormatZLogTxt = 3;
inline constexpr int FormatUnknown = -1;

// 1-based first column and width; Start -1 with Length 0 when a format has no such field.
struct ColumnSpan {
    std::int32_t Start = 0;
    std::int32_t Length = 0;
    friend bool operator==(const ColumnSpan&, const ColumnSpan&) = default;
};

struct ColumnLayout {
    ColumnSpan Band, Call, Day, Hour, Multi, Extra, Date, Mode, Sent, Rcvd, Time, Month, RcvdExch;
    friend bool operator==(const ColumnLayout&, const ColumnLayout&) = default;
};

// The marker line of each line format.
bool IsZLogAllMarker(std::string_view Line);
bool IsCabrilloMarker(std::string_view Line);
bool IsZLogTxtMarker(std::string_view Line);
// False for a line that none of the markers above takes, told by its first
// byte alone; a new line marker adds its own first bytes here.
bool MayMarkLine(std::string_view Line);

// The line that decided the format at the last successful detection, untrimmed.
const std::string& HeaderLine();
void ClearHeaderLine();

// The one rule for cutting a field out of a line.
std::string_view ExtractField(std::string_view Line, ColumnSpan Span);

// What detection found: the format and the line that decided it, untrimmed.
struct Detection {
    int Format = FormatUnknown;
    std::string HeaderLine;  // empty when the format is -1
};

// The first identifying line anywhere in the file decides; when none does,
// a format known by the whole file may; -1 when none is or the file cannot
// be opened. A read error raises tavo::IoError.
Detection DetectLog(const std::string& FileName);
// The same from a log already open, read from where it stands to the
// deciding line (and from its first byte again for the whole-file tests).
Detection DetectLog(tavo::TextReader& Log);
// DetectLog that keeps the header line for GetColumnLayout, as the window does.
int DetectLogFormat(const std::string& FileName);

// Fills Layout for formats 1..3 (3 from the header line); any other code
// leaves it as passed.
void GetColumnLayout(const Detection& Found, ColumnLayout& Layout);
void GetColumnLayout(int Format, ColumnLayout& Layout);
void LayoutFromHeader(std::string_view Header, ColumnLayout& Layout);
int KeywordEnd(std::string_view Header, std::string_view Keyword);

// Inline, as every line of a log passes through it.
inline bool IsQsoLine(int Format, std::string_view Line) {
    switch (Format) {
        case FormatZLogAll:
        case FormatZLogTxt: return true;
        case FormatCabrillo: {
            // "QSO:" in any case, its four bytes read as one word: setting bit 5
            // of the first three folds only 'Q', 'S' and 'O' onto 'q', 's', 'o'.
            if (Line.size() < 4) return false;
            std::uint32_t word = 0;
            std::memcpy(&word, Line.data(), 4);
            constexpr bool kLittle = std::endian::native == std::endian::little;
            constexpr std::uint32_t kFold = kLittle ? 0x00202020u : 0x20202000u;
            constexpr std::uint32_t kQso = kLittle ? 0x3A6F7371u : 0x71736F3Au;  // "qso:"
            return (word | kFold) == kQso;
        }
        default: return false;
    }
}

inline constexpr int BandCount = 11;  // band indexes 0..10; 10 takes every other band
int BandIndexOf(int Format, std::string_view Line, ColumnSpan Span);

// The fields of one QSO line that the analysis reads, as texts still to be
// trimmed and read as numbers (the band already decoded).
struct QsoFields {
    int Band = 10;
    std::string_view Day;
    std::string_view Hour;
    std::string_view Date;  // the full date, for a stamp that survives a month end
    std::string_view Call;
    // "hhmm" (Cabrillo) or "hh:mm" (zLog ALL), for the minute; a Cabrillo
    // time cut by columns may carry the blank after it.
    std::string_view Time;
    std::string_view Mode;       // as written, still to be trimmed and upper-cased
    std::string_view Frequency;  // Cabrillo's frequency field, still to be trimmed
};

// zLog lines and Cabrillo lines on the template's columns are cut by Layout
// (the call runs from its column to the first blank, at most 13 bytes);
// any other Cabrillo line is read by its blank-separated fields.
QsoFields ReadQsoFields(int Format, std::string_view Line, const ColumnLayout& Layout);
// The layout GetColumnLayout gives a zLog ALL log.
// clang-format off
inline constexpr ColumnLayout ZLogAllLayout = {
    {67, 3}, {18, 10}, {9, 2},  {12, 2}, {55, 1}, {61, 1}, {1, 10},
    {72, 4}, {31, 3},  {43, 3}, {12, 5}, {6, 2},  {47, 3},
};
// clang-format on
bool IsAllLayout(const ColumnLayout& Layout);
// The mode as zLog writes it can be five characters wide ("RTTY ", "SSB  "),
// one more than the layout's mode span.
inline constexpr ColumnSpan ZLogAllModeSpan = {72, 5};
// A zLog ALL line this long holds every field whole: its mode ends last.
inline constexpr std::size_t ZLogAllLineWidth = ZLogAllModeSpan.Start + ZLogAllModeSpan.Length - 1;

// The band of a zLog ALL line that holds every field whole, and the length
// of its call; -1 for a shorter line, which ReadQsoFields reads.
int MeasureAllLine(std::string_view Line, int& Band);
// A line MeasureAllLine measured, cut at its fixed columns: ReadQsoFields's
// fields with no clipping. Inline, so that a reader of many lines knows
// every field's width where it reads them.
inline QsoFields AllFields(std::string_view Line, int Band, int CallLength) {
    auto at = [&Line](ColumnSpan span) {
        return std::string_view(Line.data() + span.Start - 1,
                                static_cast<std::size_t>(span.Length));
    };
    QsoFields fields;
    fields.Band = Band;
    fields.Day = at(ZLogAllLayout.Day);
    fields.Hour = at(ZLogAllLayout.Hour);
    fields.Date = at(ZLogAllLayout.Date);
    fields.Call = at({ZLogAllLayout.Call.Start, CallLength});
    fields.Time = at(ZLogAllLayout.Time);
    fields.Mode = at(ZLogAllModeSpan);
    return fields;
}
// The layout GetColumnLayout gives a Cabrillo log, whose lines ReadCabrilloFields reads.
bool IsTemplateLayout(const ColumnLayout& Layout);
// The band ReadCabrilloFields leaves to its caller on a line read by its
// blank-separated fields: CabrilloBandOf(Fields.Frequency), which a reader
// of many lines may know from the kHz it reads anyway.
inline constexpr int BandOfFrequency = -1;
// Where the fields of the last line read by its blank-separated fields
// started, for the next line of the same log: a line whose fields start at
// the same places is read without finding them again. Only the reading
// fills it, and a line that matches none is read in full.
struct SplitShape {
    std::uint64_t Starts[2] = {0, 0};  // the start bits after the frequency's
    std::uint8_t At[4] = {};           // fields 1 to 3 and the received half's first
    // The token bits from the mode's first byte to the byte after the time,
    // and their sizes: a line with the same starts and these bits has its
    // mode, date and time where the last one had. 1 with no bits never matches.
    std::uint64_t Tokens = 1, TokenMask = 0;
    std::uint8_t Sizes[3] = {};
};
// The fields of a log's lines read in turn, with the shape kept from one
// line to the next beside them, where it costs no further argument.
struct CabrilloFields : QsoFields {
    SplitShape Shape;
};
// The QSO lines of a zLog or Cabrillo log after its first line, which is
// the format's marker and never a QSO, each read by ReadQsoFields.
class LogReader;
std::unique_ptr<LogReader> OpenLineReader(tavo::TextReader& Log, const Detection& Found,
                                          const ColumnLayout& Layout);
// The same for a zLog ALL log, whose lines on its own layout are cut at
// their columns where they are read.
std::unique_ptr<LogReader> OpenZLogAllReader(tavo::TextReader& Log, const Detection& Found,
                                             const ColumnLayout& Layout);

// One blank-separated field of a Cabrillo QSO line and its 1-based column.
struct CabrilloToken {
    std::string_view Text;
    int Column = 0;
};

// The fields after the "QSO:" marker: frequency, mode, date, time, then the
// sent and the received exchange. Tokens of a line too short for an index
// come back as the empty text.
class CabrilloTokens {
public:
    explicit CabrilloTokens(std::string_view Line);
    int Count() const { return count_; }
    CabrilloToken At(int Index) const;
    // Index of the received call: the first field of the received half, the
    // exchange counted without a trailing transmitter id; -1 when there is none.
    // When that field does not look like a call, the nearest one that does:
    // first those after it, then those before it back to the sent call's
    // neighbour. With none, the first field of the received half stays.
    int ReceivedCallIndex() const;
    // The fields stand where the template puts them, so its columns apply.
    bool OnTemplate() const;

private:
    // The first field of the received half, whatever it holds.
    int HalvesIndex() const;
    // The edges of the first fields, found in one walk over the line's token
    // bits; fields past them, on a line of many, are found by walking again.
    static constexpr int kKept = 24;
    std::string_view line_;
    int count_ = 0;
    // Left uninitialised, as lines are many: the first min(count_, kKept) are set.
    std::uint32_t start_[kKept];
    std::uint32_t end_[kKept];
};

// Whether a field, upper-cased, has a callsign's shape: an optional part of up
// to four letters and digits and "/", a prefix, a number of 1 to 4 digits, a
// suffix of 1 to 4 letters, then any "/" parts of up to four letters and
// digits; a six-character grid locator such as FN42AB is not a call.
bool LooksLikeCall(std::string_view Token);

// A Cabrillo frequency field read as a whole: a band designator, or kHz.
int CabrilloBandOf(std::string_view Frequency);
// The band of a frequency in kHz, by the ranges of Cabrillo frequencies.
int KhzBandOf(std::uint64_t Khz);

}  // namespace tv_util2
