#include "platform/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tavo {

namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr char kCtrlZ = 26;

std::string SystemMessage(int err) { return err != 0 ? std::strerror(err) : "input/output error"; }

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

}  // namespace

IoError::IoError(const std::string& fileName, const std::string& systemMessage)
    : std::runtime_error(fileName + ": " + systemMessage), fileName_(fileName) {}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(path, ec) && !IsFolder(path);
}

std::optional<TextReader> TextReader::Open(const std::string& path, CtrlZ ctrlZ) {
    if (path.empty() || IsFolder(path)) return std::nullopt;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return std::nullopt;
    return TextReader(f, path, ctrlZ);
}

TextReader::TextReader(std::FILE* file, std::string name, CtrlZ ctrlZ)
    : file_(file), name_(std::move(name)), ctrlZ_(ctrlZ) {}

// Appends the next chunk; false when the file has no more bytes. The buffer
// is never zero-filled first: every byte of a log would be written twice.
bool TextReader::Fill() {
    if (eof_) return false;
    if (pos_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + pos_, size_ - pos_);
        size_ -= pos_;
        pos_ = 0;
    }
    if (capacity_ - size_ < kChunk) {
        const std::size_t grown = std::max(capacity_ * 2, size_ + kChunk);
        auto bigger = std::make_unique_for_overwrite<char[]>(grown);
        if (size_ > 0) std::memcpy(bigger.get(), buffer_.get(), size_);
        buffer_ = std::move(bigger);
        capacity_ = grown;
    }
    errno = 0;
    std::size_t got = std::fread(buffer_.get() + size_, 1, kChunk, file_.get());
    size_ += got;
    if (got < kChunk) {
        if (std::ferror(file_.get())) throw IoError(name_, SystemMessage(errno));
        eof_ = true;
    }
    return got > 0;
}

bool TextReader::AtEnd() {
    while (pos_ >= size_) {
        if (!Fill()) return true;
    }
    return ctrlZ_ == CtrlZ::EndsFile && buffer_[pos_] == kCtrlZ;
}

bool TextReader::ReadLine(std::string& line) {
    if (AtEnd()) return false;
    std::size_t scanned = 0;  // bytes after pos_ known to hold no LF
    const char* lf;
    while ((lf = static_cast<const char*>(std::memchr(buffer_.get() + pos_ + scanned, '\n',
                                                      size_ - pos_ - scanned))) == nullptr) {
        scanned = size_ - pos_;
        if (!Fill()) break;  // Fill moves the unread bytes to the front
    }
    const char* data = buffer_.get();
    std::size_t end = lf == nullptr ? size_ : static_cast<std::size_t>(lf - data);
    std::size_t next = lf == nullptr ? size_ : end + 1;
    if (lf != nullptr && end > pos_ && data[end - 1] == '\r') --end;
    line.assign(data + pos_, end - pos_);
    pos_ = next;
    return true;
}

std::optional<TextWriter> TextWriter::Create(const std::string& path) {
    if (path.empty() || IsFolder(path)) return std::nullopt;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return std::nullopt;
    return TextWriter(f, path, true);
}

TextWriter TextWriter::Attach(std::FILE* stream, std::string name) {
#ifdef _WIN32
    // Our lines already end in CR LF; a text-mode stream would put a second CR
    // before each LF.
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
#endif
    return TextWriter(stream, std::move(name), false);
}

TextWriter::TextWriter(std::FILE* file, std::string name, bool owned)
    : file_(file), name_(std::move(name)), owned_(owned) {}

TextWriter::TextWriter(TextWriter&& other) noexcept
    : file_(other.file_), name_(std::move(other.name_)), owned_(other.owned_) {
    other.file_ = nullptr;
}

TextWriter::~TextWriter() {
    if (file_ != nullptr && owned_) std::fclose(file_);
}

void TextWriter::Write(std::string_view text) {
    if (file_ == nullptr) throw IoError(name_, "file is closed");
    // An empty view may carry a null pointer, which fwrite must never get.
    if (text.empty()) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        throw IoError(name_, SystemMessage(errno));
    }
}

void TextWriter::WriteLine(std::string_view text) {
    Write(text);
    Write("\r\n");
}

void TextWriter::Close() {
    if (file_ == nullptr) return;
    std::FILE* f = file_;
    file_ = nullptr;
    errno = 0;
    bool ok = std::fflush(f) == 0;
    int err = errno;
    if (owned_ && std::fclose(f) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) throw IoError(name_, SystemMessage(err));
}

}  // namespace tavo
