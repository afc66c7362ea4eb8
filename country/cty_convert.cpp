#include "country/cty_convert.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/text.h"
#include "country/cty_utl3.h"

namespace cty_convert {

namespace {

constexpr int kHeaderFields = 8;
constexpr int kMaxZone = 40;
constexpr std::size_t kMaxPrefixLine = 80;
constexpr std::array<std::string_view, 6> kContinents = {"NA", "SA", "EU", "AS", "OC", "AF"};
// The annotation marks cty.dat allows after a prefix: (cq) [itu] <lat/lon> {cont} ~utc~.
constexpr std::string_view kAnnotationMarks = "([<{~";

// Messages are built by appending: GCC 12 warns falsely on "text" + std::string.
template <typename... Parts>
std::string Concat(const Parts&... parts) {
    std::string text;
    (text.append(std::string_view(parts)), ...);
    return text;
}

bool HasBlankOrControl(std::string_view text) {
    for (char c : text) {
        if (tavo::IsBlankOrControl(c)) return true;
    }
    return false;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// The version stamp country-files.com hides among Canada's exact calls.
bool IsVersionItem(std::string_view item) {
    return item.size() > 4 && item.substr(0, 4) == "=VER" && AllDigits(item.substr(4));
}

// Reads cty.dat line by line. An entity ends at the line holding its ";", so
// the line after it is always the next header, whatever its indentation.
class CtyReader {
public:
    explicit CtyReader(tavo::TextReader& reader) : reader_(reader) {}

    CtyData Run() {
        std::string line;
        bool inList = false;
        while (reader_.ReadLine(line)) {
            ++lineNumber_;
            std::string_view text = tavo::Trim(line);
            if (text.empty()) continue;
            if (inList) {
                inList = !ReadPrefixLine(text);
            } else {
                ReadHeader(text);
                inList = true;
            }
        }
        if (inList) {
            Fail(Concat("the file ends inside the prefix list of \"", entity_.Name,
                        "\" (no \";\")"));
        }
        if (data_.Entities.empty()) Fail("no entity found");
        return std::move(data_);
    }

private:
    [[noreturn]] void Fail(const std::string& problem) const {
        throw CtyFormatError(reader_.Name(), lineNumber_, problem);
    }

    void ReadHeader(std::string_view text) {
        if (static_cast<int>(data_.Entities.size()) >= cty_utl3::MaxCountries) {
            Fail(Concat("more than ", tavo::IntToStr(cty_utl3::MaxCountries),
                        " entities; the country table holds no more"));
        }
        std::array<std::string_view, kHeaderFields> field = HeaderFields(text);
        CtyEntity entity;
        entity.Name = NameOf(field[0]);
        entity.CqZone = ZoneOf(field[1]);
        entity.Continent = ContinentOf(field[3]);
        entity.MainPrefix = MainPrefixOf(field[7]);
        entity_ = std::move(entity);
        exactCalls_.clear();
    }

    // "Name: CQ: ITU: Continent: Lat: Lon: UTC: MainPrefix:", each field trimmed.
    std::array<std::string_view, kHeaderFields> HeaderFields(std::string_view text) const {
        std::array<std::string_view, kHeaderFields> field;
        for (auto& f : field) {
            auto colon = text.find(':');
            if (colon == std::string_view::npos) {
                Fail("an entity header needs 8 fields, each ending in \":\"");
            }
            f = tavo::Trim(text.substr(0, colon));
            text.remove_prefix(colon + 1);
        }
        if (!tavo::Trim(text).empty()) Fail("text after the 8th field of an entity header");
        return field;
    }

    std::string NameOf(std::string_view name) const {
        // A header whose columns 1-11 read "end of file" would end the data there.
        if (tavo::SameTextAscii(tavo::Cut(name, 1, 11), "end of file")) {
            Fail("an entity name starting with \"end of file\" would end CQWW.DAT");
        }
        return std::string(name);
    }

    int ZoneOf(std::string_view zone) const {
        // Decimal only: the loader's number rule would also take "$1A" or "x10".
        std::optional<std::int32_t> value = AllDigits(zone) ? tavo::ParseInt32(zone) : std::nullopt;
        if (!value || *value < 1 || *value > kMaxZone) {
            Fail(Concat("CQ zone \"", zone, "\" is not a number from 1 to 40"));
        }
        return *value;
    }

    std::string ContinentOf(std::string_view continent) const {
        for (std::string_view c : kContinents) {
            if (continent == c) return std::string(c);
        }
        Fail(Concat("continent \"", continent, "\" is not NA, SA, EU, AS, OC or AF"));
    }

    std::string MainPrefixOf(std::string_view field) const {
        std::string_view prefix = field;
        if (!prefix.empty() && prefix.front() == '*') prefix.remove_prefix(1);  // WAE-only
        if (prefix.empty() || HasBlankOrControl(prefix)) {
            Fail(Concat("main prefix \"", field, "\" is empty or holds a blank"));
        }
        return std::string(prefix);
    }

    // True when the line ended the entity's list.
    bool ReadPrefixLine(std::string_view text) {
        // No item holds ":", so this is a header: the list before it lacks its ";".
        if (text.find(':') != std::string_view::npos) {
            Fail(Concat("the prefix list of \"", entity_.Name, "\" has no \";\" before this line"));
        }
        auto semicolon = text.find(';');
        bool ends = semicolon != std::string_view::npos;
        if (ends) {
            if (semicolon + 1 != text.size()) Fail("text after the \";\" that ends a prefix list");
            text.remove_suffix(1);
        }
        // A "," at the end of the line (or just before the ";") leaves no item behind it.
        while (!text.empty()) {
            auto comma = text.find(',');
            std::string_view item = tavo::Trim(text.substr(0, comma));
            AddItem(item);
            if (comma == std::string_view::npos) break;
            text.remove_prefix(comma + 1);
        }
        if (ends) EndEntity();
        return ends;
    }

    void AddItem(std::string_view item) {
        if (item.empty()) Fail("an empty item in the prefix list");
        if (HasBlankOrControl(item)) Fail(Concat("item \"", item, "\" holds a blank"));
        if (item.front() == '=') {
            if (data_.Version.empty() && IsVersionItem(item)) data_.Version = item.substr(4);
            exactCalls_.emplace_back(item);
            return;
        }
        CheckLoaderReads(item);
        entity_.Prefixes.emplace_back(item);
    }

    // The loader cuts an item to 14 characters and then strips its annotations;
    // the prefix it keeps must be the one cty.dat means.
    void CheckLoaderReads(std::string_view item) const {
        std::string_view meant = item.substr(0, item.find_first_of(kAnnotationMarks));
        if (meant.empty()) Fail(Concat("item \"", item, "\" has no prefix before its annotations"));
        std::string stored = cty_utl3::StripPrefix(tavo::Cut(item, 1, 14));
        if (stored != meant) {
            Fail(Concat("prefix \"", meant, "\" is longer than the 14 characters CQWW.DAT keeps"));
        }
    }

    void EndEntity() {
        // An empty list would store an empty prefix, which catches every
        // unmatched callsign; exact calls at least never match anything.
        if (entity_.Prefixes.empty()) entity_.Prefixes = std::move(exactCalls_);
        if (entity_.Prefixes.empty())
            Fail(Concat("the prefix list of \"", entity_.Name, "\" is empty"));
        prefixCount_ += static_cast<int>(entity_.Prefixes.size());
        if (prefixCount_ > cty_utl3::MaxPrefixes) {
            Fail(Concat("more than ", tavo::IntToStr(cty_utl3::MaxPrefixes),
                        " prefixes; the prefix table holds no more"));
        }
        data_.Entities.push_back(std::move(entity_));
    }

    tavo::TextReader& reader_;
    int lineNumber_ = 0;
    CtyData data_;
    CtyEntity entity_;
    std::vector<std::string> exactCalls_;
    int prefixCount_ = 0;
};

std::string TitleLine(const std::string& version) {
    if (version.empty()) return "CQWW.DAT converted from cty.dat (no version stamp)";
    return Concat("CQWW.DAT converted from cty.dat version ", version);
}

// Name 1-26, CQ zone right-aligned in 27-28, main prefix 32-36, continent 39-40.
// A main prefix over 5 characters is cut: the loader reads no further.
std::string HeaderLine(const CtyEntity& entity) {
    std::string line = tavo::PadRight(tavo::Cut(entity.Name, 1, 26), 26);
    line += tavo::PadLeft(tavo::IntToStr(entity.CqZone), 2);
    line += "   ";
    line += tavo::PadRight(tavo::Cut(entity.MainPrefix, 1, 5), 5);
    line += "  ";
    line += entity.Continent;
    return line;
}

void WritePrefixLines(const std::vector<std::string>& prefixes, tavo::TextWriter& out) {
    const std::string indent = "  ";
    std::string line = indent;
    for (std::size_t i = 0; i < prefixes.size(); ++i) {
        std::string piece = Concat(prefixes[i], i + 1 < prefixes.size() ? "," : ";");
        if (line.size() > indent.size() && line.size() + piece.size() > kMaxPrefixLine) {
            out.WriteLine(line);
            line = indent;
        }
        line += piece;
    }
    out.WriteLine(line);
}

}  // namespace

CtyFormatError::CtyFormatError(const std::string& fileName, int lineNumber,
                               const std::string& problem)
    : std::runtime_error(Concat(fileName, ":", tavo::IntToStr(lineNumber), ": ", problem)),
      fileName_(fileName),
      lineNumber_(lineNumber) {}

std::optional<CtyData> ReadCtyFile(const std::string& ctyPath) {
    std::optional<tavo::TextReader> reader = tavo::TextReader::Open(ctyPath);
    if (!reader) return std::nullopt;
    return CtyReader(*reader).Run();
}

void WriteCqwwDat(const CtyData& data, tavo::TextWriter& out) {
    out.WriteLine(TitleLine(data.Version));
    for (const CtyEntity& entity : data.Entities) {
        out.WriteLine(HeaderLine(entity));
        WritePrefixLines(entity.Prefixes, out);
    }
    out.WriteLine("end of file");
}

std::optional<ConvertResult> ConvertCtyFile(const std::string& ctyPath, tavo::TextWriter& out) {
    std::optional<CtyData> data = ReadCtyFile(ctyPath);
    if (!data) return std::nullopt;
    WriteCqwwDat(*data, out);
    ConvertResult result;
    result.Countries = static_cast<int>(data->Entities.size());
    for (const CtyEntity& entity : data->Entities) {
        result.Prefixes += static_cast<int>(entity.Prefixes.size());
    }
    result.Version = data->Version;
    return result;
}

}  // namespace cty_convert
