#include "country/cty_utl3.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "common/text.h"
#include "country/cty_dat.h"
#include "platform/text_file.h"

namespace cty_utl3 {

namespace {

constexpr std::array<std::string_view, 7> kAbbr = {"", "NA", "SA", "EU", "AS", "OC", "AF"};
constexpr std::array<std::string_view, 7> kName = {
    "",
    "North America",
    "South America",
    "  Europe     ",
    "  Asia       ",
    "  Oceania    ",
    "  Africa     ",
};

int ZoneContinent(int zone) {
    if (zone >= 1 && zone <= 8) return 1;
    if (zone >= 9 && zone <= 13) return 2;
    if ((zone >= 14 && zone <= 16) || zone == 40) return 3;
    if (zone >= 17 && zone <= 26) return 4;
    if (zone >= 27 && zone <= 32) return 5;
    if (zone >= 33 && zone <= 39) return 6;
    return -1;
}

// Each byte as an upper-cased one: the case of a call never matters.
constexpr std::array<unsigned char, 256> kFold = [] {
    std::array<unsigned char, 256> fold{};
    for (int c = 0; c < 256; ++c)
        fold[c] = static_cast<unsigned char>(tavo::UpperAscii(static_cast<char>(c)));
    return fold;
}();

// Each byte's 0x20 bit: set, a letter of either case reads as the same byte.
constexpr std::uint64_t kCaseBits = 0x2020202020202020u;
constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15u;

// A hash of the call that ignores the case of its letters, taken a word at a
// time: a call is short, so it costs a few loads where a byte loop would cost
// one step per character. Calls equal up to case hash alike (other bytes that
// differ only in 0x20 do too, which the comparison after it tells apart).
[[gnu::always_inline]] inline std::uint32_t ExactHash(std::string_view call) {
    const char* p = call.data();
    const std::size_t n = call.size();
    std::uint64_t v = 0;
    if (n >= 8) {
        v = tavo::LoadWord<std::uint64_t>(p + n - 8) | kCaseBits;
        for (std::size_t k = 0; k + 8 < n; k += 8)
            v = (v ^ (tavo::LoadWord<std::uint64_t>(p + k) | kCaseBits)) * kMix;
    } else if (n >= 4) {
        // Two words that overlap cover every byte of 4 to 8.
        v = (tavo::LoadWord<std::uint32_t>(p) |
             std::uint64_t{tavo::LoadWord<std::uint32_t>(p + n - 4)} << 32) |
            kCaseBits;
    } else {
        for (std::size_t k = 0; k < n; ++k) v = v << 8 | (static_cast<unsigned char>(p[k]) | 0x20u);
    }
    // The top bits of the product depend on every bit of v: the index takes those.
    return static_cast<std::uint32_t>(((v ^ n) * kMix) >> 32);
}

void Store4(char* p, std::uint32_t v) { std::memcpy(p, &v, sizeof v); }

// The ASCII lower-case letters among a word's bytes upper-cased, the other
// bytes as they are.
std::uint64_t UpperWord(std::uint64_t v) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    // Each byte's low 7 bits plus less than 0x20 never carry into the next byte.
    const std::uint64_t low7 = v & (0x7F * kOnes);
    const std::uint64_t fromA = low7 + (0x80 - 'a') * kOnes;      // top bit: 'a' or past it
    const std::uint64_t pastZ = low7 + (0x80 - 'z' - 1) * kOnes;  // top bit: past 'z'
    const std::uint64_t lower = fromA & ~pastZ & ~v & (0x80 * kOnes);
    return v - (lower >> 2);  // 0x80 >> 2 is the case bit
}

// Copies the text upper-cased and gives its ExactHash. Most calls are of 4 to
// 8 bytes: two words that overlap fold them all at once.
std::uint32_t CopyFoldAndHash(std::string_view text, char* to) {
    const char* p = text.data();
    const std::size_t n = text.size();
    if (n >= 4 && n <= 8) {
        const std::uint64_t v =
            UpperWord(tavo::LoadWord<std::uint32_t>(p) |
                      std::uint64_t{tavo::LoadWord<std::uint32_t>(p + n - 4)} << 32);
        Store4(to + n - 4, static_cast<std::uint32_t>(v >> 32));
        Store4(to, static_cast<std::uint32_t>(v));
    } else {
        for (std::size_t k = 0; k < n; ++k)
            to[k] = static_cast<char>(kFold[static_cast<unsigned char>(p[k])]);
    }
    return ExactHash(text);
}

// The columns of the bytes prefixes nearly always hold: the digits, the
// letters (lower case with its capital), "/" and "=".
constexpr std::array<std::uint8_t, 256> kCommonColumns = [] {
    std::array<std::uint8_t, 256> column{};
    std::uint8_t next = 1;
    for (int c = '0'; c <= '9'; ++c) column[static_cast<std::size_t>(c)] = next++;
    for (int c = 'A'; c <= 'Z'; ++c) {
        column[static_cast<std::size_t>(c)] = next;
        column[static_cast<std::size_t>(c + 32)] = next++;
    }
    column['/'] = next++;
    column['='] = next++;
    return column;
}();
constexpr std::uint32_t kCommonWidth = 1 + 10 + 26 + 2;

// Which of the marks "([<{~" a byte is, 1 to 5; 0 for any other byte.
constexpr std::array<std::uint8_t, 256> kMarkKind = [] {
    std::array<std::uint8_t, 256> kind{};
    kind['('] = 1;
    kind['['] = 2;
    kind['<'] = 3;
    kind['{'] = 4;
    kind['~'] = 5;
    return kind;
}();

// The prefix without what cty.dat puts after it: cut at the first mark of
// each kind, where that first mark is not the prefix's first character.
std::string_view PrefixPart(std::string_view text) {
    if (text.empty()) return text;
    const std::uint8_t skipped = kMarkKind[static_cast<unsigned char>(text[0])];
    for (std::size_t i = 1; i < text.size(); ++i) {
        const std::uint8_t kind = kMarkKind[static_cast<unsigned char>(text[i])];
        if (kind != 0 && kind != skipped) return text.substr(0, i);
    }
    return text;
}

// Room for the exact calls of today's cty.dat, reserved but untouched until used.
constexpr std::size_t kExactsAtFirst = std::size_t{1} << 15;
// The exact calls' text grows by this much at a time: a step per call would
// cost more than the copy, and a small block is zeroed by plain stores.
constexpr std::size_t kExactCharsStep = 1024;

constexpr std::array<std::string_view, 7> kOperatingSuffixes = {"MM", "AM",   "QRP", "QRPP",
                                                                "LH", "JOTA", "YOTA"};

bool IsEndOfFileLine(std::string_view line) {
    return tavo::SameTextAscii(line.substr(0, 11), "end of file");
}

// 1-based position of the first "," or, when there is none, of the first ";".
std::size_t SeparatorPos(std::string_view text) {
    auto pos = text.find(',');
    if (pos == std::string_view::npos) pos = text.find(';');
    return pos == std::string_view::npos ? 0 : pos + 1;
}

}  // namespace

