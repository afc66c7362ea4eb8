// `tavo compare`: two to eight logs side by side, or one log against a field.
#pragma once

#include <string>
#include <vector>

namespace tavo {

// Runs `compare` with its arguments (the command's name first) and gives the
// exit status; usage errors are said on standard error with status 2.
int RunCompare(const std::vector<std::string>& Argv);

}  // namespace tavo
