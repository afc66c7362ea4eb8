#include "analysis/report_format.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdint>

#include "common/text.h"

namespace u_tavo300 {

namespace {

// Tenths of `value`, rounded half up on its shortest 15-digit decimal form,
// so that 6.25 (whose double lies just below) still gives 63.
long long RoundedTenths(double value) {
    char buf[40];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    if (ec != std::errc()) return 0;
    std::string_view text(buf, static_cast<std::size_t>(end - buf));  // d.dddddddddddddde±x
    auto e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c >= '0' && c <= '9') digits += c;
    }
    int exponent = tavo::ParseInt32(text.substr(e + 1)).value_or(0);
    // value * 10 = digits * 10^(exponent - 13); drop what lies below the unit.
    int drop = 13 - exponent;
    if (drop <= 0) return 0;  // shares never exceed 100
    if (drop > 15) return 0;
    std::int64_t whole = 0;
    for (std::size_t i = 0; i + static_cast<std::size_t>(drop) < digits.size(); ++i) {
        whole = whole * 10 + (digits[i] - '0');
    }
    char first = digits[digits.size() - static_cast<std::size_t>(drop)];
    return whole + (first >= '5' ? 1 : 0);
}

}  // namespace

std::string Share(double value) {
    long long tenths = value > 0 ? RoundedTenths(value) : 0;
    const char* sep = std::localeconv()->decimal_point;
    std::string text = tavo::IntToStr(tenths / 10);
    text += (sep != nullptr && *sep != '\0') ? sep : ".";
    text += static_cast<char>('0' + tenths % 10);
    return tavo::PadLeft(text, 4);
}

void LineWriter::PutAfterFlush(std::string_view part) {
    Flush();
    if (part.size() > kCapacity)
        out_.Write(part);
    else
        Put(part);
}

void LineWriter::Repeat(char c, std::size_t count) {
    while (count > 0) {
        if (Room() == 0) Flush();
        const std::size_t n = std::min(count, Room());
        std::memset(at_, c, n);
        at_ += n;
        count -= n;
    }
}

void LineWriter::AnyNumber(long long value, std::size_t width) {
    // Its length known first, the number goes after its pad straight into the
    // buffer, written from its last digit back.
    const auto length = static_cast<std::size_t>(tavo::DigitCount(value) + (value < 0 ? 1 : 0));
    if (length < width) Repeat(' ', width - length);
    if (Room() < length) Flush();
    at_ += length;
    char* p = at_;
    unsigned long long v = value < 0 ? 0 - static_cast<unsigned long long>(value)
                                     : static_cast<unsigned long long>(value);
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0) *--p = '-';
}

}  // namespace u_tavo300
