// Country header lines in the country file's fixed columns: name 1-26,
// zone 27-28, main prefix 32-36, continent 39-40.
#pragma once

#include <string>
#include <string_view>

namespace tavo::test {

// Without a continent the line ends at column 38.
inline std::string CountryHeader(std::string_view name, std::string_view zone,
                                 std::string_view prefix, std::string_view continent = "") {
    std::string line(name);
    line.resize(26, ' ');
    line += zone;
    line.resize(31, ' ');
    line += prefix;
    line.resize(38, ' ');
    line += continent;
    return line;
}

}  // namespace tavo::test
