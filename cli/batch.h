// What the commands that read many logs share: exit statuses, the country
// data, lists of paths and the number of jobs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"

namespace tavo::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;

// Loads the country data, or says why not; the name is the one "data" shows.
std::optional<std::string> LoadData(const Options& o);

// The paths of a list such as `find` writes: one a line, a CR before the LF
// dropped, empty lines skipped; "-" is standard input. Empty when the list
// cannot be read, with the reason in error.
std::optional<std::vector<std::string>> ReadPathList(const std::string& name, std::string& error);

// The threads for `logs` logs: --jobs, else one per core, never more than the logs.
std::size_t JobsFor(const Options& o, std::size_t logs);

}  // namespace tavo::cli
