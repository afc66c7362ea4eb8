// The report's number formats: "%0:4d", "%0:4d  ", the six-character band
// cell with its dash for zero, and the share "%0:4.1f".
#pragma once

#include <string>

namespace u_tavo300 {

std::string Int3(long long value);      // "%0:3d", the time charts' cells
std::string Int4(long long value);      // "%0:4d"
std::string BandCell(long long count);  // "%0:4d  ", or "   -  " for 0
// One decimal, rounded half up from the value's 15 significant digits, right
// aligned in 4, with the decimal separator of the user's locale (LC_NUMERIC).
std::string Share(double value);

}  // namespace u_tavo300
