// The analysis pass: one read of a log into the tallies, and the report
// written from them (breakdown tables, then the time charts).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "common/zeroed_array.h"
#include "country/cty_utl3.h"
#include "logformat/log_reader.h"
#include "logformat/tv_util2.h"
#include "platform/text_file.h"

namespace u_tavo300 {

inline constexpr int ChartDays = 3;
inline constexpr int Hours = 24;
inline constexpr int Bands = tv_util2::BandCount;
inline constexpr int CountrySlots = 501;  // 0 is the unknown-country bucket
inline constexpr int Continents = 6;
inline constexpr int HfBands = 6;          // 1.9 to 28 MHz, the breakdown tables' columns
inline constexpr int DefaultOffTime = 30;  // minutes between two QSOs that make an off period

// A row is one chart day, hour and band: its cells are the countries, or the
// continents of the charts.
constexpr std::size_t RowIndex(int day, int hour, int band) {
    return (static_cast<std::size_t>(day - 1) * Hours + static_cast<std::size_t>(hour)) * Bands +
           static_cast<std::size_t>(band);
}

// A minute stamp: minutes since 1970-01-01 00:00 of the date and time a QSO
// line holds, on the log's own clock.
inline constexpr std::int64_t NoStamp = tv_util2::NoStamp;

// When and on which band a country or a zone was first worked.
struct FirstWorked {
    std::int64_t Minute = NoStamp;  // NoStamp when none of its QSOs has a stamp
    int Band = -1;
};

// A country's or a zone's QSOs over the whole log, any band or chart day.
struct WorkedCount {
    long long Total = 0;
    FirstWorked First;
};
struct ZoneCount : WorkedCount {
    std::array<long long, Bands> ByBand{};
};
inline constexpr int ZoneSlots = 100;  // CQ zones 1..99; 0 unused

// The stamped QSOs of one minute.
struct MinuteRun {
    std::int64_t Minute;
    long long Qsos;
};

// The tallies and scalars of one pass over one log. A pass is a plain value:
// several may run side by side, each reading one shared country database.
class LogPass {
public:
    LogPass();

    int TimeTally(int Day, int Hour, int Band, int Country) const;  // Day 1..3
    int CountryTally(int Band, int Country) const;
    int ContinentTally(int Band, int Continent) const;  // Continent 1..6
    int CountryTotal(int Country) const;
    // TimeTally summed by continent 1..6, the charts' cells.
    long long ChartHours(int Day, int Hour, int Band, int Continent) const;
    // The same cells a row at a time, continents 1..6 ([0] unused), read in
    // place and unchecked: the charts take every cell of every block.
    std::span<const long long, Continents + 1> ChartRow(int Day, int Hour, int Band) const {
        return std::span<const long long, Continents + 1>(
            &chartHours_[RowIndex(Day, Hour, Band) * (Continents + 1)], Continents + 1);
    }
    int QsoCount() const { return qsoCount_; }
    int ChartDay() const { return chartDay_; }
    int FirstHour() const { return firstHour_; }
    int StartStamp() const { return startStamp_; }
    int Format() const { return detection_.Format; }
    const tv_util2::Detection& Detection() const { return detection_; }
    const tv_util2::ColumnLayout& Layout() const { return layout_; }
    const std::string& ReportBase() const { return reportBase_; }
    // The counts over every QSO of the log, which the read keeps along with
    // the tallies: no QSO is held once it is counted. A pass whose outputs
    // show only the breakdown and the charts leaves them empty (WholeLog).
    // The modes the QSOs name (upper-cased, in first-seen order) and the
    // QSOs of each; the distinct calls that resolve to no country.
    const std::vector<std::string>& Modes() const { return modes_; }
    const std::vector<long long>& ModeQsos() const { return modeQsos_; }
    const std::vector<std::string>& UnknownCalls() const { return unknownCalls_; }
    const std::array<long long, Bands>& BandTotals() const { return bandTotals_; }
    // The bands each chart day 1..3 has a QSO on, a bit per band ([0] unused),
    // from the rows of TimeTally that hold a count.
    std::array<unsigned, ChartDays + 1> BandsOn() const;
    long long Unstamped() const { return unstamped_; }      // no real date and time
    long long ChartedQsos() const { return chartedQsos_; }  // inside the chart days
    long long UnknownQsos() const { return unknownQsos_; }  // no country, the empty call too
    // Country 1..CountrySlots - 1 and zone 1..ZoneSlots - 1 over every QSO.
    const WorkedCount& CountryWorked(int Country) const {
        return countryWorked_.at(static_cast<std::size_t>(Country));
    }
    const ZoneCount& ZoneWorked(int Zone) const {
        return zoneWorked_.at(static_cast<std::size_t>(Zone));
    }
    // The stamped QSOs a minute at a time, in time order.
    const std::vector<MinuteRun>& MinuteRuns() const { return minuteRuns_; }
    // The stamp of the QSO that opened chart day 1..3; NoStamp when it has none.
    std::int64_t DayOpened(int Day) const {
        return dayOpened_.at(static_cast<std::size_t>(Day - 1));
    }
    // The most QSO lines a log may hold; a pass over more raises tavo::IoError
    // instead of counting on into a wrapped number. Lowered only by tests.
    void SetQsoLimit(int Limit) { qsoLimit_ = Limit; }
    // The shortest gap between two QSOs, in minutes, that is an off period;
    // kept from pass to pass like the limit.
    void SetOffThreshold(int Minutes) { offThreshold_ = Minutes; }
    int OffThreshold() const { return offThreshold_; }
    // A comparison wants the distinct worked calls, upper-cased and sorted;
    // a report does not, so a pass keeps them only when asked, from pass to pass.
    void SetKeepCalls(bool Keep) { keepCalls_ = Keep; }
    std::vector<std::string> WorkedCalls() const;
    // Whether the last pass counted every QSO's figures, as its sink asked
    // (ReportSink::WholeLog); true before any pass.
    bool WholeLog() const { return wholeLog_; }

private:
    friend class PassRunner;
    friend int AnalyzeOpenLog(const cty_utl3::CountryDatabase&, LogPass&, const std::string&,
                              std::optional<tavo::TextReader>, int&, class ReportSink&);
    void Clear();

