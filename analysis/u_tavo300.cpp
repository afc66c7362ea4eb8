#include "analysis/u_tavo300.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <optional>

#include "analysis/model.h"
#include "common/paths.h"
#include "common/text.h"
#include "logformat/log_formats.h"

namespace u_tavo300 {

namespace {

constexpr std::size_t kTimeCells = std::size_t{ChartDays} * Hours * Bands * CountrySlots;
constexpr std::size_t kChartCells = std::size_t{ChartDays} * Hours * Bands * (Continents + 1);
constexpr std::size_t kRows = std::size_t{ChartDays} * Hours * Bands;

// A row is one chart day, hour and band: its cells are the countries.
std::size_t RowIndex(int day, int hour, int band) {
    return (static_cast<std::size_t>(day - 1) * Hours + static_cast<std::size_t>(hour)) * Bands +
           static_cast<std::size_t>(band);
}

std::size_t TimeIndex(int day, int hour, int band, int country) {
    return RowIndex(day, hour, band) * CountrySlots + static_cast<std::size_t>(country);
}

std::size_t ChartIndex(int day, int hour, int band, int continent) {
    return RowIndex(day, hour, band) * (Continents + 1) + static_cast<std::size_t>(continent);
}

struct Qso {
    int band;
    int hour;  // -1 when the Hour field is not an hour of the day
    int country;
    int stamp;  // hours on a running scale; only a later stamp opens a chart day
};

// Days since 1970-01-01 in the proleptic Gregorian calendar.
int DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "yyyy?mm?dd" with a real month and day, as both zLog and Cabrillo write it.
std::optional<int> DateDays(std::string_view text) {
    if (text.size() != 10) return std::nullopt;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!IsDigit(text[static_cast<std::size_t>(i)])) return std::nullopt;
    }
    if (IsDigit(text[4]) || IsDigit(text[7])) return std::nullopt;
    // Every one of these characters is a digit by now.
    auto num = [text](std::size_t at, std::size_t n) {
        int value = 0;
        for (std::size_t i = at; i < at + n; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    int year = num(0, 4), month = num(5, 2), day = num(8, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    return DaysFromCivil(year, month, day);
}

int TwoDigitsAt(std::string_view text, std::size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// "yyyy?mm?dd", any non-digit as separator, as a real calendar date: days
// since 1970-01-01, or nothing.
std::optional<int> CalendarDays(std::string_view text) {
    if (text.size() != 10 || IsDigit(text[4]) || IsDigit(text[7])) return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!IsDigit(text[i])) return std::nullopt;
    }
    const int year = TwoDigitsAt(text, 0) * 100 + TwoDigitsAt(text, 2);
    const int month = TwoDigitsAt(text, 5), day = TwoDigitsAt(text, 8);
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1) return std::nullopt;
    const int last = kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && IsLeapYear(year));
    if (day > last) return std::nullopt;
    return DaysFromCivil(year, month, day);
}

// Minutes into the day of "hhmm" (Cabrillo) or "hh?mm" (zLog ALL), or -1.
int ClockMinutes(int format, std::string_view text) {
    const bool cabrillo = format == tv_util2::FormatCabrillo;
    // A time cut by the template's columns carries the blank after it.
    if (cabrillo && text.size() == 5 && static_cast<unsigned char>(text[4]) <= 32)
        text.remove_suffix(1);
    if (text.size() != (cabrillo ? 4u : 5u)) return -1;
    const std::size_t mm = cabrillo ? 2 : 3;
    if (!IsDigit(text[0]) || !IsDigit(text[1]) || !IsDigit(text[mm]) || !IsDigit(text[mm + 1]))
        return -1;
    if (!cabrillo && IsDigit(text[2])) return -1;
    const int hour = TwoDigitsAt(text, 0), minute = TwoDigitsAt(text, mm);
    return hour < 24 && minute < 60 ? hour * 60 + minute : -1;
}

