#include <filesystem>
#include <system_error>

#include "platform/program_path.h"

namespace tavo {

// Linux keeps the program's resolved path behind this link.
std::string ProgramFileName() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

}  // namespace tavo
