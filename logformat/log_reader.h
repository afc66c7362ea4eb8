// What every log format yields to the pass: its QSOs one by one, each read
// into the same plain record whatever the file looked like. The record's
// texts are views that the reader lends up to its next read, so that a line
// or a field is never copied for a QSO the pass reads once.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace tv_util2 {

// A QSO whose date or time does not read has no stamp.
inline constexpr std::int64_t NoStamp = std::numeric_limits<std::int64_t>::min();

struct LogQso {
    int Band = 10;          // BandIndex 0..10
    std::string_view Call;  // as the log has it; the pass trims it
    int Day = -1;           // day of the month, -1 when not a number
    int Hour = -1;          // hour of the QSO time, -1 when not a number
    // Minutes since 1970-01-01 00:00 on the log's clock, when its date is a
    // real calendar date and its time one of 00:00-23:59 by the format's rule.
    std::int64_t Stamp = NoStamp;
    std::optional<int> DateDays;  // the date as days since 1970-01-01, when it is a real date
    std::string_view Mode;        // as written; empty where the reader gives none
    std::uint64_t Khz = 0;        // the frequency in kHz where the record has one, else 0
};

// The QSOs of one open log, in file order.
class LogReader {
public:
    virtual ~LogReader() = default;
    // The next QSO into Qso, its texts valid up to the next call; false at
    // the end of the log. A read error after the open raises tavo::IoError.
    virtual bool Next(LogQso& Qso) = 0;
};

// Days since 1970-01-01 in the proleptic Gregorian calendar.
int DaysFromCivil(int Year, int Month, int Day);

// "yyyy?mm?dd" with a month 1..12 and a day 1..31, as zLog and Cabrillo write
// a date, in days since 1970; empty for any other text.
std::optional<int> DateDays(std::string_view Text);

// The same text as a real calendar date (day 31 only in a month that has it,
// 29 February only in a leap year), in days since 1970; empty otherwise.
std::optional<int> CalendarDays(std::string_view Text);

// A day that the calendar has: year 1 on, day 31 only in a month that has
// it, 29 February only in a leap year.
bool IsCalendarDate(int Year, int Month, int Day);

}  // namespace tv_util2
