#include "common/paths.h"

namespace tavo {

namespace {

std::string_view::size_type ExtensionStart(std::string_view path) {
    std::string dotOrSep(kPathSeparators);
    dotOrSep += '.';
    auto pos = path.find_last_of(dotOrSep);
    if (pos == std::string_view::npos || path[pos] != '.') return path.size();
    return pos;
}

}  // namespace

std::string_view ExtractFileName(std::string_view path) {
    auto pos = path.find_last_of(kPathSeparators);
    return pos == std::string_view::npos ? path : path.substr(pos + 1);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    std::string out(path.substr(0, ExtensionStart(path)));
    out += ext;
    return out;
}

std::string_view ExtractFileExt(std::string_view path) { return path.substr(ExtensionStart(path)); }

}  // namespace tavo
