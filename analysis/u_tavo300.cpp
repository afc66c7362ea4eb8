#include "analysis/u_tavo300.h"

#include <array>
#include <optional>

#include "common/paths.h"
#include "common/text.h"
#include "country/cty_utl3.h"

namespace u_tavo300 {

namespace {

using tv_util2::ColumnLayout;

// The tallies live for the whole run and every pass clears them first.
std::int32_t timeTally[ChartDays][Hours][Bands][CountrySlots];
std::int32_t countryTally[Bands][CountrySlots];
std::int32_t continentTally[Bands][Continents + 1];
std::int32_t countryTotal[CountrySlots];

int logFormat = tv_util2::FormatUnknown;
ColumnLayout layout{};
int qsoCount = 0;
int chartDay = 0;
int firstHour = 0;
int startStamp = 0;
std::string reportBase;

struct Qso {
    int band;
    int hour;  // -1 when the Hour field is not an hour of the day
    int country;
    int stamp;  // hours on a running scale; only a later stamp opens a chart day
};

void ClearTallies() {
    std::fill_n(&timeTally[0][0][0][0], sizeof timeTally / sizeof(std::int32_t), 0);
    std::fill_n(&countryTally[0][0], sizeof countryTally / sizeof(std::int32_t), 0);
    std::fill_n(&continentTally[0][0], sizeof continentTally / sizeof(std::int32_t), 0);
    std::fill_n(countryTotal, CountrySlots, 0);
    qsoCount = 0;
    chartDay = 0;
    firstHour = 0;
    startStamp = 0;
}

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
    auto num = [text](std::size_t at, std::size_t n) {
        return tavo::ParseInt32(text.substr(at, n)).value_or(-1);
    };
    int year = num(0, 4), month = num(5, 2), day = num(8, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    return DaysFromCivil(year, month, day);
}

// A field text read by the number rule, -1 when it is not a number.
int NumberOf(std::string_view text) {
    return FieldToInt(text, {1, static_cast<std::int32_t>(text.size())});
}

Qso Decode(std::string_view line) {
    const tv_util2::QsoFields fields = tv_util2::ReadQsoFields(logFormat, line, layout);
    Qso q{};
    q.band = fields.Band;
    int hour = NumberOf(fields.Hour);
    q.hour = hour >= 0 && hour < Hours ? hour : -1;
    // Fixed-width fields carry padding blanks, which would count toward the
    // slash rule of a portable call such as "W1AW/KH6".
    int country = cty_utl3::CallToCountry(tavo::Trim(fields.Call));
    q.country = country >= 0 && country < CountrySlots ? country : 0;
    // The date, when the line has one, keeps the stamp rising across a month
    // end; otherwise the day of the month is all there is.
    if (q.hour >= 0) {
        std::optional<int> days = DateDays(fields.Date);
        q.stamp = days ? *days * 24 + q.hour : NumberOf(fields.Day) * 24 + q.hour;
    }
    return q;
}

// Reads the QSO lines into TimeTally. A line with no hour, or past the third
// chart day, is a worked station without a cell.
void ReadLog(tavo::TextReader& log) {
    std::string line;
    log.ReadLine(line);     // the first line is the format's marker, never a QSO
    bool anchored = false;  // FirstHour and StartStamp are known
    while (log.ReadLine(line)) {
        if (!tv_util2::IsQsoLine(logFormat, line)) continue;
        Qso q = Decode(line);
        ++qsoCount;
        if (chartDay == 0) chartDay = 1;
        if (q.hour < 0) continue;
        if (!anchored) {
            anchored = true;
            firstHour = q.hour;
            startStamp = q.stamp;
        } else if (q.stamp >= chartDay * 24 + startStamp) {
            if (chartDay == ChartDays) continue;
            ++chartDay;
        }
        ++timeTally[chartDay - 1][q.hour][q.band][q.country];
    }
}

void DeriveTables() {
    const int countries = cty_utl3::CountryCount();
    for (int d = 0; d < chartDay; ++d) {
        for (int h = 0; h < Hours; ++h) {
            for (int b = 0; b < Bands; ++b) {
                const std::int32_t* cells = timeTally[d][h][b];
                countryTally[b][0] += cells[0];
                for (int c = 1; c <= countries; ++c) {
                    countryTally[b][c] += cells[c];
                    int continent = cty_utl3::CountryTable(c).Continent;
                    if (continent >= 1 && continent <= Continents)
                        continentTally[b][continent] += cells[c];
                }
            }
        }
    }
    for (int c = 0; c <= countries; ++c) {
        for (int b = 0; b < Bands; ++b) countryTotal[c] += countryTally[b][c];
    }
}

// Steps up to the derived tables; the report is the caller's.
int TallyLog(const std::string& FileName, int& Format) {
    ClearTallies();
    reportBase = DropExtension(FileName);
    logFormat = tv_util2::DetectLogFormat(FileName);
    layout = ColumnLayout{};
    tv_util2::GetColumnLayout(logFormat, layout);
    if (logFormat != tv_util2::FormatZLogAll && logFormat != tv_util2::FormatCabrillo) {
        Format = -1;
        return 0;
    }
    Format = logFormat;
    std::optional<tavo::TextReader> log =
        tavo::TextReader::Open(FileName, tavo::TextReader::CtrlZ::EndsFile);
    if (!log) return -1;
    ReadLog(*log);
    log.reset();
    DeriveTables();
    return qsoCount;
}

}  // namespace

int AnalyzeLog(const std::string& FileName, int& Format) {
    int count = TallyLog(FileName, Format);
    if (count < 0 || Format == -1) return count;
    std::optional<tavo::TextWriter> report = tavo::TextWriter::Create(reportBase + ".tavo");
    if (!report) return -1;
    WriteBreakdownReport(*report, FileName);
    report->Close();
    return count;
}

int AnalyzeLogTo(const std::string& FileName, int& Format, tavo::TextWriter& Report) {
    int count = TallyLog(FileName, Format);
    if (count < 0 || Format == -1) return count;
    WriteBreakdownReport(Report, FileName);
    return count;
}

std::string DropExtension(std::string_view FileName) {
    if (tavo::SameTextAscii(tavo::ExtractFileExt(FileName), ".tavo")) return std::string(FileName);
    return tavo::ChangeFileExt(FileName, "");
}

std::string ReportFileName(std::string_view LogFileName) {
    return DropExtension(LogFileName) + ".tavo";
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
    return timeTally[Day - 1][Hour][Band][Country];
}
int CountryTally(int Band, int Country) { return countryTally[Band][Country]; }
int ContinentTally(int Band, int Continent) { return continentTally[Band][Continent]; }
int CountryTotal(int Country) { return countryTotal[Country]; }
int QsoCount() { return qsoCount; }
int ChartDay() { return chartDay; }
int FirstHour() { return firstHour; }
int StartStamp() { return startStamp; }

}  // namespace u_tavo300
