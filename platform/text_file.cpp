#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <signal.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <mutex>
#include <unordered_map>
#include <vector>
#endif

namespace tavo {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

std::string SystemMessage(int err) { return err != 0 ? std::strerror(err) : "input/output error"; }

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

}  // namespace

IoError::IoError(const std::string& fileName, const std::string& systemMessage)
    : std::runtime_error(fileName + ": " + systemMessage), fileName_(fileName) {}

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
#ifdef _WIN32
    std::error_code ec;
    return std::filesystem::exists(path, ec) && !IsFolder(path);
#else
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
#endif
}

bool SameFile(const std::string& a, const std::string& b) {
    // The first name usually names nothing yet: one look then settles it.
    const std::optional<FileIdentity> first = IdentityOf(a);
    return first && first == IdentityOf(b);
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

#ifndef _WIN32
namespace {
// The name this thread last opened for reading when the open itself showed it
// to be no link: a pass asks of its log's name right after reading it.
thread_local std::string plainNameRead;
}  // namespace
#endif

bool IsDescriptorName(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    if (!path.empty() && path == plainNameRead) return false;
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

// Logs up to this size stay whole in memory once read, so that a second look
// from the start costs no second read; longer files are read in a window.
constexpr std::size_t kKeepWhole = std::size_t{32} << 20;

#ifdef _WIN32
using IoSize = int;
IoSize ReadSome(int fd, char* to, std::size_t count) {
    return ::_read(fd, to, static_cast<unsigned>(std::min<std::size_t>(count, 1u << 30)));
}
bool SeekStart(int fd) { return ::_lseeki64(fd, 0, SEEK_SET) == 0; }
void CloseFd(int fd) { ::_close(fd); }
#else
using IoSize = ssize_t;
IoSize ReadSome(int fd, char* to, std::size_t count) {
    IoSize got;
    do got = ::read(fd, to, count);
    while (got < 0 && errno == EINTR);
    return got;
}
bool SeekStart(int fd) { return ::lseek(fd, 0, SEEK_SET) == 0; }
void CloseFd(int fd) { ::close(fd); }
#endif

// The descriptor of the file opened for reading, only when it is a regular
// one, with its size then; -1 otherwise. `link` is false where the open
// showed that the name itself is no symbolic link.
int OpenRegular(const std::string& path, std::size_t& size, std::optional<FileIdentity>& identity,
                bool& link) {
    link = true;
#ifdef _WIN32
    int fd = ::_open(path.c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) return -1;
    struct _stat64 info {};
    if (_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        ::_close(fd);
        return -1;
    }
#else
    // Without O_NONBLOCK the open of a FIFO waits for a writer that may never
    // come; on the regular file it lets through, the flag changes nothing.
    // Tried first without following a link, which tells a plain name from a
    // link at no cost; only a link is opened a second time.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    link = fd < 0;
    if (fd < 0 && (errno == ELOOP || errno == EMLINK))
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
#endif
    size = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
#ifdef _WIN32
    identity.reset();  // no file numbers here: IdentityOf asks the handle
#else
    identity = FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                            static_cast<std::uint64_t>(info.st_ino)};
#endif
    return fd;
}

}  // namespace

std::optional<TextReader> TextReader::Open(const std::string& path, CtrlZ ctrlZ) {
    // A folder is refused with every other file that is not a regular one.
    if (path.empty()) return std::nullopt;
    std::size_t size = 0;
    std::optional<FileIdentity> identity;
    bool link = true;
    int fd = OpenRegular(path, size, identity, link);
    if (fd < 0) return std::nullopt;
#ifndef _WIN32
    if (link)
        plainNameRead.clear();
    else
        plainNameRead = path;
#endif
    TextReader reader(fd, size, path, ctrlZ);
    reader.identity_ = identity;
    return reader;
}

