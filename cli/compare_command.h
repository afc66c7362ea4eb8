// `tavo compare`: two to eight logs side by side, or one log against a field.
#pragma once

#include "cli/options.h"

namespace tavo {

// Runs `compare` with its parsed command line and gives the exit status;
// a usage error raises tavo::cli::UsageError.
int RunCompare(const cli::Options& Options);

}  // namespace tavo
