#include "country/cty_convert.h"

#include <optional>
#include <string_view>

#include "common/text.h"
#include "country/cty_dat.h"
#include "country/cty_utl3.h"

namespace cty_convert {

namespace {

constexpr std::size_t kMaxPrefixLine = 80;
// The annotation marks cty.dat allows after a prefix: (cq) [itu] <lat/lon> {cont} ~utc~.
constexpr std::string_view kAnnotationMarks = "([<{~";

// Messages are built by appending: GCC 12 warns falsely on "text" + std::string.
template <typename... Parts>
std::string Concat(const Parts&... parts) {
    std::string text;
    (text.append(std::string_view(parts)), ...);
    return text;
}

// Collects what CQWW.DAT can hold, and refuses what it would not load as
// cty.dat means it.
class CqwwSink : public cty_utl3::CtySink {
public:
    CtyData Take() { return std::move(data_); }

    void Header(const cty_utl3::CtyHeader& header) override {
        if (static_cast<int>(data_.Entities.size()) >= cty_utl3::MaxCountries) {
            Fail(Concat("more than ", tavo::IntToStr(cty_utl3::MaxCountries),
                        " entities; the country table holds no more"));
        }
        // A header whose columns 1-11 read "end of file" would end the data there.
        if (tavo::SameTextAscii(tavo::Cut(header.Name, 1, 11), "end of file")) {
            Fail("an entity name starting with \"end of file\" would end CQWW.DAT");
        }
        CtyEntity entity;
        entity.Name = std::string(header.Name);
        entity.CqZone = header.CqZone;
        entity.Continent = std::string(cty_utl3::ContinentAbbr(header.Continent));
        entity.MainPrefix = std::string(header.MainPrefix);
        entity_ = std::move(entity);
        exactCalls_.clear();
    }

    void Item(const cty_utl3::CtyItem& item) override {
        if (item.Exact) {
            if (data_.Version.empty() && cty_utl3::IsVersionItem(item.Text)) {
                data_.Version = item.Text.substr(4);
            }
            exactCalls_.emplace_back(item.Text);
            return;
        }
        CheckLoaderReads(item.Text);
        entity_.Prefixes.emplace_back(item.Text);
    }

    void EndEntity() override {
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

private:
    [[noreturn]] static void Fail(std::string problem) {
        throw cty_utl3::CtyProblem{std::move(problem)};
    }

    // The loader cuts an item to 14 characters and then strips its annotations;
    // the prefix it keeps must be the one cty.dat means.
    static void CheckLoaderReads(std::string_view item) {
        std::string_view meant = item.substr(0, item.find_first_of(kAnnotationMarks));
        std::string stored = cty_utl3::StripPrefix(tavo::Cut(item, 1, 14));
        if (stored != meant) {
            Fail(Concat("prefix \"", meant, "\" is longer than the 14 characters CQWW.DAT keeps"));
        }
    }

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

std::optional<CtyData> ReadCtyFile(const std::string& ctyPath) {
    std::optional<tavo::TextReader> reader = tavo::TextReader::Open(ctyPath);
    if (!reader) return std::nullopt;
    CqwwSink sink;
    cty_utl3::ReadCtyDat(*reader, sink);
    return sink.Take();
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