// Reads one country file into the tables; the counters are the next free
// records, so the counts come out as counter - 1 whichever way loading ends.
class Loader {
public:
    Loader(tavo::TextReader& reader, CountryDatabase& db) : reader_(reader), db_(db) {}

    // Lines are views into the bytes read, each valid until the next is read.
    void Run() {
        std::string_view line;
        reader_.ReadLine(line);  // the title line is never data
        std::string title(tavo::Trim(line));
        while (ReadData(line) && !IsEndOfFileLine(line)) {
            // A 501st country ends the data as an "end of file" line would.
            if (country_ > MaxCountries) break;
            FillCountry(line);
            if (!ReadPrefixLines(line)) break;
            ++country_;
        }
        db_.countryCount_ = country_ - 1;
        db_.prefixCount_ = prefix_ - 1;
        db_.exacts_.clear();
        db_.exactChars_.clear();
        db_.form_ = DataForm::CqwwDat;
        db_.version_ = std::move(title);
    }

private:
    // The last line is never data: a country file always ends with its
    // end-of-file line, or one more line after the last ";".
    bool ReadData(std::string_view& line) { return reader_.ReadLine(line) && !reader_.AtEnd(); }

    void FillCountry(std::string_view line) {
        TCountryRec& rec = db_.countries_[static_cast<std::size_t>(country_)];
        rec.Name = tavo::Cut(line, 1, 26);
        rec.MainPrefix = tavo::Cut(line, 32, 5);
        rec.CqZone = FieldToInt(line, 27, 2);
        rec.Continent = ContinentOf(line, 39, 2, rec.CqZone);
    }

