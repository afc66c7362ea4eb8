// Text files as bytes: lines end at LF, a CR just before it is dropped, and no
// locale ever touches the content.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavo {

// An input/output failure after a file was opened; carries the file's name
// and the system's message, and is shown to the user as it stands.
class IoError : public std::runtime_error {
public:
    IoError(const std::string& fileName, const std::string& systemMessage);
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

// A regular file (or anything but a folder) is there.
bool FileExists(const std::string& path);

// Both names lead to one file (the same device and inode), through a hard link
// or a symbolic link; false when either is missing.
bool SameFile(const std::string& a, const std::string& b);

// What tells one file from every other: the device and the file's number on
// it (inode), the same through every name and link of the file.
struct FileIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Number = 0;
    bool operator==(const FileIdentity&) const = default;
};
// Empty when nothing is there (or a link leads nowhere).
std::optional<FileIdentity> IdentityOf(const std::string& path);

// The name leads to a descriptor the program was handed (/dev/stdin,
// /dev/fd/N, /proc/self/fd/N), not to a file in a folder of its own: no
// report can go beside it.
bool IsDescriptorName(const std::string& path);

class TextReader {
public:
    // A log's data ends at a Ctrl-Z where a line would begin; other files
    // take that byte as text.
    enum class CtrlZ { IsText, EndsFile };

    // Lines longer than this are cut to it for reading; the rest of such a
    // line is skipped, so memory stays bounded whatever the input.
    static constexpr std::size_t kMaxLine = std::size_t{1} << 20;

    // Empty when the file cannot be opened for reading or is not a regular
    // file: a folder, a FIFO or a device is refused at once, never read, so
    // a pipe without a writer or /dev/zero cannot hold the reader forever.
    static std::optional<TextReader> Open(const std::string& path, CtrlZ ctrlZ = CtrlZ::IsText);

    // The next line, without its line end and cut to kMaxLine; false when
    // nothing is left.
    bool ReadLine(std::string& line);
    // The same line as a view, valid until the next read: into the file's
    // bytes where the line lies whole in memory, so nothing is copied.
    bool ReadLine(std::string_view& line) {
        // Inline for the common case, a line that ends in memory and does not
        // start with a Ctrl-Z: a log's reading takes it once per QSO.
        if (pos_ < size_ && buffer_[pos_] != kCtrlZ) {
            const char* start = buffer_.get() + pos_;
            const std::size_t left = size_ - pos_;
            const auto* lf = static_cast<const char*>(std::memchr(start, '\n', left));
            if (lf != nullptr && static_cast<std::size_t>(lf - start) <= kMaxLine) {
                std::size_t n = static_cast<std::size_t>(lf - start);
                pos_ += n + 1;
                if (n > 0 && start[n - 1] == '\r') --n;
                line = std::string_view(start, n);
                return true;
            }
        }
        return ReadLineSlow(line);
    }

    // Starts over at the first byte, reading Ctrl-Z as given from now on. The
    // bytes already read are read again from memory, not from the file.
    void Rewind(CtrlZ ctrlZ);

    // Nothing follows the line just read (its line end aside).
    bool AtEnd();

    // Up to n bytes from where reading stands, line ends and Ctrl-Z as they
    // are in the file, for formats that count their data in bytes; fewer
    // only at the end of the file.
    std::size_t ReadBytes(char* out, std::size_t n);
    // The bytes that memory holds from where reading stands, as ReadBytes
    // would give them, lent as a view valid until the next read; reading then
    // stands past them. Memory mostly holds the whole file, so a scan of it
    // needs no copy. kLendPad zero bytes lie behind the view, for reads a
    // little past its end. Empty only at the end of the file; `last` tells
    // that nothing follows the view.
    static constexpr std::size_t kLendPad = 8;
    std::string_view LendBytes(bool& last);

