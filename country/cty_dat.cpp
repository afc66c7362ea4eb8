#include "country/cty_dat.h"

#include <array>
#include <cstdint>
#include <optional>

#include "common/text.h"
#include "country/cty_utl3.h"

namespace cty_utl3 {

namespace {

constexpr int kHeaderFields = 8;
constexpr int kMaxZone = 40;
// The annotation marks cty.dat allows after a prefix, each with its closing mark.
constexpr std::string_view kOpenMarks = "([<{~";
constexpr std::string_view kCloseMarks = ")]>}~";

// Messages are built by appending: GCC 12 warns falsely on "text" + std::string.
template <typename... Parts>
std::string Concat(const Parts&... parts) {
    std::string text;
    (text.append(std::string_view(parts)), ...);
    return text;
}

// The place of an annotation's opening mark in kOpenMarks; npos for none.
constexpr std::size_t OpenMarkKind(char c) {
    switch (c) {
        case '(': return 0;
        case '[': return 1;
        case '<': return 2;
        case '{': return 3;
        case '~': return 4;
        default: return std::string_view::npos;
    }
}

// What a byte is to the walk over a prefix list.
enum class CharClass : std::uint8_t { Plain, Blank, Comma, Mark };
constexpr std::array<CharClass, 256> kClass = [] {
    std::array<CharClass, 256> kind{};
    for (int c = 0; c < 256; ++c) {
        if (tavo::IsBlankOrControl(static_cast<char>(c)))
            kind[static_cast<std::size_t>(c)] = CharClass::Blank;
    }
    kind[','] = CharClass::Comma;
    for (char c : kOpenMarks) kind[static_cast<unsigned char>(c)] = CharClass::Mark;
    return kind;
}();

bool HasBlankOrControl(std::string_view text) {
    for (char c : text) {
        if (tavo::IsBlankOrControl(c)) return true;
    }
    return false;
}

// Decimal only: the number rule of CQWW.DAT would also take "$1A" or "x10".
std::optional<int> ZoneNumberOfAnyLength(std::string_view text) {
    std::optional<std::int32_t> value =
        tavo::AllDigits(text) ? tavo::ParseInt32(text) : std::nullopt;
    if (!value || *value < 1 || *value > kMaxZone) return std::nullopt;
    return *value;
}

// One or two digits, as nearly every zone is written, need no general parse.
inline std::optional<int> ZoneNumber(std::string_view text) {
    int value = 0;
    if (text.size() == 1 && tavo::IsDigitAscii(text[0])) {
        value = text[0] - '0';
    } else if (text.size() == 2 && tavo::IsDigitAscii(text[0]) && tavo::IsDigitAscii(text[1])) {
        value = (text[0] - '0') * 10 + (text[1] - '0');
    } else {
        return ZoneNumberOfAnyLength(text);
    }
    if (value < 1 || value > kMaxZone) return std::nullopt;
    return value;
}

// Only the capitals cty.dat writes: "na" is no continent.
int ContinentCode(std::string_view text) {
    for (int code = 1; code <= 6; ++code) {
        if (text == ContinentAbbr(code)) return code;
    }
    return 0;
}

// Reads cty.dat line by line. An entity ends at the line holding its ";", so
// the line after it is always the next header, whatever its indentation.
class CtyReader {
public:
    CtyReader(tavo::TextReader& reader, CtySink& sink) : reader_(reader), sink_(sink) {}

    // Each line is a view into the bytes read, done with before the next is read.
    void Run() {
        std::string_view line;
        bool inList = false;
        bool any = false;
        while (reader_.ReadLine(line)) {
            ++lineNumber_;
            std::string_view text = tavo::Trim(line);
            if (text.empty()) continue;
            if (inList) {
                inList = !ReadPrefixLine(text);
            } else {
                ReadHeader(text);
                inList = any = true;
            }
        }
        if (inList) {
            Fail(Concat("the file ends inside the prefix list of \"", name_, "\" (no \";\")"));
        }
        if (!any) Fail("no entity found");
    }

private:
    [[noreturn]] void Fail(const std::string& problem) const {
        throw CtyFormatError(reader_.Name(), lineNumber_, problem);
    }

    // The sink's own rules fail on the line that broke them.
    template <typename Call>
    void Hand(Call call) {
        try {
            call();
        } catch (const CtyProblem& problem) {
            Fail(problem.Text);
        }
    }

