#include "country/cty_utl3.h"

#include <array>
#include <optional>

#include "common/text.h"
#include "platform/text_file.h"

namespace cty_utl3 {

namespace {

// Index 0 is never a record; the tables start zeroed and live for the run.
std::array<TCountryRec, MaxCountries + 1> countries;
std::array<TPrefixRec, MaxPrefixes + 1> prefixes;
int countryCount = 0;
int prefixCount = 0;

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

bool IsEndOfFileLine(std::string_view line) {
    return tavo::SameTextAscii(line.substr(0, 11), "end of file");
}

// 1-based position of the first "," or, when there is none, of the first ";".
std::size_t SeparatorPos(std::string_view text) {
    auto pos = text.find(',');
    if (pos == std::string_view::npos) pos = text.find(';');
    return pos == std::string_view::npos ? 0 : pos + 1;
}

bool MatchesAt(std::string_view call, const TPrefixRec& rec) {
    std::string_view prefix = rec.Prefix.View();
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (tavo::UpperAscii(call[i]) != tavo::UpperAscii(prefix[i])) return false;
    }
    return true;
}

// Reads one country file into the tables; the counters are the next free
// records, so the counts come out as counter - 1 whichever way loading ends.
class Loader {
public:
    explicit Loader(tavo::TextReader& reader) : reader_(reader) {}

    void Run() {
        std::string line;
        reader_.ReadLine(line);  // the title line is never data
        while (ReadData(line) && !IsEndOfFileLine(line)) {
            // A 501st country ends the data as an "end of file" line would.
            if (country_ > MaxCountries) break;
            FillCountry(line);
            if (!ReadPrefixLines(line)) break;
            ++country_;
        }
        countryCount = country_ - 1;
        prefixCount = prefix_ - 1;
    }

private:
    // The last line is never data: a country file always ends with its
    // end-of-file line, or one more line after the last ";".
    bool ReadData(std::string& line) { return reader_.ReadLine(line) && !reader_.AtEnd(); }

    void FillCountry(std::string_view line) {
        TCountryRec& rec = countries[static_cast<std::size_t>(country_)];
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
        TPrefixRec& rec = prefixes[static_cast<std::size_t>(prefix_)];
        rec.Prefix = StripPrefix(item.substr(0, 14));
        rec.Country = country_;
        rec.PrefixLen = static_cast<std::int32_t>(rec.Prefix.Length());
        ++prefix_;
        return true;
    }

    tavo::TextReader& reader_;
    int country_ = 1;
    int prefix_ = 1;
};

}  // namespace

int LoadCountryFile(const std::string& FileName) {
    std::optional<tavo::TextReader> reader = tavo::TextReader::Open(FileName);
    if (!reader) return -1;
    Loader(*reader).Run();
    return 0;
}

const TCountryRec& CountryTable(int Index) { return countries.at(static_cast<std::size_t>(Index)); }
const TPrefixRec& PrefixTable(int Index) { return prefixes.at(static_cast<std::size_t>(Index)); }
int CountryCount() { return countryCount; }
int PrefixCount() { return prefixCount; }

void ClearCountryTables() {
    countries.fill(TCountryRec{});
    prefixes.fill(TPrefixRec{});
    countryCount = 0;
    prefixCount = 0;
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

int FindPrefix(std::string_view Call) {
    const auto callLen = static_cast<std::int32_t>(Call.size());
    std::int32_t bestLen = 0;
    int best = -1;
    for (int i = 1; i <= prefixCount; ++i) {
        const TPrefixRec& rec = prefixes[static_cast<std::size_t>(i)];
        if (rec.PrefixLen > callLen || rec.PrefixLen < bestLen) continue;
        if (MatchesAt(Call, rec)) {
            best = rec.Country;
            bestLen = rec.PrefixLen;
        }
    }
    return best;
}

int CallToCountry(std::string_view Call) {
    const std::size_t len = Call.size();
    const auto slash = Call.find('/');
    int plain = FindPrefix(Call);
    if (slash == std::string_view::npos) return plain;
    const std::size_t pos = slash + 1;  // 1-based, as the rule counts it
    if (!(len < 2 * pos && len - pos >= 2)) return plain;
    std::string candidate(Call.substr(pos));
    candidate += '/';
    candidate += Call.substr(0, slash);
    int swapped = FindPrefix(candidate);
    return swapped >= 0 ? swapped : plain;
}

}  // namespace cty_utl3
