// The parts of the settings layer that every platform shares; the reading and
// writing of the file itself lives in the platform's own source.
#include "platform/settings.h"

#include "common/paths.h"
#include "common/text.h"

namespace tavo {

int ReadProfileInt(const std::string& FileName, std::string_view Section, std::string_view Key,
                   int Default) {
    return ParseInt32(ReadProfileString(FileName, Section, Key, "")).value_or(Default);
}

std::string_view SingleLineValue(std::string_view Value) {
    return Value.substr(0, Value.find_first_of("\r\n"));
}

void WriteProfileInt(const std::string& FileName, std::string_view Section, std::string_view Key,
                     int Value) {
    WriteProfileString(FileName, Section, Key, IntToStr(Value));
}

std::string SettingsFileName(std::string_view ProgramFileName) {
    return ChangeFileExt(ProgramFileName, ".ini");
}

}  // namespace tavo
