// Text files as bytes: lines end at LF, a CR just before it is dropped, and no
// locale ever touches the content.
#pragma once

#include <cstdio>
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

class TextReader {
public:
    // A log's data ends at a Ctrl-Z where a line would begin; other files
    // take that byte as text.
    enum class CtrlZ { IsText, EndsFile };

    // Empty when the file cannot be opened for reading.
    static std::optional<TextReader> Open(const std::string& path, CtrlZ ctrlZ = CtrlZ::IsText);

    // The next line, without its line end; false when nothing is left.
    bool ReadLine(std::string& line);

    // Nothing follows the line just read (its line end aside).
    bool AtEnd();

    const std::string& Name() const { return name_; }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    TextReader(std::FILE* file, std::string name, CtrlZ ctrlZ);
    bool Fill();

    std::unique_ptr<std::FILE, Closer> file_;
    std::string name_;
    CtrlZ ctrlZ_;
    std::unique_ptr<char[]> buffer_;  // bytes [pos_, size_) are unread
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    bool eof_ = false;
};

// Lines written with CR LF; every write is checked and a failure raised at once.
class TextWriter {
public:
    // Empty when the file cannot be created; an existing file starts empty.
    static std::optional<TextWriter> Create(const std::string& path);
    // Writes to a stream the caller owns, such as standard output.
    static TextWriter Attach(std::FILE* stream, std::string name);

    void Write(std::string_view text);
    void WriteLine(std::string_view text = {});
    // Flushes; a file of our own is closed. Raises on a failed flush or close.
    void Close();

    ~TextWriter();
    TextWriter(TextWriter&&) noexcept;
    TextWriter& operator=(TextWriter&&) = delete;

private:
    TextWriter(std::FILE* file, std::string name, bool owned);

    std::FILE* file_;
    std::string name_;
    bool owned_;
};

}  // namespace tavo