void TextReader::Rewind(CtrlZ ctrlZ) {
    ctrlZ_ = ctrlZ;
    pos_ = 0;
    if (base_ == 0) return;  // the first byte is still in memory
    errno = 0;
    if (!SeekStart(fd_)) throw IoError(name_, SystemMessage(errno));
    size_ = 0;
    base_ = 0;
    eof_ = false;
}

TextReader::TextReader(int fd, std::size_t sizeHint, std::string name, CtrlZ ctrlZ)
    : fd_(fd), name_(std::move(name)), ctrlZ_(ctrlZ), sizeHint_(sizeHint) {}

TextReader::TextReader(TextReader&& other) noexcept
    : fd_(other.fd_),
      name_(std::move(other.name_)),
      identity_(other.identity_),
      ctrlZ_(other.ctrlZ_),
      sizeHint_(other.sizeHint_),
      buffer_(std::move(other.buffer_)),
      capacity_(other.capacity_),
      size_(other.size_),
      pos_(other.pos_),
      base_(other.base_),
      eof_(other.eof_) {
    other.fd_ = -1;
}

TextReader::~TextReader() {
    if (fd_ >= 0) CloseFd(fd_);
}

// Appends what the file has next; false when it has no more bytes. A file
// that fits is read whole in one call, sized by the fstat of the open. The
// buffer is never zero-filled first: every byte of a log would be written twice.
bool TextReader::Fill() {
    if (eof_) return false;
    if (size_ == capacity_) {
        // Bytes already taken are dropped only from a file too big to keep.
        if (pos_ > 0 && capacity_ >= kKeepWhole) {
            std::memmove(buffer_.get(), buffer_.get() + pos_, size_ - pos_);
            size_ -= pos_;
            base_ += pos_;
            pos_ = 0;
        }
        if (size_ == capacity_) {
            // One byte over the size, so that a whole read tells the end as well.
            const std::size_t first = std::min(sizeHint_ + 1, kKeepWhole);
            const std::size_t grown = std::max({capacity_ * 2, first, kChunk});
            // Room behind the bytes read for the zeros that LendBytes puts there.
            auto bigger = std::make_unique_for_overwrite<char[]>(grown + kLendPad);
            if (size_ > 0) std::memcpy(bigger.get(), buffer_.get(), size_);
            buffer_ = std::move(bigger);
            capacity_ = grown;
        }
    }
    errno = 0;
    const IoSize got = ReadSome(fd_, buffer_.get() + size_, capacity_ - size_);
    if (got < 0) throw IoError(name_, SystemMessage(errno));
    size_ += static_cast<std::size_t>(got);
    // A short read of exactly the size the file had at the open is its end;
    // anything else is confirmed by a read that finds nothing.
    if (got == 0 || (base_ + size_ == sizeHint_ && size_ < capacity_)) eof_ = true;
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

std::string_view TextReader::LendBytes(bool& last) {
    if (pos_ >= size_ && !Fill()) {
        last = true;
        return {};
    }
    std::memset(buffer_.get() + size_, 0, kLendPad);
    const std::string_view lent(buffer_.get() + pos_, size_ - pos_);
    pos_ = size_;
    last = eof_;
    return lent;
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
        if (!Fill()) break;
    }
    if (ended && !cut && !line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool TextReader::ReadLineSlow(std::string_view& line) {
    if (AtEnd()) return false;
    const char* data = buffer_.get();
    const char* lf = static_cast<const char*>(std::memchr(data + pos_, '\n', size_ - pos_));
    const std::size_t end = lf == nullptr ? size_ : static_cast<std::size_t>(lf - data);
    // A file read whole ends in memory; the view then needs no copy either.
    if ((lf != nullptr || eof_) && end - pos_ <= kMaxLine) {
        std::size_t n = end - pos_;
        if (lf != nullptr && n > 0 && data[end - 1] == '\r') --n;
        line = std::string_view(data + pos_, n);
        pos_ = lf != nullptr ? end + 1 : end;
        return true;
    }
    const bool got = ReadLine(spill_);
    line = spill_;
    return got;
}

namespace {

// A file of our own gets its text in one piece; a longer text goes out in
// pieces of this size, so memory stays bounded.
constexpr std::size_t kWriteAtOnce = std::size_t{1} << 20;

#ifdef _WIN32
int CreateFd(const char* path, int flags, int mode) {
    return ::_open(path, flags | _O_WRONLY | _O_BINARY, mode);
}
constexpr int kTruncate = _O_CREAT | _O_TRUNC;
constexpr int kExclusive = _O_CREAT | _O_EXCL;
#else
int CreateFd(const char* path, int flags, int mode) {
    return ::open(path, flags | O_WRONLY | O_CLOEXEC, mode);
}
constexpr int kTruncate = O_CREAT | O_TRUNC;
constexpr int kExclusive = O_CREAT | O_EXCL;
#endif

// All of it, or false with errno set.
bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
#ifdef _WIN32
        const int put = ::_write(
            fd, text.data(), static_cast<unsigned>(std::min<std::size_t>(text.size(), 1u << 30)));
#else
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
#endif
        if (put <= 0) {
            if (put == 0) errno = ENOSPC;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

std::optional<TextWriter> TextWriter::Create(const std::string& path) {
    if (path.empty() || IsFolder(path)) return std::nullopt;
    int fd = CreateFd(path.c_str(), kTruncate, 0666);
    if (fd < 0) return std::nullopt;
    return TextWriter(fd, nullptr, path);
}

namespace {

// What a replacement needs to know of the name it replaces, from one look.
struct Target {
    bool exists = false;  // through any link
    bool folder = false;
    bool special = false;                  // there, and neither a regular file nor a folder
    bool link = false;                     // the name itself is a symbolic link
    int mode = 0;                          // the permissions of what exists
    bool ownWritable = false;              // ours, and its owner may write it
    std::optional<FileIdentity> identity;  // of what exists, through any link
};

Target LookAt(const std::string& path) {
    Target t;
#ifdef _WIN32
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::file_status st = fs::status(path, ec);
    t.exists = !ec && fs::exists(st);
    t.folder = t.exists && fs::is_directory(st);
    t.special = t.exists && !t.folder && !fs::is_regular_file(st);
    struct _stat64 info {};
    if (t.exists && _stat64(path.c_str(), &info) == 0) t.mode = info.st_mode & 0777;
    if (t.exists) t.identity = IdentityOf(path);
#else
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return t;
    t.link = S_ISLNK(info.st_mode);
    if (t.link && ::stat(path.c_str(), &info) != 0) return t;
    t.exists = true;
    t.folder = S_ISDIR(info.st_mode);
    t.special = !t.folder && !S_ISREG(info.st_mode);
    t.mode = static_cast<int>(info.st_mode & 07777);
    // The user's id is asked once: a batch looks at thousands of outputs.
    static const uid_t user = ::getuid();
    t.ownWritable = info.st_uid == user && (info.st_mode & S_IWUSR) != 0;
    t.identity = FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                              static_cast<std::uint64_t>(info.st_ino)};
#endif
    return t;
}

#ifndef _WIN32
// The umask would take some of `mode` from a file created with it, so the
// mode must be set once the file is there.
bool UmaskWouldChange(int mode) {
    // umask is read by setting it: once, so no job thread sees it changed.
    static const mode_t mask = [] {
        mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return (static_cast<mode_t>(mode) & ~mask) != static_cast<mode_t>(mode);
}
#endif

// Six characters for a temporary name, different for every call in this
// process and unlikely to repeat in another one.
std::string UniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    static const std::uint64_t seed =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
#ifdef _WIN32
        static_cast<std::uint64_t>(_getpid()) << 32;
#else
        static_cast<std::uint64_t>(::getpid()) << 32;
#endif
    std::uint64_t x = seed + 0x9E3779B97F4A7C15u * ++counter;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    x ^= x >> 31;
    constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix(6, ' ');
    for (char& c : suffix) {
        c = kLetters[x % kLetters.size()];
        x /= kLetters.size();
    }
    return suffix;
}

#ifndef _WIN32
// Temporary files being written, kept where the handler of an interrupting
// signal can find them. A fixed table, as the handler may only read memory
// and call unlink: a slot goes Free -> Filling (the name is there, the file
// is being created) -> Held (the file is ours), back to Free when its file is
// gone or was never made, or to Taken once the handler has it (then never
// reused). Only a Held file is removed: a name that another process created
// first is never ours.
constexpr std::size_t kTempSlots = 256;
constexpr std::size_t kTempNameMax = 4096;
enum : int { kSlotFree, kSlotFilling, kSlotHeld, kSlotTaken };
struct TempSlot {
    std::atomic<int> state{kSlotFree};
    char name[kTempNameMax];
};
TempSlot tempSlots[kTempSlots];

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<bool> interrupted{false};
// Set while this thread creates a temporary file: from before its slot is
// Filling until it is Held or Free again. An interrupt handled on this thread
// then cannot tell whether the file exists yet, so it is left pending here
// and the creation ends the process once it knows.
thread_local volatile sig_atomic_t creatingHere = 0;
thread_local volatile sig_atomic_t pendingInterrupt = 0;

// Removes every temporary file being written, then ends the process as the
// signal would have without us. Runs with the interrupts blocked, on a
// thread that is not creating one.
void RemoveTempsAndDie(int sig) {
    int waited = 0;
    for (std::size_t i = 0; i < kTempSlots; ++i) {
        TempSlot& slot = tempSlots[i];
        // A file another thread is creating is waited for, a second at most in all.
        while (waited < 1000 && slot.state.load() == kSlotFilling) {
            struct timespec ms = {0, 1000000};
            ::nanosleep(&ms, nullptr);
            ++waited;
        }
        int held = kSlotHeld;
        if (slot.state.compare_exchange_strong(held, kSlotTaken)) ::unlink(slot.name);
    }
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigemptyset(&dfl.sa_mask);
    ::sigaction(sig, &dfl, nullptr);
    // Blocked here: delivered, with the default action, once unblocked.
    ::raise(sig);
}

extern "C" void OnInterrupt(int sig) {
    interrupted.store(true);
    if (creatingHere) {
        pendingInterrupt = sig;
        return;
    }
    RemoveTempsAndDie(sig);  // the handler's return unblocks the signal
}

void BlockInterrupts(sigset_t& set) {
    ::sigemptyset(&set);
    for (int sig : kInterrupts) ::sigaddset(&set, sig);
}

// Ends the creation window of this thread, and the process if an interrupt
// came in it: by then the file is either Held, and removed, or not there.
void EndCreating() {
    creatingHere = 0;
    if (pendingInterrupt == 0) return;
    sigset_t set;
    BlockInterrupts(set);
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    RemoveTempsAndDie(pendingInterrupt);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

// Takes the interrupts whose action is still the default one; a signal the
// caller ignores (nohup) or handles itself stays as it is.
void CatchInterrupts() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction act {};
        act.sa_handler = OnInterrupt;
        BlockInterrupts(act.sa_mask);
        for (int sig : kInterrupts) {
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) == 0 && (old.sa_flags & SA_SIGINFO) == 0 &&
                old.sa_handler == SIG_DFL)
                ::sigaction(sig, &act, nullptr);
        }
    });
}