    // False when the data ended inside the list.
    bool ReadPrefixLines(std::string_view& line) {
        for (;;) {
            if (!ReadData(line) || IsEndOfFileLine(line)) return false;
            std::string_view text = tavo::Trim(line);
            if (!CutItems(text)) return false;
            if (text.find(';') != std::string_view::npos) return true;
        }
    }

    // Every used prefix line stores at least its first item, even an empty one.
    bool CutItems(std::string_view rest) {
        std::size_t sep = SeparatorPos(rest);
        for (;;) {
            if (!Store(sep <= 1 ? std::string_view{} : rest.substr(0, sep - 1))) return false;
            if (sep > 0) rest.remove_prefix(sep);
            if (rest.size() < 2) return true;
            sep = SeparatorPos(rest);
            // Text with no separator left is the line's final item.
            if (sep == 0) return Store(rest);
        }
    }

    bool Store(std::string_view item) {
        if (prefix_ > MaxPrefixes) return false;
        TPrefixRec& rec = db_.PrefixToFill(prefix_);
        rec.Prefix = PrefixPart(item.substr(0, 14));
        rec.Country = country_;
        rec.PrefixLen = static_cast<std::int32_t>(rec.Prefix.Length());
        // CQWW.DAT keeps cty.dat's annotations as text only: the country decides.
        rec.CqZone = 0;
        rec.Continent = 0;
        ++prefix_;
        return true;
    }

    tavo::TextReader& reader_;
    CountryDatabase& db_;
    int country_ = 1;
    int prefix_ = 1;
};

// Collects a whole cty.dat before any table changes, so that a malformed
// file leaves the database as it was.
class CtyLoader : public CtySink {
public:
    CtyLoader() {
        // Room zeroed by the system: its untouched pages cost nothing.
        prefixes_.Reset(MaxPrefixes + 1);
        prefixes_.Grow(1);  // index 0 is never a record
        exacts_.reserve(kExactsAtFirst);
        exactChars_.reserve(kExactsAtFirst * 8);
    }

    void Header(const CtyHeader& header) override {
        if (static_cast<int>(countries_.size()) >= MaxCountries) {
            throw CtyProblem{"more than " + tavo::IntToStr(MaxCountries) +
                             " entities; the country table holds no more"};
        }
        TCountryRec rec;
        rec.Name = header.Name;
        rec.MainPrefix = header.MainPrefix;
        rec.CqZone = header.CqZone;
        rec.Continent = header.Continent;
        countries_.push_back(rec);
    }

    void Item(const CtyItem& item) override {
        if (!item.Exact) {
            Prefix(item);
            return;
        }
        // Most exact calls are plain calls: the cheap test turns them away first.
        if (version_.empty() && item.Call.starts_with("VER") && IsVersionItem(item.Text))
            version_ = item.Text.substr(4);
        const std::size_t offset = exactUsed_;
        if (exactChars_.size() - offset < item.Call.size())
            exactChars_.resize(offset + item.Call.size() + kExactCharsStep);
        exactUsed_ += item.Call.size();
        exacts_.push_back(
            {static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(item.Call.size()),
             CopyFoldAndHash(item.Call, exactChars_.data() + offset),
             static_cast<std::int32_t>(countries_.size()), item.CqZone, item.Continent});
    }

