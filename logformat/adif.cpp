#include "logformat/adif.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

#include "common/text.h"
#include "platform/text_file.h"

namespace tv_util2 {

namespace {

std::atomic<const AdxParser*> adxParser{nullptr};

// ADIF's band names for bands 0..9; every other band is 10.
constexpr std::array<std::string_view, 10> kBandNames = {"160m", "80m", "40m", "20m",  "15m",
                                                         "10m",  "6m",  "2m",  "70cm", "23cm"};

// A name of 2 to 4 bytes as one word: its bytes in upper case, and its size
// above them, so that a name is found by one compare a band.
constexpr std::uint64_t BandKey(std::string_view name) {
    std::uint64_t key = name.size();
    for (char c : name) key = key << 8 | static_cast<unsigned char>(tavo::UpperAscii(c));
    return key;
}
constexpr std::array<std::uint64_t, 10> kBandKeys = [] {
    std::array<std::uint64_t, 10> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = BandKey(kBandNames[i]);
    return keys;
}();

// Letters, digits and "_", by a table: every byte of a tag's name is looked up.
constexpr std::array<bool, 256> kNameChars = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] =
            tavo::IsDigitAscii(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    return table;
}();

// The same, as bit k in the k-th table.
constexpr std::array<std::array<unsigned char, 256>, 4> kNameBits = [] {
    std::array<std::array<unsigned char, 256>, 4> tables{};
    for (std::size_t k = 0; k < 4; ++k) {
        for (std::size_t c = 0; c < 256; ++c)
            tables[k][c] = static_cast<unsigned char>(kNameChars[c] ? 1u << k : 0u);
    }
    return tables;
}();

int Number(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// FREQ in MHz, "digits[.digits]", as kHz: the whole MHz times 1000 plus the
// first three decimals. False for any other text, and for MHz beyond any band.
bool FreqKhz(std::string_view text, std::uint64_t& khz) {
    const std::size_t n = text.size();
    std::size_t i = 0, significant = 0;
    std::uint64_t mhz = 0;
    for (; i < n && tavo::IsDigitAscii(text[i]); ++i) {
        // Leading zeros do not count towards the nine digits a MHz may have.
        if (significant == 0 && text[i] == '0') continue;
        if (++significant > 9) return false;
        mhz = mhz * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    if (i == 0) return false;
    khz = mhz * 1000;
    if (i == n) return true;
    if (text[i] != '.') return false;
    const std::size_t decimals = ++i;
    constexpr std::uint64_t kScale[3] = {100, 10, 1};
    for (; i < n && i - decimals < 3 && tavo::IsDigitAscii(text[i]); ++i)
        khz += static_cast<std::uint64_t>(text[i] - '0') * kScale[i - decimals];
    // The decimals past the kHz, which loggers often give, need only be digits.
    while (i < n && tavo::IsDigitAscii(text[i])) ++i;
    return i > decimals && i == n;
}

int BandOf(std::string_view band, bool hasKhz, std::uint64_t khz) {
    if (!band.empty()) {
        if (band.size() < 2 || band.size() > 4) return 10;
        const std::uint64_t key = BandKey(band);
        for (std::size_t i = 0; i < kBandKeys.size(); ++i) {
            if (key == kBandKeys[i]) return static_cast<int>(i);
        }
        return 10;
    }
    return hasKhz ? KhzBandOf(khz) : 10;
}

// The last QSO_DATE read, as "yyyymmdd" digits: a log's records mostly share
// their date with the record before, which then needs no second decoding.
struct DateMemo {
    char Text[8] = {};  // no digits: nothing is held yet
    int Day = -1;
    std::optional<int> Days;
    bool Calendar = false;
};

// A record's fields, each empty where absent, read as a QSO.
bool QsoFromFields(const std::array<std::string_view, AdifFieldCount>& fields, LogQso& Qso,
                   DateMemo& memo) {
    auto field = [&fields](AdifField f) { return fields[static_cast<std::size_t>(f)]; };
    const std::string_view call = tavo::Trim(field(AdifField::Call));
    if (call.empty()) return false;
    Qso.Call = call;
    std::uint64_t khz = 0;
    const bool hasKhz = FreqKhz(field(AdifField::Freq), khz);
    Qso.Khz = hasKhz ? khz : 0;
    Qso.Band = BandOf(field(AdifField::Band), hasKhz, khz);

    const std::string_view date = tavo::Trim(field(AdifField::QsoDate));
    Qso.Day = -1;
    Qso.DateDays.reset();
    bool calendarDate = false;
    if (date.size() == 8 && std::memcmp(date.data(), memo.Text, 8) == 0) {
        Qso.Day = memo.Day;
        Qso.DateDays = memo.Days;
        calendarDate = memo.Calendar;
    } else if (date.size() == 8 && tavo::AllDigits(date)) {
        const int year = Number(date.substr(0, 4));
        const int month = Number(date.substr(4, 2)), day = Number(date.substr(6, 2));
        if (month >= 1 && month <= 12 && day >= 1 && day <= 31) {
            Qso.Day = day;
            Qso.DateDays = DaysFromCivil(year, month, day);
            calendarDate = IsCalendarDate(year, month, day);
        }
        std::memcpy(memo.Text, date.data(), 8);
        memo.Day = Qso.Day;
        memo.Days = Qso.DateDays;
        memo.Calendar = calendarDate;
    }

    // Some loggers write only the time the QSO ended.
    std::string_view time = tavo::Trim(field(AdifField::TimeOn));
    if (time.empty()) time = tavo::Trim(field(AdifField::TimeOff));
    // Two digits are the hour as the general number rule reads them.
    if (time.size() >= 2 && tavo::IsDigitAscii(time[0]) && tavo::IsDigitAscii(time[1]))
        Qso.Hour = (time[0] - '0') * 10 + (time[1] - '0');
    else
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
    Qso.Mode = field(AdifField::Mode);
    return true;
}

// --- .adi: tags and data, read as a stream of bytes -----------------------

// Longer than any real tag; a longer run of name characters is text. It also
// bounds the look-ahead that a "<" inside a field's data costs.
constexpr std::size_t kMaxTag = 256;
constexpr std::size_t kChunk = std::size_t{1} << 16;
// Zero bytes behind the last byte held: they end every run of a tag, and let
// a search read whole words past the end. A window lent by the log's reader
// has as many.
constexpr std::size_t kPad = tavo::TextReader::kLendPad;

enum class TagKind { None, Field, Eor, Eoh, Other };

struct Tag {
    TagKind Kind = TagKind::None;
    std::size_t Size = 0;      // bytes from "<" to ">"
    std::size_t NameSize = 0;  // the name starts right after the "<"
    std::uint64_t Length = 0;  // saturates: a huge LENGTH reads to the end
};

// The tag at t[0] == "<": <NAME>, <NAME:LENGTH> or <NAME:LENGTH:TYPE>, TYPE
// possibly empty. The bytes from t on end in kPad zero bytes, so the runs
// need no bound of their own; a run that reaches kMaxTag makes no tag.
inline Tag MatchTag(const char* t) {
    Tag tag;
    const auto* u = reinterpret_cast<const unsigned char*>(t);
    std::size_t i = 1;
    // Names run to a dozen bytes and more: four bytes a step, up to the zeros
    // at the latest. The step's mask has bit k set where byte k is a name's;
    // its low run of ones then says where in the step the name ends.
    unsigned step;
    while ((step = kNameBits[0][u[i]] | kNameBits[1][u[i + 1]] | kNameBits[2][u[i + 2]] |
                   kNameBits[3][u[i + 3]]) == 15)
        i += 4;
    i += static_cast<std::size_t>(std::countr_one(step));
    if (i == 1) return {};
    tag.NameSize = i - 1;
    // Every run below stops at the zeros at the latest, and i only grows: one
    // test of the tag's end against kMaxTag, on the way out, bounds them all.
    if (t[i] == '>') {
        if (i >= kMaxTag) return {};
        tag.Size = i + 1;
        const std::string_view name(t + 1, i - 1);
        tag.Kind = tavo::SameTextAscii(name, "EOR")   ? TagKind::Eor
                   : tavo::SameTextAscii(name, "EOH") ? TagKind::Eoh
                                                      : TagKind::Other;
        return tag;
    }
    if (t[i] != ':') return {};
    // Most lengths have one or two digits, which cannot overflow; only a
    // longer one goes through the saturating loop.
    auto digit = [u](std::size_t at) { return static_cast<unsigned>(u[at]) - '0'; };
    if (digit(++i) > 9) return {};
    tag.Length = digit(i++);
    if (digit(i) <= 9) {
        tag.Length = tag.Length * 10 + digit(i++);
        constexpr std::uint64_t kMax = UINT64_MAX / 10 - 1;
        for (unsigned d; (d = digit(i)) <= 9; ++i)
            tag.Length = tag.Length > kMax ? UINT64_MAX : tag.Length * 10 + d;
    }
    if (t[i] == ':') {
        ++i;
        while (kNameChars[u[i]]) ++i;
    }
    if (t[i] != '>' || i >= kMaxTag) return {};
    tag.Size = i + 1;
    tag.Kind = TagKind::Field;
    return tag;
}

bool EndsData(TagKind kind) {
    return kind == TagKind::Field || kind == TagKind::Eor || kind == TagKind::Eoh;
}

// The first "<" of [from, to), or to. The kPad bytes past `to` must be
// readable, and no "<". Eight bytes are tested at a time, as one word: a byte that
// equals "<" becomes zero, and the lowest zero byte of a word sets the lowest
// flag (a borrow may set flags above it, never below).
const char* NextOpen(const char* from, const char* to) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101, kHigh = kOnes << 7;
        for (int words = 0; from < to; from += 8) {
            // Past a few words, the run is long: the C library's search is faster.
            if (++words > 4) {
                const void* open = std::memchr(from, '<', static_cast<std::size_t>(to - from));
                return open == nullptr ? to : static_cast<const char*>(open);
            }
            std::uint64_t word;
            std::memcpy(&word, from, 8);
            word ^= kOnes * '<';
            const std::uint64_t zeros = (word - kOnes) & ~word & kHigh;
            if (zeros != 0) return from + std::countr_zero(zeros) / 8;
        }
        return to;
    } else {
        const void* open = std::memchr(from, '<', static_cast<std::size_t>(to - from));
        return open == nullptr ? to : static_cast<const char*>(open);
    }
}

// The field a name of letters, digits and "_" stands for, as a tag the scan
// matched has: clearing bit 5 of each byte then folds the case and never
// makes a digit or "_" into a letter, so the name is compared as words.
inline std::optional<AdifField> FieldOfTag(const char* name, std::size_t size) {
    constexpr std::uint32_t kFold = 0xDFDFDFDF;
    auto word = [](const char* p) { return tavo::LoadWord<std::uint32_t>(p) & kFold; };
    switch (size) {
        case 4: {
            const std::uint32_t w = word(name);
            if (w == word("CALL")) return AdifField::Call;
            if (w == word("BAND")) return AdifField::Band;
            if (w == word("FREQ")) return AdifField::Freq;
            if (w == word("MODE")) return AdifField::Mode;
            return std::nullopt;
        }
        case 7:
            // Two words that overlap by one byte.
            if (word(name) == word("TIME_ON") && word(name + 3) == word("E_ON"))
                return AdifField::TimeOn;
            return std::nullopt;
        case 8: {
            const std::uint32_t head = word(name), tail = word(name + 4);
            if (head == word("QSO_") && tail == word("DATE")) return AdifField::QsoDate;
            if (head == word("TIME") && tail == word("_OFF")) return AdifField::TimeOff;
            return std::nullopt;
        }
        default: return std::nullopt;
    }
}

// The QSOs of an .adi file, read in one scan through a window of its bytes.
// The data of the fields a pass reads stays where it lies in the window; it
// is copied only when the window moves while the record still needs it.
class AdiReader : public LogReader {
public:
    AdiReader(tavo::TextReader& log, bool header) : log_(log), inHeader_(header) {}