// A Filling slot with Name, or -1 when none is free (or the name too long).
int ReserveTemp(const std::string& name) {
    if (name.size() >= kTempNameMax) return -1;
    for (std::size_t i = 0; i < kTempSlots; ++i) {
        int free = kSlotFree;
        if (!tempSlots[i].state.compare_exchange_strong(free, kSlotFilling)) continue;
        std::memcpy(tempSlots[i].name, name.c_str(), name.size() + 1);
        return static_cast<int>(i);
    }
    return -1;
}

// After the file is gone, or was never made; a slot the handler took stays taken.
void ReleaseTemp(int slot) {
    if (slot < 0) return;
    std::atomic<int>& state = tempSlots[static_cast<std::size_t>(slot)].state;
    int held = kSlotHeld;
    if (!state.compare_exchange_strong(held, kSlotFree)) {
        int filling = kSlotFilling;
        state.compare_exchange_strong(filling, kSlotFree);
    }
}

// While this lives, this thread may create the temporary file Name: the name
// is in the table before the file exists, so that the handler of an interrupt
// waits for it instead of missing it, and no interrupt need be held back. The
// slot is freed at the end unless kept.
class CreatingTemp {
public:
    explicit CreatingTemp(const std::string& name) {
        creatingHere = 1;
        slot_ = ReserveTemp(name);
    }
    ~CreatingTemp() {
        ReleaseTemp(slot_);
        if (creatingHere) EndCreating();
    }
    // Once an interrupt came, no file may be created at all.
    bool Interrupted() const { return interrupted.load(); }
    // The file is there, and ours: the handler removes it from now on.
    void Created() {
        if (slot_ >= 0) tempSlots[static_cast<std::size_t>(slot_)].state.store(kSlotHeld);
        EndCreating();
    }
    // The writer owns the slot from now on.
    int Keep() { return std::exchange(slot_, -1); }
    CreatingTemp(const CreatingTemp&) = delete;
    CreatingTemp& operator=(const CreatingTemp&) = delete;

private:
    int slot_ = -1;
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

// A new, empty temporary file beside the target, created with the mode the
// replacement keeps (a new file's, through the umask, when `mode` is 0666);
// its name in `temp`.
int CreateTemp(const std::string& target, std::string& temp, int mode, bool keepMode, int& slot,
               int& lockFd) {
    slot = -1;
    lockFd = -1;
    std::string prefix = target;
    const std::size_t slash = prefix.find_last_of(
#ifdef _WIN32
        "/\\"
#else
        "/"
#endif
    );
    prefix.insert(slash == std::string::npos ? 0 : slash + 1, 1, '.');
    prefix += '.';
#ifndef _WIN32
    CatchInterrupts();
    RemoveStaleTemps(target);
#endif
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = prefix + UniqueSuffix();
#ifndef _WIN32
        CreatingTemp creating(temp);
        if (creating.Interrupted()) {
            errno = EINTR;
            return -1;
        }
#endif
        fd = CreateFd(temp.c_str(), kExclusive, mode);
        if (fd < 0 && errno != EEXIST) return -1;
#ifndef _WIN32
        if (fd < 0) continue;
        creating.Created();
        if (LockTemp(fd, lockFd)) {
            slot = creating.Keep();
        } else {
            ::close(fd);
            fd = -1;
        }
#endif
    }
    if (fd < 0) return -1;
#ifndef _WIN32
    if (keepMode && UmaskWouldChange(mode) && ::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
        int err = errno;
        ::close(fd);
        std::remove(temp.c_str());
        ReleaseTemp(slot);
        if (lockFd >= 0) ::close(lockFd);
        slot = lockFd = -1;
        errno = err;
        return -1;
    }
#else
    (void)keepMode;
#endif
    return fd;
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

std::optional<TextWriter> TextWriter::Replace(const std::string& path, Sync sync,
                                              std::optional<FileIdentity> keep) {
    const Target look = path.empty() ? Target{} : LookAt(path);
    if (path.empty() || look.folder) {
        errno = EISDIR;
        return std::nullopt;
    }
    if (keep && look.identity == keep) {
        errno = EEXIST;
        return std::nullopt;
    }
    if (look.special) {
#ifdef _WIN32
        int fd = ::_open(path.c_str(), _O_WRONLY | _O_BINARY);
#else
        // A FIFO without a reader is refused rather than waited for.
        int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        int flags = fd < 0 ? -1 : ::fcntl(fd, F_GETFL);
        if (fd >= 0 && (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)) {
            ::close(fd);
            fd = -1;
        }
#endif
        if (fd < 0) return std::nullopt;
        return TextWriter(fd, nullptr, path);
    }
    std::string target = path;
    if (look.link) {
        std::error_code ec;
        auto resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec) target = resolved.string();
    }
    // A file that may not be changed stays so, though its folder would allow
    // a new file in its place.
    if (look.exists) {
#ifdef _WIN32
        if (::_access(target.c_str(), 2) != 0) return std::nullopt;
#else
        // Our own file with its owner's write bit needs no second look; where
        // it still could not be changed, creating or renaming fails instead.
        if (!look.ownWritable && ::access(target.c_str(), W_OK) != 0) return std::nullopt;
#endif
    }
#ifdef _WIN32
    const int newMode = _S_IREAD | _S_IWRITE;
#else
    const int newMode = 0666;
#endif
    std::string temp;
    int slot = -1;
    int lockFd = -1;
    int fd = CreateTemp(target, temp, look.exists ? look.mode : newMode, look.exists, slot, lockFd);
    if (fd < 0) return std::nullopt;
    TextWriter writer(fd, nullptr, path);
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
    return TextWriter(-1, stream, std::move(name));
}

