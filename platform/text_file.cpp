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
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <mutex>
#include <unordered_map>
#include <vector>
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

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    if (path.empty()) return std::nullopt;
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    if (!ok) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
#else
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                        static_cast<std::uint64_t>(info.st_ino)};
#endif
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

#ifndef _WIN32
// Temporary files being written, kept where the handler of an interrupting
// signal can find them. A fixed table, as the handler may only read memory
// and call unlink: a slot goes Free -> Filling -> Held, back to Free when its
// file is gone, or to Taken once the handler has it (then never reused).
constexpr std::size_t kTempSlots = 256;
constexpr std::size_t kTempNameMax = 4096;
enum : int { kSlotFree, kSlotFilling, kSlotHeld, kSlotTaken };
struct TempSlot {
    std::atomic<int> state{kSlotFree};
    char name[kTempNameMax];
};
TempSlot tempSlots[kTempSlots];

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// A thread that creates a temporary file holds the interrupts back until the
// file is in the table; the handler, on another thread, waits for it.
std::atomic<int> tempsBeingCreated{0};
std::atomic<bool> interrupted{false};

// Removes every temporary file being written, then ends the process as the
// signal would have without us.
extern "C" void RemoveTempsAndDie(int sig) {
    interrupted.store(true);
    for (int wait = 0; wait < 1000 && tempsBeingCreated.load() > 0; ++wait) {
        struct timespec ms = {0, 1000000};
        ::nanosleep(&ms, nullptr);
    }
    for (TempSlot& slot : tempSlots) {
        int held = kSlotHeld;
        if (slot.state.compare_exchange_strong(held, kSlotTaken)) ::unlink(slot.name);
    }
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    // Blocked while its handler runs: delivered, with the default action, on return.
    ::raise(sig);
}

// Takes the interrupts whose action is still the default one; a signal the
// caller ignores (nohup) or handles itself stays as it is.
void CatchInterrupts() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction act {};
        act.sa_handler = RemoveTempsAndDie;
        ::sigemptyset(&act.sa_mask);
        for (int sig : kInterrupts) ::sigaddset(&act.sa_mask, sig);
        for (int sig : kInterrupts) {
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) == 0 && (old.sa_flags & SA_SIGINFO) == 0 &&
                old.sa_handler == SIG_DFL)
                ::sigaction(sig, &act, nullptr);
        }
    });
}

// The slot that now holds Name, or -1 when none is free (or the name too long).
int RegisterTemp(const std::string& name) {
    if (name.size() >= kTempNameMax) return -1;
    for (std::size_t i = 0; i < kTempSlots; ++i) {
        int free = kSlotFree;
        if (!tempSlots[i].state.compare_exchange_strong(free, kSlotFilling)) continue;
        std::memcpy(tempSlots[i].name, name.c_str(), name.size() + 1);
        tempSlots[i].state.store(kSlotHeld);
        return static_cast<int>(i);
    }
    return -1;
}

// After the file is gone; a slot the handler took stays taken.
void ReleaseTemp(int slot) {
    if (slot < 0) return;
    int held = kSlotHeld;
    tempSlots[static_cast<std::size_t>(slot)].state.compare_exchange_strong(held, kSlotFree);
}

