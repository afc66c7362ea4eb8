// Starting the external viewer on one file: the viewer name may carry options
// of its own ahead of the file, and the program is never waited for.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavo {

// The viewer of a fresh setup: Notepad on Windows; on Linux the desktop's own
// choice for the file's type.
#ifdef _WIN32
inline constexpr const char* kDefaultViewerName = "notepad.exe";
#else
inline constexpr const char* kDefaultViewerName = "xdg-open";
#endif

// The command line as Windows takes it: the trimmed viewer name, one blank, the
// file's path, with no quotes added.
std::string ViewerCommandLine(std::string_view ViewerName, std::string_view FileName);

// The same as an argument list: the trimmed viewer name split as Windows splits
// a command line into the program and its options, then the file's path as one
// argument, blanks and all. So a program path in double quotes may hold blanks
// ("C:\Program Files\v.exe" or "/opt/my viewer/v"), an option in quotes too,
// and in an option \" is a quote of its own. Empty when the viewer name is
// blank: there is no program to start.
std::vector<std::string> ViewerArguments(std::string_view ViewerName, std::string_view FileName);

// Called from another thread when a started program ends in failure within
// a few seconds, as xdg-open does with no program for the file's type; a
// viewer the user closes later is not a failure. Windows reports every
// failure at the start, and never calls it.
using FailedSoon = std::function<void()>;

// Starts the viewer without a shell and without waiting; false when it could
// not be started.
bool StartViewer(std::string_view ViewerName, const std::string& FileName,
                 FailedSoon OnFailure = {});

// Opens a page in the desktop's browser without waiting: xdg-open on Linux,
// the shell's program for .html files on Windows. False when that failed.
bool StartBrowser(const std::string& FileName, FailedSoon OnFailure = {});

// The command StartBrowser runs, as the user is told it when it fails.
std::string BrowserCommandLine(const std::string& FileName);

}  // namespace tavo