    void ReadHeader(std::string_view text) {
        std::array<std::string_view, kHeaderFields> field = HeaderFields(text);
        CtyHeader header;
        header.Name = field[0];
        name_ = std::string(field[0]);
        std::optional<int> zone = ZoneNumber(field[1]);
        if (!zone) Fail(Concat("CQ zone \"", field[1], "\" is not a number from 1 to 40"));
        header.CqZone = *zone;
        header.Continent = ContinentCode(field[3]);
        if (header.Continent == 0) {
            Fail(Concat("continent \"", field[3], "\" is not NA, SA, EU, AS, OC or AF"));
        }
        std::string_view prefix = field[7];
        header.WaeOnly = !prefix.empty() && prefix.front() == '*';
        if (header.WaeOnly) prefix.remove_prefix(1);
        if (prefix.empty() || HasBlankOrControl(prefix)) {
            Fail(Concat("main prefix \"", field[7], "\" is empty or holds a blank"));
        }
        header.MainPrefix = prefix;
        Hand([&] { sink_.Header(header); });
    }

    // Each field trimmed.
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

    // True when the line ended the entity's list.
    bool ReadPrefixLine(std::string_view text) {
        // No item holds ":", so this is a header: the list before it lacks its ";".
        if (text.find(':') != std::string_view::npos) {
            Fail(Concat("the prefix list of \"", name_, "\" has no \";\" before this line"));
        }
        auto semicolon = text.find(';');
        bool ends = semicolon != std::string_view::npos;
        if (ends) {
            if (semicolon + 1 != text.size()) Fail("text after the \";\" that ends a prefix list");
            text.remove_suffix(1);
        }
        // A "," at the end of the line (or just before the ";") leaves no item behind it.
        // One walk over each item finds its ends without the blanks around
        // it, a blank inside it and its first annotation mark.
        const std::size_t n = text.size();
        const auto kindAt = [&](std::size_t at) {
            return kClass[static_cast<unsigned char>(text[at])];
        };
        std::size_t i = 0;
        while (i < n) {
            while (i < n && kindAt(i) == CharClass::Blank) ++i;
            const std::size_t first = i;
            CtyItem usual;
            if (ReadUsualItem(text, i, usual)) {
                Hand([&] { sink_.Item(usual); });
                if (i == n) break;
                ++i;  // past the ","
                continue;
            }
            std::size_t last = i;  // past the item's last character that is no blank
            std::size_t mark = std::string_view::npos;
            bool blank = false;  // a blank with more of the item after it
            while (i < n) {
                const std::size_t run = i;
                while (i < n && kindAt(i) == CharClass::Plain) ++i;
                if (i > run) last = i;
                if (i == n) break;
                const CharClass kind = kindAt(i);
                if (kind == CharClass::Comma) break;
                if (kind == CharClass::Mark) {
                    if (mark == std::string_view::npos) mark = i - first;
                    last = ++i;
                    continue;
                }
                while (i < n && kindAt(i) == CharClass::Blank) ++i;
                blank = blank || (i < n && kindAt(i) != CharClass::Comma);
            }
            ReadItem(text.substr(first, last - first), blank, mark);
            if (i == n) break;
            ++i;  // past the ","
        }
        if (ends) Hand([&] { sink_.EndEntity(); });
        return ends;
    }

