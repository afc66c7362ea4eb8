// Every output a pass can write, as one table: the command line's options,
// the window's Execute and the check that no output replaces a log all walk it.
#pragma once

#include <span>
#include <string_view>

#include "analysis/u_tavo300.h"

namespace tavo {

// The text report first; the others are asked for by name ("html").
std::span<const u_tavo300::OutputKind* const> Outputs();
// The output of that name, or nullptr.
const u_tavo300::OutputKind* FindOutput(std::string_view Name);

}  // namespace tavo
