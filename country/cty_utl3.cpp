#include "country/cty_utl3.h"

#include <algorithm>
#include <array>
#include <optional>

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

std::uint32_t EdgeKey(int node, unsigned char c) {
    return static_cast<std::uint32_t>(node) * 256 + c + 1;
}
std::uint32_t EdgeSlot(std::uint32_t key) {
    std::uint32_t h = key * 0x9E3779B1u;
    return h ^ (h >> 16);
}

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

    void Run() {
        std::string line;
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
        db_.exactIndex_.clear();
        db_.form_ = DataForm::CqwwDat;
        db_.version_ = std::move(title);
    }

private:
    // The last line is never data: a country file always ends with its
    // end-of-file line, or one more line after the last ";".
    bool ReadData(std::string& line) { return reader_.ReadLine(line) && !reader_.AtEnd(); }

    void FillCountry(std::string_view line) {
        TCountryRec& rec = db_.countries_[static_cast<std::size_t>(country_)];
        rec.Name = tavo::Cut(line, 1, 26);
        rec.MainPrefix = tavo::Cut(line, 32, 5);
        rec.CqZone = FieldToInt(line, 27, 2);
        rec.Continent = ContinentOf(line, 39, 2, rec.CqZone);
    }

    // False when the data ended inside the list.
    bool ReadPrefixLines(std::string& line) {
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
        TPrefixRec& rec = db_.prefixes_[static_cast<std::size_t>(prefix_)];
        rec.Prefix = StripPrefix(item.substr(0, 14));
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
        const auto country = static_cast<std::int32_t>(countries_.size());
        if (item.Exact) {
            if (version_.empty() && IsVersionItem(item.Text)) version_ = item.Text.substr(4);
            exacts_.push_back({tavo::UpperAscii(item.Call), country, item.CqZone, item.Continent});
            return;
        }
        if (item.Call.size() > static_cast<std::size_t>(MaxPrefixLength)) {
            std::string problem = "prefix \"";
            problem.append(item.Call).append("\" is longer than the 14 characters a prefix holds");
            throw CtyProblem{problem};
        }
        if (static_cast<int>(prefixes_.size()) >= MaxPrefixes) {
            throw CtyProblem{"more than " + tavo::IntToStr(MaxPrefixes) +
                             " prefixes; the prefix table holds no more"};
        }
        TPrefixRec rec;
        rec.Prefix = item.Call;
        rec.Country = country;
        rec.PrefixLen = static_cast<std::int32_t>(item.Call.size());
        rec.CqZone = item.CqZone;
        rec.Continent = item.Continent;
        prefixes_.push_back(rec);
    }

    void EndEntity() override {}

    void CommitTo(CountryDatabase& db) {
        std::copy(countries_.begin(), countries_.end(), db.countries_.begin() + 1);
        std::copy(prefixes_.begin(), prefixes_.end(), db.prefixes_.begin() + 1);
        db.countryCount_ = static_cast<int>(countries_.size());
        db.prefixCount_ = static_cast<int>(prefixes_.size());
        db.exactIndex_.clear();
        // A call listed twice goes to the later entity, as a prefix does.
        for (std::size_t i = 0; i < exacts_.size(); ++i)
            db.exactIndex_[exacts_[i].Call] = static_cast<int>(i);
        db.exacts_ = std::move(exacts_);
        db.form_ = DataForm::CtyDat;
        db.version_ = std::move(version_);
    }

private:
    std::vector<TCountryRec> countries_;
    std::vector<TPrefixRec> prefixes_;
    std::vector<TExactRec> exacts_;
    std::string version_;
};