    const std::string& Name() const { return name_; }
    // The file's size when it was opened, for a guess at what its lines hold.
    std::size_t SizeHint() const { return sizeHint_; }
    // The file the open found, told by the look the open takes anyway; empty
    // where that look does not tell files apart.
    const std::optional<FileIdentity>& Identity() const { return identity_; }

    ~TextReader();
    TextReader(TextReader&& other) noexcept;
    TextReader& operator=(TextReader&&) = delete;

private:
    TextReader(int fd, std::size_t sizeHint, std::string name, CtrlZ ctrlZ);
    static constexpr char kCtrlZ = 26;
    bool Fill();
    bool ReadLineSlow(std::string_view& line);

    int fd_;
    std::string name_;
    std::optional<FileIdentity> identity_;
    CtrlZ ctrlZ_;
    std::size_t sizeHint_;            // the file's size when it was opened
    std::unique_ptr<char[]> buffer_;  // bytes [pos_, size_) are unread
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    std::size_t base_ = 0;  // the file offset of buffer_[0]
    bool eof_ = false;
    std::string spill_;  // a line that crossed a refill, for the view
};

// Lines written with CR LF. A file of our own gathers its text in memory and
// gets it in one write at Close (or per MiB of a long text); every write is
// checked and a failure raised.
class TextWriter {
public:
    // Empty when the file cannot be created; an existing file starts empty.
    static std::optional<TextWriter> Create(const std::string& path);
    // A file written whole or not at all: the text goes to a temporary file
    // beside it, renamed over the old file by Close only once all of it is
    // written, so a full disk or a crash part-way leaves the old file as it
    // was. A writer dropped before Close, or a failed Close, removes the
    // temporary file. A new file gets the usual permissions, an old one keeps
    // its own; a symbolic link stays one, the file it leads to is replaced; a
    // device such as /dev/null is written directly. Empty, with errno set,
    // when the temporary file cannot be created or the name is a folder.
    // Synced, the new bytes reach the disk before the rename, so not even a
    // power cut can leave an empty file under the name: for files a user
    // keeps. A report is made again from its log at any time, and a sync per
    // report would slow a batch down to the disk's pace.
    // The temporary file is named .NAME.XXXXXX beside NAME. SIGINT, SIGTERM
    // or SIGHUP (unless ignored or handled by the program) removes it before
    // the process ends; one left by SIGKILL is removed by the next Replace of
    // the same name in another process.
    // A name that leads to the file `keep` (such as the log an output is made
    // from) is refused, empty with errno EEXIST, from the same look.
    enum class Sync { ToDisk, None };
    static std::optional<TextWriter> Replace(const std::string& path, Sync sync = Sync::ToDisk,
                                             std::optional<FileIdentity> keep = std::nullopt);
    // Writes to a stream the caller owns, such as standard output.
    static TextWriter Attach(std::FILE* stream, std::string name);

    void Write(std::string_view text);
    void WriteLine(std::string_view text = {});
    // Writes each "\n"-separated line of text with the writer's line end, so
    // a text built with "\n" keeps one kind of line end in the file.
    void WriteLines(std::string_view text);
    // Flushes; a file of our own is closed (and a replacing one renamed over
    // the old file). Raises on a failed flush, close or rename.
    void Close();

    ~TextWriter();
    TextWriter(TextWriter&&) noexcept;
    TextWriter& operator=(TextWriter&&) = delete;

private:
    TextWriter(int fd, std::FILE* stream, std::string name);
    void Discard();
    bool Flush(int& err);
    void Unlock();

    int fd_;             // a file of our own, else -1
    std::FILE* stream_;  // a stream the caller owns, else null
    std::string name_;
    std::string pending_;  // text not yet handed to fd_
    std::string temp_;     // a replacing writer's temporary file, else empty
    std::string target_;   // the file it is renamed over
    bool sync_ = true;
    int slot_ = -1;    // the temporary file's place in the table an interrupt reads
    int lockFd_ = -1;  // holds the lock that tells a live temporary file from a stale one
};

}  // namespace tavo
