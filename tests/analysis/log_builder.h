// Builds small logs and country files for the analysis tests, in the fixed
// columns the real programs write.
#pragma once

#include <string>
#include <string_view>

#include "tests/support/country_lines.h"

namespace tavo::test {

// A Cabrillo QSO line: frequency in 6-10, date in 15-24, time in 26-29 and the
// worked call in 56-68.
inline std::string CabrilloQso(std::string_view freq, std::string_view date, std::string_view time,
                               std::string_view call) {
    auto pad = [](std::string_view s, std::size_t n) {
        std::string out(s);
        if (out.size() < n) out.append(n - out.size(), ' ');
        return out;
    };
    std::string freq5(freq);
    if (freq5.size() < 5) freq5.insert(0, 5 - freq5.size(), ' ');
    return "QSO: " + freq5 + " CW " + std::string(date) + " " + std::string(time) + " " +
           pad("JA1ZLO", 13) + " 599 25     " + pad(call, 13) + " 599 14";
}

// A zLog ALL line: date 1-10, time 12-16, call 18-30, band 67-71.
inline std::string AllQso(std::string_view date, std::string_view time, std::string_view call,
                          std::string_view band) {
    std::string line = std::string(date) + " " + std::string(time) + " ";
    std::string c(call);
    c.resize(13, ' ');
    line += c + "599         599 26      -     -     ";
    std::string b(band);
    b.resize(5, ' ');
    return line + b + "CW   1  ";
}

inline std::string CabrilloLog(const std::string& qsoLines) {
    return "START-OF-LOG: 3.0\r\nCONTEST: CQ-WW-CW\r\nCALLSIGN: JA1ZLO\r\n" + qsoLines +
           "END-OF-LOG:\r\n";
}

}  // namespace tavo::test