namespace {

// Empty when the file cannot be opened. A cty.dat starts with an entity
// header; CQWW.DAT's first line is a title of any text but that.
std::optional<DataForm> FormOf(const std::string& FileName) {
    std::optional<tavo::TextReader> reader = tavo::TextReader::Open(FileName);
    if (!reader) return std::nullopt;
    for (std::string line; reader->ReadLine(line);) {
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

CountryDatabase::CountryDatabase() : countries_(MaxCountries + 1), prefixes_(MaxPrefixes + 1) {
    BuildIndex();
}

int CountryDatabase::Load(const std::string& FileName) {
    std::optional<DataForm> form = FormOf(FileName);
    if (!form) return -1;
    return *form == DataForm::CtyDat ? LoadCtyDat(FileName) : LoadCqwwDat(FileName);
}

int CountryDatabase::LoadCtyDat(const std::string& FileName) {
    std::optional<tavo::TextReader> reader = tavo::TextReader::Open(FileName);
    if (!reader) return -1;
    CtyLoader loader;
    ReadCtyDat(*reader, loader);
    loader.CommitTo(*this);
    BuildIndex();
    return 0;
}

int CountryDatabase::LoadCqwwDat(const std::string& FileName) {
    std::optional<tavo::TextReader> reader = tavo::TextReader::Open(FileName);
    if (!reader) return -1;
    try {
        Loader(*reader, *this).Run();
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
    return prefixes_.at(static_cast<std::size_t>(Index));
}
const TExactRec& CountryDatabase::Exact(int Index) const {
    return exacts_.at(static_cast<std::size_t>(Index - 1));
}

// The scan's winner is the last record, in table order, among the matching
// records of the greatest length: the deepest trie node on the call's path
// that a prefix ends at, holding the last record that ends there.
void CountryDatabase::BuildIndex() {
    std::size_t characters = 0;
    for (int i = 1; i <= prefixCount_; ++i)
        characters += prefixes_[static_cast<std::size_t>(i)].Prefix.Length();
    std::size_t slots = 16;
    while (slots < 2 * characters + 2) slots *= 2;
    edges_.assign(slots, Edge{});
    edgeMask_ = static_cast<std::uint32_t>(slots - 1);
    nodeRecord_.assign(1, 0);
    for (int i = 1; i <= prefixCount_; ++i) {
        int node = 0;
        for (char c : prefixes_[static_cast<std::size_t>(i)].Prefix.View()) {
            const std::uint32_t key =
                EdgeKey(node, static_cast<unsigned char>(tavo::UpperAscii(c)));
            std::uint32_t slot = EdgeSlot(key) & edgeMask_;
            while (edges_[slot].key != 0 && edges_[slot].key != key) slot = (slot + 1) & edgeMask_;
            if (edges_[slot].key == 0) {
                edges_[slot] = {key, static_cast<std::int32_t>(nodeRecord_.size())};
                nodeRecord_.push_back(0);
            }
            node = edges_[slot].child;
        }
        nodeRecord_[static_cast<std::size_t>(node)] = i;
    }
}

int CountryDatabase::Child(int node, unsigned char c) const {
    const std::uint32_t key = EdgeKey(node, c);
    for (std::uint32_t slot = EdgeSlot(key) & edgeMask_;; slot = (slot + 1) & edgeMask_) {
        if (edges_[slot].key == key) return edges_[slot].child;
        if (edges_[slot].key == 0) return -1;
    }
}

int CountryDatabase::FindPrefixRecord(std::string_view Call) const {
    int best = nodeRecord_[0];
    int node = 0;
    const std::size_t n = std::min<std::size_t>(Call.size(), MaxPrefixLength);
    for (std::size_t i = 0; i < n; ++i) {
        node = Child(node, static_cast<unsigned char>(tavo::UpperAscii(Call[i])));
        if (node < 0) break;
        if (int rec = nodeRecord_[static_cast<std::size_t>(node)]) best = rec;
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

std::string StripPrefix(std::string_view Text) {
    for (char mark : {'(', '[', '<', '{', '~'}) {
        auto pos = Text.find(mark);
        if (pos != std::string_view::npos && pos >= 1) Text = Text.substr(0, pos);
    }
    return std::string(Text);
}

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

int CountryDatabase::PortablePrefixRecord(std::string_view Call) const {
    const std::size_t len = Call.size();
    const auto slash = Call.find('/');
    const int plain = FindPrefixRecord(Call);
    if (slash == std::string_view::npos) return plain;
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
    if (!exactIndex_.empty()) {
        auto found = exactIndex_.find(tavo::UpperAscii(tavo::Trim(Call)));
        if (found != exactIndex_.end()) {
            const TExactRec& rec = exacts_[static_cast<std::size_t>(found->second)];
            return WithOverrides(Country(rec.Country), rec.Country, rec.CqZone, rec.Continent);
        }
    }
    const int index = PortablePrefixRecord(Call);
    if (index <= 0) return {};
    const TPrefixRec& rec = prefixes_[static_cast<std::size_t>(index)];
    return WithOverrides(Country(rec.Country), rec.Country, rec.CqZone, rec.Continent);
}

CountryDatabase& DefaultCountryDatabase() {
    static CountryDatabase db;
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
