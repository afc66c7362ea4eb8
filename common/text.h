// The text rules every unit shares: trimming, ASCII case folding, fixed-column
// cutting and the one number rule for fields and settings.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace tavo {

// Codes 0..32 are what every trim removes: blanks and control characters alike.
constexpr bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

// Inline, as these run several times for every line of a log.
// Without its leading blanks and control bytes.
constexpr std::string_view TrimFront(std::string_view text) {
    const char* first = text.data();
    const char* last = first + text.size();
    while (first != last && IsBlankOrControl(*first)) ++first;
    return {first, static_cast<std::size_t>(last - first)};
}
constexpr std::string_view Trim(std::string_view text) {
    text = TrimFront(text);
    const char* first = text.data();
    const char* last = first + text.size();
    while (last != first && IsBlankOrControl(last[-1])) --last;
    return {first, static_cast<std::size_t>(last - first)};
}

// Only a..z change; every other byte stays, so system code page text passes through.
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
constexpr bool IsDigitAscii(char c) { return c >= '0' && c <= '9'; }
// At least one byte, and every byte a digit 0-9.
constexpr bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!IsDigitAscii(c)) return false;
    }
    return true;
}
std::string UpperAscii(std::string_view text);
constexpr bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    }
    return true;
}

// Count characters from 1-based column `from`, clipped at the end of the line.
// A start below 1 begins at column 1 and still takes `count` characters.
constexpr std::string_view Cut(std::string_view line, int from, int count) {
    if (count <= 0) return {};
    std::size_t start = from < 1 ? 0 : static_cast<std::size_t>(from) - 1;
    if (start >= line.size()) return {};
    return line.substr(start, static_cast<std::size_t>(count));
}

// A whole text read as a signed 32-bit integer: an optional sign and decimal
// digits, or hexadecimal digits after "$", "x", "X" or "0x". Nothing else, and
// nothing outside the 32-bit range.
std::optional<std::int32_t> ParseInt32(std::string_view text);

// Plain decimal, locale-free.
std::string IntToStr(long long value);
// The digits IntToStr gives for the value, without its sign: 1 for 0, 3 for -100.
constexpr int DigitCount(long long value) {
    unsigned long long rest = value < 0 ? 0 - static_cast<unsigned long long>(value)
                                        : static_cast<unsigned long long>(value);
    int digits = 1;
    for (; rest >= 10; rest /= 10) ++digits;
    return digits;
}

// Right-aligned in `width`; a wider text is never cut ("%0:4d").
std::string PadLeft(std::string_view text, std::size_t width);
// Left-aligned and padded to `width`; never cut ("%0:-26s").
std::string PadRight(std::string_view text, std::size_t width);

// The bytes at P as one Word in the machine's order, at any alignment: short
// texts (a call, a date, a frequency) are compared and hashed a word at a time.
template <typename Word>
inline Word LoadWord(const char* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// A and the same number of bytes at B are equal, compared without a library
// call: the texts are a few bytes (a date, a mode), read once per line.
template <typename Word>
inline bool SameWord(const char* a, const char* b) {
    return LoadWord<Word>(a) == LoadWord<Word>(b);
}

inline bool SameBytes(std::string_view a, const char* b) {
    const char* p = a.data();
    // The widths the fields are cut at, compared word by word.
    switch (a.size()) {
        case 0: return true;
        case 2: return SameWord<std::uint16_t>(p, b);
        case 4: return SameWord<std::uint32_t>(p, b);
        case 5: return SameWord<std::uint32_t>(p, b) && p[4] == b[4];
        case 6: return SameWord<std::uint32_t>(p, b) && SameWord<std::uint16_t>(p + 4, b + 4);
        case 8: return SameWord<std::uint64_t>(p, b);
        case 10: return SameWord<std::uint64_t>(p, b) && SameWord<std::uint16_t>(p + 8, b + 8);
        default: break;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (p[i] != b[i]) return false;
    }
    return true;
}

}  // namespace tavo