// While this lives, this thread may create a temporary file: the interrupts
// are held back here, and a handler on another thread waits for the file to
// be in the table. Once an interrupt came, no file may be created at all.
class CreatingTemp {
public:
    CreatingTemp() {
        sigset_t set;
        ::sigemptyset(&set);
        for (int sig : kInterrupts) ::sigaddset(&set, sig);
        ::pthread_sigmask(SIG_BLOCK, &set, &old_);
        ++tempsBeingCreated;
    }
    ~CreatingTemp() {
        --tempsBeingCreated;
        ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    bool Interrupted() const { return interrupted.load(); }
    CreatingTemp(const CreatingTemp&) = delete;
    CreatingTemp& operator=(const CreatingTemp&) = delete;

private:
    sigset_t old_;
};

// A writer holds a lock on its temporary file until the file is renamed or
// removed; only SIGKILL or a crash can leave one behind, and then unlocked.
// The temporary files of a folder, listed once per process: a batch of a
// whole contest must not read its folder again for every log.
std::mutex staleMutex;
std::unordered_map<std::string, std::unordered_map<std::string, std::vector<std::string>>>
    staleByFolder;

bool IsTempSuffix(std::string_view name) {
    // ".XXXXXX" as mkstemp fills it in.
    if (name.size() < 8 || name[name.size() - 7] != '.') return false;
    for (char c : name.substr(name.size() - 6))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

// Removes the temporary files of Target that no writer holds any longer.
void RemoveStaleTemps(const std::string& target) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(target).parent_path();
    const std::string key = folder.empty() ? std::string(".") : folder.string();
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> lock(staleMutex);
        auto [at, added] = staleByFolder.try_emplace(key);
        if (added) {
            std::error_code ec;
            for (fs::directory_iterator it(key, ec), end; !ec && it != end; it.increment(ec)) {
                const std::string name = it->path().filename().string();
                if (name.size() > 8 && name[0] == '.' && IsTempSuffix(name))
                    at->second[name.substr(1, name.size() - 8)].push_back(name);
            }
        }
        auto found = at->second.find(fs::path(target).filename().string());
        if (found == at->second.end()) return;
        names = std::move(found->second);
        at->second.erase(found);
    }
    for (const std::string& name : names) {
        const std::string path = (folder / name).string();
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
}

// Locks a new temporary file for its writer: false when a cleaner of another
// run got to it first (and removes it). A file system without locks leaves
// it unlocked, and no cleaner can take it there either.
bool LockTemp(int fd, int& lockFd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_nlink == 0) return false;
    // A second descriptor keeps the lock after the stream is closed, up to the rename.
    lockFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    return true;
}
#endif

// A new, empty temporary file beside the target; its name in `temp`, its
// slot in the table of temporary files and the descriptor of its lock in
// `slot` and `lockFd` (-1 when none).
std::FILE* CreateTemp(const std::string& target, std::string& temp, int& slot, int& lockFd) {
    slot = -1;
    lockFd = -1;
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
    CatchInterrupts();
    RemoveStaleTemps(target);
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        CreatingTemp creating;
        if (creating.Interrupted()) {
            errno = EINTR;
            return nullptr;
        }
        temp = (folder / (hidden + "XXXXXX")).string();
        fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0) return nullptr;
        if (LockTemp(fd, lockFd)) {
            slot = RegisterTemp(temp);
        } else {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) return nullptr;
    std::FILE* f = nullptr;
    if (::fchmod(fd, static_cast<mode_t>(mode)) == 0) f = ::fdopen(fd, "wb");
#endif
    if (f == nullptr) {
        int err = errno;
        ::close(fd);
        std::remove(temp.c_str());
#ifndef _WIN32
        ReleaseTemp(slot);
        if (lockFd >= 0) ::close(lockFd);
        slot = lockFd = -1;
#endif
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
    int slot = -1;
    int lockFd = -1;
    std::FILE* f = CreateTemp(target, temp, slot, lockFd);
    if (f == nullptr) return std::nullopt;
    TextWriter writer(f, path, true);
    writer.slot_ = slot;
    writer.lockFd_ = lockFd;
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
      sync_(other.sync_),
      slot_(other.slot_),
      lockFd_(other.lockFd_) {
    other.file_ = nullptr;
    other.temp_.clear();
    other.slot_ = -1;
    other.lockFd_ = -1;
}

TextWriter::~TextWriter() {
    if (file_ != nullptr && owned_) std::fclose(file_);
    Discard();
}

// A replacement that never completed leaves nothing behind.
void TextWriter::Discard() {
    if (!temp_.empty()) std::remove(temp_.c_str());
    temp_.clear();
    Unlock();
}

// The temporary file is gone, renamed or removed: no handler nor cleaner
// needs to know of it any more.
void TextWriter::Unlock() {
#ifndef _WIN32
    ReleaseTemp(slot_);
    if (lockFd_ >= 0) ::close(lockFd_);
#endif
    slot_ = -1;
    lockFd_ = -1;
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
        if (ok) {
            temp_.clear();
            Unlock();
        } else {
            err = errno;
        }
    }
    if (!ok) {
        Discard();
        throw IoError(name_, SystemMessage(err));
    }
}

}  // namespace tavo
