#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/program_path.h"
#include "platform/settings.h"

namespace tavo {

// Linux keeps the program's resolved path behind this link.
std::string ProgramFileName() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

namespace {

// The XDG base directory rule: a relative $XDG_CONFIG_HOME is to be ignored.
std::filesystem::path ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] != '/') return {};
    return std::filesystem::path(home) / ".config";
}

}  // namespace

// With no home folder at all, the file beside the program is all that is left.
std::string WindowSettingsFileName() {
    std::filesystem::path config = ConfigHome();
    if (config.empty()) return SettingsFileName(ProgramFileName());
    return (config / "tavo" / "tavow.ini").string();
}

}  // namespace tavo
