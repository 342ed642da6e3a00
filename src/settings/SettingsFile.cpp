#include "settings/SettingsFile.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>

namespace driftmere::files {

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

Loaded LoadFile(const std::string& path, std::size_t maxBytes) {
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
    if (static_cast<std::uint64_t>(result.st.st_size) > maxBytes) {
        result.error = EFBIG;
        return result;
    }
    // The size is a hint only: someone may be editing the file in place as we read it.
    std::string& bytes = result.bytes;
    bytes.resize(static_cast<std::size_t>(result.st.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (bytes.size() > maxBytes) {
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

namespace {

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

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

bool PutInPlace(const std::string& from, const std::string& to, bool replace) {
    if (replace) return ::rename(from.c_str(), to.c_str()) == 0;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    // A file system with neither (FAT, say): a plain rename, as good as it gets there.
    if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS)
        return ::rename(from.c_str(), to.c_str()) == 0;
    return false;
}

}  // namespace driftmere::files
