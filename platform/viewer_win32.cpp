// Starting the viewer on Windows: the command line goes to WinExec as it is,
// so the system splits it and finds the program the way a command line does.
// A page goes to the shell, which opens it with the program for .html files.
#include <windows.h>
// The shell's headers build on windows.h.
#include <shellapi.h>
#include <shlwapi.h>

#include "platform/viewer.h"

namespace tavo {

bool StartViewer(std::string_view ViewerName, const std::string& FileName, FailedSoon) {
    const std::string line = ViewerCommandLine(ViewerName, FileName);
    return WinExec(line.c_str(), SW_SHOWNORMAL) > 31;  // 31 and below are failures
}

bool StartBrowser(const std::string& FileName, FailedSoon) {
    HINSTANCE done =
        ShellExecuteA(nullptr, "open", FileName.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(done) > 32;  // 32 and below are failures
}

// The program the shell opens .html files with, or what is missing.
std::string BrowserCommandLine(const std::string& FileName) {
    char program[MAX_PATH] = "";
    DWORD size = sizeof program;
    if (AssocQueryStringA(ASSOCF_NOTRUNCATE, ASSOCSTR_EXECUTABLE, ".html", "open", program,
                          &size) != S_OK) {
        return "(no program for .html files) " + FileName;
    }
    return ViewerCommandLine(program, FileName);
}

}  // namespace tavo
