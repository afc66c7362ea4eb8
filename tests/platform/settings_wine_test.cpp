// The POSIX settings layer against the real Windows functions: the same
// hand-written settings files get the same reads and writes here and, through
// a probe program, under Wine; the values read must be the same. Wine writes a
// changed file back tidied (blanks around names and values dropped, blank
// lines gone, CR LF everywhere), where real Windows and the POSIX layer keep
// every untouched line byte for byte: so the files left behind are compared
// byte for byte where the one written here is tidy, and otherwise line by line
// in the tidied form both readers see alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/settings.h"
#include "tests/support/temp_dir.h"

namespace tavo {
namespace {

namespace fs = std::filesystem;

struct Step {
    char Op;  // 'R' reads with Text as the default, 'W' writes Text
    std::string Section, Key, Text;
};

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
    if (name.find('\t') == std::string::npos &&
        std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
    }
}

// The names a file spells out, in each letter case, plus names it lacks.
void NamesIn(const std::string& bytes, std::vector<std::string>& sections,
             std::vector<std::string>& keys) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line(Trim(std::string_view(bytes).substr(pos, end - pos)));
        pos = end + 1;
        if (line.empty()) continue;
        std::string name;
        if (line.front() == '[') {
            name = std::string(Trim(line.substr(1, line.find(']') - 1)));
        } else {
            name = std::string(Trim(line.substr(0, line.find('='))));
        }
        auto& names = line.front() == '[' ? sections : keys;
        for (const std::string& n : {name, UpperAscii(name), Lower(name)}) AddOnce(names, n);
    }
    for (const char* n : {"window", "VIEW", "nowhere", ""}) AddOnce(sections, n);
    for (const char* n : {"Left", "NAME", "absent", ""}) AddOnce(keys, n);
}

std::vector<Step> Reads(const std::vector<std::string>& sections,
                        const std::vector<std::string>& keys) {
    std::vector<Step> steps;
    for (const auto& s : sections) {
        for (const auto& k : keys) steps.push_back({'R', s, k, "dflt"});
    }
    for (const char* d : {"", "  padded  ", "'quoted'", "\"double\"", "\"unmatched'"}) {
        steps.push_back({'R', "nowhere", "absent", d});
    }
    return steps;
}

// What the window does when it closes, then writes that stress the rules.
std::vector<Step> Writes(const std::vector<std::string>& sections,
                         const std::vector<std::string>& keys) {
    std::vector<Step> steps = {
        {'W', "window", "Left", "-8"},        {'W', "window", "Top", "0"},
        {'W', "window", "Width", "380"},      {'W', "window", "Height", "240"},
        {'W', "VIEW", "NAME", "notepad.exe"}, {'W', "WINDOW", "left", "12"},
        {'W', "Extra", "k", "  v w  "},       {'W', "VIEW", "NAME2", ""},
        {'W', " Spaced ", " key ", " x "},    {'W', "view", "name", "\"C:\\Tools\\v.exe\" /r"},
    };
    if (!sections.empty() && !keys.empty()) {
        steps.push_back({'W', sections.front(), keys.front(), "changed"});
        steps.push_back({'W', UpperAscii(sections.front()), Lower(keys.front()), "changed"});
    }
    return steps;
}

std::vector<Step> StepsFor(const std::string& bytes) {
    std::vector<std::string> sections, keys;
    NamesIn(bytes, sections, keys);
    std::vector<Step> steps = Reads(sections, keys);
    std::vector<Step> writes = Writes(sections, keys);
    steps.insert(steps.end(), writes.begin(), writes.end());
    NamesIn("[Extra]\n[ Spaced ]\nk=\nNAME2=\n key =\n", sections, keys);
    std::vector<Step> after = Reads(sections, keys);
    steps.insert(steps.end(), after.begin(), after.end());
    return steps;
}

std::string Describe(const Step& step) {
    return std::string(1, step.Op) + " [" + step.Section + "] \"" + step.Key + "\" \"" + step.Text +
           "\"";
}

std::string RunHere(const std::string& file, const Step& step) {
    if (step.Op == 'R') return "= " + ReadProfileString(file, step.Section, step.Key, step.Text);
    try {
        WriteProfileString(file, step.Section, step.Key, step.Text);
        return "ok";
    } catch (const std::exception&) {
        return "failed";
    }
}

