#include <windows.h>

#include <vector>

#include "platform/program_path.h"
#include "platform/settings.h"

namespace tavo {

std::string ProgramFileName() {
    // The function cuts the path to the buffer and then fills it exactly.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD got = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0) return {};
        if (got < buffer.size()) return std::string(buffer.data(), got);
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string WindowSettingsFileName() { return SettingsFileName(ProgramFileName()); }

}  // namespace tavo