// Equal texts of the same length, compared without a library call: the
// texts are a few bytes, read once per line.
template <typename Word>
bool SameWord(const char* a, const char* b) {
    Word x, y;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return x == y;
}

bool SameBytes(std::string_view a, const char* b) {
    const char* p = a.data();
    std::size_t n = a.size();
    for (; n >= 8; n -= 8, p += 8, b += 8) {
        if (!SameWord<std::uint64_t>(p, b)) return false;
    }
    if (n >= 4) {
        if (!SameWord<std::uint32_t>(p, b)) return false;
        n -= 4, p += 4, b += 4;
    }
    if (n >= 2) {
        if (!SameWord<std::uint16_t>(p, b)) return false;
        n -= 2, p += 2, b += 2;
    }
    return n == 0 || *p == *b;
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

// A field text read by the number rule, -1 when it is not a number.
int NumberOf(std::string_view text) {
    // Two plain digits, as an hour or a day nearly always is, need no parsing.
    if (text.size() == 2 && IsDigit(text[0]) && IsDigit(text[1]))
        return (text[0] - '0') * 10 + (text[1] - '0');
    return FieldToInt(text, {1, static_cast<std::int32_t>(text.size())});
}

}  // namespace

LogPass::LogPass()
    : timeTally_(kTimeCells, 0), chartHours_(kChartCells, 0), rowUsed_(kRows, false) {}

void LogPass::Clear() {
    // Only the rows a pass wrote hold anything, so only they are cleared: a
    // small log costs little however many days its charts span.
    for (std::size_t row : usedRows_) {
        std::fill_n(timeTally_.begin() + static_cast<std::ptrdiff_t>(row * CountrySlots),
                    CountrySlots, 0);
        std::fill_n(chartHours_.begin() + static_cast<std::ptrdiff_t>(row * (Continents + 1)),
                    Continents + 1, 0);
        rowUsed_[row] = false;
    }
    usedRows_.clear();
    for (auto& band : countryTally_) band.fill(0);
    for (auto& band : continentTally_) band.fill(0);
    countryTotal_.fill(0);
    detection_ = {};
    layout_ = {};
    qsoCount_ = 0;
    chartDay_ = 0;
    firstHour_ = 0;
    startStamp_ = 0;
    reportBase_.clear();
    records_.clear();
    dayOpened_.fill(NoStamp);
    modes_.clear();
    unknownCalls_.clear();
    unknownSeen_.clear();
}

int LogPass::TimeTally(int Day, int Hour, int Band, int Country) const {
    return timeTally_.at(TimeIndex(Day, Hour, Band, Country));
}
int LogPass::CountryTally(int Band, int Country) const {
    return countryTally_.at(static_cast<std::size_t>(Band)).at(static_cast<std::size_t>(Country));
}
int LogPass::ContinentTally(int Band, int Continent) const {
    return continentTally_.at(static_cast<std::size_t>(Band))
        .at(static_cast<std::size_t>(Continent));
}
int LogPass::CountryTotal(int Country) const {
    return countryTotal_.at(static_cast<std::size_t>(Country));
}
long long LogPass::ChartHours(int Day, int Hour, int Band, int Continent) const {
    return chartHours_.at(ChartIndex(Day, Hour, Band, Continent));
}

// One pass of one log: reads the QSO lines into the pass, then derives the
// tables, resolving calls with the database it is given.
class PassRunner {
public:
    PassRunner(const cty_utl3::CountryDatabase& db, LogPass& pass) : db_(db), pass_(pass) {}

