// The settings file: a private-profile text file of "[section]" lines and
// "key=value" lines, read and written one key per call, the file named by its
// full path every time so nothing stays open between calls.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tavo {

// The value of Key in Section, or Default when the file, the section or the
// key is missing (a key line without "=" counts as missing). Section and key
// names match in any letter case; the first matching section, and in it the
// first matching key, wins. Blanks around "=" and at the line's end are not part
// of the value, and one pair of matching quotes around it is dropped. Trailing
// blanks of Default are dropped too. A file that is no regular file, or is
// over 1 MiB, counts as missing (on POSIX).
std::string ReadProfileString(const std::string& FileName, std::string_view Section,
                              std::string_view Key, std::string_view Default);

// While one lives, the reads of FileName on this thread take the file as it
// was read once, when it was made: for a run of reads such as the window's
// start, which would otherwise read the whole file for each key.
class ProfileReadOnce {
public:
    explicit ProfileReadOnce(const std::string& FileName);
    ~ProfileReadOnce();
    ProfileReadOnce(const ProfileReadOnce&) = delete;
    ProfileReadOnce& operator=(const ProfileReadOnce&) = delete;

    struct Read;  // the platform's own

private:
    std::unique_ptr<Read> read_;
    const Read* outer_ = nullptr;
};

// The value read as decimal or as hexadecimal after "$" or "0x"; Default when
// it is missing, empty or not such a number.
int ReadProfileInt(const std::string& FileName, std::string_view Section, std::string_view Key,
                   int Default);

// Sets Key in Section to Value (leading blanks dropped, and everything from its
// first CR or LF on). An existing key keeps its line; a new key goes after the
// last line of its section, a new section at the end of the file. Every other
// line stays as it was, byte for byte. Raises IoError naming the file when it
// cannot be read or written, or is a file that reading counts as missing; the
// file is then as it was.
void WriteProfileString(const std::string& FileName, std::string_view Section, std::string_view Key,
                        std::string_view Value);

// A value holds one line: a line break typed into it would otherwise start
// new keys or sections of its own. Cut at the first CR or LF.
std::string_view SingleLineValue(std::string_view Value);

// Plain decimal, with a minus sign when negative.
void WriteProfileInt(const std::string& FileName, std::string_view Section, std::string_view Key,
                     int Value);

// The settings file that belongs to a program: its path with the extension
// replaced by ".ini", so it lies beside the program and bears its name.
std::string SettingsFileName(std::string_view ProgramFileName);

}  // namespace tavo
