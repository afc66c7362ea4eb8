#include "logformat/log_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "common/text.h"
#include "logformat/cabrillo_template.h"
#include "logformat/tv_util2.h"
#include "platform/text_file.h"

namespace tv_util2 {

int DaysFromCivil(int Year, int Month, int Day) {
    Year -= Month <= 2;
    const int era = (Year >= 0 ? Year : Year - 399) / 400;
    const int yoe = Year - era * 400;
    const int doy = (153 * (Month + (Month > 2 ? -3 : 9)) + 2) / 5 + Day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

namespace {

int ParsedNumberOf(std::string_view text) {
    return tavo::ParseInt32(tavo::Trim(text)).value_or(-1);
}

// A field text read by the number rule, -1 when it is not a number.
inline int NumberOf(std::string_view text) {
    // Two plain digits, as an hour or a day nearly always is, need no parsing
    // and no call.
    if (text.size() == 2 && tavo::IsDigitAscii(text[0]) && tavo::IsDigitAscii(text[1]))
        return (text[0] - '0') * 10 + (text[1] - '0');
    return ParsedNumberOf(text);
}

int TwoDigitsAt(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

struct DateParts {
    int year, month, day;
};

// "yyyy?mm?dd" with any non-digit as separator, read into its numbers.
std::optional<DateParts> ReadDateParts(std::string_view text) {
    if (text.size() != 10 || tavo::IsDigitAscii(text[4]) || tavo::IsDigitAscii(text[7]))
        return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!tavo::IsDigitAscii(text[i])) return std::nullopt;
    }
    return DateParts{TwoDigitsAt(text, 0) * 100 + TwoDigitsAt(text, 2), TwoDigitsAt(text, 5),
                     TwoDigitsAt(text, 8)};
}

// Minutes into the day of "hhmm" (Cabrillo) or "hh?mm" (zLog ALL), or -1.
// Inline in each of the reader's steps, as a new time comes every few lines.
[[gnu::always_inline]] inline int ClockMinutes(int format, std::string_view text) {
    std::size_t mm = 3;
    if (format == FormatCabrillo) {
        // A time cut by the template's columns carries the blank after it.
        if (text.size() == 5 && static_cast<unsigned char>(text[4]) <= 32) text.remove_suffix(1);
        if (text.size() != 4) return -1;
        mm = 2;
    } else if (text.size() != 5 || tavo::IsDigitAscii(text[2])) {
        return -1;
    }
    // A byte below '0' wraps to a large value, so one test per digit.
    auto digit = [&text](std::size_t i) { return static_cast<unsigned>(text[i]) - '0'; };
    const unsigned h1 = digit(0), h2 = digit(1), m1 = digit(mm), m2 = digit(mm + 1);
    if ((h1 > 9) | (h2 > 9) | (m1 > 9) | (m2 > 9)) return -1;
    const unsigned hour = h1 * 10 + h2, minute = m1 * 10 + m2;
    return hour < 24 && minute < 60 ? static_cast<int>(hour * 60 + minute) : -1;
}

// A Cabrillo frequency in plain kHz, 0 for a band designator or anything else.
std::uint32_t KhzOf(std::string_view text) {
    if (text.empty() || text.size() > 9) return 0;
    std::uint32_t khz = 0;
    for (char c : text) {
        const auto digit = static_cast<std::uint32_t>(static_cast<unsigned char>(c) - '0');
        if (digit > 9) return 0;
        khz = khz * 10 + digit;
    }
    // Designators such as "50" or "144" name a band, not a frequency.
    return khz >= 1000 ? khz : 0;
}

// The first bytes of a text, as many as Kept holds, for a cache to compare
// with the next line's: two words that may overlap, not a library call,
// copy the few bytes of a field.
template <std::size_t N>
void Keep(std::string_view text, std::array<char, N>& kept) {
    static_assert(N >= 8);
    const std::size_t n = std::min(text.size(), N);
    const char* from = text.data();
    char* to = kept.data();
    if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else {
        for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
    }
}

// A text and the one Keep kept, of the same size: the size the fields of
// nearly every line have, ten bytes of a date or four of a time, compared
// at once.
template <std::size_t N>
[[gnu::always_inline]] inline bool SameKept(std::string_view text,
                                            const std::array<char, N>& kept) {
    const char* p = text.data();
    if constexpr (N >= 10) {
        if (text.size() == 10) {
            return tavo::SameWord<std::uint64_t>(p, kept.data()) &&
                   tavo::SameWord<std::uint16_t>(p + 8, kept.data() + 8);
        }
    }
    if (text.size() == 4) return tavo::SameWord<std::uint32_t>(p, kept.data());
    return tavo::SameBytes(text, kept.data());
}

// A frequency text's reading, kept for the lines and the logs after it.
struct KhzSeen {
    std::uint64_t key = 0;    // the text's bytes, as LineReader::KhzKey gives them
    std::size_t sizeTag = 0;  // its size + 1, for a text of up to eight bytes; 0 matches none
    std::uint32_t khz = 0;    // KhzOf the text, trimmed
    int band = 0;             // CabrilloBandOf the text
};
constexpr int kKhzSetBits = 9;
using KhzSets = std::array<std::array<KhzSeen, 2>, std::size_t{1} << kKhzSetBits>;

// The frequencies read on this thread, for every log it reads: a reading
// follows from the text alone, and a busy log moves among hundreds of
// frequencies that the logs of a contest share. Made at the first new
// frequency a thread reads, so that a run that reads none pays nothing.
KhzSets* ThreadKhzSets() {
    thread_local std::unique_ptr<KhzSets> sets;
    if (!sets) sets = std::make_unique<KhzSets>();
    return sets.get();
}

// All zero bytes, which match no text: a log looks here until its first
// new frequency takes it to the thread's sets.
KhzSets noneKept;

class LineReader : public LogReader {
public:
    LineReader(tavo::TextReader& log, int format, const ColumnLayout& layout)
        : log_(log),
          format_(format),
          layout_(layout),
          template_(format == FormatCabrillo && IsTemplateLayout(layout)) {}

    bool Next(LogQso& q) override {
        if (!started_) {
            started_ = true;
            if (!log_.ReadLine(line_)) return false;
        }
        while (log_.ReadLine(line_)) {
            if (!IsQsoLine(format_, line_)) continue;
            if (template_) {
                // A line on the template is cut here, its fields' widths known
                // to every step that reads them.
                const int callLength = ReadCabrilloFields(line_, fields_);
                if (callLength >= 0) {
                    Take<kDayHourOfDateTime>(TemplateFields(line_, callLength), q);
                    return true;
                }
                Take<kDayHourOfDateTime>(fields_, q);
                return true;
            }
            static_cast<QsoFields&>(fields_) = ReadQsoFields(format_, line_, layout_);
            Take<kDayHourOfFields>(fields_, q);
            return true;
        }
        return false;
    }

protected:
    // Whether a line's day and hour are read from its own fields, or are
    // the date's ninth and tenth bytes and the time's first two, as on every
    // Cabrillo line: those are read with the date (once per day) and with
    // the clock, and a Cabrillo line read by its fields leaves them unset.
    static constexpr bool kDayHourOfFields = false, kDayHourOfDateTime = true;
    // A zLog ALL line has no frequency and its band decoded: no kHz to look up.
    static constexpr bool kNoFrequency = false;

    // The QSO of a line's fields. Inlined in each of its places: the one of
    // a template line then compares and reads fields of fixed widths.
    template <bool DayHourOfDateTime, bool HasFrequency = true>
    [[gnu::always_inline]] void Take(const QsoFields& fields, LogQso& q) {
        q.Call = fields.Call;
        const DateRead& date = ReadDate(fields.Date);
        q.DateDays = date.days;
        const int clock = Clock(fields.Time);
        if constexpr (DayHourOfDateTime) {
            q.Day = date.day;
            q.Hour = lastHour_;
        } else {
            // Where the day is the date's last two bytes and the hour the
            // time's first two, as in every format with a date, they were
            // read with the date and the clock too.
            q.Day = fields.Date.size() == 10 && fields.Day.data() == fields.Date.data() + 8 &&
                            fields.Day.size() == 2
                        ? date.day
                        : NumberOf(fields.Day);
            q.Hour =
                clock >= 0 && fields.Hour.data() == fields.Time.data() && fields.Hour.size() == 2
                    ? lastHour_
                    : NumberOf(fields.Hour);
        }
        q.Stamp = clock >= 0 && date.minute != NoStamp ? date.minute + clock : NoStamp;
        q.Mode = fields.Mode;
        if constexpr (!HasFrequency) {
            q.Khz = 0;
            q.Band = fields.Band;
            return;
        }
        KhzSeen& khz = Khz(fields.Frequency);
        q.Khz = khz.khz;
        q.Band = fields.Band != BandOfFrequency ? fields.Band : khz.band;
    }

    // A date as the chart days read it (any day up to 31) and as a stamp
    // (a real calendar date only).
    struct DateRead {
        std::optional<int> days;
        std::int64_t minute = NoStamp;  // of its midnight
        int day = -1;                   // its ninth and tenth bytes as a number
    };

    // Lines come in time order, so a date is nearly always the one before:
    // it is read once per day of the log.
    [[gnu::always_inline]] const DateRead& ReadDate(std::string_view date) {
        if (date.size() == lastDateSize_ && SameKept(date, lastDate_)) return lastRead_;
        return ReadNewDate(date);
    }
    // Out of line, as few lines take it.
    [[gnu::noinline]] const DateRead& ReadNewDate(std::string_view date) {
        lastDateSize_ = date.size();
        Keep(date, lastDate_);
        if (date.size() > lastDate_.size()) lastDateSize_ = ~std::size_t{0};  // never matches
        const std::optional<int> days = CalendarDays(date);
        lastRead_ = {DateDays(date), days ? std::int64_t{*days} * 1440 : NoStamp,
                     NumberOf(tavo::Cut(date, 9, 2))};
        return lastRead_;
    }

    // A busy hour has several lines a minute, in time order: a time read
    // just before is not read again.
    [[gnu::always_inline]] int Clock(std::string_view time) {
        if (time.size() == lastTimeSize_ && SameKept(time, lastTime_)) return lastClock_;
        lastTimeSize_ = time.size() <= lastTime_.size() ? time.size() : ~std::size_t{0};
        Keep(time, lastTime_);
        lastClock_ = ClockMinutes(format_, time);
        lastHour_ = lastClock_ >= 0 ? lastClock_ / 60 : NumberOf(tavo::Cut(time, 1, 2));
        return lastClock_;
    }

    // A run stays on its frequency, and a station on two radios or with
    // several operators keeps returning to a few: the texts read are kept
    // with their kHz, the last two of each set picked by a hash of the
    // bytes, so a return to any of them finds them without a new reading.
    KhzSeen& Khz(std::string_view text) {
        const std::uint64_t key = KhzKey(text);
        auto& set = (*khzSeen_)[KhzSet(key)];
        for (KhzSeen& seen : set) {
            if (key == seen.key && text.size() + 1 == seen.sizeTag) return seen;
        }
        return NewKhz(set, text, key);
    }
    // Out of line, as few lines take it.
    [[gnu::noinline]] KhzSeen& NewKhz(std::array<KhzSeen, 2>& set, std::string_view text,
                                      std::uint64_t key) {
        if (khzSeen_ == &noneKept) {
            khzSeen_ = ThreadKhzSets();
            return Khz(text);
        }
        set[1] = set[0];
        KhzSeen& now = set[0];
        now.key = key;
        now.sizeTag = text.size() <= 8 ? text.size() + 1 : 0;
        now.khz = KhzOf(tavo::Trim(text));
        // CabrilloBandOf(text), with no second reading of plain kHz.
        now.band = now.khz != 0 ? KhzBandOf(now.khz) : CabrilloBandOf(text);
        return now;
    }

    // The bytes of a text of up to eight, which with its size tell it from
    // every other such text: one compare finds it kept. From four bytes on,
    // the first four and the last four, which may overlap.
    static std::uint64_t KhzKey(std::string_view text) {
        const char* p = text.data();
        const std::size_t n = text.size();
        if (n >= 4) {
            return tavo::LoadWord<std::uint32_t>(p) |
                   std::uint64_t{tavo::LoadWord<std::uint32_t>(p + n - 4)} << 32;
        }
        std::uint64_t key = 0;
        for (std::size_t i = 0; i < n; ++i)
            key |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
        return key;
    }

    // The set of a text by its key's halves, mixed so that frequencies a
    // digit apart spread over the sets. The digits that move are the last
    // ones, so one multiply of the last bytes, which carries each of them
    // into the top bits, suffices.
    static std::size_t KhzSet(std::uint64_t key) {
        const auto first = static_cast<std::uint32_t>(key);
        const auto last = static_cast<std::uint32_t>(key >> 32);
        constexpr std::uint32_t kOdd = 0x9E3779B1u;
        return static_cast<std::size_t>((first + last * kOdd) >> (32 - kKhzSetBits));
    }

    // The sets of the thread that reads the lines: a log is read on one.
    KhzSets* khzSeen_ = &noneKept;
    std::array<char, 8> lastTime_{};
    std::size_t lastTimeSize_ = ~std::size_t{0};
    int lastClock_ = -1;
    int lastHour_ = -1;  // of lastClock_, or the time's first two bytes as a number
    std::array<char, 10> lastDate_{};
    std::size_t lastDateSize_ = ~std::size_t{0};
    DateRead lastRead_;
    tavo::TextReader& log_;
    int format_;
    ColumnLayout layout_;
    bool template_;          // a Cabrillo log, read by ReadCabrilloFields
    CabrilloFields fields_;  // with the shape of the last line read by its fields
    std::string_view line_;  // into the reader's bytes, until the next read
    bool started_ = false;
};

// A zLog ALL log on its own columns: a reader of its own, so that the
// Cabrillo reader's steps stay as they are.
class ZLogAllReader final : public LineReader {
public:
    ZLogAllReader(tavo::TextReader& log, const ColumnLayout& layout)
        : LineReader(log, FormatZLogAll, layout) {}

    bool Next(LogQso& q) override {
        if (!started_) {
            started_ = true;
            if (!log_.ReadLine(line_)) return false;
        }
        while (log_.ReadLine(line_)) {
            if (!IsQsoLine(FormatZLogAll, line_)) continue;
            // Cut here, as a template line is, where the line holds every field.
            int band = 10;
            const int callLength = MeasureAllLine(line_, band);
            if (callLength >= 0) {
                Take<kDayHourOfFields, kNoFrequency>(AllFields(line_, band, callLength), q);
                return true;
            }
            static_cast<QsoFields&>(fields_) = ReadQsoFields(FormatZLogAll, line_, layout_);
            Take<kDayHourOfFields>(fields_, q);
            return true;
        }
        return false;
    }
};

}  // namespace

std::optional<int> DateDays(std::string_view Text) {
    const std::optional<DateParts> date = ReadDateParts(Text);
    if (!date || date->month < 1 || date->month > 12 || date->day < 1 || date->day > 31)
        return std::nullopt;
    return DaysFromCivil(date->year, date->month, date->day);
}

bool IsCalendarDate(int Year, int Month, int Day) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Year < 1 || Month < 1 || Month > 12 || Day < 1) return false;
    const bool leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
    return Day <= kDays[static_cast<std::size_t>(Month - 1)] + (Month == 2 && leap);
}

// "yyyy?mm?dd", any non-digit as separator, as a real calendar date: days
// since 1970-01-01, or nothing.
std::optional<int> CalendarDays(std::string_view Text) {
    const std::optional<DateParts> date = ReadDateParts(Text);
    if (!date || !IsCalendarDate(date->year, date->month, date->day)) return std::nullopt;
    return DaysFromCivil(date->year, date->month, date->day);
}

std::unique_ptr<LogReader> OpenLineReader(tavo::TextReader& Log, const Detection& Found,
                                          const ColumnLayout& Layout) {
    return std::make_unique<LineReader>(Log, Found.Format, Layout);
}

std::unique_ptr<LogReader> OpenZLogAllReader(tavo::TextReader& Log, const Detection& Found,
                                             const ColumnLayout& Layout) {
    if (Found.Format == FormatZLogAll && IsAllLayout(Layout))
        return std::make_unique<ZLogAllReader>(Log, Layout);
    return OpenLineReader(Log, Found, Layout);
}

}  // namespace tv_util2