    void EndEntity() override {}

    void CommitTo(CountryDatabase& db) {
        std::copy(countries_.begin(), countries_.end(), db.countries_.begin() + 1);
        db.countryCount_ = static_cast<int>(countries_.size());
        db.prefixCount_ = static_cast<int>(prefixes_.size()) - 1;
        // Records past the new count keep what they held.
        if (prefixes_.size() >= db.prefixes_.size()) {
            std::swap(db.prefixes_, prefixes_);
        } else {
            std::copy(prefixes_.data() + 1, prefixes_.data() + prefixes_.size(),
                      db.prefixes_.data() + 1);
        }
        db.exacts_.swap(exacts_);
        exactChars_.resize(exactUsed_);
        db.exactChars_.swap(exactChars_);
        db.form_ = DataForm::CtyDat;
        db.version_ = std::move(version_);
        db.BuildIndex();
    }

private:
    // Apart from the exact calls, three in four of the items, so that theirs
    // is a short call.
    [[gnu::noinline]] void Prefix(const CtyItem& item) {
        if (item.Call.size() > static_cast<std::size_t>(MaxPrefixLength)) {
            std::string problem = "prefix \"";
            problem.append(item.Call).append("\" is longer than the 14 characters a prefix holds");
            throw CtyProblem{problem};
        }
        if (static_cast<int>(prefixes_.size()) > MaxPrefixes) {
            throw CtyProblem{"more than " + tavo::IntToStr(MaxPrefixes) +
                             " prefixes; the prefix table holds no more"};
        }
        TPrefixRec& rec = prefixes_[prefixes_.Grow(1)];
        rec.Prefix = item.Call;
        rec.Country = static_cast<std::int32_t>(countries_.size());
        rec.PrefixLen = static_cast<std::int32_t>(item.Call.size());
        rec.CqZone = item.CqZone;
        rec.Continent = item.Continent;
    }

    std::vector<TCountryRec> countries_;
    tavo::ZeroedArray<TPrefixRec> prefixes_;
    std::vector<CountryDatabase::ExactEntry> exacts_;
    std::string exactChars_;  // the first exactUsed_ bytes hold the calls
    std::size_t exactUsed_ = 0;
    std::string version_;
};

namespace {

// A cty.dat starts with an entity header; CQWW.DAT's first line is a title
// of any text but that.
DataForm FormOf(tavo::TextReader& reader) {
    for (std::string line; reader.ReadLine(line);) {
        std::string_view text = tavo::Trim(line);
        if (!text.empty()) return IsCtyHeaderLine(text) ? DataForm::CtyDat : DataForm::CqwwDat;
    }
    return DataForm::CqwwDat;
}

CallResolution WithOverrides(const TCountryRec& country, int index, int zone, int continent) {
    return {index, zone != 0 ? zone : country.CqZone,
            continent != 0 ? continent : country.Continent};
}

}  // namespace

CountryDatabase::CountryDatabase() : countries_(MaxCountries + 1) {
    // Room for every record, zeroed by the system only as far as a load goes.
    prefixes_.Reset(MaxPrefixes + 1);
    prefixes_.Grow(1);
    BuildIndex();
}

// Opened once: the form is told from the bytes the loading then reads again.
int CountryDatabase::Load(const std::string& FileName) {
    std::optional<tavo::TextReader> reader = tavo::TextReader::Open(FileName);
    if (!reader) return -1;
    const DataForm form = FormOf(*reader);
    reader->Rewind(tavo::TextReader::CtrlZ::IsText);
    return form == DataForm::CtyDat ? LoadCtyDat(*reader) : LoadCqwwDat(*reader);
}

int CountryDatabase::LoadCtyDat(tavo::TextReader& Reader) {
    CtyLoader loader;
    ReadCtyDat(Reader, loader);
    loader.CommitTo(*this);
    return 0;
}

int CountryDatabase::LoadCqwwDat(tavo::TextReader& Reader) {
    try {
        Loader(Reader, *this).Run();
    } catch (...) {
        // The records read so far stand under the old counts, as a scan would see them.
        BuildIndex();
        throw;
    }
    BuildIndex();
    return 0;
}

