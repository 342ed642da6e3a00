#include "settings/SettingsFile.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>

#include "platform/linux/RegularFile.h"

namespace driftmere::files {

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

Loaded LoadFile(const std::string& path, std::size_t maxBytes) {
    // The size is a hint only: someone may be editing the file in place as we read it, and
    // the reader checks the bound against what it reads.
    RegularFile file = ReadRegularFile(path, maxBytes);
    Loaded result;
    result.st = file.info;
    result.error = file.error;
    if (file.error == 0) {
        result.status = LoadStatus::kOk;
        result.bytes.assign(file.bytes.begin(), file.bytes.end());
    } else {
        result.status = (file.error == ENOENT || file.error == ENOTDIR) ? LoadStatus::kAbsent
                                                                        : LoadStatus::kUnreadable;
    }
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
