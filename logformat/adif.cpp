#include "logformat/adif.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include "common/text.h"
#include "platform/text_file.h"

namespace tv_util2 {

namespace {

std::atomic<const AdxParser*> adxParser{nullptr};

constexpr std::array<std::string_view, AdifFieldCount> kFieldNames = {
    "CALL", "BAND", "FREQ", "QSO_DATE", "TIME_ON", "TIME_OFF", "MODE"};

// ADIF's band names for bands 0..9; every other band is 10.
constexpr std::array<std::string_view, 10> kBandNames = {"160m", "80m", "40m", "20m",  "15m",
                                                         "10m",  "6m",  "2m",  "70cm", "23cm"};

// Letters, digits and "_", by a table: every byte of a tag's name is looked up.
constexpr std::array<bool, 256> kNameChars = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] =
            tavo::IsDigitAscii(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    return table;
}();

bool IsNameChar(int c) { return c >= 0 && kNameChars[static_cast<std::size_t>(c)]; }

int Number(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// FREQ in MHz, "digits[.digits]", as kHz: the whole MHz times 1000 plus the
// first three decimals. Empty for any other text, and for MHz beyond any band.
std::optional<std::uint64_t> FreqKhz(std::string_view text) {
    const std::size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    std::string_view decimals = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (!tavo::AllDigits(whole)) return std::nullopt;
    if (dot != std::string_view::npos && !tavo::AllDigits(decimals)) return std::nullopt;
    whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.size() > 9) return std::nullopt;
    std::uint64_t khz = static_cast<std::uint64_t>(Number(whole)) * 1000;
    for (std::size_t i = 0; i < 3; ++i) {
        khz += static_cast<std::uint64_t>(i < decimals.size() ? decimals[i] - '0' : 0) *
               (i == 0   ? 100
                : i == 1 ? 10
                         : 1);
    }
    return khz;
}

int BandOf(const AdifRecord& record, std::optional<std::uint64_t> khz) {
    const std::string& band = record[AdifField::Band];
    if (!band.empty()) {
        for (std::size_t i = 0; i < kBandNames.size(); ++i) {
            if (tavo::SameTextAscii(band, kBandNames[i])) return static_cast<int>(i);
        }
        return 10;
    }
    return khz ? KhzBandOf(*khz) : 10;
}

// --- .adi: tags and data, read as a stream of bytes -----------------------

// Longer than any real tag; a longer run of name characters is text. It also
// bounds the look-ahead that a "<" inside a field's data costs.
constexpr std::size_t kMaxTag = 256;
constexpr std::size_t kChunk = std::size_t{1} << 16;

// The bytes of the log from the cursor on, held only as far as looked ahead.
class ByteWindow {
public:
    explicit ByteWindow(tavo::TextReader& log) : log_(log) {}

