// The settings file on Windows: the system's own private-profile functions,
// the file named by its full path on every call.
#include <windows.h>
// windows.h maps this name to its own win.ini function; ours is meant here.
#undef WriteProfileString

#include <vector>

#include "platform/settings.h"
#include "platform/text_file.h"

namespace tavo {

namespace {

// The system's own text for an error code, without its closing line break.
std::string SystemMessage(DWORD err) {
    char* text = nullptr;
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, err, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n != 0 ? std::string(text, n) : "error " + std::to_string(err);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

std::string ReadProfileString(const std::string& FileName, std::string_view Section,
                              std::string_view Key, std::string_view Default) {
    const std::string section(Section), key(Key), fallback(Default);
    // The function cuts a value to the buffer and says so only by filling it.
    std::vector<char> buffer(256);
    for (;;) {
        DWORD got =
            GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                     static_cast<DWORD>(buffer.size()), FileName.c_str());
        if (got + 1 < buffer.size() || buffer.size() >= (1u << 24)) {
            return std::string(buffer.data(), got);
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The system's functions read the file for each value.
struct ProfileReadOnce::Read {};
ProfileReadOnce::ProfileReadOnce(const std::string&) {}
ProfileReadOnce::~ProfileReadOnce() = default;

void WriteProfileString(const std::string& FileName, std::string_view Section, std::string_view Key,
                        std::string_view Value) {
    const std::string section(Section), key(Key), value(SingleLineValue(Value));
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                    FileName.c_str())) {
        throw IoError(FileName, SystemMessage(GetLastError()));
    }
}

}  // namespace tavo