TextWriter::TextWriter(int fd, std::FILE* stream, std::string name)
    : fd_(fd), stream_(stream), name_(std::move(name)) {}

TextWriter::TextWriter(TextWriter&& other) noexcept
    : fd_(other.fd_),
      stream_(other.stream_),
      name_(std::move(other.name_)),
      pending_(std::move(other.pending_)),
      temp_(std::move(other.temp_)),
      target_(std::move(other.target_)),
      sync_(other.sync_),
      slot_(other.slot_),
      lockFd_(other.lockFd_) {
    other.fd_ = -1;
    other.stream_ = nullptr;
    other.temp_.clear();
    other.slot_ = -1;
    other.lockFd_ = -1;
}

TextWriter::~TextWriter() {
    if (fd_ >= 0) CloseFd(fd_);
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

// Hands the gathered text to the file; false with the error when it failed.
bool TextWriter::Flush(int& err) {
    errno = 0;
    bool ok = stream_ != nullptr ? std::fflush(stream_) == 0 : WriteAll(fd_, pending_);
    err = errno;
    pending_.clear();
    return ok;
}

void TextWriter::Write(std::string_view text) {
    if (fd_ < 0 && stream_ == nullptr) throw IoError(name_, "file is closed");
    // An empty view may carry a null pointer, which fwrite must never get.
    if (text.empty()) return;
    if (stream_ != nullptr) {
        errno = 0;
        if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) {
            throw IoError(name_, SystemMessage(errno));
        }
        return;
    }
    pending_.append(text);
    int err = 0;
    if (pending_.size() >= kWriteAtOnce && !Flush(err)) throw IoError(name_, SystemMessage(err));
}

void TextWriter::WriteLine(std::string_view text) {
    Write(text);
    Write("\r\n");
}

void TextWriter::WriteLines(std::string_view text) {
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        WriteLine(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
}

void TextWriter::Close() {
    if (fd_ < 0 && stream_ == nullptr) return;
    int err = 0;
    bool ok = Flush(err);
    stream_ = nullptr;
    const int fd = fd_;
    fd_ = -1;
    // The bytes reach the disk before the rename, so a crash after it cannot
    // leave an empty file under the old name.
    if (ok && !temp_.empty() && sync_) {
#ifdef _WIN32
        ok = ::_commit(fd) == 0;
#else
        ok = ::fsync(fd) == 0;
#endif
        if (!ok) err = errno;
    }
    if (fd >= 0) {
#ifdef _WIN32
        const bool closed = ::_close(fd) == 0;
#else
        const bool closed = ::close(fd) == 0;
#endif
        if (!closed && ok) {
            ok = false;
            err = errno;
        }
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