// Wine shows the whole file system as drive Z:.
std::string WindowsPath(const fs::path& path) {
    std::string out = "Z:" + path.string();
    std::replace(out.begin(), out.end(), '/', '\\');
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

std::string Printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\n') {
            out += "\\n\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 32 || c >= 127) {
            const char* hex = "0123456789ABCDEF";
            out += {'\\', 'x', hex[c >> 4], hex[c & 15]};
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// A line as both readers see it: trimmed, with no blanks around the "=", a
// section's name without blanks or anything after its "]".
std::string Tidied(std::string line) {
    line = std::string(Trim(line));
    auto close = line.rfind(']');
    if (!line.empty() && line.front() == '[' && close != std::string::npos && close > 0) {
        return "[" + std::string(Trim(line.substr(1, close - 1))) + "]";
    }
    auto eq = line.find('=');
    if (eq != std::string::npos && line.front() != '[') {
        line = std::string(Trim(line.substr(0, eq))) + "=" + std::string(Trim(line.substr(eq + 1)));
    }
    return line;
}

// The non-blank lines in tidied form, whatever their line ends.
std::vector<std::string> TidiedLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = bytes.size();
        std::string line = Tidied(bytes.substr(pos, end - pos));
        if (!line.empty()) lines.push_back(line);
        pos = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// Written as Wine would write it back: every line tidy and ended by CR LF.
bool IsTidy(const std::string& bytes) {
    std::string rebuilt;
    for (const std::string& line : TidiedLines(bytes)) rebuilt += line + "\r\n";
    return rebuilt == bytes;
}

struct Case {
    std::string Name;
    bool HasFile;
    std::string Bytes;
    std::vector<Step> Steps;
};

std::vector<Case> HandWrittenCases() {
    std::vector<Case> cases;
    fs::path dir = fs::path(TAVO_SOURCE_DIR) / "tests" / "platform" / "profiles";
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string bytes = test::ReadBytes(entry.path().string());
        cases.push_back({entry.path().stem().string(), true, bytes, StepsFor(bytes)});
    }
    std::sort(cases.begin(), cases.end(), [](auto& a, auto& b) { return a.Name < b.Name; });
    cases.push_back({"no_file", false, "", StepsFor("")});
    return cases;
}

TEST(SettingsAgainstWindows, HandWrittenFilesReadAndWriteAsTheWindowsFunctionsDo) {
    if (std::string(TAVO_PROFILE_PROBE).empty()) {
        GTEST_SKIP() << "no mingw-w64 compiler or Wine: install them with "
                        "scripts/install-deps.sh windows";
    }
    std::vector<Case> cases = HandWrittenCases();
    ASSERT_GE(cases.size(), 8u);

    test::TempDir here, wine;
    std::string script, expected;
    for (const Case& c : cases) {
        std::string hereFile = here.File(c.Name + ".ini");
        std::string wineFile = wine.File(c.Name + ".ini");
        if (c.HasFile) {
            here.Write(c.Name + ".ini", c.Bytes);
            wine.Write(c.Name + ".ini", c.Bytes);
        }
        for (const Step& step : c.Steps) {
            script += std::string(1, step.Op) + '\t' + WindowsPath(wineFile) + '\t' + step.Section +
                      '\t' + step.Key + '\t' + step.Text + '\n';
            expected += RunHere(hereFile, step) + '\n';
        }
    }
    wine.Write("script.txt", script);
    std::string command = std::string("'") + TAVO_WINE_RUN + "' '" + TAVO_WINE_PREFIX + "' '" +
                          TAVO_PROFILE_PROBE + "' '" + WindowsPath(wine.File("script.txt")) +
                          "' > '" + wine.File("transcript.txt") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::vector<std::string> got = SplitLines(test::ReadBytes(wine.File("transcript.txt")));
    std::vector<std::string> want = SplitLines(expected);
    ASSERT_EQ(got.size(), want.size()) << "the probe did not answer every step";
    std::size_t i = 0;
    for (const Case& c : cases) {
        for (const Step& step : c.Steps) {
            EXPECT_EQ(want[i], got[i])
                << c.Name << ": " << Describe(step) << " (left: here, right: Windows)";
            ++i;
        }
        std::string hereBytes = c.HasFile || fs::exists(here.File(c.Name + ".ini"))
                                    ? test::ReadBytes(here.File(c.Name + ".ini"))
                                    : "";
        std::string wineBytes = test::ReadBytes(wine.File(c.Name + ".ini"));
        // Where this side left a tidy file, both must agree byte for byte.
        if (IsTidy(hereBytes)) {
            EXPECT_EQ(Printable(hereBytes), Printable(wineBytes))
                << c.Name << ": the file written here differs from the one Windows wrote";
        } else {
            EXPECT_EQ(TidiedLines(hereBytes), TidiedLines(wineBytes))
                << c.Name << ": the file written here holds other lines than the one Windows wrote";
        }
    }
}

}  // namespace
}  // namespace tavo
