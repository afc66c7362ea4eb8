// Where the running program lives: its settings and bundled data sit beside it.
#pragma once

#include <string>

namespace tavo {

// The full path of the running program file; empty if the system cannot say.
std::string ProgramPath();

}  // namespace tavo
