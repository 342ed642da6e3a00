#include "platform/linux/RuntimeFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/QuotedForMessage.h"

namespace driftmere {
namespace {

bool IsAbsolute(const char* path) { return path && path[0] == '/'; }

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
    const std::string shown = QuotedPath(path);
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

// The folder a lock folder in the home goes in ($XDG_STATE_HOME, ~/.cache), made private when
// it is missing, as a base folder is made; nothing above it is made.
void MakeParent(const std::string& folder) {
    mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700);
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

int OpenLockFileIn(const std::string& folder, bool makeFolder, const char* name,
                   std::string& problem) {
    const int dir = OpenPrivateFolder(folder, makeFolder, problem);
    if (dir < 0) return -1;
    const std::string path = QuotedPath(folder + "/" + name);
    // Non-blocking: nothing that is not a regular file (which the check below refuses) may hold
    // the open up.
    const int fd = openat(
        dir, name, O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0600);
    const int error = errno;
    close(dir);
    if (fd < 0) {
        problem = path + ": " + std::strerror(error);
        return -1;
    }
    return KeepIfTrusted(fd, path, LockFileProblem, problem) ? fd : -1;
}

std::vector<std::string> LockFolderCandidates(const char* runtimeDir, const char* stateHome,
                                              const char* home, const char* tmpDir, uid_t uid) {
    std::vector<std::string> folders;
    if (IsAbsolute(runtimeDir)) folders.emplace_back(runtimeDir);
    if (IsAbsolute(stateHome))
        folders.push_back(std::string(stateHome) + "/driftmere");
    else if (IsAbsolute(home))
        folders.push_back(std::string(home) + "/.cache/driftmere");
    folders.push_back(std::string(IsAbsolute(tmpDir) ? tmpDir : "/tmp") + "/driftmere-" +
                      std::to_string(uid));
    return folders;
}

int OpenRuntimeLockFile(const char* name, std::string& problem) {
    // The session's runtime folder is private by definition, but the variable may point
    // anywhere (a careless script, /tmp itself): it is checked like any other, and is the only
    // folder not made here. Without it, a folder in the user's own home comes before /tmp, where
    // another user could make the folder first and so switch our locks off.
    const char* home = std::getenv("HOME");
    std::string homeFromPasswd;
    if (!IsAbsolute(home)) {
        if (const passwd* user = getpwuid(getuid()); user && IsAbsolute(user->pw_dir))
            homeFromPasswd = user->pw_dir;
        home = homeFromPasswd.empty() ? nullptr : homeFromPasswd.c_str();
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::vector<std::string> folders = LockFolderCandidates(
        runtime, std::getenv("XDG_STATE_HOME"), home, std::getenv("TMPDIR"), getuid());
    for (std::size_t i = 0; i < folders.size(); ++i) {
        problem.clear();
        const bool isRuntimeDir = i == 0 && IsAbsolute(runtime);
        if (!isRuntimeDir && folders[i] != folders.back()) MakeParent(folders[i]);
        const int fd = OpenLockFileIn(folders[i], !isRuntimeDir, name, problem);
        if (fd >= 0) return fd;
    }
    return -1;
}

}  // namespace driftmere