    // Reads the QSO lines into TimeTally. A line with no hour, or past the
    // third chart day, is a worked station without a cell.
    void ReadLog(tavo::TextReader& log) {
        std::string line;
        log.ReadLine(line);     // the first line is the format's marker, never a QSO
        bool anchored = false;  // FirstHour and StartStamp are known
        while (log.ReadLine(line)) {
            if (!tv_util2::IsQsoLine(pass_.Format(), line)) continue;
            // Every count is 32-bit: past the limit it would wrap into a wrong one.
            if (pass_.qsoCount_ >= pass_.qsoLimit_) {
                throw tavo::IoError(log.Name(), "more than " + std::to_string(pass_.qsoLimit_) +
                                                    " QSO lines, too many to count");
            }
            QsoRecord& record = pass_.records_.emplace_back();
            Qso q = Decode(line, record);
            ++pass_.qsoCount_;
            if (pass_.chartDay_ == 0) pass_.chartDay_ = 1;
            if (q.hour < 0) continue;
            if (!anchored) {
                anchored = true;
                pass_.firstHour_ = q.hour;
                pass_.startStamp_ = q.stamp;
                pass_.dayOpened_[0] = record.Minute;
            } else if (q.stamp >= pass_.chartDay_ * 24 + pass_.startStamp_) {
                if (pass_.chartDay_ == ChartDays) continue;
                pass_.dayOpened_[static_cast<std::size_t>(pass_.chartDay_)] = record.Minute;
                ++pass_.chartDay_;
            }
            record.ChartDay = static_cast<std::int8_t>(pass_.chartDay_);
            const std::size_t row = RowIndex(pass_.chartDay_, q.hour, q.band);
            if (!pass_.rowUsed_[row]) {
                pass_.rowUsed_[row] = true;
                pass_.usedRows_.push_back(row);
            }
            ++pass_.timeTally_[row * CountrySlots + static_cast<std::size_t>(q.country)];
        }
    }

    // The country and continent tables and the charts' continent cells, in
    // one sweep over the chart days in use.
    void DeriveTables() {
        const int countries = db_.CountryCount();
        std::array<int, CountrySlots> continent{};
        for (int c = 1; c <= countries; ++c)
            continent[static_cast<std::size_t>(c)] = db_.Country(c).Continent;
        for (std::size_t row : pass_.usedRows_) {
            const std::size_t b = row % Bands;
            const std::int32_t* cells = &pass_.timeTally_[row * CountrySlots];
            long long* chart = &pass_.chartHours_[row * (Continents + 1)];
            auto& byCountry = pass_.countryTally_[b];
            byCountry[0] += cells[0];
            for (int c = 1; c <= countries; ++c) {
                const std::int32_t n = cells[c];
                if (n == 0) continue;
                byCountry[static_cast<std::size_t>(c)] += n;
                const int k = continent[static_cast<std::size_t>(c)];
                if (k >= 1 && k <= Continents) {
                    pass_.continentTally_[b][static_cast<std::size_t>(k)] += n;
                    chart[k] += n;
                }
            }
        }
        for (int c = 0; c <= countries && c < CountrySlots; ++c) {
            for (int b = 0; b < Bands; ++b)
                pass_.countryTotal_[static_cast<std::size_t>(c)] +=
                    pass_.countryTally_[static_cast<std::size_t>(b)][static_cast<std::size_t>(c)];
        }
    }

private:
    Qso Decode(std::string_view line, QsoRecord& r) {
        const tv_util2::QsoFields fields =
            tv_util2::ReadQsoFields(pass_.Format(), line, pass_.layout_);
        Qso q{};
        q.band = fields.Band;
        int hour = NumberOf(fields.Hour);
        q.hour = hour >= 0 && hour < Hours ? hour : -1;
        // Fixed-width fields carry padding blanks, which would count toward the
        // slash rule of a portable call such as "W1AW/KH6".
        const std::string_view call = tavo::Trim(fields.Call);
        const cty_utl3::CallResolution found = db_.Resolve(call);
        const int country = found.Country;
        q.country = country >= 0 && country < CountrySlots ? country : 0;
        const DateRead& date = ReadDate(fields.Date);
        const int clock = ClockMinutes(pass_.Format(), fields.Time);
        r.Minute = clock >= 0 && date.minute != NoStamp ? date.minute + clock : NoStamp;
        r.Khz = KhzOf(tavo::Trim(fields.Frequency));
        r.Mode = ModeIndex(fields.Mode);
        r.Band = static_cast<std::int8_t>(q.band);
        if (country > 0 && country < CountrySlots) {
            r.Country = static_cast<std::int16_t>(country);
            r.Continent = static_cast<std::int8_t>(
                found.Continent >= 1 && found.Continent <= Continents ? found.Continent : -1);
            r.Zone = static_cast<std::int8_t>(found.CqZone >= 1 && found.CqZone <= 99 ? found.CqZone
                                                                                      : -1);
        } else if (country < 0 && !call.empty() && call != lastUnknown_) {
            lastUnknown_.assign(call);
            NoteUnknownCall(call);
        }
        // The date, when the line has one, keeps the stamp rising across a month
        // end; otherwise the day of the month is all there is.
        if (q.hour >= 0) {
            q.stamp = date.days ? *date.days * 24 + q.hour : NumberOf(fields.Day) * 24 + q.hour;
        }
        return q;
    }

