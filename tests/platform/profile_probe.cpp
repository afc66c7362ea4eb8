// A Windows program that replays a script of settings-file reads and writes
// through the Windows side of the settings layer, which calls the system's own
// private-profile functions, and prints what each step gave. The settings
// test runs it under Wine and compares with the POSIX side.
//
// Script lines, fields split by tabs:
//   R <file> <section> <key> <default>   prints "= <value>"
//   W <file> <section> <key> <value>     prints "ok" or "failed"
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "platform/settings.h"

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == '\t') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: profile_probe SCRIPT\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // the transcript is compared byte for byte
    std::ifstream script(argv[1], std::ios::binary);
    if (!script) {
        std::fprintf(stderr, "profile_probe: cannot read %s\n", argv[1]);
        return 2;
    }
    std::string line;
    while (std::getline(script, line)) {
        std::vector<std::string> f = Fields(line);
        if (f.size() != 5) {
            std::fprintf(stderr, "profile_probe: bad line: %s\n", line.c_str());
            return 2;
        }
        if (f[0] == "R") {
            std::string value = tavo::ReadProfileString(f[1], f[2], f[3], f[4]);
            std::printf("= %s\n", value.c_str());
        } else {
            try {
                tavo::WriteProfileString(f[1], f[2], f[3], f[4]);
                std::printf("ok\n");
            } catch (const std::exception&) {
                std::printf("failed\n");
            }
        }
    }
    return 0;
}
