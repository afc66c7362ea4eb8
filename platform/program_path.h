// Where the running program lives; the settings file is named after it.
#pragma once

#include <string>

namespace tavo {

// The full path of the running program file; empty when the system cannot say.
std::string ProgramFileName();

// Where the window keeps its settings. Windows: beside the program, named after
// it. Linux: tavo/tavow.ini in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config), since the program's own folder is
// usually not the user's to write.
std::string WindowSettingsFileName();

}  // namespace tavo
