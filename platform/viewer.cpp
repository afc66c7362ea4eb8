#include "platform/viewer.h"

#include "common/text.h"

namespace tavo {

std::string ViewerCommandLine(std::string_view ViewerName, std::string_view FileName) {
    std::string line(Trim(ViewerName));
    line += ' ';
    line += FileName;
    return line;
}

std::vector<std::string> ViewerArguments(std::string_view ViewerName, std::string_view FileName) {
    std::vector<std::string> args;
    std::string_view rest = Trim(ViewerName);
    while (!rest.empty()) {
        std::size_t end = 0;
        while (end < rest.size() && !IsBlankOrControl(rest[end])) ++end;
        args.emplace_back(rest.substr(0, end));
        rest = Trim(rest.substr(end));
    }
    if (args.empty()) return args;
    args.emplace_back(FileName);
    return args;
}

}  // namespace tavo
