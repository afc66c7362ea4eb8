// Log formats: which kind of log a file holds, where each field of a QSO line
// stands, which lines are QSOs and on which band a QSO was made.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The line that decided the format at the last successful detection, untrimmed.
const std::string& HeaderLine();
void ClearHeaderLine();

// The one rule for cutting a field out of a line.
std::string_view ExtractField(std::string_view Line, ColumnSpan Span);

// The first identifying line anywhere in the file decides; -1 when none does
// or the file cannot be opened. A read error raises tavo::IoError.
int DetectLogFormat(const std::string& FileName);

// Fills Layout for formats 1..3; any other code leaves it as passed.
void GetColumnLayout(int Format, ColumnLayout& Layout);
void LayoutFromHeader(std::string_view Header, ColumnLayout& Layout);
int KeywordEnd(std::string_view Header, std::string_view Keyword);

bool IsQsoLine(int Format, std::string_view Line);

inline constexpr int BandCount = 11;  // band indexes 0..10; 10 takes every other band
int BandIndexOf(int Format, std::string_view Line, ColumnSpan Span);

}  // namespace tv_util2
