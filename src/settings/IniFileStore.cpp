#include "settings/IniFileStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "settings/IniParse.h"
#include "settings/KeyTable.h"

namespace driftmere {
namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports whether the close itself succeeded (it can report a late write
    // error on some file systems).
    bool Close() {
        int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

enum class LoadStatus { kOk, kAbsent, kUnreadable };

struct Loaded {
    LoadStatus status = LoadStatus::kAbsent;
    int error = 0;
    struct stat st {};
    std::string bytes;
};

// Reads the whole file at `path`. Anything but a regular file is unreadable (a FIFO would
// otherwise block the reader forever), and so is a file above the size bound.
Loaded LoadFile(const std::string& path) {
    Loaded result;
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        result.error = errno;
        result.status =
            (errno == ENOENT || errno == ENOTDIR) ? LoadStatus::kAbsent : LoadStatus::kUnreadable;
        return result;
    }
    result.status = LoadStatus::kUnreadable;
    if (::fstat(fd.get(), &result.st) != 0) {
        result.error = errno;
        return result;
    }
    if (!S_ISREG(result.st.st_mode)) {
        result.error = S_ISDIR(result.st.st_mode) ? EISDIR : EINVAL;
        return result;
    }
    if (static_cast<std::uint64_t>(result.st.st_size) > IniFileStore::kMaxFileBytes) {
        result.error = EFBIG;
        return result;
    }
    // The size is a hint only: someone may be editing the file in place as we read it.
    std::string& bytes = result.bytes;
    bytes.resize(static_cast<std::size_t>(result.st.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > IniFileStore::kMaxFileBytes) {
                result.error = EFBIG;
                bytes.clear();
                return result;
            }
            bytes.resize(bytes.size() * 2);
        }
        ssize_t got = ::read(fd.get(), bytes.data() + used, bytes.size() - used);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.error = errno;
            bytes.clear();
            return result;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    result.status = LoadStatus::kOk;
    return result;
}

bool WriteFully(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            if (put == 0) errno = EIO;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

std::string DirName(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Creates `dir` and any missing parents, private to the user (0700) as the XDG rules ask.
bool MakeFolders(const std::string& dir) {
    if (IsDirectory(dir)) return true;
    for (std::size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    if (IsDirectory(dir)) return true;
    errno = ENOTDIR;
    return false;
}

bool LockExclusive(int fd, std::chrono::nanoseconds patience) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK) return false;

    // Someone else is writing. Wait in the kernel's queue, which wakes us as soon as the lock
    // is free (polling would lose the race to a writer that writes again straight away), but
    // from a helper thread, so that a stopped process holding the lock cannot hang us. The
    // helper waits on a duplicate of the descriptor: the lock belongs to the open file both
    // share, and a helper that gets it after we gave up drops it again at once.
    struct Wait {
        std::mutex mutex;
        std::condition_variable changed;
        bool done = false;
        bool locked = false;
        bool abandoned = false;
    };
    const int waitFd = ::dup(fd);
    if (waitFd < 0) return false;
    auto wait = std::make_shared<Wait>();
    try {
        std::thread([wait, waitFd] {
            int result;
            do {
                result = ::flock(waitFd, LOCK_EX);
            } while (result != 0 && errno == EINTR);
            std::lock_guard<std::mutex> hold(wait->mutex);
            wait->done = true;
            wait->locked = result == 0;
            if (wait->abandoned && wait->locked) ::flock(waitFd, LOCK_UN);
            ::close(waitFd);
            wait->changed.notify_all();
        }).detach();
    } catch (...) {  // no thread to be had: wait without a bound rather than fail
        ::close(waitFd);
        return ::flock(fd, LOCK_EX) == 0;
    }
    std::unique_lock<std::mutex> hold(wait->mutex);
    if (wait->changed.wait_for(hold, patience, [&] { return wait->done; })) {
        return wait->locked;
    }
    wait->abandoned = true;
    errno = EWOULDBLOCK;
    return false;
}

// The file a settings path stands for: the path itself, or where its chain of symbolic links
// ends, whether or not a file is there yet (a dotfiles link made before the first run points
// at nothing). False, with errno set, for a chain that goes round or is too long.
bool ResolveLinks(const std::string& path, std::string& target) {
    constexpr int kMaxLinks = 40;  // the kernel's own limit for one path
    target = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string next(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0) + 256, '\0');
        const ssize_t length = ::readlink(target.c_str(), next.data(), next.size());
        if (length < 0) return false;
        if (static_cast<std::size_t>(length) >= next.size() || length == 0) {
            errno = length == 0 ? ENOENT : ENAMETOOLONG;
            return false;
        }
        next.resize(static_cast<std::size_t>(length));
        // A relative link is relative to the folder the link is in.
        target = next.front() == '/' ? next : DirName(target) + "/" + next;
    }
    errno = ELOOP;
    return false;
}

}  // namespace

IniFileStore::IniFileStore(std::string path, Options options)
    : path_(std::move(path)), options_(options) {}

std::string IniFileStore::DefaultPathFrom(const char* xdgConfigHome, const char* home) {
    std::string base;
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        base = xdgConfigHome;
    } else if (home != nullptr && home[0] == '/') {
        base = home;
        if (base.back() != '/') base += '/';
        base += ".config";
    } else {
        return {};
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base != "/") base += '/';
    return base + "DriftmereVT/settings.ini";
}

std::string IniFileStore::DefaultPath() {
    const char* home = std::getenv("HOME");
    std::string fromPasswd;
    if (home == nullptr || home[0] != '/') {
        long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
        std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
        passwd entry{};
        passwd* found = nullptr;
        if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr && found->pw_dir != nullptr) {
            fromPasswd = found->pw_dir;
            home = fromPasswd.c_str();
        }
    }
    return DefaultPathFrom(std::getenv("XDG_CONFIG_HOME"), home);
}

