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
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/AsciiText.h"
#include "settings/FileLock.h"
#include "settings/IniParse.h"
#include "settings/KeyTable.h"
#include "settings/SettingsFile.h"

namespace driftmere {
namespace {

using files::DirName;
using files::Fd;
using files::Loaded;
using files::LoadStatus;
using files::Nanoseconds;

// A key's name in the index. The section's length goes first, so that no two pairs of names
// (which may hold any byte) run together into one.
std::string IndexName(std::string_view section, std::string_view key) {
    return std::to_string(section.size()) + '/' + AsciiLowered(section) + AsciiLowered(key);
}

std::int64_t NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
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

IniFileStore::Snapshot IniFileStore::SnapshotOf(std::string&& bytes, const Identity& identity) {
    if (cache_ && cache_->bytes == bytes) {
        Snapshot same = std::move(*cache_);
        cache_.reset();
        same.identity = identity;
        return same;
    }
    ++parses_;
    Snapshot parsed{identity, std::move(bytes), {}};
    std::string section;  // keys before the first header belong to the unnamed section
    ini::Scanner scanner(parsed.bytes);
    ini::Line line;
    while (scanner.Next(line)) {
        if (line.kind == ini::LineKind::kSection) {
            section = ini::Decode(line.name);
        } else if (line.kind == ini::LineKind::kKey) {
            parsed.index.try_emplace(IndexName(section, ini::Decode(line.name)),
                                     ini::Decode(scanner.Value(line)));
        }
    }
    return parsed;
}

const IniFileStore::Snapshot* IniFileStore::Current() {
    struct stat st {};
    if (path_.empty() || ::stat(path_.c_str(), &st) != 0) {
        cache_.reset();
        return nullptr;
    }
    auto identityOf = [](const struct stat& s) {
        return Identity{s.st_dev, s.st_ino, s.st_size, Nanoseconds(s.st_mtim),
                        Nanoseconds(s.st_ctim)};
    };
    if (cache_ && cacheTrusted_ && cache_->identity == identityOf(st)) return &*cache_;
    ++fileLoads_;
    Loaded loaded = files::LoadFile(path_, kMaxFileBytes);
    if (loaded.status != LoadStatus::kOk) {
        cache_.reset();
        return nullptr;
    }
    // Any change to the file, even one that puts its modification time back, sets its change
    // time to now; so a file whose change time has settled cannot change unseen.
    const std::int64_t changed =
        std::max(Nanoseconds(loaded.st.st_mtim), Nanoseconds(loaded.st.st_ctim));
    cache_ = SnapshotOf(std::move(loaded.bytes), identityOf(loaded.st));
    cacheTrusted_ = NowNs() - changed >= options_.settleTime.count();
    return &*cache_;
}

std::optional<std::string> IniFileStore::Read(std::string_view section, std::string_view key) {
    try {
        const Snapshot* now = Current();
        if (now == nullptr) return std::nullopt;
        auto found = now->index.find(IndexName(section, key));
        if (found == now->index.end()) return std::nullopt;
        return found->second;
    } catch (...) {  // out of memory: the key is as good as absent
        cache_.reset();
        return std::nullopt;
    }
}

bool IniFileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
    const SettingValue one{section, key, value};
    return WriteAll(std::span(&one, 1));
}

bool IniFileStore::WriteAll(std::span<const SettingValue> values) {
    if (values.empty()) {
        lastError_.clear();
        return true;
    }
    return Update([values](const StoredValue&) {
        return std::vector<SettingValue>(values.begin(), values.end());
    });
}

bool IniFileStore::Update(const SettingsChange& change) {
    lastError_.clear();
    try {
        return UpdateLocked(change);
    } catch (...) {
        cache_.reset();
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

bool IniFileStore::UpdateLocked(const SettingsChange& change) {
    if (path_.empty()) return Fail("cannot save settings: no home folder to keep them in", 0);
    const std::string dir = DirName(path_);
    if (!files::MakeFolders(dir)) {
        int error = errno;
        return Fail("cannot create the settings folder " + dir, error);
    }

    FileLock lock;
    switch (lock.Take(path_ + ".lock",
                      lockStuck_ ? std::chrono::nanoseconds::zero() : options_.lockPatience)) {
        case FileLock::Result::kLocked:
            lockStuck_ = false;
            break;
        case FileLock::Result::kBusy:
            lockStuck_ = true;
            return Fail(
                "cannot save settings to " + path_ + ": another program holds " + path_ + ".lock",
                0);
        case FileLock::Result::kFailed:
            if (!lock.Problem().empty()) return Fail(lock.Problem(), 0);
            return Fail("cannot save settings to " + path_, lock.Error());
    }

    std::string target;
    if (!files::ResolveLinks(path_, target)) {
        int error = errno;
        return Fail("cannot save settings: cannot follow the link " + path_, error);
    }
    // Only a lock holder uses this name, so whatever is there was left by a writer that died.
    const std::string temp = target + ".tmp";
    ::unlink(temp.c_str());
    // A file put back while we wrote where there was none (an editor saving by renaming the
    // file away and back, which takes no lock) is read again and changed instead.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Outcome outcome = Rewrite(target, temp, change);
        if (outcome != Outcome::kFileAppeared) return outcome == Outcome::kDone;
    }
    return Fail("cannot save settings to " + target + ": it keeps changing", 0);
}

IniFileStore::Outcome IniFileStore::Rewrite(const std::string& target, const std::string& temp,
                                            const SettingsChange& change) {
    // Read again under the lock: what another program wrote a moment ago must be kept.
    Loaded old = files::LoadFile(target, kMaxFileBytes);
    if (old.status == LoadStatus::kUnreadable) {
        cache_.reset();
        Fail("cannot save settings: cannot read " + target + ", left as it is", old.error);
        return Outcome::kFailed;
    }
    const bool existed = old.status == LoadStatus::kOk;
    const Identity oldIdentity{old.st.st_dev, old.st.st_ino, old.st.st_size,
                               Nanoseconds(old.st.st_mtim), Nanoseconds(old.st.st_ctim)};
    cache_ = SnapshotOf(std::move(old.bytes), oldIdentity);
    cacheTrusted_ = existed && NowNs() - std::max(oldIdentity.mtimeNs, oldIdentity.ctimeNs) >=
                                   options_.settleTime.count();
    const std::vector<SettingValue> values =
        change([this](std::string_view section, std::string_view key) {
            auto found = cache_->index.find(IndexName(section, key));
            return found == cache_->index.end() ? std::nullopt
                                                : std::optional<std::string>(found->second);
        });

    // Keys the table knows are created with their usual spelling, so the file holds one
    // [music] section whether the caller says "Music" or "music". The line Lookup finds is the
    // one WithValue edits, so the parse stays right by setting each value in it.
    std::string text = cache_->bytes;
    Index index = cache_->index;
    for (const SettingValue& v : values) {
        const SettingKey* known = FindSettingKey(v.section, v.key);
        text = ini::WithValue(text, CanonicalSection(v.section),
                              known != nullptr ? known->key : v.key, v.value);
        index.insert_or_assign(IndexName(v.section, v.key), std::string(v.value));
    }
    // Already there, or nothing to write where there is no file.
    if (text == cache_->bytes && (existed || values.empty())) return Outcome::kDone;
    if (text.size() > kMaxFileBytes) {
        Fail("cannot save settings to " + target, EFBIG);
        return Outcome::kFailed;
    }
    cache_.reset();

    Fd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY,
                  0600));
    if (out.get() < 0) {
        Fail("cannot save settings in " + DirName(target), errno);
        return Outcome::kFailed;
    }
    if (existed) ::fchmod(out.get(), old.st.st_mode & 07777);
    if (!files::WriteFully(out.get(), text) || ::fsync(out.get()) != 0 || !out.Close() ||
        !files::PutInPlace(temp, target, existed)) {
        int error = errno;
        ::unlink(temp.c_str());
        if (!existed && error == EEXIST) return Outcome::kFileAppeared;
        Fail("cannot save settings to " + target, error);
        return Outcome::kFailed;
    }
    ++fileReplacements_;
    // Kept as the last version parsed, not as settled: the next read compares the bytes.
    cache_ = Snapshot{Identity{}, std::move(text), std::move(index)};
    cacheTrusted_ = false;
    // The rename itself is durable only once the folder is synced.
    Fd folder(::open(DirName(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return Outcome::kDone;
}

}  // namespace driftmere