    bool Next(LogQso& q) override {
        while (!ended_) {
            switch (NextTag()) {
                case TagKind::Eoh:
                    if (inHeader_) ClearRecord();
                    inHeader_ = false;
                    break;
                case TagKind::Eor: {
                    // The QSO's texts stay where they are up to the next call.
                    const bool qso = !inHeader_ && QsoFromFields(fields_, q, date_);
                    ClearRecord();
                    if (qso) return true;
                    break;
                }
                default:
                    // A last record that the file ends without an <EOR> still counts.
                    ended_ = true;
                    if (!inHeader_ && QsoFromFields(fields_, q, date_)) return true;
                    break;
            }
        }
        return false;
    }

private:
    // Past the fields a pass skips, to the next <EOR> or <EOH>; None at the end.
    TagKind NextTag() {
        std::uint64_t data = 0;  // a skipped field's bytes, from pos_ on
        for (;;) {
            // Text outside tags is skipped a run at a time, up to the next "<".
            if (pos_ == end_ && !Refill()) return TagKind::None;
            const char* open = NextOpenHeld();
            // Data that ends before that "<", as most does, is passed with
            // the text after it, in the same step.
            if (data > static_cast<std::size_t>(open - pos_)) {
                SkipCut(data);
                data = 0;
                continue;
            }
            data = 0;
            pos_ = open;
            if (pos_ == end_) continue;
            const Tag tag = Match();
            switch (tag.Kind) {
                case TagKind::None: ++pos_; continue;
                case TagKind::Other: pos_ += tag.Size; continue;
                case TagKind::Eor:
                case TagKind::Eoh: pos_ += tag.Size; return tag.Kind;
                case TagKind::Field: {
                    const std::optional<AdifField> field =
                        inHeader_ ? std::nullopt : FieldOfTag(pos_ + 1, tag.NameSize);
                    pos_ += tag.Size;
                    if (field && !(seen_ & Bit(*field)))
                        ReadData(tag.Length, static_cast<std::size_t>(*field));
                    else
                        data = tag.Length;
                    continue;
                }
            }
        }
    }