void CountryDatabase::Clear() { *this = CountryDatabase(); }

const TCountryRec& CountryDatabase::Country(int Index) const {
    return countries_.at(static_cast<std::size_t>(Index));
}
const TPrefixRec& CountryDatabase::Prefix(int Index) const {
    static const TPrefixRec kEmpty;
    if (Index >= 0 && static_cast<std::size_t>(Index) < prefixes_.size())
        return prefixes_[static_cast<std::size_t>(Index)];
    if (Index >= 0 && Index <= MaxPrefixes) return kEmpty;
    throw std::out_of_range("no prefix record " + tavo::IntToStr(Index));
}
TExactRec CountryDatabase::Exact(int Index) const {
    const ExactEntry& e = exacts_.at(static_cast<std::size_t>(Index - 1));
    return {std::string_view(exactChars_).substr(e.Offset, e.Length), e.Country, e.CqZone,
            e.Continent};
}

// The scan's winner is the last record, in table order, among the matching
// records of the greatest length: the deepest trie node on the call's path
// that a prefix ends at, holding the last record that ends there.
void CountryDatabase::BuildIndex() {
    std::size_t characters = 0;
    std::size_t nonEmpty = 0;
    for (int i = 1; i <= prefixCount_; ++i) {
        const std::size_t length = prefixes_[static_cast<std::size_t>(i)].Prefix.Length();
        characters += length;
        nonEmpty += length != 0;
    }
    // The root's row, and one for each node a prefix goes on past.
    const std::size_t rowsAtMost = 1 + characters - nonEmpty;
    // Digits, letters, "/" and "=" make nearly every prefix: with a column
    // each from the start, the bytes need no pass of their own.
    column_ = kCommonColumns;
    width_ = kCommonWidth;
    if (prefixCount_ == 0) {
        // No prefix (a new database): every byte is column 0 of a one-cell
        // row, so the empty trie and its pairs take no room worth zeroing.
        column_.fill(0);
        width_ = 1;
        BuildTrie(rowsAtMost);
    } else if (!BuildTrie(rowsAtMost)) {
        // Another byte: a column for each byte the prefixes hold, upper-cased.
        std::array<std::uint8_t, 256> seen{};
        for (int i = 1; i <= prefixCount_; ++i) {
            for (char c : prefixes_[static_cast<std::size_t>(i)].Prefix.View())
                seen[static_cast<unsigned char>(c)] = 1;
        }
        column_.fill(0);
        std::uint32_t columns = 0;
        for (int c = 0; c < 256; ++c) {
            std::uint8_t& column = column_[kFold[static_cast<std::size_t>(c)]];
            if (seen[static_cast<std::size_t>(c)] != 0 && column == 0)
                column = static_cast<std::uint8_t>(++columns);
        }
        for (int c = 'a'; c <= 'z'; ++c)
            column_[static_cast<std::size_t>(c)] = column_[static_cast<std::size_t>(c - 32)];
        width_ = columns + 1;
        BuildTrie(rowsAtMost);
    }
    BuildPairs();
    BuildExactIndex();
}

// The walk's state after each pair of columns, taken by the same steps the
// walk takes.
void CountryDatabase::BuildPairs() {
    const std::size_t width = width_;
    pairsAt_ = cells_.Grow(width * width);
    const Cell* cells = cells_.data();
    Cell* pairs = cells_.data() + pairsAt_;
    for (std::size_t first = 0; first < width; ++first) {
        const Cell one = cells[first];
        const std::int32_t best = one.Record != 0 ? one.Record : rootRecord_;
        Cell* row = pairs + first * width;
        if (one.Row == 0) {
            // The walk ends at the first byte, whatever the second.
            if (best != 0)
                for (std::size_t second = 0; second < width; ++second) row[second].Record = best;
            continue;
        }
        const Cell* next = cells + one.Row;
        // Most first bytes are no prefix of their own: their row is the node's.
        if (best == 0) {
            std::copy_n(next, width, row);
            continue;
        }
        for (std::size_t second = 0; second < width; ++second)
            row[second] = {next[second].Row, next[second].Record != 0 ? next[second].Record : best};
    }
}