    tavo::ZeroedArray<std::int32_t> timeTally_;  // [day][hour][band][country]
    std::array<std::array<std::int32_t, CountrySlots>, Bands> countryTally_{};
    std::array<std::array<std::int32_t, Continents + 1>, Bands> continentTally_{};
    std::array<std::int32_t, CountrySlots> countryTotal_{};
    tavo::ZeroedArray<long long> chartHours_;  // [day][hour][band][continent 1..6]
    // The rows (day, hour, band) that hold a count, each listed once. A byte
    // per row, as every QSO tests its row: no bit to mask out of a word.
    std::vector<std::uint8_t> rowUsed_;
    std::vector<std::size_t> usedRows_;
    tv_util2::Detection detection_;
    tv_util2::ColumnLayout layout_{};
    int qsoCount_ = 0;
    int chartDay_ = 0;
    int firstHour_ = 0;
    int startStamp_ = 0;
    std::string reportBase_;
    std::vector<std::string> modes_;
    std::vector<long long> modeQsos_;
    std::array<long long, Bands> bandTotals_{};
    long long unstamped_ = 0;
    long long chartedQsos_ = 0;
    long long unknownQsos_ = 0;
    std::array<WorkedCount, CountrySlots> countryWorked_{};
    std::array<ZoneCount, ZoneSlots> zoneWorked_{};
    std::vector<MinuteRun> minuteRuns_;
    std::vector<std::string> unknownCalls_;
    std::unordered_set<std::string> unknownSeen_;
    std::array<std::int64_t, ChartDays> dayOpened_{NoStamp, NoStamp, NoStamp};
    int qsoLimit_ = std::numeric_limits<std::int32_t>::max();
    int offThreshold_ = DefaultOffTime;
    bool keepCalls_ = false;
    std::unordered_set<std::string> workedCalls_;
    bool wholeLog_ = true;
};

struct ContestModel;

// One output of a pass: its extension beside the log and the renderer that
// writes it from the pass's model.
struct OutputKind {
    std::string_view Name;       // how messages call it: "report", "page"
    std::string_view Extension;  // ".tavo": the log's own extension replaced by it
    void (*Render)(tavo::TextWriter& Out, const ContestModel& Model);
    // Whether it shows the figures over every QSO (modes, zones, rates, off
    // times, progress, unknown calls), not the breakdown and the charts alone.
    bool WholeLog;
};

// Where a pass that took the log puts its outputs.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    // False when an output cannot be created; write errors raise tavo::IoError.
    virtual bool Write(const ContestModel& Model) = 0;
    // Whether anything it writes shows the figures over every QSO: a pass
    // counts them, and its model holds them, only then. A text report alone
    // needs none, and they are a good part of a small log's cost.
    virtual bool WholeLog() const { return true; }
};

// An output beside the log, named by OutputFileName and written through
// WriteBesideLog's safe replacement.
class OutputBesideLog : public ReportSink {
public:
    explicit OutputBesideLog(const OutputKind& Kind) : kind_(Kind) {}
    bool Write(const ContestModel& Model) override;
    bool WholeLog() const override { return kind_.WholeLog; }

private:
    const OutputKind& kind_;
};

