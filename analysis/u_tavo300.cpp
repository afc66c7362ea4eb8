#include "analysis/u_tavo300.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "analysis/model.h"
#include "common/paths.h"
#include "common/text.h"
#include "logformat/log_formats.h"
#include "logformat/log_reader.h"

namespace u_tavo300 {

namespace {

constexpr std::size_t kTimeCells = std::size_t{ChartDays} * Hours * Bands * CountrySlots;
constexpr std::size_t kChartCells = std::size_t{ChartDays} * Hours * Bands * (Continents + 1);
constexpr std::size_t kRows = std::size_t{ChartDays} * Hours * Bands;

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

// What the counts over the whole log take from a QSO.
struct QsoFacts {
    std::int64_t Minute = NoStamp;  // NoStamp when its date or time is not a real one
    std::int32_t Mode = 0;          // index into LogPass::Modes()
    int Country = -1;               // -1 for no country
    int Band = 10;
    int Zone = -1;  // the CQ zone, -1 for none
};

// Keeps the earliest stamp; ties stay with the QSO met first, as the
// QSOs come in file order. A QSO without a stamp is never the first, and
// NoStamp is also what a country or zone not yet worked holds.
void Consider(FirstWorked& first, const QsoFacts& q) {
    if (q.Minute != NoStamp && (first.Minute == NoStamp || q.Minute < first.Minute))
        first = {q.Minute, q.Band};
}

}  // namespace

LogPass::LogPass() : timeTally_(kTimeCells), chartHours_(kChartCells), rowUsed_(kRows, 0) {}

void LogPass::Clear() {
    // Only the rows a pass wrote hold anything, so only they are cleared: a
    // small log costs little however many days its charts span.
    for (std::size_t row : usedRows_) {
        std::fill_n(timeTally_.data() + row * CountrySlots, CountrySlots, 0);
        std::fill_n(chartHours_.data() + row * (Continents + 1), Continents + 1, 0);
        rowUsed_[row] = 0;
    }
    usedRows_.clear();
    // A country's tallies count along with its total: a country whose total
    // is 0 has none on any band, and a log works few of the 500.
    for (std::size_t c = 0; c < countryTotal_.size(); ++c) {
        if (countryTotal_[c] == 0) continue;
        for (auto& band : countryTally_) band[c] = 0;
        countryTotal_[c] = 0;
    }
    for (auto& band : continentTally_) band.fill(0);
    detection_ = {};
    layout_ = {};
    qsoCount_ = 0;
    chartDay_ = 0;
    firstHour_ = 0;
    startStamp_ = 0;
    reportBase_.clear();
    dayOpened_.fill(NoStamp);
    modes_.clear();
    modeQsos_.clear();
    bandTotals_.fill(0);
    unstamped_ = 0;
    chartedQsos_ = 0;
    unknownQsos_ = 0;
    // Only what was worked holds anything; an entry's stamp starts as NoStamp,
    // so a fill would store every field of every entry. A pass that did not
    // count the whole log left them as they were.
    if (wholeLog_) {
        for (WorkedCount& country : countryWorked_) {
            if (country.Total != 0) country = {};
        }
        for (ZoneCount& zone : zoneWorked_) {
            if (zone.Total != 0) zone = {};
        }
    }
    minuteRuns_.clear();
    unknownCalls_.clear();
    unknownSeen_.clear();
    workedCalls_.clear();
}

std::array<unsigned, ChartDays + 1> LogPass::BandsOn() const {
    static_assert(Bands <= 32);
    std::array<unsigned, ChartDays + 1> on{};
    for (std::size_t row : usedRows_) on[row / (Hours * Bands) + 1] |= 1u << row % Bands;
    return on;
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

// One pass of one log: reads the QSO lines into the pass's tallies,
// resolving calls with the database it is given.
class PassRunner {
public:
    PassRunner(const cty_utl3::CountryDatabase& db, LogPass& pass) : db_(db), pass_(pass) {}

    // Reads the QSO lines into TimeTally and the tables summed from it, and
    // into the counts over every QSO. A line with no hour, or past the third
    // chart day, is a worked station without a cell.
    void ReadLog(tavo::TextReader& log) {
        const tv_util2::LogFormatEntry* format = tv_util2::FindLogFormat(pass_.Format());
        std::unique_ptr<tv_util2::LogReader> reader =
            format->OpenReader(log, pass_.detection_, pass_.layout_);
        tv_util2::LogQso qso;
        // The first chart day opens with the first QSO: a log without one has none.
        pass_.chartDay_ = 1;
        while (reader->Next(qso)) {
            // Every count is 32-bit: past the limit it would wrap into a wrong one.
            if (pass_.qsoCount_ >= pass_.qsoLimit_) {
                throw tavo::IoError(log.Name(), "more than " + std::to_string(pass_.qsoLimit_) +
                                                    " QSOs, too many to count");
            }
            QsoFacts facts;
            const Qso q = Decode(qso, facts);
            ++pass_.qsoCount_;
            const int chartDay = Chart(q, facts.Minute);
            if (wholeLog_) Count(facts, chartDay);
        }
        if (pass_.qsoCount_ == 0) pass_.chartDay_ = 0;
        // Logs are written as they are worked: the sort is nearly never needed.
        std::vector<MinuteRun>& runs = pass_.minuteRuns_;
        if (!runsSorted_) {
            std::sort(runs.begin(), runs.end(),
                      [](const MinuteRun& a, const MinuteRun& b) { return a.Minute < b.Minute; });
            std::size_t kept = 0;
            for (std::size_t i = 1; i < runs.size(); ++i) {
                if (runs[i].Minute == runs[kept].Minute)
                    runs[kept].Qsos += runs[i].Qsos;
                else
                    runs[++kept] = runs[i];
            }
            runs.resize(kept + 1);
        }
    }

private:
    Qso Decode(const tv_util2::LogQso& qso, QsoFacts& r) {
        Qso q{};
        q.band = qso.Band;
        q.hour = qso.Hour >= 0 && qso.Hour < Hours ? qso.Hour : -1;
        // Fixed-width fields carry padding blanks, which would count toward the
        // slash rule of a portable call such as "W1AW/KH6".
        const std::string_view call = tavo::Trim(qso.Call);
        const cty_utl3::CallResolution found = db_.Resolve(call);
        if (keepCalls_ && !call.empty()) pass_.workedCalls_.insert(tavo::UpperAscii(call));
        const int country = found.Country;
        q.country = country >= 0 && country < CountrySlots ? country : 0;
        // The date, when the log has one, keeps the stamp rising across a month
        // end; otherwise the day of the month is all there is.
        if (q.hour >= 0) q.stamp = (qso.DateDays ? *qso.DateDays : qso.Day) * 24 + q.hour;
        r.Minute = qso.Stamp;
        if (!wholeLog_) return q;
        r.Mode = ModeIndex(qso.Mode);
        r.Band = q.band;
        if (country > 0 && country < CountrySlots) {
            r.Country = country;
            r.Zone = found.CqZone >= 1 && found.CqZone < ZoneSlots ? found.CqZone : -1;
        } else if (country < 0 && !call.empty() && call != lastUnknown_) {
            lastUnknown_.assign(call);
            NoteUnknownCall(call);
        }
        return q;
    }

    // Counts the QSO into its cell of TimeTally and the tables derived from
    // it; its chart day, or 0 when it has no cell.
    int Chart(const Qso& q, std::int64_t minute) {
        if (q.hour < 0) return 0;
        if (!anchored_) {
            anchored_ = true;
            pass_.firstHour_ = q.hour;
            pass_.startStamp_ = q.stamp;
            pass_.dayOpened_[0] = minute;
        } else if (q.stamp >= pass_.chartDay_ * 24 + pass_.startStamp_) {
            if (pass_.chartDay_ == ChartDays) return 0;
            pass_.dayOpened_[static_cast<std::size_t>(pass_.chartDay_)] = minute;
            ++pass_.chartDay_;
        }
        const std::size_t row = RowIndex(pass_.chartDay_, q.hour, q.band);
        if (pass_.rowUsed_[row] == 0) {
            pass_.rowUsed_[row] = 1;
            pass_.usedRows_.push_back(row);
        }
        const auto c = static_cast<std::size_t>(q.country);
        ++pass_.timeTally_[row * CountrySlots + c];
        // The tables derived from the cell count along with it: the
        // country's and its continent's by band, and the charts' cells.
        // A country the table does not hold has no row in them.
        if (q.country <= countries_) {
            ++pass_.countryTally_[static_cast<std::size_t>(q.band)][c];
            ++pass_.countryTotal_[c];
            if (const int k = ContinentOf(q.country); k != 0) {
                ++pass_.continentTally_[static_cast<std::size_t>(q.band)]
                                       [static_cast<std::size_t>(k)];
                ++pass_.chartHours_[row * (Continents + 1) + static_cast<std::size_t>(k)];
            }
        }
        return pass_.chartDay_;
    }

    // The counts over every QSO, whatever its cell.
    void Count(const QsoFacts& q, int chartDay) {
        ++pass_.modeQsos_[static_cast<std::size_t>(q.Mode)];
        ++pass_.bandTotals_[static_cast<std::size_t>(q.Band)];
        std::vector<MinuteRun>& runs = pass_.minuteRuns_;
        if (q.Minute == NoStamp) {
            ++pass_.unstamped_;
        } else if (!runs.empty() && runs.back().Minute == q.Minute) {
            ++runs.back().Qsos;
        } else {
            runsSorted_ = runsSorted_ && (runs.empty() || runs.back().Minute < q.Minute);
            runs.push_back({q.Minute, 1});
        }
        pass_.chartedQsos_ += chartDay > 0;
        if (q.Country < 0) {
            ++pass_.unknownQsos_;
            return;
        }
        WorkedCount& country = pass_.countryWorked_[static_cast<std::size_t>(q.Country)];
        ++country.Total;
        Consider(country.First, q);
        if (q.Zone < 1) return;
        ZoneCount& zone = pass_.zoneWorked_[static_cast<std::size_t>(q.Zone)];
        ++zone.Total;
        ++zone.ByBand[static_cast<std::size_t>(q.Band)];
        Consider(zone.First, q);
    }

    // Nearly every line repeats the mode of the one before, so the last text
    // read, as cut, is compared first.
    std::int32_t ModeIndex(std::string_view text) {
        if (text.size() == lastModeSize_ && tavo::SameBytes(text, lastModeText_.data()))
            return lastMode_;
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
        if (found == modes.end()) {
            found = modes.insert(modes.end(), upper);
            pass_.modeQsos_.push_back(0);
        }
        lastMode_ = static_cast<std::int32_t>(found - modes.begin());
        return lastMode_;
    }

    // The continent 1..6 of a known country, 0 for none (and for the unknown
    // bucket 0), looked up in the table once per country a pass meets.
    int ContinentOf(int country) {
        std::int8_t& k = continentOf_[static_cast<std::size_t>(country)];
        if (k == kNotLookedUp) {
            const int continent = country == 0 ? 0 : db_.Country(country).Continent;
            k = static_cast<std::int8_t>(continent >= 1 && continent <= Continents ? continent : 0);
        }
        return k;
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
    std::string lastUnknown_;
    const int countries_ = db_.CountryCount();
    const bool keepCalls_ = pass_.keepCalls_;
    const bool wholeLog_ = pass_.wholeLog_;
    bool anchored_ = false;  // FirstHour and StartStamp are known
    bool runsSorted_ = true;
    static constexpr std::int8_t kNotLookedUp = -1;
    std::array<std::int8_t, CountrySlots> continentOf_ = [] {
        std::array<std::int8_t, CountrySlots> a;
        a.fill(kNotLookedUp);
        return a;
    }();
};

int AnalyzeLog(const cty_utl3::CountryDatabase& Db, LogPass& Pass, const std::string& FileName,
               int& Format, ReportSink& Sink) {
    return AnalyzeOpenLog(Db, Pass, FileName, tavo::TextReader::Open(FileName), Format, Sink);
}

// Opened once: the pass reads the very file detection read, never a second
// open of a name that might lead elsewhere by then.
int AnalyzeOpenLog(const cty_utl3::CountryDatabase& Db, LogPass& Pass, const std::string& FileName,
                   std::optional<tavo::TextReader> log, int& Format, ReportSink& Sink) {
    Pass.Clear();
    Pass.reportBase_ = DropExtension(FileName);
    Format = -1;
    if (!log) return -1;
    Pass.detection_ = tv_util2::DetectLog(*log);
    tv_util2::GetColumnLayout(Pass.detection_, Pass.layout_);
    if (!tv_util2::IsAnalysed(Pass.Format())) {
        return 0;
    }
    Format = Pass.Format();
    log->Rewind(tavo::TextReader::CtrlZ::EndsFile);
    Pass.wholeLog_ = Sink.WholeLog();
    PassRunner runner(Db, Pass);
    runner.ReadLog(*log);
    const std::optional<tavo::FileIdentity> identity = log->Identity();
    log.reset();
    ContestModel model = BuildModel(Pass, Db, FileName);
    model.LogIdentity = identity;
    if (!Sink.Write(model)) return -1;
    return Pass.QsoCount();
}

int AnalyzeLog(const std::string& FileName, int& Format) {
    OutputBesideLog beside(TextReport);
    return AnalyzeLog(cty_utl3::DefaultCountryDatabase(), DefaultLogPass(), FileName, Format,
                      beside);
}

bool WriteBesideLog(const std::string& LogFileName, const std::string& OutputName,
                    const std::function<void(tavo::TextWriter&)>& Write,
                    std::optional<tavo::FileIdentity> LogIdentity) {
    // A log handed over as a descriptor has no folder to put anything in.
    if (tavo::IsDescriptorName(LogFileName)) return false;
    // An output name linked to the log itself would replace the log: the
    // replacement refuses it from the look it takes at the name anyway.
    if (!LogIdentity) LogIdentity = tavo::IdentityOf(LogFileName);
    std::optional<tavo::TextWriter> out =
        tavo::TextWriter::Replace(OutputName, tavo::TextWriter::Sync::None, LogIdentity);
    if (!out) return false;
    Write(*out);
    out->Close();
    return true;
}

bool OutputBesideLog::Write(const ContestModel& Model) {
    return WriteBesideLog(
        Model.LogFileName, OutputFileName(Model.LogFileName, kind_.Extension),
        [&](tavo::TextWriter& out) { kind_.Render(out, Model); }, Model.LogIdentity);
}

bool OutputTo::Write(const ContestModel& Model) {
    kind_.Render(out_, Model);
    return true;
}

OutputsBesideLog::OutputsBesideLog(std::span<const OutputKind* const> Kinds) {
    beside_.reserve(Kinds.size());
    for (const OutputKind* kind : Kinds) beside_.emplace_back(*kind);
    for (OutputBesideLog& sink : beside_) list_.Add(sink);
}

bool SinkList::Write(const ContestModel& Model) {
    for (ReportSink* sink : sinks_) {
        if (!sink->Write(Model)) return false;
    }
    return true;
}

bool SinkList::WholeLog() const {
    return std::any_of(sinks_.begin(), sinks_.end(),
                       [](const ReportSink* sink) { return sink->WholeLog(); });
}

std::vector<std::string> LogPass::WorkedCalls() const {
    std::vector<std::string> calls(workedCalls_.begin(), workedCalls_.end());
    std::sort(calls.begin(), calls.end());
    return calls;
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