const std::string* IniFileStore::CurrentText() {
    struct stat st {};
    if (path_.empty() || ::stat(path_.c_str(), &st) != 0) {
        cache_.reset();
        return nullptr;
    }
    auto identityOf = [](const struct stat& s) {
        return Identity{s.st_dev, s.st_ino, s.st_size, Nanoseconds(s.st_mtim),
                        Nanoseconds(s.st_ctim)};
    };
    if (cache_ && cacheTrusted_ && cache_->identity == identityOf(st)) return &cache_->bytes;
    cache_.reset();
    ++fileLoads_;
    Loaded loaded = LoadFile(path_);
    if (loaded.status != LoadStatus::kOk) return nullptr;
    // Any change to the file, even one that puts its modification time back, sets its change
    // time to now; so a file whose change time has settled cannot change unseen.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t changed =
        std::max(Nanoseconds(loaded.st.st_mtim), Nanoseconds(loaded.st.st_ctim));
    cacheTrusted_ = Nanoseconds(now) - changed >= options_.settleTime.count();
    cache_ = Snapshot{identityOf(loaded.st), std::move(loaded.bytes)};
    return &cache_->bytes;
}

std::optional<std::string> IniFileStore::Read(std::string_view section, std::string_view key) {
    try {
        const std::string* text = CurrentText();
        if (text == nullptr) return std::nullopt;
        return ini::Lookup(*text, section, key);
    } catch (...) {  // out of memory on a huge file: the key is as good as absent
        cache_.reset();
        return std::nullopt;
    }
}

bool IniFileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
    const SettingValue one{section, key, value};
    return WriteAll(std::span(&one, 1));
}

bool IniFileStore::WriteAll(std::span<const SettingValue> values) {
    lastError_.clear();
    if (values.empty()) return true;
    cache_.reset();
    try {
        return WriteLocked(values);
    } catch (...) {
        return Fail("cannot save settings to " + path_, ENOMEM);
    }
}

bool IniFileStore::Fail(std::string what, int error) {
    lastError_ = std::move(what);
    if (error != 0) {
        lastError_ += ": ";
        lastError_ += std::strerror(error);
    }
    return false;
}

bool IniFileStore::WriteLocked(std::span<const SettingValue> values) {
    if (path_.empty()) return Fail("cannot save settings: no home folder to keep them in", 0);
    const std::string dir = DirName(path_);
    if (!MakeFolders(dir)) {
        int error = errno;
        return Fail("cannot create the settings folder " + dir, error);
    }

    // The lock is opened without following a link and without blocking on a FIFO: a link here
    // would have us create or lock a file wherever it points, and a lock that is not our plain
    // file cannot be trusted to be the one every other writer takes. Taking some other name
    // instead would not exclude a writer that still uses this one, so the write fails and says
    // what to remove.
    const std::string lockPath = path_ + ".lock";
    Fd lock(::open(lockPath.c_str(),
                   O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0600));
    if (lock.get() < 0 && errno == ELOOP) {
        return Fail("cannot save settings: the lock " + lockPath +
                        " is a symbolic link; remove it and try again",
                    0);
    }
    struct stat lockStat {};
    if ((lock.get() < 0 && errno == EISDIR) ||
        (lock.get() >= 0 && (::fstat(lock.get(), &lockStat) != 0 || !S_ISREG(lockStat.st_mode)))) {
        return Fail("cannot save settings: the lock " + lockPath +
                        " is not a plain file; remove it and try again",
                    0);
    }
    if (lock.get() < 0 || !LockExclusive(lock.get(), options_.lockPatience)) {
        int error = errno;
        return Fail("cannot save settings to " + path_, error);
    }

    // Read again under the lock: what another program wrote a moment ago must be kept.
    std::string target;
    if (!ResolveLinks(path_, target)) {
        int error = errno;
        return Fail("cannot save settings: cannot follow the link " + path_, error);
    }
    Loaded old = LoadFile(target);
    if (old.status == LoadStatus::kUnreadable) {
        return Fail("cannot save settings: cannot read " + target + ", left as it is", old.error);
    }

    // Keys the table knows are created with their usual spelling, so the file holds one
    // [music] section whether the caller says "Music" or "music".
    std::string text = old.bytes;
    for (const SettingValue& v : values) {
        const SettingKey* known = FindSettingKey(v.section, v.key);
        text = ini::WithValue(text, CanonicalSection(v.section),
                              known != nullptr ? known->key : v.key, v.value);
    }
    if (old.status == LoadStatus::kOk && text == old.bytes) return true;  // already there
    if (text.size() > kMaxFileBytes) return Fail("cannot save settings to " + target, EFBIG);

    // Only a lock holder uses this name, so whatever is there was left by a writer that died.
    const std::string temp = target + ".tmp";
    ::unlink(temp.c_str());
    Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                  0600));
    if (out.get() < 0) {
        int error = errno;
        return Fail("cannot save settings in " + DirName(target), error);
    }
    if (old.status == LoadStatus::kOk) ::fchmod(out.get(), old.st.st_mode & 07777);
    if (!WriteFully(out.get(), text) || ::fsync(out.get()) != 0 || !out.Close() ||
        ::rename(temp.c_str(), target.c_str()) != 0) {
        int error = errno;
        ::unlink(temp.c_str());
        return Fail("cannot save settings to " + target, error);
    }
    ++fileReplacements_;
    // The rename itself is durable only once the folder is synced.
    Fd folder(::open(DirName(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return true;
}

}  // namespace driftmere
