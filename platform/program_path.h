// Where the running program lives; the settings file is named after it.
#pragma once

#include <string>

namespace tavo {

// The full path of the running program file; empty when the system cannot say.
std::string ProgramFileName();

}  // namespace tavo