    // The bytes after the cursor that are held, at least n of them unless the
    // file ends first; valid up to the next call that looks further.
    std::string_view Ahead(std::size_t n) {
        while (end_ - pos_ < n && Refill()) {
        }
        return {buf_.get() + pos_, end_ - pos_};
    }
    // Moves the cursor over n bytes that Ahead has shown.
    void Advance(std::size_t n) { pos_ += n; }

private:
    bool Refill() {
        if (eof_) return false;
        if (pos_ > 0) {
            std::memmove(buf_.get(), buf_.get() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (size_ < end_ + kChunk) {
            // Grown without zero-filling: each log's detection and reading make a window.
            auto grown = std::make_unique_for_overwrite<char[]>(end_ + kChunk);
            if (end_ > 0) std::memcpy(grown.get(), buf_.get(), end_);
            buf_ = std::move(grown);
            size_ = end_ + kChunk;
        }
        const std::size_t got = log_.ReadBytes(buf_.get() + end_, kChunk);
        end_ += got;
        if (got < kChunk) eof_ = true;
        return got > 0;
    }

    tavo::TextReader& log_;
    std::unique_ptr<char[]> buf_;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
};

enum class TagKind { None, Field, Eor, Eoh, Other };

struct Tag {
    TagKind Kind = TagKind::None;
    std::size_t Size = 0;      // bytes from "<" to ">"
    std::string_view Name;     // in the window, up to its next look ahead
    std::uint64_t Length = 0;  // saturates: a huge LENGTH reads to the end
};

class AdiScanner {
public:
    struct Event {
        TagKind Kind;  // Field, Eor, Eoh, or None at the end of the file
        std::optional<AdifField> Field;
    };

    explicit AdiScanner(tavo::TextReader& log) : in_(log) {}

    // The next field, <EOR> or <EOH>; a field a pass reads has its data in Value().
    Event Next() {
        for (;;) {
            // Text outside tags is skipped a run at a time, up to the next "<".
            const std::string_view ahead = in_.Ahead(1);
            if (ahead.empty()) return {TagKind::None, {}};
            const void* open = std::memchr(ahead.data(), '<', ahead.size());
            if (open == nullptr) {
                in_.Advance(ahead.size());
                continue;
            }
            in_.Advance(static_cast<std::size_t>(static_cast<const char*>(open) - ahead.data()));
            Tag tag = Match();
            switch (tag.Kind) {
                case TagKind::None: in_.Advance(1); continue;
                case TagKind::Other: in_.Advance(tag.Size); continue;
                case TagKind::Eor:
                case TagKind::Eoh: in_.Advance(tag.Size); return {tag.Kind, {}};
                case TagKind::Field: {
                    in_.Advance(tag.Size);
                    std::optional<AdifField> field = AdifFieldNamed(tag.Name);
                    ReadData(tag.Length, field.has_value());
                    return {TagKind::Field, field};
                }
            }
        }
    }

    const std::string& Value() const { return value_; }

private:
    // The data is LENGTH bytes, cut short by the end of the file or by a
    // field tag, <EOR> or <EOH> that starts inside them: writers that count
    // too far swallow the next tag, even by a single byte, and reading goes
    // on from it.
    void ReadData(std::uint64_t length, bool keep) {
        value_.clear();
        while (length > 0) {
            const std::string_view ahead = in_.Ahead(1);
            if (ahead.empty()) return;
            // The run up to the next "<" is data; a "<" is data unless a tag starts there.
            const std::size_t span =
                static_cast<std::size_t>(std::min<std::uint64_t>(length, ahead.size()));
            const void* open = std::memchr(ahead.data(), '<', span);
            std::size_t run =
                open == nullptr
                    ? span
                    : static_cast<std::size_t>(static_cast<const char*>(open) - ahead.data());
            if (run == 0) {
                const TagKind kind = Match().Kind;
                if (kind == TagKind::Field || kind == TagKind::Eor || kind == TagKind::Eoh) return;
                run = 1;
            }
            if (keep) {
                const std::size_t room = AdifFieldKept - std::min(value_.size(), AdifFieldKept);
                value_.append(in_.Ahead(run).substr(0, std::min(run, room)));
            }
            in_.Advance(run);
            length -= run;
        }
    }

    // The tag at the cursor ("<" there): <NAME>, <NAME:LENGTH> or
    // <NAME:LENGTH:TYPE>, TYPE possibly empty.
    Tag Match() {
        // No tag is longer than kMaxTag, so one look ahead holds all of it.
        const std::string_view t = in_.Ahead(kMaxTag + 1);
        auto at = [&t](std::size_t i) {
            return i < t.size() ? static_cast<unsigned char>(t[i]) : -1;
        };
        auto fits = [](std::size_t n) { return n < kMaxTag; };
        Tag tag;
        std::size_t i = 1;
        const std::size_t held = std::min(t.size(), kMaxTag);
        while (i < held && kNameChars[static_cast<unsigned char>(t[i])]) ++i;
        if (i == 1 || !fits(i)) return {};
        tag.Name = t.substr(1, i - 1);
        if (at(i) == '>') {
            tag.Size = i + 1;
            tag.Kind = tavo::SameTextAscii(tag.Name, "EOR")   ? TagKind::Eor
                       : tavo::SameTextAscii(tag.Name, "EOH") ? TagKind::Eoh
                                                              : TagKind::Other;
            return tag;
        }
        if (at(i) != ':') return {};
        const std::size_t digits = ++i;
        constexpr std::uint64_t kMax = UINT64_MAX / 10 - 1;
        while (fits(i) && tavo::IsDigitAscii(at(i))) {
            tag.Length = tag.Length > kMax
                             ? UINT64_MAX
                             : tag.Length * 10 + static_cast<std::uint64_t>(at(i) - '0');
            ++i;
        }
        if (i == digits || !fits(i)) return {};
        if (at(i) == ':') {
            ++i;
            while (fits(i) && IsNameChar(at(i))) ++i;
            if (!fits(i)) return {};
        }
        if (at(i) != '>') return {};
        tag.Size = i + 1;
        tag.Kind = TagKind::Field;
        return tag;
    }

    ByteWindow in_;
    std::string value_;
};

tavo::TextReader& Rewound(tavo::TextReader& log) {
    log.Rewind(tavo::TextReader::CtrlZ::IsText);
    return log;
}

// Whether the log has a header: everything before its first <EOH>.
bool HasHeader(tavo::TextReader& log) {
    AdiScanner scan(log);
    for (;;) {
        const TagKind kind = scan.Next().Kind;
        if (kind == TagKind::Eoh) return true;
        if (kind == TagKind::None) return false;
    }
}

class AdiReader : public LogReader {
public:
    explicit AdiReader(tavo::TextReader& log) : inHeader_(HasHeader(log)), scan_(Rewound(log)) {}

    bool Next(LogQso& q) override {
        while (!ended_) {
            const AdiScanner::Event event = scan_.Next();
            switch (event.Kind) {
                case TagKind::Field:
                    if (!inHeader_ && event.Field) record_.Set(*event.Field, scan_.Value());
                    break;
                case TagKind::Eoh:
                    if (inHeader_) record_.Clear();
                    inHeader_ = false;
                    break;
                case TagKind::Eor: {
                    // The QSO's texts lie in its record, which is held up to the next one.
                    std::swap(record_, held_);
                    record_.Clear();
                    const bool qso = !inHeader_ && QsoFromRecord(held_, q);
                    if (qso) return true;
                    break;
                }
                default:
                    // A last record that the file ends without an <EOR> still counts.
                    ended_ = true;
                    if (!inHeader_ && QsoFromRecord(record_, q)) return true;
                    break;
            }
        }
        return false;
    }

private:
    bool inHeader_;
    AdiScanner scan_;
    AdifRecord record_;
    AdifRecord held_;  // the record the last QSO's texts lie in
    bool ended_ = false;
};

class AdxReader : public LogReader {
public:
    explicit AdxReader(std::unique_ptr<AdxRecords> records) : records_(std::move(records)) {}

    bool Next(LogQso& q) override {
        while (records_->Next(record_)) {
            if (QsoFromRecord(record_, q)) return true;
        }
        return false;
    }

private:
    std::unique_ptr<AdxRecords> records_;
    AdifRecord record_;
};

bool HoldsEor(tavo::TextReader& log) {
    constexpr std::string_view kEor = "<EOR>";
    const auto buf = std::make_unique_for_overwrite<char[]>(kChunk);
    std::size_t matched = 0;
    for (;;) {
        const std::size_t got = log.ReadBytes(buf.get(), kChunk);
        for (std::size_t i = 0; i < got;) {
            if (matched == 0) {
                // Outside a possible tag, only the next "<" matters.
                const void* open = std::memchr(buf.get() + i, '<', got - i);
                if (open == nullptr) break;
                i = static_cast<std::size_t>(static_cast<const char*>(open) - buf.get()) + 1;
                matched = 1;
                continue;
            }
            const char c = tavo::UpperAscii(buf[i++]);
            matched = c == kEor[matched] ? matched + 1 : c == '<' ? 1 : 0;
            if (matched == kEor.size()) return true;
        }
        if (got < kChunk) return false;
    }
}

}  // namespace

void AdifRecord::Set(AdifField Field, std::string_view Value) {
    const auto i = static_cast<std::size_t>(Field);
    if (Seen[i]) return;
    Seen[i] = true;
    Values[i].assign(Value.substr(0, AdifFieldKept));
}

void AdifRecord::Clear() {
    for (std::string& value : Values) value.clear();
    Seen.fill(false);
}

std::optional<AdifField> AdifFieldNamed(std::string_view Name) {
    for (std::size_t i = 0; i < kFieldNames.size(); ++i) {
        if (tavo::SameTextAscii(Name, kFieldNames[i])) return static_cast<AdifField>(i);
    }
    return std::nullopt;
}

bool QsoFromRecord(const AdifRecord& Record, LogQso& Qso) {
    const std::string_view call = tavo::Trim(Record[AdifField::Call]);
    if (call.empty()) return false;
    Qso.Call = call;
    const std::optional<std::uint64_t> khz = FreqKhz(Record[AdifField::Freq]);
    Qso.Khz = khz.value_or(0);
    Qso.Band = BandOf(Record, khz);

    const std::string_view date = tavo::Trim(Record[AdifField::QsoDate]);
    Qso.Day = -1;
    Qso.DateDays.reset();
    bool calendarDate = false;
    if (date.size() == 8 && tavo::AllDigits(date)) {
        const int year = Number(date.substr(0, 4));
        const int month = Number(date.substr(4, 2)), day = Number(date.substr(6, 2));
        if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
            Qso.Day = day;
            Qso.DateDays = DaysFromCivil(year, month, day);
            calendarDate = IsCalendarDate(year, month, day);
        }
    }