    // A date as the chart days read it (any day up to 31) and as a stamp
    // (a real calendar date only).
    struct DateRead {
        std::optional<int> days;
        std::int64_t minute = NoStamp;  // of its midnight
    };

    // Lines come in time order, so a date is nearly always the one before:
    // it is read once per day of the log.
    const DateRead& ReadDate(std::string_view date) {
        if (date.size() == lastDateSize_ && SameBytes(date, lastDate_.data())) return lastRead_;
        lastDateSize_ = date.size();
        std::copy_n(date.begin(), std::min(date.size(), lastDate_.size()), lastDate_.begin());
        if (date.size() > lastDate_.size()) lastDateSize_ = ~std::size_t{0};  // never matches
        const std::optional<int> days = CalendarDays(date);
        lastRead_ = {DateDays(date), days ? std::int64_t{*days} * 1440 : NoStamp};
        return lastRead_;
    }

    // Nearly every line repeats the mode of the one before, so the last text
    // read, as cut, is compared first.
    std::int32_t ModeIndex(std::string_view text) {
        if (text.size() == lastModeSize_ && SameBytes(text, lastModeText_.data())) return lastMode_;
        return NewMode(text);
    }

    std::int32_t NewMode(std::string_view text) {
        // Only a short text is kept for the comparison; a longer one is looked up.
        lastModeSize_ = text.size() <= lastModeText_.size() ? text.size() : ~std::size_t{0};
        std::copy_n(text.begin(), std::min(text.size(), lastModeText_.size()),
                    lastModeText_.begin());
        const std::string upper = tavo::UpperAscii(tavo::Trim(text));
        auto& modes = pass_.modes_;
        auto found = std::find(modes.begin(), modes.end(), upper);
        if (found == modes.end()) found = modes.insert(modes.end(), upper);
        lastMode_ = static_cast<std::int32_t>(found - modes.begin());
        return lastMode_;
    }

    void NoteUnknownCall(std::string_view call) {
        std::string text(call);
        if (pass_.unknownSeen_.insert(text).second) pass_.unknownCalls_.push_back(std::move(text));
    }

    const cty_utl3::CountryDatabase& db_;
    LogPass& pass_;
    std::array<char, 8> lastModeText_{};
    std::size_t lastModeSize_ = ~std::size_t{0};
    std::int32_t lastMode_ = 0;
    std::array<char, 10> lastDate_{};
    std::size_t lastDateSize_ = ~std::size_t{0};
    DateRead lastRead_;
    std::string lastUnknown_;
};

int AnalyzeLog(const cty_utl3::CountryDatabase& Db, LogPass& Pass, const std::string& FileName,
               int& Format, ReportSink& Sink) {
    Pass.Clear();
    Pass.reportBase_ = DropExtension(FileName);
    Format = -1;
    // Opened once: the pass reads the very file detection read, never a second
    // open of a name that might lead elsewhere by then.
    std::optional<tavo::TextReader> log = tavo::TextReader::Open(FileName);
    if (!log) return -1;
    Pass.detection_ = tv_util2::DetectLog(*log);
    tv_util2::GetColumnLayout(Pass.detection_, Pass.layout_);
    if (!tv_util2::IsAnalysed(Pass.Format())) {
        return 0;
    }
    Format = Pass.Format();
    log->Rewind(tavo::TextReader::CtrlZ::EndsFile);
    PassRunner runner(Db, Pass);
    runner.ReadLog(*log);
    log.reset();
    runner.DeriveTables();
    if (!Sink.Write(BuildModel(Pass, Db, FileName))) return -1;
    return Pass.QsoCount();
}

