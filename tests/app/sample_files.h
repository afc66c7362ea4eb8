// Small hand-made files for the window's tests: a country file with a few
// telling records, and one log of each kind.
#pragma once

#include <string>
#include <string_view>

#include "tests/support/country_lines.h"
#include "tests/support/temp_dir.h"

namespace u_main::test {

using tavo::test::CountryHeader;

// Four countries, five prefixes. Zone 99 has no continent; "Zoneless" has no zone.
inline std::string CountryFile() {
    return tavo::test::Lines(
        {"CQWW.DAT for the window's tests", CountryHeader("Japan", "25", "JA", "AS"), "  JA,JE;",
         CountryHeader("Hawaii", "31", "KH6"), "  KH6;", CountryHeader("Nowhere Land", "99", "Q9"),
         "  Q9;", CountryHeader("Zoneless", "", "ZZ", "EU"), "  ZZ,Z2;", "END OF FILE"});
}

inline std::string ZLogAllLog() {
    return tavo::test::Lines({
        "zLog for Windows ",
        "2017/06/04 09:00 JA1ABC       599         599 25      -     -     14   CW   1  ",
        "2017/06/04 09:01 KH6XX        599         599 31      -     -     21   CW   1  ",
        "2017/06/04 10:02 JE2DEF       599         599 25      -     -     7    CW   1  ",
    });
}

inline std::string CabrilloLog() {
    return tavo::test::Lines({
        "START-OF-LOG: 3.0",
        "CALLSIGN: 7K1XYZ",
        "QSO: 14000 CW 2005-11-26 0257 7K1XYZ        599 25     JA1ABC        599 25     0",
        "QSO: 21000 CW 2005-11-26 0258 7K1XYZ        599 25     KH6XX         599 31     0",
        "END-OF-LOG:",
    });
}

inline std::string ZLogTxtList() {
    return tavo::test::Lines({
        "mon day time  callsign      sent         rcvd      multi   MHz mode pts memo",
        "  6   4 0900 JA1ABC     599          59925                  14  CW  1   ",
    });
}

}  // namespace u_main::test