    // The tag at pos_, with all of it that the file holds in the window.
    Tag Match() {
        if (static_cast<std::size_t>(end_ - pos_) <= kMaxTag) Hold(kMaxTag + 1);
        return MatchTag(pos_);
    }

    // The data is LENGTH bytes, cut short by the end of the file or by a
    // field tag, <EOR> or <EOH> that starts inside them: writers that count
    // too far swallow the next tag, even by a single byte, and reading goes
    // on from it. True when cut short so.
    bool SkipData(std::uint64_t length) {
        // Most data ends before the next "<" held: then no loop and no call.
        const auto run = static_cast<std::size_t>(NextOpenHeld() - pos_);
        if (run >= length) {
            pos_ += static_cast<std::size_t>(length);
            return false;
        }
        return SkipCut(length);
    }

    // SkipData where the data reaches the next "<" held, or the window's end.
    bool SkipCut(std::uint64_t length) {
        while (length > 0) {
            if (pos_ == end_ && !Refill()) return true;
            // The search runs on past the data: the "<" it finds there is the next tag's.
            const char* open = NextOpenHeld();
            const auto run = static_cast<std::size_t>(open - pos_);
            if (run >= length) {
                pos_ += static_cast<std::size_t>(length);
                return false;
            }
            length -= run;
            pos_ = open;
            if (pos_ == end_) continue;
            // A "<" is data unless a tag starts there.
            if (EndsData(Match().Kind)) return true;
            ++pos_;
            --length;
        }
        return false;
    }