// False, with the trie unfinished, when a prefix holds a byte with no column.
bool CountryDatabase::BuildTrie(std::size_t rowsAtMost) {
    // Every row the prefixes can need is zeroed room from the start, so
    // nothing moves while they are made, and a new row is only counted. The
    // pairs' table comes after them, in the same room.
    cells_.Reset((rowsAtMost + width_) * width_);
    cells_.Grow(width_);
    rootRecord_ = 0;
    // In locals: a store to a cell could otherwise be taken to change them.
    const std::uint8_t* columns = column_.data();
    const std::uint32_t width = width_;
    const TPrefixRec* records = prefixes_.data();
    const int count = prefixCount_;
    Cell* cells = cells_.data();
    // The previous prefix and the row at each depth of its path: the records
    // come mostly in order, so a prefix goes on from where it parts from the last.
    const char* previous = nullptr;
    std::size_t previousLast = 0;
    std::array<std::uint32_t, MaxPrefixLength> path{};
    for (int i = 1; i <= count; ++i) {
        const std::string_view prefix = records[i].Prefix.View();
        if (prefix.empty()) {
            rootRecord_ = i;
            continue;
        }
        const char* chars = prefix.data();
        const std::size_t last = prefix.size() - 1;
        // The path is known down to the node before the previous prefix's last character.
        const std::size_t shared = std::min(last, previousLast);
        std::size_t k = 0;
        while (k < shared && chars[k] == previous[k]) ++k;
        previous = chars;
        previousLast = last;
        std::uint32_t row = path[k];
        for (; k < last; ++k) {
            const std::uint8_t column = columns[static_cast<unsigned char>(chars[k])];
            if (column == 0) return false;
            Cell& cell = cells[row + column];
            if (cell.Row == 0) cell.Row = static_cast<std::uint32_t>(cells_.Grow(width));
            row = cell.Row;
            path[k + 1] = row;
        }
        const std::uint8_t column = columns[static_cast<unsigned char>(chars[last])];
        if (column == 0) return false;
        cells[row + column].Record = i;
    }
    return true;
}

void CountryDatabase::BuildExactIndex() {
    exactMaxLength_ = 0;
    if (exacts_.empty()) {
        exactSlots_.Reset(0);
        return;
    }
    int slotBits = 4;
    // At most half full, so that a call not in the table (most calls) ends
    // its probe within a slot or two.
    while ((std::size_t{1} << slotBits) < 2 * exacts_.size()) ++slotBits;
    const std::size_t slots = std::size_t{1} << slotBits;
    exactSlots_.Reset(slots);
    exactSlots_.Grow(slots);
    // A slot is picked by the hash's top bits.
    exactShift_ = 32 - slotBits;
    const std::uint32_t mask = static_cast<std::uint32_t>(slots - 1);
    const char* chars = exactChars_.data();
    std::uint32_t maxLength = 0;
    for (std::size_t i = 0; i < exacts_.size(); ++i) {
        const ExactEntry& entry = exacts_[i];
        maxLength = std::max(maxLength, entry.Length);
        std::uint32_t slot = entry.Hash >> exactShift_;
        // A call listed twice goes to the later entity, as a prefix does.
        while (exactSlots_[slot] != 0) {
            const ExactEntry& e = exacts_[exactSlots_[slot] - 1];
            if (e.Hash == entry.Hash && e.Length == entry.Length &&
                std::memcmp(chars + e.Offset, chars + entry.Offset, e.Length) == 0)
                break;
            slot = (slot + 1) & mask;
        }
        exactSlots_[slot] = static_cast<std::uint32_t>(i + 1);
    }
    exactMaxLength_ = maxLength;
}

