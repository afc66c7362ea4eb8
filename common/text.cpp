#include "common/text.h"

#include <charconv>

namespace tavo {

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperAscii(c);
    return out;
}

namespace {

std::optional<std::int32_t> ParseDigits(std::string_view digits, int base, bool negative) {
    if (digits.empty()) return std::nullopt;
    long long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    // from_chars would take its own sign; the sign has been read already.
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.front() == '-') {
        return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    if (text.empty()) return std::nullopt;
    // Fields are mostly a few plain digits: read them without the general path.
    if (text.size() <= 9) {
        std::int32_t value = 0;
        std::size_t i = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            value = value * 10 + (text[i] - '0');
        if (i == text.size()) return value;
    }
    if (text.front() == '$' || text.front() == 'x' || text.front() == 'X') {
        return ParseDigits(text.substr(1), 16, false);
    }
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return ParseDigits(text.substr(2), 16, false);
    }
    bool negative = text.front() == '-';
    if (negative || text.front() == '+') text.remove_prefix(1);
    return ParseDigits(text, 10, negative);
}

std::string IntToStr(long long value) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, end);
}

std::string PadLeft(std::string_view text, std::size_t width) {
    std::string out;
    if (text.size() < width) out.assign(width - text.size(), ' ');
    out += text;
    return out;
}

std::string PadRight(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

}  // namespace tavo
