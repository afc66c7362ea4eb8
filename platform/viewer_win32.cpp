// Starting the viewer on Windows: the command line goes to WinExec as it is,
// so the system splits it and finds the program the way a command line does.
#include <windows.h>

#include "platform/viewer.h"

namespace tavo {

bool StartViewer(std::string_view ViewerName, const std::string& FileName) {
    const std::string line = ViewerCommandLine(ViewerName, FileName);
    return WinExec(line.c_str(), SW_SHOWNORMAL) > 31;  // 31 and below are failures
}

}  // namespace tavo
