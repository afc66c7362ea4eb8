#include "platform/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
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

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, ec) && !ec;
}

bool IsDescriptorName(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    namespace fs = std::filesystem;
    std::error_code ec;
    // Every way to a descriptor ends in a link: the entry of /proc/self/fd
    // is one, and so is each name leading to it. One look settles the rest.
    if (!fs::is_symlink(path, ec)) return false;
    const fs::path descriptors = fs::canonical("/proc/self/fd", ec);
    if (ec || path.empty()) return false;
    fs::path at = fs::absolute(path, ec);
    // Each link of the chain is looked at, as /dev/stdin leads on to /proc/self/fd/0.
    for (int hop = 0; hop < 40 && !ec; ++hop) {
        if (fs::weakly_canonical(at.parent_path(), ec) == descriptors) return true;
        if (!fs::is_symlink(at, ec)) return false;
        fs::path next = fs::read_symlink(at, ec);
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return false;
#endif
}

namespace {

// The file opened for reading only when it is a regular one.
std::FILE* OpenRegular(const std::string& path) {
#ifdef _WIN32
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return nullptr;
    struct _stat64 info {};
    if (_fstat64(_fileno(f), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(f);
        return nullptr;
    }
    return f;
#else
    // Without O_NONBLOCK the open of a FIFO waits for a writer that may never come.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags == -1 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) ::close(fd);
    return f;
#endif
}

}  // namespace

std::optional<TextReader> TextReader::Open(const std::string& path, CtrlZ ctrlZ) {
    // A folder is refused with every other file that is not a regular one.
    if (path.empty()) return std::nullopt;
    std::FILE* f = OpenRegular(path);
    if (f == nullptr) return std::nullopt;
    return TextReader(f, path, ctrlZ);
}

void TextReader::Rewind(CtrlZ ctrlZ) {
    errno = 0;
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0) throw IoError(name_, SystemMessage(errno));
    size_ = 0;
    pos_ = 0;
    eof_ = false;
    ctrlZ_ = ctrlZ;
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

std::size_t TextReader::ReadBytes(char* out, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        if (pos_ >= size_ && !Fill()) break;
        const std::size_t take = std::min(n - got, size_ - pos_);
        std::memcpy(out + got, buffer_.get() + pos_, take);
        pos_ += take;
        got += take;
    }
    return got;
}

bool TextReader::ReadLine(std::string& line) {
    if (AtEnd()) return false;
    line.clear();
    bool cut = false;  // bytes of this line were dropped past kMaxLine
    bool ended = false;
    for (;;) {
        const char* data = buffer_.get();
        const char* lf = static_cast<const char*>(std::memchr(data + pos_, '\n', size_ - pos_));
        const std::size_t end = lf == nullptr ? size_ : static_cast<std::size_t>(lf - data);
        const std::size_t take = std::min(end - pos_, kMaxLine - line.size());
        cut = cut || take < end - pos_;
        line.append(data + pos_, take);
        if (lf != nullptr) {
            pos_ = end + 1;
            ended = true;
            break;
        }
        pos_ = size_;
        if (!Fill()) break;  // Fill drops the bytes already taken
    }
    if (ended && !cut && !line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::optional<TextWriter> TextWriter::Create(const std::string& path) {
    if (path.empty() || IsFolder(path)) return std::nullopt;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return std::nullopt;
    return TextWriter(f, path, true);
}

namespace {

// A non-regular file that is there, such as /dev/null: written in place, as
// nothing can be renamed over it.
bool IsSpecial(const std::string& path) {
    std::error_code ec;
    std::filesystem::file_status st = std::filesystem::status(path, ec);
    return !ec && std::filesystem::exists(st) && !std::filesystem::is_regular_file(st) &&
           !std::filesystem::is_directory(st);
}

// The permissions a replacement gets: the old file's, else those of a new file.
int ModeFor(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) return static_cast<int>(info.st_mode & 07777);
#ifdef _WIN32
    return _S_IREAD | _S_IWRITE;
#else
    // umask is read by setting it: once, so no job thread sees it changed.
    static const mode_t mask = [] {
        mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return static_cast<int>(0666 & ~mask);
#endif
}

// A new, empty temporary file beside the target; its name in `temp`.
std::FILE* CreateTemp(const std::string& target, std::string& temp) {
    std::filesystem::path folder = std::filesystem::path(target).parent_path();
    std::string hidden(1, '.');
    hidden += std::filesystem::path(target).filename().string();
    hidden += '.';
    int mode = ModeFor(target);
#ifdef _WIN32
    static unsigned counter = 0;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = (folder / (hidden + std::to_string(_getpid()) + "-" + std::to_string(counter++)))
                   .string();
        fd = ::_open(temp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, mode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return nullptr;
    std::FILE* f = ::_fdopen(fd, "wb");
#else
    temp = (folder / (hidden + "XXXXXX")).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return nullptr;
    std::FILE* f = nullptr;
    if (::fchmod(fd, static_cast<mode_t>(mode)) == 0) f = ::fdopen(fd, "wb");
#endif
    if (f == nullptr) {
        int err = errno;
        ::close(fd);
        std::remove(temp.c_str());
        errno = err;
    }
    return f;
}

// Puts the finished temporary file in the target's place in one step.
bool RenameOver(const std::string& temp, const std::string& target) {
#ifdef _WIN32
    if (MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) return true;
    errno = EACCES;
    return false;
#else
    return ::rename(temp.c_str(), target.c_str()) == 0;
#endif
}

}  // namespace

std::optional<TextWriter> TextWriter::Replace(const std::string& path, Sync sync) {
    if (path.empty() || IsFolder(path)) {
        errno = EISDIR;
        return std::nullopt;
    }
    if (IsSpecial(path)) {
#ifdef _WIN32
        std::FILE* f = std::fopen(path.c_str(), "wb");
#else
        // A FIFO without a reader is refused rather than waited for.
        std::FILE* f = nullptr;
        int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        int flags = fd < 0 ? -1 : ::fcntl(fd, F_GETFL);
        if (flags != -1 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) f = ::fdopen(fd, "wb");
        if (f == nullptr && fd >= 0) ::close(fd);
#endif
        if (f == nullptr) return std::nullopt;
        return TextWriter(f, path, true);
    }
    std::string target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec) target = resolved.string();
    }
    // A file that may not be changed stays so, though its folder would allow
    // a new file in its place.
#ifdef _WIN32
    if (::_access(target.c_str(), 2) != 0 && errno != ENOENT) return std::nullopt;
#else
    if (::access(target.c_str(), W_OK) != 0 && errno != ENOENT) return std::nullopt;
#endif
    std::string temp;
    std::FILE* f = CreateTemp(target, temp);
    if (f == nullptr) return std::nullopt;
    TextWriter writer(f, path, true);
    writer.temp_ = std::move(temp);
    writer.target_ = std::move(target);
    writer.sync_ = sync == Sync::ToDisk;
    return writer;
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
    : file_(other.file_),
      name_(std::move(other.name_)),
      owned_(other.owned_),
      temp_(std::move(other.temp_)),
      target_(std::move(other.target_)),
      sync_(other.sync_) {
    other.file_ = nullptr;
    other.temp_.clear();
}

TextWriter::~TextWriter() {
    if (file_ != nullptr && owned_) std::fclose(file_);
    Discard();
}

// A replacement that never completed leaves nothing behind.
void TextWriter::Discard() {
    if (temp_.empty()) return;
    std::remove(temp_.c_str());
    temp_.clear();
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
    // The bytes reach the disk before the rename, so a crash after it cannot
    // leave an empty file under the old name.
    if (ok && !temp_.empty() && sync_) {
#ifdef _WIN32
        ok = ::_commit(_fileno(f)) == 0;
#else
        ok = ::fsync(::fileno(f)) == 0;
#endif
        if (!ok) err = errno;
    }
    if (owned_ && std::fclose(f) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && !temp_.empty()) {
        ok = RenameOver(temp_, target_);
        if (ok) temp_.clear();
        else err = errno;
    }
    if (!ok) {
        Discard();
        throw IoError(name_, SystemMessage(err));
    }
}

}  // namespace tavo