    // As SkipData, and the first AdifFieldKept bytes become the field's value.
    void ReadData(std::uint64_t length, std::size_t field) {
        seen_ |= 1u << field;
        reading_ = field;
        readFrom_ = pos_;
        owned_[field].clear();
        const bool cut = SkipData(std::min<std::uint64_t>(length, AdifFieldKept));
        const std::string_view tail(readFrom_, static_cast<std::size_t>(pos_ - readFrom_));
        if (owned_[field].empty()) {
            // The window did not move under the data, which lies whole in it.
            fields_[field] = tail;
            inWindow_ |= 1u << field;
        } else {
            fields_[field] = owned_[field].append(tail);
        }
        reading_ = kNone;
        if (!cut && length > AdifFieldKept) SkipData(length - AdifFieldKept);
    }

    static unsigned Bit(AdifField field) { return 1u << static_cast<unsigned>(field); }

    void ClearRecord() {
        fields_.fill({});
        seen_ = 0;
        inWindow_ = 0;
    }

    // The first "<" held from pos_ on, or end_; the last one found is kept,
    // as the search for a field's data finds the next tag's.
    const char* NextOpenHeld() {
        if (open_ < pos_) open_ = NextOpen(pos_, end_);
        return open_;
    }

    // Makes at least n bytes lie after pos_ unless the file ends first.
    void Hold(std::size_t n) {
        while (static_cast<std::size_t>(end_ - pos_) < n && Refill()) {
        }
    }

