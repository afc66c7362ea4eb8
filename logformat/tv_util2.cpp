#include "logformat/tv_util2.h"

#include <array>
#include <bit>
#include <cstring>
#include <optional>

#include "common/text.h"
#include "logformat/cabrillo_template.h"
#include "logformat/log_formats.h"
#include "platform/text_file.h"

namespace tv_util2 {

namespace {

std::string headerLine;

constexpr std::string_view kAllMarker = "zLog for Windows ";
constexpr std::string_view kCabrilloMarker = "START-OF-LOG:";
constexpr std::string_view kTxtMarker = "mon day time";

// Band texts per index 0..9 (10 is the catch-all). Cabrillo's frequency in kHz
// is known by its first two characters, with or without a leading zero. The
// text is held in the entry, not pointed to, so that the tables need no
// relocation when the program starts.
struct BandText {
    constexpr BandText(int Index, std::string_view Text) : index(Index), size(Text.size()) {
        for (std::size_t i = 0; i < size; ++i) bytes[i] = Text[i];
    }
    constexpr std::string_view text() const { return {bytes.data(), size}; }
    int index;
    std::array<char, 4> bytes{};
    std::size_t size;
};

// The tables read best in columns.
// clang-format off
constexpr std::array<BandText, 10> kAllBands = {{
    {0, "1.9"}, {1, "3.5"}, {2, "7  "}, {3, "14 "}, {4, "21 "},
    {5, "28 "}, {6, "50 "}, {7, "144"}, {8, "430"}, {9, "120"},
}};

constexpr std::array<BandText, 10> kCabrilloBands = {{
    {0, " 1"}, {0, "01"}, {1, " 3"}, {1, "03"}, {2, " 7"},
    {2, "07"}, {3, "14"}, {4, "21"}, {5, "28"}, {6, "50"},
}};

constexpr std::array<BandText, 11> kTxtBands = {{
    {0, " 1.9"}, {1, " 3.5"}, {2, "   7"}, {3, "  14"}, {4, "  21"}, {5, "  28"},
    {6, "  50"}, {7, " 144"}, {8, " 430"}, {9, "1200"}, {10, "2400"},
}};

// clang-format on

template <std::size_t N>
int LookUpBand(const std::array<BandText, N>& table, std::string_view text) {
    for (const BandText& entry : table) {
        if (entry.text() == text) return entry.index;
    }
    return 10;
}

// A zLog ALL band text's three bytes as one number, for a compare per entry
// with no library call.
constexpr std::uint32_t AllBandKey(const char* p) {
    return static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16;
}

// The band texts by their keys in a table of 16 slots, at most one text to
// a slot: a multiplier that spreads the ten keys so is found at compile
// time. An empty slot holds key 0 and the catch-all band, which is right for
// three zero bytes too.
struct AllBandSlot {
    std::uint32_t key = 0;
    int index = 10;
};
constexpr int kAllBandSlotBits = 4;

constexpr std::size_t AllBandSlotOf(std::uint32_t key, std::uint32_t multiplier) {
    return (key * multiplier) >> (32 - kAllBandSlotBits);
}

constexpr std::uint32_t kAllBandMultiplier = [] {
    for (std::uint32_t multiplier = 0x9E3779B1u;; multiplier += 2) {
        std::array<bool, std::size_t{1} << kAllBandSlotBits> taken{};
        bool apart = true;
        for (const BandText& entry : kAllBands) {
            const std::size_t slot = AllBandSlotOf(AllBandKey(entry.text().data()), multiplier);
            apart = apart && !taken[slot];
            taken[slot] = true;
        }
        if (apart) return multiplier;
    }
}();

constexpr std::array<AllBandSlot, std::size_t{1} << kAllBandSlotBits> kAllBandSlots = [] {
    std::array<AllBandSlot, std::size_t{1} << kAllBandSlotBits> slots{};
    for (const BandText& entry : kAllBands) {
        const std::uint32_t key = AllBandKey(entry.text().data());
        slots[AllBandSlotOf(key, kAllBandMultiplier)] = {key, entry.index};
    }
    return slots;
}();

// LookUpBand(kAllBands, text) of a text of three bytes at p.
int AllBandAt(const char* p) {
    const std::uint32_t key = AllBandKey(p);
    const AllBandSlot& slot = kAllBandSlots[AllBandSlotOf(key, kAllBandMultiplier)];
    return slot.key == key ? slot.index : 10;
}

}  // namespace

bool IsZLogAllMarker(std::string_view Line) { return Line == kAllMarker; }
bool IsCabrilloMarker(std::string_view Line) {
    return Line.substr(0, kCabrilloMarker.size()) == kCabrilloMarker;
}
bool IsZLogTxtMarker(std::string_view Line) {
    // Only the front is trimmed: the marker ends in a letter, so the blanks a
    // trim would take from the back never reach into it. Detection asks this
    // of every line of a file no line marks.
    return tavo::TrimFront(Line).starts_with(kTxtMarker);
}

bool MayMarkLine(std::string_view Line) {
    if (Line.empty()) return false;
    const char first = Line[0];
    return first == kAllMarker[0] || first == kCabrilloMarker[0] || first == kTxtMarker[0] ||
           tavo::IsBlankOrControl(first);
}

const std::string& HeaderLine() { return headerLine; }
void ClearHeaderLine() { headerLine.clear(); }

std::string_view ExtractField(std::string_view Line, ColumnSpan Span) {
    return tavo::Cut(Line, Span.Start, Span.Length);
}

namespace {

// The next line that MayMarkLine lets through; false at the end.
bool ReadMarkableLine(tavo::TextReader& Log, std::string_view& line) {
    while (Log.ReadLine(line)) {
        if (MayMarkLine(line)) return true;
    }
    return false;
}

}  // namespace

Detection DetectLog(const std::string& FileName) {
    std::optional<tavo::TextReader> reader = tavo::TextReader::Open(FileName);
    if (!reader) return {};
    return DetectLog(*reader);
}

Detection DetectLog(tavo::TextReader& Log) {
    // Lines as views: a file no line marks, such as an ADIF log, is read
    // through to its end, and only the marking line is kept.
    // A marked log nearly always starts with its marker, so the first line
    // goes to the markers as it is; the lines after it only when their
    // first byte lets one of them take it, which passes over most lines of
    // a file no line marks.
    std::string_view line;
    for (bool more = Log.ReadLine(line); more; more = ReadMarkableLine(Log, line)) {
        for (const LogFormatEntry& entry : LogFormats()) {
            if (entry.MarksLine != nullptr && entry.MarksLine(line))
                return {entry.Code, std::string(line)};
        }
    }
    for (const LogFormatEntry& entry : LogFormats()) {
        if (entry.MarksFile == nullptr) continue;
        Log.Rewind(tavo::TextReader::CtrlZ::IsText);
        if (entry.MarksFile(Log)) return {entry.Code, {}};
    }
    return {};
}

int DetectLogFormat(const std::string& FileName) {
    Detection found = DetectLog(FileName);
    if (found.Format != FormatUnknown) headerLine = found.HeaderLine;
    return found.Format;
}

void GetColumnLayout(const Detection& Found, ColumnLayout& Layout) {
    switch (Found.Format) {
        case FormatZLogAll: Layout = ZLogAllLayout; break;
        case FormatCabrillo: Layout = CabrilloLayout; break;
        case FormatZLogTxt: LayoutFromHeader(Found.HeaderLine, Layout); break;
        default: break;
    }
}

void GetColumnLayout(int Format, ColumnLayout& Layout) {
    GetColumnLayout(Detection{Format, headerLine}, Layout);
}

int KeywordEnd(std::string_view Header, std::string_view Keyword) {
    auto pos = Header.find(Keyword);
    int first = pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
    return first + static_cast<int>(Keyword.size()) - 1;
}

// Each field is placed from the end column of its keyword in the header line.
void LayoutFromHeader(std::string_view Header, ColumnLayout& Layout) {
    auto end = [Header](std::string_view keyword) { return KeywordEnd(Header, keyword); };
    Layout.Band = {end("MHz") - 3, 4};
    Layout.Call = {end("callsign") - 8, 10};
    Layout.Day = {end("day") - 1, 2};
    Layout.Hour = {end("time") - 3, 2};
    Layout.Multi = {end("multi"), 1};
    Layout.Extra = {-1, 0};
    Layout.Date = {-1, 0};
    Layout.Mode = {end("mode") - 2, 3};
    Layout.Sent = {end("sent") - 7, 3};
    Layout.Rcvd = {end("rcvd") - 7, 3};
    Layout.Time = {end("time") - 3, 4};
    Layout.Month = {end("mon") - 1, 2};
    Layout.RcvdExch = {-1, 0};
}

int BandIndexOf(int Format, std::string_view Line, ColumnSpan Span) {
    std::string_view text = ExtractField(Line, Span);
    switch (Format) {
        case FormatZLogAll: return LookUpBand(kAllBands, text);
        case FormatCabrillo:
            // Two bytes decide, so they are read as one number.
            if (text.size() == 2) return CabrilloColumnBand(text[0], text[1]);
            return LookUpBand(kCabrilloBands, text);
        case FormatZLogTxt: return LookUpBand(kTxtBands, text);
        default: return 10;
    }
}

namespace {

constexpr bool IsTokenChar(char c) { return !tavo::IsBlankOrControl(c); }

// The first field of the received half of a line of Count fields: the
// exchange after frequency, mode, date and time halved, a trailing
// transmitter id left out; -1 when there is none.
int HalvesIndexOf(int count) {
    int exchange = count - 4;
    if (exchange % 2 != 0) exchange -= 1;
    return exchange >= 2 ? 4 + exchange / 2 : -1;
}

struct KhzRange {
    std::uint64_t low, high;
    int band;
};

constexpr std::array<KhzRange, 10> kKhzBands = {{
    {1800, 2000, 0},
    {3500, 4000, 1},
    {7000, 7300, 2},
    {14000, 14350, 3},
    {21000, 21450, 4},
    {28000, 29700, 5},
    {50000, 54000, 6},
    {144000, 148000, 7},
    {420000, 450000, 8},
    {1240000, 1300000, 9},
}};

constexpr std::array<BandText, 5> kCabrilloDesignators = {{
    {6, "50"},
    {7, "144"},
    {8, "432"},
    {9, "1.2G"},
    {9, "1.2g"},
}};

// Calls `found` with each token of the line in turn until it returns false.
template <typename Found>
void ForEachToken(std::string_view line, Found found) {
    std::size_t i = CabrilloMarkerLength;
    while (i < line.size()) {
        while (i < line.size() && !IsTokenChar(line[i])) ++i;
        if (i >= line.size()) return;
        std::size_t start = i;
        while (i < line.size() && IsTokenChar(line[i])) ++i;
        if (!found(CabrilloToken{line.substr(start, i - start), static_cast<int>(start) + 1}))
            return;
    }
}

}  // namespace

namespace {

// Eight bytes with the first in the lowest bits, whatever the machine.
std::uint64_t LoadLittle(const char* p) {
    if constexpr (std::endian::native == std::endian::little)
        return tavo::LoadWord<std::uint64_t>(p);
    std::uint64_t w = 0;
    for (int i = 7; i >= 0; --i) w = (w << 8) | static_cast<unsigned char>(p[i]);
    return w;
}

// One bit per byte of a word, set where the byte belongs to a token: a byte
// above 32 gets its top bit from adding 0x5F to its low seven bits, or has
// it already; the eight top bits are then gathered into one byte. The
// multiplier moves byte k's top bit to bit 56 + k with no carries, so the
// bits need no shift down first.
std::uint64_t WordTokenTops(std::uint64_t w) {
    return (((w & 0x7F7F7F7F7F7F7F7FULL) + 0x5F5F5F5F5F5F5F5FULL) | w) & 0x8080808080808080ULL;
}
std::uint64_t WordTokenBits(std::uint64_t w) {
    return (WordTokenTops(w) * 0x0002040810204081ULL) >> 56;
}

// The fields that start in a word, given its top bits from WordTokenTops and
// the top bit of the byte before it (0x80 for a token byte): a start's byte
// becomes a 1, and one multiply sums the eight bytes into the top one.
int WordTokenStarts(std::uint64_t tops, std::uint64_t before) {
    const std::uint64_t starts = tops & ~((tops << 8) | before);
    return static_cast<int>(((starts >> 7) * 0x0101010101010101ULL) >> 56);
}

// The token bits of the first min(n, 64) bytes; the bytes after them are
// never read. Inline, as a line off the template reads two blocks of them.
[[gnu::always_inline]] inline std::uint64_t TokenBits(const char* text, std::size_t n) {
    std::uint64_t bits = 0;
    if (n >= 64) {
        for (std::size_t at = 0; at < 64; at += 8)
            bits |= WordTokenBits(LoadLittle(text + at)) << at;
        return bits;
    }
    if (n >= 8) {
        // The words before the last, then the final eight bytes, which lie
        // within the text: the bits of those already read come again the same.
        for (std::size_t at = 0; at + 8 < n; at += 8)
            bits |= WordTokenBits(LoadLittle(text + at)) << at;
        return bits | WordTokenBits(LoadLittle(text + n - 8)) << (n - 8);
    }
    // Bytes past the line stay zero, which is a blank.
    std::uint64_t w = 0;
    for (std::size_t i = 0; i < n; ++i)
        w |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
    return WordTokenBits(w);
}

// std::popcount is a library call on machines without the instruction.
int BitCount(std::uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

}  // namespace

// The line is walked 64 bytes at a time; in each block the start bits give
// the fields' first bytes in order and the end bits the bytes after them.
CabrilloTokens::CabrilloTokens(std::string_view Line) : line_(Line) {
    const char* text = line_.data();
    const std::size_t n = line_.size();
    std::uint64_t carry = 0;  // the byte before the block is in a token
    int ends = 0;
    for (std::size_t base = CabrilloMarkerLength; base < n; base += 64) {
        const std::uint64_t in = TokenBits(text + base, n - base);
        const std::uint64_t before = (in << 1) | carry;
        std::uint64_t starts = in & ~before;
        std::uint64_t stops = ~in & before;
        carry = in >> 63;
        for (; starts != 0 && count_ < kKept; starts &= starts - 1)
            start_[count_++] = static_cast<std::uint32_t>(base) + std::countr_zero(starts);
        count_ += BitCount(starts);
        for (; stops != 0 && ends < kKept; stops &= stops - 1)
            end_[ends++] = static_cast<std::uint32_t>(base) + std::countr_zero(stops);
    }
    // A field that runs to the end of the line ends there.
    if (ends < count_ && ends < kKept) end_[ends] = static_cast<std::uint32_t>(n);
}

CabrilloToken CabrilloTokens::At(int Index) const {
    if (Index < 0 || Index >= count_) return {};
    if (Index < kKept) {
        const std::size_t start = start_[Index];
        return {line_.substr(start, end_[Index] - start), static_cast<int>(start) + 1};
    }
    CabrilloToken result;
    int n = 0;
    ForEachToken(line_, [&](CabrilloToken token) {
        if (n++ < Index) return true;
        result = token;
        return false;
    });
    return result;
}

int CabrilloTokens::HalvesIndex() const { return HalvesIndexOf(count_); }

// Uneven exchanges move the halves off the call, onto a report or a QTH: then
// the nearest field that looks like a call is taken, later fields first. The
// sent call, field 4, is never a candidate.
int CabrilloTokens::ReceivedCallIndex() const {
    const int halves = HalvesIndex();
    if (halves < 0 || LooksLikeCall(At(halves).Text)) return halves;
    for (int i = halves + 1; i < count_; ++i) {
        if (LooksLikeCall(At(i).Text)) return i;
    }
    for (int i = halves - 1; i > 4; --i) {
        if (LooksLikeCall(At(i).Text)) return i;
    }
    return halves;
}

// The frequency's end, then the starts of the date, the time and the
// received call decide.
bool CabrilloTokens::OnTemplate() const {
    if (count_ < 6) return false;
    const CabrilloToken frequency = At(0);
    return frequency.Column + static_cast<int>(frequency.Text.size()) == TemplateFrequencyEnd + 1 &&
           At(2).Column == TemplateDate && At(3).Column == TemplateTime &&
           At(HalvesIndex()).Column == TemplateCall;
}

namespace {

using tavo::UpperAscii;
constexpr bool IsLetter(char c) { return UpperAscii(c) >= 'A' && UpperAscii(c) <= 'Z'; }
constexpr bool IsLetterOrDigit(char c) { return IsLetter(c) || tavo::IsDigitAscii(c); }

// Bytes from `at` while `is` holds, at most `most` of them.
template <typename Is>
std::size_t RunOf(std::string_view text, std::size_t at, std::size_t most, Is is) {
    std::size_t n = 0;
    while (at + n < text.size() && n < most && is(text[at + n])) ++n;
    return n;
}

// 1 to 4 digits, then 1 to 4 letters, then the end.
bool IsNumberAndSuffix(std::string_view rest) {
    const std::size_t digits = RunOf(rest, 0, 4, tavo::IsDigitAscii);
    if (digits == 0) return false;
    const std::size_t letters = RunOf(rest, digits, 4, IsLetter);
    return letters > 0 && digits + letters == rest.size();
}

// The call proper: a prefix (one or two letters; a digit and one or two
// letters; or a letter, a digit and perhaps a letter), then its number and
// suffix. Each way the prefix may end is tried.
bool IsBareCall(std::string_view c) {
    if (c.empty()) return false;
    const std::size_t letters = RunOf(c, 0, 2, IsLetter);
    for (std::size_t k = 1; k <= letters; ++k) {
        if (IsNumberAndSuffix(c.substr(k))) return true;
    }
    if (tavo::IsDigitAscii(c[0])) {
        const std::size_t after = RunOf(c, 1, 2, IsLetter);
        for (std::size_t k = 1; k <= after; ++k) {
            if (IsNumberAndSuffix(c.substr(1 + k))) return true;
        }
    }
    if (c.size() >= 2 && IsLetter(c[0]) && tavo::IsDigitAscii(c[1])) {
        if (IsNumberAndSuffix(c.substr(2))) return true;
        if (c.size() >= 3 && IsLetter(c[2]) && IsNumberAndSuffix(c.substr(3))) return true;
    }
    return false;
}

bool IsCallPart(std::string_view part) {
    return !part.empty() && part.size() <= 4 && RunOf(part, 0, 4, IsLetterOrDigit) == part.size();
}

// A Maidenhead locator such as FN42AB has a call's shape but is a QTH.
bool IsGridLocator(std::string_view t) {
    auto field = [](char c) { return UpperAscii(c) >= 'A' && UpperAscii(c) <= 'R'; };
    auto sub = [](char c) { return UpperAscii(c) >= 'A' && UpperAscii(c) <= 'X'; };
    return t.size() == 6 && field(t[0]) && field(t[1]) && tavo::IsDigitAscii(t[2]) &&
           tavo::IsDigitAscii(t[3]) && sub(t[4]) && sub(t[5]);
}

// LooksLikeCall's rules in full, apart from its quick test, which then
// needs no frame of its own.
[[gnu::noinline]] bool CallByParts(std::string_view Token) {
    if (Token.empty() || IsGridLocator(Token)) return false;
    std::size_t slash = Token.find('/');
    std::string_view first = Token.substr(0, slash);
    std::string_view rest = slash == std::string_view::npos ? "" : Token.substr(slash);
    auto suffixes = [](std::string_view tail) {
        while (!tail.empty()) {
            std::size_t next = tail.find('/', 1);
            if (!IsCallPart(tail.substr(1, next == std::string_view::npos ? next : next - 1)))
                return false;
            tail = next == std::string_view::npos ? "" : tail.substr(next);
        }
        return true;
    };
    if (IsBareCall(first) && suffixes(rest)) return true;
    // Else the first part is a prefix such as "3A/" before the call.
    if (!IsCallPart(first) || rest.empty()) return false;
    std::size_t end = rest.find('/', 1);
    std::string_view call = rest.substr(1, end == std::string_view::npos ? end : end - 1);
    return IsBareCall(call) && suffixes(end == std::string_view::npos ? "" : rest.substr(end));
}

// Per byte of a word, its top bit where the byte's low seven bits are an
// ASCII letter, and where they are a digit: each range is tested on those
// bits, which carry into no other byte. A byte above 127 is left to the caller.
std::uint64_t WordLetterTops(std::uint64_t w) {
    const std::uint64_t folded = w & 0x5F5F5F5F5F5F5F5FULL;  // a-z onto A-Z, top bit off
    return (folded + 0x3F3F3F3F3F3F3F3FULL) & ~(folded + 0x2525252525252525ULL);
}
std::uint64_t WordDigitTops(std::uint64_t w) {
    const std::uint64_t low = w & 0x7F7F7F7F7F7F7F7FULL;
    return (low + 0x5050505050505050ULL) & ~(low + 0x4646464646464646ULL);
}

// Whether a call of n letters and digits is of the common shape, by where
// its digits stand: bit n of the entry for those places (bit k of the index
// for byte k). All are letters but for a digit that may lead and the one
// before the suffix of one to four, with one or two letters between them.
constexpr std::array<std::uint16_t, 256> kCommonCallDigits = [] {
    std::array<std::uint16_t, 256> sizes{};
    for (unsigned digits = 0; digits < 256; ++digits) {
        const unsigned lead = digits & 1u, number = digits & ~1u;
        if (number == 0 || (number & (number - 1)) != 0) continue;
        const int at = std::countr_zero(number), between = at - static_cast<int>(lead);
        if (between < 1 || between > 2) continue;
        for (int suffix = 1; suffix <= 4 && at + 1 + suffix <= 8; ++suffix)
            sizes[digits] |= static_cast<std::uint16_t>(1u << (at + 1 + suffix));
    }
    return sizes;
}();

// Most calls are one or two letters, perhaps after a digit, then a digit
// and one to four letters, which every rule of LooksLikeCall accepts and no
// locator has (its digits are two in a row): taken at once. The call's n
// bytes (1 to 8) stand first in w, zeros after them. No branch depends on
// its bytes: the letters of a suffix vary in number from line to line,
// which a walk over them mispredicts.
[[gnu::always_inline]] inline bool CommonCallShapeOfWord(std::uint64_t w, std::size_t n) {
    constexpr std::uint64_t kTops = 0x8080808080808080ULL;
    const std::uint64_t digits = WordDigitTops(w) & kTops;
    // Every byte is a letter or a digit, and none above 127 whatever its low bits.
    const bool alone = ((WordLetterTops(w) | digits) & ~w & kTops) == kTops >> (8 * (8 - n));
    const std::size_t places = (digits * 0x0002040810204081ULL) >> 56;  // top bits gathered
    return alone & ((kCommonCallDigits[places] >> n) & 1u);
}

bool CommonCallShape(std::string_view Token) {
    const std::size_t n = Token.size();
    if (n == 0 || n > 8) return false;
    char bytes[8] = {};
    std::memcpy(bytes, Token.data(), n);
    return CommonCallShapeOfWord(LoadLittle(bytes), n);
}

// CommonCallShape of a token of one byte or more with at least eight bytes
// of its line up to its end, read in place.
[[gnu::always_inline]] inline bool CommonCallShapeInLine(std::string_view Token) {
    const std::size_t n = Token.size();
    if (n > 8) return false;
    return CommonCallShapeOfWord(LoadLittle(Token.data() + n - 8) >> (8 * (8 - n)), n);
}

}  // namespace

// The parts between slashes: the call proper, each part after it of 1 to 4
// letters and digits, and perhaps one such part before it.
bool LooksLikeCall(std::string_view Token) { return CommonCallShape(Token) || CallByParts(Token); }

int KhzBandOf(std::uint64_t Khz) {
    for (const KhzRange& range : kKhzBands) {
        if (Khz >= range.low && Khz <= range.high) return range.band;
    }
    return 10;
}

int CabrilloBandOf(std::string_view Frequency) {
    // The common case first: kHz in four to seven digits, which no band
    // designator is.
    if (Frequency.size() >= 4 && Frequency.size() <= 7 && Frequency[0] != '0') {
        std::uint64_t khz = 0;
        // A byte below '0' wraps to a large value, so one test per digit and
        // no branch until the end.
        bool digits = true;
        for (char c : Frequency) {
            const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
            digits &= digit <= 9;
            khz = khz * 10 + digit;
        }
        if (digits) return KhzBandOf(khz);
    }
    for (const BandText& entry : kCabrilloDesignators) {
        if (entry.text() == Frequency) return entry.index;
    }
    std::string_view whole = Frequency.substr(0, Frequency.find('.'));
    if (whole.size() < Frequency.size() && !tavo::AllDigits(Frequency.substr(whole.size() + 1)))
        return 10;
    if (!tavo::AllDigits(whole)) return 10;
    // Leading zeros aside, more than seven digits lie above every band.
    std::size_t first = whole.find_first_not_of('0');
    if (first == std::string_view::npos) return 10;
    whole.remove_prefix(first);
    if (whole.size() > 7) return 10;
    std::uint64_t khz = 0;
    for (char c : whole) khz = khz * 10 + static_cast<std::uint64_t>(c - '0');
    return KhzBandOf(khz);
}

namespace {

// The call fields of the zLog ALL line and of the Cabrillo template are 13
// wide, though the layouts' spans read 10: the call is the run of non-blank
// bytes from the span's column, at most this many.
constexpr std::int32_t kCallFieldWidth = 13;

std::string_view CallAt(std::string_view line, ColumnSpan span) {
    std::string_view field = ExtractField(line, {span.Start, kCallFieldWidth});
    std::size_t n = 0;
    while (n < field.size() && IsTokenChar(field[n])) ++n;
    return field.substr(0, n);
}

}  // namespace

namespace {

// OnTemplate without the tokens' lookup tables, for a line long enough that
// the first block of 64 bytes is read in whole words: the same edges are
// checked, and the fields after the block only counted. The length of the
// call at column 56 comes back (its 13 bytes end the block), -1 off the template.
// Inlined where every template line passes, which then saves a call and
// its frame per line. The line is one that OffTemplateAtOnce lets pass.
[[gnu::always_inline]] inline int NearTemplateCallLength(std::string_view line) {
    constexpr std::size_t kBlockEnd = CabrilloMarkerLength + 64;
    const char* text = line.data();
    const std::uint64_t in = TokenBits(text + CabrilloMarkerLength, 64);
    const std::uint64_t starts = in & ~(in << 1);
    const std::uint64_t ends = ~in & (in << 1);
    // Bits count from the byte after the marker: the frequency ends before
    // column 11, the date and the time start at 15 and 26, the call at 56.
    // Few fields lie between, so they are counted bit by bit.
    constexpr auto bit = [](int column) {
        return column - 1 - static_cast<int>(CabrilloMarkerLength);
    };
    constexpr int kFrequencyEnd = bit(TemplateFrequencyEnd + 1), kDate = bit(TemplateDate),
                  kTime = bit(TemplateTime), kCall = bit(TemplateCall);
    auto mask = [](int at) { return (std::uint64_t{1} << at) - 1; };
    if (std::countr_zero(ends) != kFrequencyEnd) return -1;
    // Two fields before the date, none between it and the time.
    if ((starts & mask(kTime + 1) & ~mask(kDate)) !=
        (std::uint64_t{1} << kDate | std::uint64_t{1} << kTime))
        return -1;
    // Exactly two fields before the date: their start bits less the lowest
    // leave one, with no loop.
    const std::uint64_t beforeDate = starts & mask(kDate);
    const std::uint64_t second = beforeDate & (beforeDate - 1);
    if (second == 0 || (second & (second - 1)) != 0 || !(starts >> kCall & 1)) return -1;
    // The sent half's fields (after the time, before the call) and the
    // received half's in the block are counted at once, each in a half of a
    // word: their bits are summed per byte, and one multiply sums each
    // half's four bytes into its top byte.
    std::uint64_t x = ((starts >> (kTime + 1)) & mask(kCall - kTime - 1)) | (starts >> kCall) << 32;
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    x *= 0x01010101ULL;
    const int sent = static_cast<int>((x >> 24) & 0xFF);
    int received = static_cast<int>(x >> 56);
    // The rest of the line a word at a time while whole words remain.
    std::uint64_t before = (in >> 63) << 7;
    std::size_t i = kBlockEnd;
    for (; i + 8 <= line.size(); i += 8) {
        const std::uint64_t tops = WordTokenTops(LoadLittle(text + i));
        received += WordTokenStarts(tops, before);
        before = tops >> 56;
    }
    // The last bytes as the top of the line's final eight, shifted down: the
    // line is longer than a word, and the zeros shifted in are blanks.
    if (i < line.size()) {
        const std::size_t rest = line.size() - i;
        received += WordTokenStarts(
            WordTokenTops(LoadLittle(text + line.size() - 8) >> (8 * (8 - rest))), before);
    }
    // The received half begins at the call: it has as many fields as the
    // sent half, or one more for a transmitter id (HalvesIndexOf's rule).
    if (sent == 0 || received - sent < 0 || received - sent > 1) return -1;
    return std::countr_one(in >> kCall);
}

[[gnu::always_inline]] inline int TemplateCallLength(std::string_view line) {
    return OffTemplateAtOnce(line) ? -1 : NearTemplateCallLength(line);
}

// The day and the hour of a line read by its blank-separated fields: the
// date's ninth and tenth bytes and the time's first two.
void CompleteSplitFields(QsoFields& q) {
    q.Day = tavo::Cut(q.Date, 9, 2);
    q.Hour = tavo::Cut(q.Time, 1, 2);
}

// CabrilloTokens for the common line off the template, of at most two
// blocks of 64 bytes after its marker, whose received half starts with a
// call: only the five fields read are found, straight from the start bits,
// and only their ends looked for. False leaves any other line to CabrilloTokens.
// A logger pads its lines to one shape, so the fields' starts are taken from
// Shape when this line's start bits match those it keeps: the same starts
// give the same count of fields and so the same received half.
[[gnu::always_inline]] inline bool ReadSplitLine(std::string_view line, QsoFields& q,
                                                 SplitShape& shape) {
    constexpr std::size_t kBlocksEnd = CabrilloMarkerLength + 128;
    const char* text = line.data();
    const std::size_t n = line.size();
    if (n <= CabrilloMarkerLength || n > kBlocksEnd) return false;
    const std::uint64_t in[2] = {
        TokenBits(text + CabrilloMarkerLength, n - CabrilloMarkerLength),
        n > CabrilloMarkerLength + 64
            ? TokenBits(text + CabrilloMarkerLength + 64, n - CabrilloMarkerLength - 64)
            : 0};
    const std::uint64_t starts[2] = {in[0] & ~(in[0] << 1), in[1] & ~((in[1] << 1) | in[0] >> 63)};
    // The frequency is often set to the right, so its start moves with its
    // digits: it is left out of the match, being the lowest start anyway.
    const std::uint64_t afterFrequency = starts[0] & (starts[0] - 1);
    // The first byte of fields 0 to 3 and of the received half's first.
    std::size_t at[5];
    bool sameEdges = false;  // mode, date and time as on the last line
    if (afterFrequency == shape.Starts[0] && starts[1] == shape.Starts[1] && afterFrequency != 0) {
        at[0] = std::countr_zero(starts[0]);
        for (int i = 1; i < 5; ++i) at[i] = shape.At[i - 1];
        sameEdges = (in[0] & shape.TokenMask) == shape.Tokens;
    } else {
        const int inFirst = BitCount(starts[0]);
        const int halves = HalvesIndexOf(inFirst + BitCount(starts[1]));
        // Frequency, mode, date and time stand in the first block of any line
        // this reading takes.
        if (halves < 0 || inFirst < 4) return false;
        std::uint64_t bits = starts[0];
        for (int i = 0; i < 4; ++i, bits &= bits - 1) at[i] = std::countr_zero(bits);
        int skip = halves - 4;
        std::size_t base = 0;
        if (halves >= inFirst) {
            bits = starts[1];
            skip = halves - inFirst;
            base = 64;
        }
        for (; skip > 0; --skip) bits &= bits - 1;
        at[4] = base + std::countr_zero(bits);
        // Kept for the next line; an empty shape (no field after the
        // frequency) never matches.
        shape.Starts[0] = afterFrequency;
        shape.Starts[1] = starts[1];
        for (int i = 1; i < 5; ++i) shape.At[i - 1] = static_cast<std::uint8_t>(at[i]);
    }
    // A field ends where its run of token bits does, which may go on into
    // the second block.
    auto field = [&](std::size_t offset) {
        std::size_t run = 0;
        if (offset < 64) {
            // Whether a call runs on past the block changes from line to
            // line with its size, so the second block's first bits come in
            // above the first's (in two shifts, each less than 64); only a
            // field of 64 bytes or more, never a call, needs the second's run.
            run = std::countr_one(in[0] >> offset | in[1] << (63 - offset) << 1);
            if (run == 64) run = 64 - offset + std::countr_one(in[1]);
        } else {
            run = std::countr_one(in[1] >> (offset - 64));
        }
        // The bits past the line are blanks, so the run stays within it.
        return std::string_view(text + CabrilloMarkerLength + offset, run);
    };
    // Fields 0 to 3 end at the first four end bits of the first block, when
    // they end in it; a field that runs on past it is measured by its run.
    std::uint64_t stops = ~in[0] & (in[0] << 1);
    auto next = [&](std::size_t offset) {
        const std::string_view found = stops != 0
                                           ? std::string_view(text + CabrilloMarkerLength + offset,
                                                              std::countr_zero(stops) - offset)
                                           : field(offset);
        stops &= stops - 1;
        return found;
    };
    const auto from = [text](std::size_t offset, std::size_t size) {
        return std::string_view(text + CabrilloMarkerLength + offset, size);
    };
    // Each is stored as it is found, so that none waits in a register
    // through the checks below: a line they refuse is read again in full,
    // into every field.
    if (sameEdges) {
        // The frequency ends at the first end bit, before the mode's start.
        q.Frequency = from(at[0], std::countr_zero(stops) - at[0]);
        q.Mode = from(at[1], shape.Sizes[0]);
        q.Date = from(at[2], shape.Sizes[1]);
        q.Time = from(at[3], shape.Sizes[2]);
    } else {
        q.Frequency = next(at[0]);
        q.Mode = next(at[1]);
        q.Date = next(at[2]);
        q.Time = next(at[3]);
        // Kept for the next line, when the time ends in the first block.
        const std::size_t timeEnd = at[3] + q.Time.size();
        const bool kept = timeEnd < 64;
        shape.TokenMask =
            kept ? ((std::uint64_t{2} << timeEnd) - 1) & ~((std::uint64_t{1} << at[1]) - 1) : 0;
        shape.Tokens = kept ? in[0] & shape.TokenMask : 1;
        shape.Sizes[0] = static_cast<std::uint8_t>(q.Mode.size());
        shape.Sizes[1] = static_cast<std::uint8_t>(q.Date.size());
        shape.Sizes[2] = static_cast<std::uint8_t>(q.Time.size());
    }
    q.Call = field(at[4]);
    q.Band = BandOfFrequency;
    // Offsets count from the byte after the marker; columns from 1.
    const auto column = [](std::size_t offset) {
        return static_cast<int>(offset + CabrilloMarkerLength) + 1;
    };
    // A line on the template's columns is cut by them; a received half not
    // led by a call needs the search among the other fields.
    const bool onTemplate =
        column(at[0]) + static_cast<int>(q.Frequency.size()) == TemplateFrequencyEnd + 1 &&
        column(at[2]) == TemplateDate && column(at[3]) == TemplateTime &&
        column(at[4]) == TemplateCall;
    // The call, a token of one byte or more, starts past the marker and four
    // fields, and ends in the line.
    return !onTemplate && (CommonCallShapeInLine(q.Call) || CallByParts(q.Call));
}

}  // namespace

namespace {

// A line cut by Layout's columns; a Cabrillo line on the template (CallLength
// not -1) has its band, call and the fields between at the template's places.
QsoFields ColumnFields(int Format, std::string_view Line, const ColumnLayout& Layout,
                       int callLength) {
    QsoFields q;
    // A template line is long enough for its band's two bytes.
    q.Band = callLength >= 0 && Layout.Band == CabrilloLayout.Band
                 ? CabrilloColumnBand(Line[CabrilloLayout.Band.Start - 1],
                                      Line[CabrilloLayout.Band.Start])
                 : BandIndexOf(Format, Line, Layout.Band);
    q.Day = ExtractField(Line, Layout.Day);
    q.Hour = ExtractField(Line, Layout.Hour);
    q.Date = ExtractField(Line, Layout.Date);
    q.Call = callLength >= 0 && Layout.Call.Start == TemplateCall
                 ? Line.substr(TemplateCall - 1, static_cast<std::size_t>(callLength))
                 : CallAt(Line, Layout.Call);
    if (Format == FormatCabrillo) {
        // Only a line on the template comes here, its call at column 56: the
        // fields between are cut, not looked up.
        CutTemplateMiddle(Line, q);
    } else {
        q.Time = ExtractField(Line, Layout.Time);
        q.Mode = ExtractField(Line, ZLogAllModeSpan);
    }
    return q;
}

// The call's thirteen bytes, the band's three and the date end within it too.
static_assert(ZLogAllLineWidth >= ZLogAllLayout.Call.Start + kCallFieldWidth - 1 &&
              ZLogAllLineWidth >= ZLogAllLayout.Band.Start + 2 &&
              ZLogAllLineWidth >= ZLogAllLayout.Date.Start + ZLogAllLayout.Date.Length - 1);

}  // namespace

bool IsAllLayout(const ColumnLayout& Layout) { return Layout == ZLogAllLayout; }

int MeasureAllLine(std::string_view Line, int& Band) {
    if (Line.size() < ZLogAllLineWidth) return -1;
    // The call's run of non-blank bytes, from the token bits of its thirteen
    // bytes and three after them, still within the line.
    const char* call = Line.data() + ZLogAllLayout.Call.Start - 1;
    const std::uint64_t bits = WordTokenBits(LoadLittle(call)) | WordTokenBits(LoadLittle(call + 8))
                                                                     << 8;
    Band = AllBandAt(Line.data() + ZLogAllLayout.Band.Start - 1);
    return std::min(std::countr_one(bits), kCallFieldWidth);
}

namespace {

// A Cabrillo line off the template that ReadSplitLine leaves, through the
// tokens: out of line, as it takes few lines and a large frame.
[[gnu::noinline]] void ReadByTokens(std::string_view Line, const ColumnLayout& Layout,
                                    QsoFields& q) {
    CabrilloTokens tokens(Line);
    if (tokens.OnTemplate()) {
        q = ColumnFields(FormatCabrillo, Line, Layout, -1);
    } else {
        q.Frequency = tokens.At(0).Text;
        q.Mode = tokens.At(1).Text;
        q.Date = tokens.At(2).Text;
        q.Time = tokens.At(3).Text;
        q.Call = tokens.At(tokens.ReceivedCallIndex()).Text;
        q.Band = BandOfFrequency;
    }
}

// Any Cabrillo line off the template's columns, by its blank-separated
// fields, into q: the common line straight, the others through the tokens.
[[gnu::always_inline]] inline void ReadSplitFields(std::string_view Line,
                                                   const ColumnLayout& Layout, QsoFields& q,
                                                   SplitShape& shape) {
    if (!ReadSplitLine(Line, q, shape)) ReadByTokens(Line, Layout, q);
}

}  // namespace

bool IsTemplateLayout(const ColumnLayout& Layout) { return Layout == CabrilloLayout; }

int ReadOffTemplate(std::string_view Line, CabrilloFields& Fields) {
    ReadSplitFields(Line, CabrilloLayout, Fields, Fields.Shape);
    return -1;
}

int ReadNearTemplate(std::string_view Line, CabrilloFields& Fields) {
    const int callLength = NearTemplateCallLength(Line);
    return callLength >= 0 ? callLength : ReadOffTemplate(Line, Fields);
}

QsoFields ReadQsoFields(int Format, std::string_view Line, const ColumnLayout& Layout) {
    const int callLength = Format == FormatCabrillo ? TemplateCallLength(Line) : -1;
    if (callLength >= 0 && IsTemplateLayout(Layout)) return TemplateFields(Line, callLength);
    if (Format != FormatCabrillo || callLength >= 0)
        return ColumnFields(Format, Line, Layout, callLength);
    QsoFields q;
    SplitShape shape;
    ReadSplitFields(Line, Layout, q, shape);
    if (q.Band == BandOfFrequency) {
        q.Band = CabrilloBandOf(q.Frequency);
        CompleteSplitFields(q);
    }
    return q;
}

}  // namespace tv_util2
