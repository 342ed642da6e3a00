#include "platform/linux/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace driftmere {
namespace {

constexpr const char* kLockName = "driftmere.lock";

bool IsAbsolute(const char* path) { return path && path[0] == '/'; }

// A path for a warning: the folder comes from the environment, and a terminal must not take
// any of it for a command.
std::string Printable(std::string path) {
    for (char& c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return path;
}

// Checks what an open descriptor really is (what is checked is what is used); on a problem the
// descriptor is closed and `problem` says why.
bool KeepIfTrusted(int fd, const std::string& shown,
                   std::string (*problemOf)(const struct stat&, uid_t), std::string& problem) {
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        problem = shown + ": " + std::strerror(errno);
    } else if (std::string why = problemOf(st, getuid()); !why.empty()) {
        problem = shown + " " + why;
    }
    if (problem.empty()) return true;
    close(fd);
    return false;
}

// The folder opened without following a link in its last step, and checked once open, so what
// is checked is what is used. -1 with `problem` set when it cannot be trusted.
int OpenPrivateFolder(const std::string& path, bool make, std::string& problem) {
    const std::string shown = Printable(path);
    if (make && mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = shown + ": " + std::strerror(errno);
        return -1;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        // With O_NOFOLLOW a link reads as "not a folder" or as a loop; say what it is.
        if ((error == ELOOP || error == ENOTDIR) && lstat(path.c_str(), &link) == 0 &&
            S_ISLNK(link.st_mode))
            problem = shown + " is a symbolic link";
        else if (error == ENOTDIR)
            problem = shown + " is not a folder";
        else
            problem = shown + ": " + std::strerror(error);
        return -1;
    }
    return KeepIfTrusted(fd, shown, LockFolderProblem, problem) ? fd : -1;
}

}  // namespace

std::string LockFolderProblem(const struct stat& folder, uid_t uid) {
    if (!S_ISDIR(folder.st_mode)) return "is not a folder";
    if (folder.st_uid != uid) return "belongs to another user";
    // Other users may neither plant files here nor reach ours: a lock file anyone can open is a
    // lock anyone can hold.
    if ((folder.st_mode & (S_IRWXG | S_IRWXO)) != 0) return "is open to other users";
    return {};
}

std::string LockFileProblem(const struct stat& file, uid_t uid) {
    if (!S_ISREG(file.st_mode)) return "is not a regular file";
    if (file.st_uid != uid) return "belongs to another user";
    return {};
}

InstanceLock::InstanceLock() {
    // The session's runtime folder is private by definition, but the variable may point
    // anywhere (a careless script, /tmp itself): it is checked like any other.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsAbsolute(runtime)) {
        Take(runtime, false);
        if (problem_.empty()) return;
        problem_.clear();
    }
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = IsAbsolute(tmp) ? tmp : "/tmp";
    Take(base + "/driftmere-" + std::to_string(getuid()), true);
}

InstanceLock::InstanceLock(const std::string& folder, bool makeFolder) { Take(folder, makeFolder); }

void InstanceLock::Take(const std::string& folder, bool makeFolder) {
    const int dir = OpenPrivateFolder(folder, makeFolder, problem_);
    if (dir < 0) return;
    const std::string path = Printable(folder + "/" + kLockName);
    // Non-blocking: nothing that is not a regular file (which the check below refuses) may hold
    // the open up.
    fd_ = openat(dir, kLockName,
                 O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    const int error = errno;
    close(dir);
    if (fd_ < 0) {
        problem_ = path + ": " + std::strerror(error);
        return;
    }
    if (!KeepIfTrusted(fd_, path, LockFileProblem, problem_)) {
        fd_ = -1;
        return;
    }
    // An exclusive lock is free only when no other copy holds its shared one. Only our own
    // copies can reach the file, and each holds the exclusive lock for a moment only, so the
    // shared one comes at once; should it not, this copy runs without it rather than wait.
    anotherRunning_ = flock(fd_, LOCK_EX | LOCK_NB) != 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (flock(fd_, LOCK_SH | LOCK_NB) == 0) return;
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) close(fd_);
}

}  // namespace driftmere
