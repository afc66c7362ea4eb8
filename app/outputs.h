// Every output a pass can write, as one table: the command line's options,
// the window's Execute and the check that no output replaces a log all walk it.
#pragma once

#include <span>
#include <string_view>

#include "analysis/u_tavo300.h"

namespace tavo {

// The text report first, then the page and the JSON.
std::span<const u_tavo300::OutputKind* const> Outputs();

}  // namespace tavo