    // Nearly every item is a call and well-formed annotations before a "," or
    // the line's end: one walk reads it, leaving `at` on what ends it. Anything
    // else returns false and is left to the full walk, which tells its fault.
    bool ReadUsualItem(std::string_view text, std::size_t& at, CtyItem& item) const {
        const std::size_t n = text.size();
        const auto kindAt = [&](std::size_t k) {
            return kClass[static_cast<unsigned char>(text[k])];
        };
        const std::size_t first = at;
        const bool exact = first < n && text[first] == '=';
        std::size_t i = first;
        while (i < n && kindAt(i) == CharClass::Plain) ++i;
        const std::size_t callFirst = first + (exact ? 1 : 0);
        if (i <= callFirst) return false;
        const std::size_t callEnd = i;
        while (i < n && kindAt(i) == CharClass::Mark) {
            const char open = text[i];
            const char close = kCloseMarks[OpenMarkKind(open)];
            std::size_t end = i + 1;
            while (end < n && text[end] != close && kindAt(end) != CharClass::Blank &&
                   kindAt(end) != CharClass::Comma)
                ++end;
            if (end == n || text[end] != close) return false;
            const std::string_view inside = text.substr(i + 1, end - i - 1);
            if (open == '(') {
                std::optional<int> zone = ZoneNumber(inside);
                if (!zone) return false;
                item.CqZone = *zone;
            } else if (open == '{') {
                item.Continent = ContinentCode(inside);
                if (item.Continent == 0) return false;
            }
            i = end + 1;
        }
        const std::size_t last = i;
        while (i < n && kindAt(i) == CharClass::Blank) ++i;
        if (i < n && kindAt(i) != CharClass::Comma) return false;
        item.Text = text.substr(first, last - first);
        item.Exact = exact;
        item.Call = text.substr(callFirst, callEnd - callFirst);
        at = i;
        return true;
    }

    // The item without the blanks around it; `blank` when one is inside it,
    // `mark` the position of its first annotation mark.
    void ReadItem(std::string_view text, bool blank, std::size_t mark) {
        if (text.empty()) Fail("an empty item in the prefix list");
        if (blank) Fail(Concat("item \"", text, "\" holds a blank"));
        CtyItem item;
        item.Text = text;
        item.Exact = text.front() == '=';
        std::string_view call = text.substr(item.Exact ? 1 : 0);
        const std::size_t marks = mark == std::string_view::npos || !item.Exact ? mark : mark - 1;
        item.Call = call.substr(0, marks);
        if (item.Call.empty()) {
            Fail(Concat("item \"", text, "\" has no prefix before its annotations"));
        }
        if (marks != std::string_view::npos) ReadAnnotations(text, call.substr(marks), item);
        Hand([&] { sink_.Item(item); });
    }

    // "(cq)" and "{continent}" override the entity's; the others are read and let be.
    void ReadAnnotations(std::string_view text, std::string_view rest, CtyItem& item) const {
        while (!rest.empty()) {
            const char open = rest.front();
            const std::size_t kind = OpenMarkKind(open);
            if (kind == std::string_view::npos) {
                Fail(Concat("item \"", text, "\" has text between its annotations"));
            }
            std::size_t close = 1;
            while (close < rest.size() && rest[close] != kCloseMarks[kind]) ++close;
            if (close == rest.size()) {
                Fail(Concat("item \"", text, "\" has an annotation with no closing \"",
                            kCloseMarks.substr(kind, 1), "\""));
            }
            std::string_view inside = rest.substr(1, close - 1);
            if (rest.front() == '(') {
                std::optional<int> zone = ZoneNumber(inside);
                if (!zone) {
                    Fail(Concat("item \"", text, "\": CQ zone \"", inside,
                                "\" is not a number from 1 to 40"));
                }
                item.CqZone = *zone;
            } else if (rest.front() == '{') {
                item.Continent = ContinentCode(inside);
                if (item.Continent == 0) {
                    Fail(Concat("item \"", text, "\": continent \"", inside,
                                "\" is not NA, SA, EU, AS, OC or AF"));
                }
            }
            rest.remove_prefix(close + 1);
        }
    }

    tavo::TextReader& reader_;
    CtySink& sink_;
    int lineNumber_ = 0;
    std::string name_;  // of the entity being read
};

}  // namespace

CtyFormatError::CtyFormatError(const std::string& fileName, int lineNumber,
                               const std::string& problem)
    : std::runtime_error(Concat(fileName, ":", tavo::IntToStr(lineNumber), ": ", problem)),
      fileName_(fileName),
      lineNumber_(lineNumber) {}

void ReadCtyDat(tavo::TextReader& reader, CtySink& sink) { CtyReader(reader, sink).Run(); }

bool IsCtyHeaderLine(std::string_view line) {
    int colons = 0;
    for (char c : line) colons += c == ':';
    return colons == kHeaderFields && tavo::Trim(line.substr(line.rfind(':') + 1)).empty();
}

bool IsVersionItem(std::string_view item) {
    return item.size() > 4 && item.substr(0, 4) == "=VER" && tavo::AllDigits(item.substr(4));
}

}  // namespace cty_utl3
