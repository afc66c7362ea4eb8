// The settings file on POSIX, following the rules of the Windows private-profile
// functions so that a settings file moves between the two unchanged. A write
// changes only the line of its key: every other line stays byte for byte.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/text.h"
#include "platform/settings.h"
#include "platform/text_file.h"

namespace tavo {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Far more than any settings file of the window needs.
constexpr std::size_t kMaxSettingsBytes = std::size_t{1} << 20;

// The profile functions' white space: C's isspace plus Ctrl-Z, which old DOS
// editors left at the end of a file. Narrower than the trim of log fields.
bool IsProfileSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsProfileSpace(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && IsProfileSpace(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view TrimBoth(std::string_view text) { return TrimRight(TrimLeft(text)); }

// A value wrapped in one pair of the same quote marks comes back without them.
std::string_view StripQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

struct Line {
    std::string Text;
    std::string End;  // the line break as found: CR LF, LF, CR, or none at the file's end
};

enum class LineKind { Blank, Section, Entry };

struct ParsedLine {
    LineKind Kind = LineKind::Blank;
    std::string_view Name;                  // section name as written, or key name trimmed
    std::optional<std::string_view> Value;  // none for a key line without "="
};

ParsedLine Parse(std::string_view text) {
    text = TrimBoth(text);
    if (text.empty()) return {};
    if (text.front() == '[') {
        // The name runs up to the last "]"; a "[" with none after it is an ordinary line.
        auto close = text.rfind(']');
        if (close != std::string_view::npos && close > 0) {
            return {LineKind::Section, TrimBoth(text.substr(1, close - 1)), std::nullopt};
        }
    }
    auto eq = text.find('=');
    if (eq == std::string_view::npos) return {LineKind::Entry, text, std::nullopt};
    return {LineKind::Entry, TrimRight(text.substr(0, eq)), TrimLeft(text.substr(eq + 1))};
}

struct Profile {
    std::string Bom;
    std::vector<Line> Lines;
};

Profile SplitLines(std::string_view bytes) {
    Profile profile;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        profile.Bom = kUtf8Bom;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    while (!bytes.empty()) {
        auto brk = bytes.find_first_of("\r\n");
        if (brk == std::string_view::npos) {
            profile.Lines.push_back({std::string(bytes), ""});
            break;
        }
        std::size_t endLen = bytes.substr(brk, 2) == "\r\n" ? 2 : 1;
        profile.Lines.push_back(
            {std::string(bytes.substr(0, brk)), std::string(bytes.substr(brk, endLen))});
        bytes.remove_prefix(brk + endLen);
    }
    return profile;
}

// The lines of one section after its header line: [Begin, End).
struct Range {
    std::size_t Begin = 0;
    std::size_t End = 0;
};

// The first section of that name. Lines before the first header form a section
// without a name, which only the empty name finds.
std::optional<Range> FindSection(const Profile& profile, std::string_view section) {
    std::optional<Range> found;
    if (section.empty()) found = Range{0, profile.Lines.size()};
    for (std::size_t i = 0; i < profile.Lines.size(); ++i) {
        if (Parse(profile.Lines[i].Text).Kind != LineKind::Section) continue;
        if (found) {
            found->End = i;
            return found;
        }
        if (SameTextAscii(Parse(profile.Lines[i].Text).Name, section)) {
            found = Range{i + 1, profile.Lines.size()};
        }
    }
    return found;
}

std::optional<std::size_t> FindKey(const Profile& profile, Range range, std::string_view key) {
    for (std::size_t i = range.Begin; i < range.End; ++i) {
        ParsedLine line = Parse(profile.Lines[i].Text);
        if (line.Kind == LineKind::Entry && SameTextAscii(line.Name, key)) return i;
    }
    return std::nullopt;
}

std::string SystemMessage(int err) { return err != 0 ? std::strerror(err) : "input/output error"; }

// What an open of the settings file found.
enum class Found {
    Read,        // a regular file within the bound, its bytes read
    Missing,     // nothing there, or a file that is ignored as if missing
    Unreadable,  // there, but it cannot be read
};

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// The settings file is read like every other input: only a regular file, and
// only up to kMaxSettingsBytes, so that a FIFO, a link to /dev/zero or a huge
// file can neither hold the window nor eat its memory. Such a file counts as
// missing. The open never waits on a FIFO.
Found ReadSettingsFile(const std::string& fileName, std::string& bytes, int flags,
                       Descriptor& file) {
    errno = 0;
    file.fd = ::open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
    if (file.fd < 0) return errno == ENOENT || errno == ENXIO ? Found::Missing : Found::Unreadable;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) return Found::Unreadable;
    if (!S_ISREG(info.st_mode) || info.st_size > static_cast<off_t>(kMaxSettingsBytes))
        return Found::Missing;
    // One read more than the bound tells a file that grew since the fstat.
    bytes.resize(kMaxSettingsBytes + 1);
    std::size_t size = 0;
    while (size < bytes.size()) {
        const ssize_t got = ::read(file.fd, bytes.data() + size, bytes.size() - size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Found::Unreadable;
        if (got == 0) break;
        size += static_cast<std::size_t>(got);
    }
    bytes.resize(size);
    return size > kMaxSettingsBytes ? Found::Missing : Found::Read;
}

}  // namespace

struct ProfileReadOnce::Read {
    std::string FileName;
    Found Outcome = Found::Missing;
    std::string Bytes;
};

namespace {

// The read of the innermost ProfileReadOnce of this thread, if any.
thread_local const ProfileReadOnce::Read* oneRead = nullptr;

// What a read found: whether the file could be read at all (a missing file
// counts as an empty one), and the value when the key was there with "=".
struct Lookup {
    bool Readable = true;
    std::optional<std::string> Value;
};

Lookup FindValue(const std::string& fileName, std::string_view section, std::string_view key) {
    // A read kept by ProfileReadOnce is looked at where it lies, not copied.
    std::string own;
    std::string_view bytes;
    Found found;
    if (oneRead != nullptr && oneRead->FileName == fileName) {
        found = oneRead->Outcome;
        bytes = oneRead->Bytes;
    } else {
        Descriptor file;
        found = ReadSettingsFile(fileName, own, O_RDONLY, file);
        bytes = own;
    }
    switch (found) {
        case Found::Missing: return {};
        case Found::Unreadable: return {false, std::nullopt};
        case Found::Read: break;
    }
    Profile profile = SplitLines(bytes);
    auto range = FindSection(profile, TrimBoth(section));
    if (!range) return {};
    auto at = FindKey(profile, *range, TrimBoth(key));
    if (!at) return {};
    auto value = Parse(profile.Lines[*at].Text).Value;
    if (!value) return {};
    return {true, std::string(*value)};
}

// Where a new key of the section goes: after its last line that is not blank,
// so blank lines that part it from the next section stay where they are.
std::size_t InsertionPoint(const Profile& profile, Range range) {
    std::size_t at = range.Begin;
    for (std::size_t i = range.Begin; i < range.End; ++i) {
        if (!TrimBoth(profile.Lines[i].Text).empty()) at = i + 1;
    }
    return at;
}

std::string KeyLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

// The line break new lines get: the file's own first one, else CR LF.
std::string LineBreakOf(const Profile& profile) {
    for (const Line& line : profile.Lines) {
        if (!line.End.empty()) return line.End;
    }
    return "\r\n";
}

// Puts a new line before index `at`; a last line without a break gets one first.
void InsertLine(Profile& profile, std::size_t at, std::string text) {
    const std::string brk = LineBreakOf(profile);
    if (at > 0 && profile.Lines[at - 1].End.empty()) profile.Lines[at - 1].End = brk;
    profile.Lines.insert(profile.Lines.begin() + static_cast<std::ptrdiff_t>(at),
                         {std::move(text), brk});
}

// The new contents go to a temporary file beside the old one, which is renamed
// over it only once everything is written: a failure leaves the old file whole.
void Save(const std::string& fileName, const Profile& profile) {
    std::string bytes = profile.Bom;
    for (const Line& line : profile.Lines) bytes += line.Text + line.End;

    // The first save of a fresh user creates the settings folder.
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    std::optional<TextWriter> out = TextWriter::Replace(fileName);
    if (!out) throw IoError(fileName, SystemMessage(errno));
    out->Write(bytes);
    out->Close();
}

}  // namespace

std::string ReadProfileString(const std::string& FileName, std::string_view Section,
                              std::string_view Key, std::string_view Default) {
    while (!Default.empty() && Default.back() == ' ') Default.remove_suffix(1);
    Lookup found = FindValue(FileName, Section, Key);
    if (found.Value) return std::string(StripQuotes(*found.Value));
    // A file that is there but cannot be read gives the default as it stands.
    if (!found.Readable) return std::string(Default);
    return std::string(StripQuotes(Default));
}

ProfileReadOnce::ProfileReadOnce(const std::string& FileName)
    : read_(std::make_unique<Read>()), outer_(oneRead) {
    read_->FileName = FileName;
    Descriptor file;
    read_->Outcome = ReadSettingsFile(FileName, read_->Bytes, O_RDONLY, file);
    oneRead = read_.get();
}

ProfileReadOnce::~ProfileReadOnce() { oneRead = outer_; }

void WriteProfileString(const std::string& FileName, std::string_view Section, std::string_view Key,
                        std::string_view Value) {
    Profile profile;
    // Opened for writing from the start, so a file that may not be changed
    // fails even when the value would stay the same. A file that reading
    // ignores is not replaced either: it may be something else entirely.
    std::string bytes;
    Descriptor file;
    switch (ReadSettingsFile(FileName, bytes, O_RDWR, file)) {
        case Found::Read: profile = SplitLines(bytes); break;
        case Found::Unreadable: throw IoError(FileName, SystemMessage(errno));
        case Found::Missing:
            if (file.fd >= 0) throw IoError(FileName, "not a settings file of up to 1 MiB");
            break;
    }

    // Names are looked up trimmed, but a new one is written as given after its
    // leading blanks, as the Windows functions do.
    std::string_view section = TrimLeft(Section);
    std::string_view key = TrimLeft(Key);
    std::string_view value = TrimLeft(SingleLineValue(Value));

    auto range = FindSection(profile, TrimRight(section));
    if (!range) {
        std::string header(1, '[');
        header.append(section).append("]");
        InsertLine(profile, profile.Lines.size(), std::move(header));
        InsertLine(profile, profile.Lines.size(), KeyLine(key, value));
    } else if (auto at = FindKey(profile, *range, TrimRight(key))) {
        ParsedLine line = Parse(profile.Lines[*at].Text);
        if (line.Value == value) return;
        // The key keeps its place, its spelling and its indentation.
        std::string& text = profile.Lines[*at].Text;
        std::string indent = text.substr(0, text.size() - TrimLeft(text).size());
        text = indent + KeyLine(line.Name, value);
    } else {
        InsertLine(profile, InsertionPoint(profile, *range), KeyLine(key, value));
    }
    Save(FileName, profile);
}

}  // namespace tavo
