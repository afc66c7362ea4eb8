// The settings reader and writer on an arbitrary file: after a write, the
// key reads back as the value written (cut at its line break, without the
// blanks and the one pair of quotes a read drops).
#include <array>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/settings.h"
#include "platform/text_file.h"

namespace {

bool IsProfileSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

// What a read gives back for a value written as given.
std::string ReadBack(std::string_view value) {
    value = tavo::SingleLineValue(value);
    while (!value.empty() && IsProfileSpace(value.front())) value.remove_prefix(1);
    while (!value.empty() && IsProfileSpace(value.back())) value.remove_suffix(1);
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // Names as the window writes them, in other letter cases and with blanks.
    static constexpr std::array<std::string_view, 4> kSections = {"Main", "main", " Main ",
                                                                  "Viewer"};
    static constexpr std::array<std::string_view, 4> kKeys = {"Viewer", "VIEWER", " Left", "x"};
    std::string_view section = kSections[data[0] % kSections.size()];
    std::string_view key = kKeys[data[1] % kKeys.size()];
    std::string_view rest = tavo::fuzz::AsText(data + 2, size - 2);
    // The file's bytes, then after a NUL the value to write.
    std::size_t cut = rest.find('\0');
    std::string_view content = rest.substr(0, cut);
    std::string_view value = cut == std::string_view::npos ? "" : rest.substr(cut + 1);
    std::string path = tavo::fuzz::PutFile("tavow.ini", content);

    (void)tavo::ReadProfileString(path, section, key, "default");
    (void)tavo::ReadProfileInt(path, section, key, 7);
    tavo::WriteProfileString(path, section, key, value);
    if (tavo::ReadProfileString(path, section, key, "\x01") != ReadBack(value))
        tavo::fuzz::Broken("the value written does not read back");
    return 0;
}