int AnalyzeLog(const std::string& FileName, int& Format) {
    OutputBesideLog beside(TextReport);
    return AnalyzeLog(cty_utl3::DefaultCountryDatabase(), DefaultLogPass(), FileName, Format,
                      beside);
}

bool WriteBesideLog(const std::string& LogFileName, const std::string& OutputName,
                    const std::function<void(tavo::TextWriter&)>& Write) {
    // An output name linked to the log itself would replace the log, and a
    // log handed over as a descriptor has no folder to put anything in.
    if (tavo::SameFile(OutputName, LogFileName) || tavo::IsDescriptorName(LogFileName))
        return false;
    std::optional<tavo::TextWriter> out =
        tavo::TextWriter::Replace(OutputName, tavo::TextWriter::Sync::None);
    if (!out) return false;
    Write(*out);
    out->Close();
    return true;
}

bool OutputBesideLog::Write(const ContestModel& Model) {
    return WriteBesideLog(Model.LogFileName, OutputFileName(Model.LogFileName, kind_.Extension),
                          [&](tavo::TextWriter& out) { kind_.Render(out, Model); });
}

bool OutputTo::Write(const ContestModel& Model) {
    kind_.Render(out_, Model);
    return true;
}

bool SinkList::Write(const ContestModel& Model) {
    for (ReportSink* sink : sinks_) {
        if (!sink->Write(Model)) return false;
    }
    return true;
}

LogPass& DefaultLogPass() {
    static LogPass pass;
    return pass;
}

std::string DropExtension(std::string_view FileName) {
    if (tavo::SameTextAscii(tavo::ExtractFileExt(FileName), ".tavo")) return std::string(FileName);
    return tavo::ChangeFileExt(FileName, "");
}

std::string ReportFileName(std::string_view LogFileName) {
    return OutputFileName(LogFileName, TextReport.Extension);
}

std::string OutputFileName(std::string_view LogFileName, std::string_view Ext) {
    std::string name = tavo::SameTextAscii(tavo::ExtractFileExt(LogFileName), Ext)
                           ? std::string(LogFileName)
                           : tavo::ChangeFileExt(LogFileName, "");
    return name + std::string(Ext);
}

// The country file's rule, so a field reads the same wherever it stands.
int FieldToInt(std::string_view Line, tv_util2::ColumnSpan Span) {
    return cty_utl3::FieldToInt(Line, Span.Start, Span.Length);
}

void BandLabel(int Index, std::string& Label) {
    static constexpr std::array<std::string_view, Bands> kLabels = {
        "1.9", "3.5", "7  ", "14 ", "21 ", "28 ", "50 ", "144", "430", "120", "up "};
    if (Index >= 0 && Index < Bands) Label = kLabels[static_cast<std::size_t>(Index)];
}

int TimeTally(int Day, int Hour, int Band, int Country) {
    return DefaultLogPass().TimeTally(Day, Hour, Band, Country);
}
int CountryTally(int Band, int Country) { return DefaultLogPass().CountryTally(Band, Country); }
int ContinentTally(int Band, int Continent) {
    return DefaultLogPass().ContinentTally(Band, Continent);
}
int CountryTotal(int Country) { return DefaultLogPass().CountryTotal(Country); }
int QsoCount() { return DefaultLogPass().QsoCount(); }
int ChartDay() { return DefaultLogPass().ChartDay(); }
int FirstHour() { return DefaultLogPass().FirstHour(); }
int StartStamp() { return DefaultLogPass().StartStamp(); }

}  // namespace u_tavo300