    // Reads more of the file behind what is held; false at its end. The
    // values that lie in the window are copied out first, as it moves.
    bool Refill();

    static constexpr std::size_t kNone = AdifFieldCount;

    tavo::TextReader& log_;
    std::unique_ptr<char[]> buf_;
    std::size_t size_ = 0;
    const char* pos_ = nullptr;   // the cursor; bytes [pos_, end_) are held
    const char* end_ = nullptr;   // followed by kPad zero bytes
    const char* open_ = nullptr;  // a "<" with none between pos_ and it, or end_
    bool eof_ = false;

    std::array<std::string_view, AdifFieldCount> fields_{};  // empty: absent or empty
    std::array<std::string, AdifFieldCount> owned_;  // values that outlived a move of the window
    unsigned seen_ = 0;                              // the first occurrence counts
    unsigned inWindow_ = 0;                          // values that lie in the window
    std::size_t reading_ = kNone;  // the field whose data is being read, from readFrom_
    const char* readFrom_ = nullptr;
    DateMemo date_;

    bool inHeader_;
    bool ended_ = false;
};

bool AdiReader::Refill() {
    if (eof_) return false;
    if (pos_ == nullptr) {
        // The first window is the log reader's own memory, which mostly holds
        // the whole file: the scan then copies none of it.
        const std::string_view lent = log_.LendBytes(eof_);
        pos_ = lent.data();
        end_ = pos_ + lent.size();
        open_ = NextOpen(pos_, end_);
        readFrom_ = pos_;
        return !lent.empty();
    }
    for (std::size_t i = 0; i < AdifFieldCount; ++i) {
        if (inWindow_ & (1u << i)) fields_[i] = owned_[i].assign(fields_[i]);
    }
    inWindow_ = 0;
    if (reading_ != kNone)
        owned_[reading_].append(readFrom_, static_cast<std::size_t>(pos_ - readFrom_));
    const std::size_t held = static_cast<std::size_t>(end_ - pos_);
    // What is held moves to the start of a window of our own, a lent one's too.
    if (size_ < held + kChunk) {
        // Room for a tag's look ahead, a chunk and the zeros behind them, made
        // once and without zero-filling.
        size_ = std::max(held, kMaxTag) + kChunk;
        auto grown = std::make_unique_for_overwrite<char[]>(size_ + kPad);
        if (held > 0) std::memcpy(grown.get(), pos_, held);
        buf_ = std::move(grown);
    } else if (held > 0) {
        std::memmove(buf_.get(), pos_, held);
    }
    char* const read = buf_.get() + held;
    pos_ = buf_.get();
    readFrom_ = pos_;
    const std::size_t got = log_.ReadBytes(read, kChunk);
    std::memset(read + got, 0, kPad);
    end_ = read + got;
    open_ = NextOpen(pos_, end_);
    if (got < kChunk) eof_ = true;
    return got > 0;
}

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

tavo::TextReader& Rewound(tavo::TextReader& log) {
    log.Rewind(tavo::TextReader::CtrlZ::IsText);
    return log;
}

// The bytes from where the log stands hold the tag, "<" and a name and ">",
// in any case. The reader's scan takes every "<" for a tag where one fits, so
// this also tells whether that scan will meet the tag.
bool HoldsTag(tavo::TextReader& log, std::string_view tag) {
    // Small pieces: a log's tag is mostly found in its first lines.
    constexpr std::size_t kPiece = 4096;
    char buf[kPiece];
    std::size_t matched = 0;
    for (;;) {
        const std::size_t got = log.ReadBytes(buf, kPiece);
        for (std::size_t i = 0; i < got;) {
            if (matched == 0) {
                // Outside a possible tag, only the next "<" matters.
                const void* open = std::memchr(buf + i, '<', got - i);
                if (open == nullptr) break;
                i = static_cast<std::size_t>(static_cast<const char*>(open) - buf) + 1;
                matched = 1;
                continue;
            }
            const char c = tavo::UpperAscii(buf[i++]);
            matched = c == tag[matched] ? matched + 1 : c == '<' ? 1 : 0;
            if (matched == tag.size()) return true;
        }
        if (got < kPiece) return false;
    }
}

// An XML document starts with "<" or a blank, perhaps behind a byte-order
// mark, in UTF-8 as in UTF-16; never with another printable ASCII byte, such
// as the letter, digit or "#" that .adi files start with. Those need no XML
// parser, which would take in a whole chunk of the file to say no.
bool MayBeXml(tavo::TextReader& log) {
    unsigned char head[4] = {};
    const std::size_t got = log.ReadBytes(reinterpret_cast<char*>(head), sizeof head);
    const std::size_t first =
        got >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF ? 3 : 0;
    if (first >= got) return true;
    const unsigned char c = head[first];
    return c == '<' || c <= ' ' || c > '~';
}

// The installed parser where the log, from its first byte, is an ADX
// document for it; else nullptr.
const AdxParser* AdxParserOf(tavo::TextReader& log) {
    const AdxParser* parser = adxParser.load();
    if (parser == nullptr || !MayBeXml(Rewound(log)) || !parser->IsAdx(Rewound(log)))
        return nullptr;
    return parser;
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
    // Every field's name is letters and "_": a name with any other byte is none.
    for (char c : Name) {
        if (!kNameChars[static_cast<unsigned char>(c)]) return std::nullopt;
    }
    return FieldOfTag(Name.data(), Name.size());
}

bool QsoFromRecord(const AdifRecord& Record, LogQso& Qso) {
    std::array<std::string_view, AdifFieldCount> fields;
    for (std::size_t i = 0; i < AdifFieldCount; ++i) fields[i] = Record.Values[i];
    DateMemo memo;
    return QsoFromFields(fields, Qso, memo);
}

void InstallAdxParser(const AdxParser* Parser) { adxParser.store(Parser); }

bool HoldsAdif(tavo::TextReader& Log) {
    if (AdxParserOf(Log) != nullptr) return true;
    return HoldsTag(Rewound(Log), "<EOR>");
}

std::unique_ptr<LogReader> OpenAdifReader(tavo::TextReader& Log, const Detection&,
                                          const ColumnLayout&) {
    if (const AdxParser* parser = AdxParserOf(Log))
        return std::make_unique<AdxReader>(parser->Open(Rewound(Log)));
    // Everything before the first <EOH> is the header, wherever it stands.
    const bool header = HoldsTag(Rewound(Log), "<EOH>");
    return std::make_unique<AdiReader>(Rewound(Log), header);
}

}  // namespace tv_util2