int CountryDatabase::FindExact(std::string_view Call) const {
    if (Call.empty() || Call.size() > exactMaxLength_) return -1;
    const std::uint32_t mask = static_cast<std::uint32_t>(exactSlots_.size() - 1);
    const std::uint32_t hash = ExactHash(Call);
    for (std::uint32_t slot = hash >> exactShift_; exactSlots_[slot] != 0;
         slot = (slot + 1) & mask) {
        const std::uint32_t index = exactSlots_[slot] - 1;
        const ExactEntry& e = exacts_[index];
        if (e.Hash != hash || e.Length != Call.size()) continue;
        const char* text = exactChars_.data() + e.Offset;
        std::size_t k = 0;
        while (k < Call.size() &&
               kFold[static_cast<unsigned char>(Call[k])] == static_cast<unsigned char>(text[k]))
            ++k;
        if (k == Call.size()) return static_cast<int>(index);
    }
    return -1;
}

int CountryDatabase::FindPrefixRecord(std::string_view Call) const {
    const Cell* cells = cells_.data();
    int best = rootRecord_;
    std::size_t row = 0;
    const std::size_t n = std::min<std::size_t>(Call.size(), MaxPrefixLength);
    std::size_t i = 0;
    // Most calls part from every prefix within a few bytes: their first two
    // steps are one look-up of the state they lead to.
    if (n >= 2) {
        const Cell& pair = cells[pairsAt_ + column_[static_cast<unsigned char>(Call[0])] * width_ +
                                 column_[static_cast<unsigned char>(Call[1])]];
        best = pair.Record;
        if (pair.Row == 0) return best;
        row = pair.Row;
        i = 2;
    }
    for (; i < n; ++i) {
        const Cell& cell = cells[row + column_[static_cast<unsigned char>(Call[i])]];
        if (cell.Record != 0) best = cell.Record;
        if (cell.Row == 0) break;
        row = cell.Row;
    }
    return best;
}

std::string_view ContinentAbbr(int Code) { return Code >= 1 && Code <= 6 ? kAbbr[Code] : ""; }
std::string_view ContinentName(int Code) { return Code >= 1 && Code <= 6 ? kName[Code] : ""; }

int FieldToInt(std::string_view Line, int From, int Count) {
    return tavo::ParseInt32(tavo::Trim(tavo::Cut(Line, From, Count))).value_or(-1);
}

int ContinentOf(std::string_view Line, int From, int Count, int Zone) {
    std::string_view text = tavo::Trim(tavo::Cut(Line, From, Count));
    for (int code = 1; code <= 6; ++code) {
        if (text == kAbbr[code]) return code;
    }
    return ZoneContinent(Zone);
}

std::string StripPrefix(std::string_view Text) { return std::string(PrefixPart(Text)); }

int CountryDatabase::FindPrefix(std::string_view Call) const {
    const int rec = FindPrefixRecord(Call);
    return rec > 0 ? prefixes_[static_cast<std::size_t>(rec)].Country : -1;
}

bool IsOperatingSuffix(std::string_view Part) {
    Part = tavo::Trim(Part);
    for (std::string_view suffix : kOperatingSuffixes) {
        if (tavo::SameTextAscii(Part, suffix)) return true;
    }
    return false;
}

namespace {

// False only for a call with no "/". Most calls are of 4 to 16 bytes (a log's
// fixed column pads them to 13): two words that overlap hold all of them, and
// a test of the words for a "/" byte costs less than the call of a search.
bool MayHoldSlash(std::string_view call) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kSlashes = '/' * kOnes;
    // Nonzero exactly when some byte of v is zero.
    auto zeroByte = [](std::uint64_t v) { return (v - kOnes) & ~v & (0x80 * kOnes); };
    const char* p = call.data();
    const std::size_t n = call.size();
    if (n >= 4 && n <= 8)
        return zeroByte((tavo::LoadWord<std::uint32_t>(p) |
                         std::uint64_t{tavo::LoadWord<std::uint32_t>(p + n - 4)} << 32) ^
                        kSlashes) != 0;
    if (n > 8 && n <= 16)
        return (zeroByte(tavo::LoadWord<std::uint64_t>(p) ^ kSlashes) |
                zeroByte(tavo::LoadWord<std::uint64_t>(p + n - 8) ^ kSlashes)) != 0;
    return true;
}

}  // namespace