// An output to a writer the caller owns, such as standard output.
class OutputTo : public ReportSink {
public:
    OutputTo(const OutputKind& Kind, tavo::TextWriter& Out) : kind_(Kind), out_(Out) {}
    bool Write(const ContestModel& Model) override;
    bool WholeLog() const override { return kind_.WholeLog; }

private:
    const OutputKind& kind_;
    tavo::TextWriter& out_;
};

// Several sinks in turn; a later one is not written when an earlier one fails.
class SinkList : public ReportSink {
public:
    void Add(ReportSink& Sink) { sinks_.push_back(&Sink); }
    bool Write(const ContestModel& Model) override;
    bool WholeLog() const override;

private:
    std::vector<ReportSink*> sinks_;
};

// Each of Kinds beside the log, in turn, as the window's Execute and `tavo
// report` write them.
class OutputsBesideLog : public ReportSink {
public:
    explicit OutputsBesideLog(std::span<const OutputKind* const> Kinds);
    bool Write(const ContestModel& Model) override { return list_.Write(Model); }
    bool WholeLog() const override { return list_.WholeLog(); }

private:
    std::vector<OutputBesideLog> beside_;
    SinkList list_;
};

// One pass over a log into Pass, then its model to Sink. The number of
// worked stations after a pass that wrote the report; 0 with Format -1 for a
// refused format; -1 when the log cannot be opened or the report cannot be
// created (or is the log itself, through a link). Format is 1 or 2 when the
// format was taken. Read and write errors after an open raise tavo::IoError;
// the report beside the log then stays as it was before.
int AnalyzeLog(const cty_utl3::CountryDatabase& Db, LogPass& Pass, const std::string& FileName,
               int& Format, ReportSink& Sink);
// The same for a log its caller opened (empty when the open failed), so that
// the caller can tell a missing log from the open it needs anyway.
int AnalyzeOpenLog(const cty_utl3::CountryDatabase& Db, LogPass& Pass, const std::string& FileName,
                   std::optional<tavo::TextReader> Log, int& Format, ReportSink& Sink);
// The same with the default database and pass, the report beside the log.
int AnalyzeLog(const std::string& FileName, int& Format);

// The pass the window's Execute fills, read through the names below.
LogPass& DefaultLogPass();

// The log path without its extension; the report is this plus ".tavo". A log
// that already ends in ".tavo" keeps its whole name, so a report can never
// replace its log.
std::string DropExtension(std::string_view FileName);
std::string ReportFileName(std::string_view LogFileName);
// The rule of every output beside a log: the log's path with its extension
// replaced by Ext, or with Ext added when it already ends in Ext.
std::string OutputFileName(std::string_view LogFileName, std::string_view Ext);
// Writes an output of the log's (its report, its page) through Write into a
// temporary file that replaces OutputName only when complete. False, with
// nothing written, when OutputName is the log itself under another name, when
// the log is a descriptor such as /dev/stdin, or when it cannot be created.
// The log's identity, when the caller has it from the open, spares a look.
bool WriteBesideLog(const std::string& LogFileName, const std::string& OutputName,
                    const std::function<void(tavo::TextWriter&)>& Write,
                    std::optional<tavo::FileIdentity> LogIdentity = std::nullopt);

// A fixed-column field read as a number, -1 when it is not one.
int FieldToInt(std::string_view Line, tv_util2::ColumnSpan Span);

// The three-character label of bands 0..10; other indexes leave Label as it was.
void BandLabel(int Index, std::string& Label);

// The tallies of the default pass.
int TimeTally(int Day, int Hour, int Band, int Country);
int CountryTally(int Band, int Country);
int ContinentTally(int Band, int Continent);
int CountryTotal(int Country);
int QsoCount();
int ChartDay();
int FirstHour();
int StartStamp();

// "Worked N stations / File type ..." for a pass of Count stations in Format 1 or 2.
std::string WorkedStatus(int Count, int Format);

// Per HF band over every country: the QSOs, and the countries worked.
struct CountryColumns {
    std::array<long long, HfBands> Qsos{};
    std::array<long long, HfBands> Worked{};
};

// One time chart's cells: [hour of the day][continent 1..6].
using HourTable = std::array<std::array<long long, Continents + 1>, Hours>;

// The text report's writers, from the model of a pass.
void WriteBreakdownReport(tavo::TextWriter& Report, const ContestModel& Model);
void WriteAllBandTimeChart(tavo::TextWriter& Report, const ContestModel& Model);
void WriteBandTimeCharts(tavo::TextWriter& Report, const ContestModel& Model);

// The text report beside the log, as the window's Execute writes it.
inline constexpr OutputKind TextReport{"report", ".tavo", &WriteBreakdownReport, false};

}  // namespace u_tavo300