    // Some loggers write only the time the QSO ended.
    std::string_view time = tavo::Trim(Record[AdifField::TimeOn]);
    if (time.empty()) time = tavo::Trim(Record[AdifField::TimeOff]);
    Qso.Hour = tavo::ParseInt32(tavo::Trim(time.substr(0, 2))).value_or(-1);
    // The stamp needs a real calendar date and a time of 00:00-23:59 (HHMM or
    // HHMMSS); the chart day above takes any day up to 31, as for every format.
    Qso.Stamp = NoStamp;
    if (calendarDate && (time.size() == 4 || time.size() == 6) && tavo::AllDigits(time)) {
        const int hour = Number(time.substr(0, 2)), minute = Number(time.substr(2, 2));
        const bool seconds = time.size() == 4 || Number(time.substr(4, 2)) < 60;
        if (hour < 24 && minute < 60 && seconds)
            Qso.Stamp = std::int64_t{*Qso.DateDays} * 1440 + hour * 60 + minute;
    }
    Qso.Mode = Record[AdifField::Mode];
    return true;
}

void InstallAdxParser(const AdxParser* Parser) { adxParser.store(Parser); }

bool HoldsAdif(tavo::TextReader& Log) {
    if (const AdxParser* parser = adxParser.load(); parser != nullptr && parser->IsAdx(Log))
        return true;
    Log.Rewind(tavo::TextReader::CtrlZ::IsText);
    return HoldsEor(Log);
}

std::unique_ptr<LogReader> OpenAdifReader(tavo::TextReader& Log, const Detection&,
                                          const ColumnLayout&) {
    if (const AdxParser* parser = adxParser.load();
        parser != nullptr && parser->IsAdx(Rewound(Log))) {
        return std::make_unique<AdxReader>(parser->Open(Rewound(Log)));
    }
    return std::make_unique<AdiReader>(Rewound(Log));
}

}  // namespace tv_util2