int CountryDatabase::PortablePrefixRecord(std::string_view Call) const {
    const int plain = FindPrefixRecord(Call);
    return MayHoldSlash(Call) ? SwappedPrefixRecord(Call, plain) : plain;
}

// Apart from PortablePrefixRecord, which nearly every call leaves at once: its
// search and its string for the swapped call would cost every call the frame
// that holds them.
int CountryDatabase::SwappedPrefixRecord(std::string_view Call, int plain) const {
    const std::size_t slash = Call.find('/');
    if (slash == std::string_view::npos) return plain;
    const std::size_t len = Call.size();
    const std::size_t pos = slash + 1;  // 1-based, as the rule counts it
    if (!(len < 2 * pos && len - pos >= 2)) return plain;
    // "/MM" says how the station operates, not where: the home call decides.
    if (IsOperatingSuffix(Call.substr(pos))) return plain;
    std::string candidate(Call.substr(pos));
    candidate += '/';
    candidate += Call.substr(0, slash);
    const int swapped = FindPrefixRecord(candidate);
    return swapped > 0 ? swapped : plain;
}

// The analysis passes the call field with its trailing blanks; an exact call
// is the callsign itself.
CallResolution CountryDatabase::Resolve(std::string_view Call) const {
    // Apart, so that the prefix lookup (all of CQWW.DAT's) needs no frame for it.
    if (!exacts_.empty()) return ResolveWithExacts(Call);
    return ResolveByPrefix(Call);
}

CallResolution CountryDatabase::ResolveWithExacts(std::string_view Call) const {
    if (const int found = FindExact(tavo::Trim(Call)); found >= 0) {
        const ExactEntry& rec = exacts_[static_cast<std::size_t>(found)];
        return WithOverrides(Country(rec.Country), rec.Country, rec.CqZone, rec.Continent);
    }
    return ResolveByPrefix(Call);
}

CallResolution CountryDatabase::ResolveByPrefix(std::string_view Call) const {
    const int index = PortablePrefixRecord(Call);
    if (index <= 0) return {};
    const TPrefixRec& rec = prefixes_[static_cast<std::size_t>(index)];
    // Loading stores only countries the table holds, so no check is needed.
    return WithOverrides(countries_[static_cast<std::size_t>(rec.Country)], rec.Country, rec.CqZone,
                         rec.Continent);
}

// Made once and never destroyed: freeing its tables at exit is work for nothing.
CountryDatabase& DefaultCountryDatabase() {
    static CountryDatabase& db = *new CountryDatabase;
    return db;
}

// A file that yields no country (an empty CQWW.DAT, a log given by mistake)
// would make every call unknown and every report empty: it is refused as a
// file that cannot be opened is.
int LoadCountryFile(const std::string& FileName) {
    CountryDatabase& db = DefaultCountryDatabase();
    if (db.Load(FileName) == -1) return -1;
    return db.CountryCount() == 0 ? -1 : 0;
}
const TCountryRec& CountryTable(int Index) { return DefaultCountryDatabase().Country(Index); }
const TPrefixRec& PrefixTable(int Index) { return DefaultCountryDatabase().Prefix(Index); }
int CountryCount() { return DefaultCountryDatabase().CountryCount(); }
int PrefixCount() { return DefaultCountryDatabase().PrefixCount(); }
void ClearCountryTables() { DefaultCountryDatabase().Clear(); }
int FindPrefix(std::string_view Call) { return DefaultCountryDatabase().FindPrefix(Call); }
int CallToCountry(std::string_view Call) { return DefaultCountryDatabase().CallToCountry(Call); }
CallResolution Resolve(std::string_view Call) { return DefaultCountryDatabase().Resolve(Call); }

}  // namespace cty_utl3
