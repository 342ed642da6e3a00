#pragma once
// The file operations under the settings store: plain POSIX, no exceptions, errno kept.
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace driftmere::files {

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

std::int64_t Nanoseconds(const timespec& t);

enum class LoadStatus { kOk, kAbsent, kUnreadable };

struct Loaded {
    LoadStatus status = LoadStatus::kAbsent;
    int error = 0;
    struct stat st {};
    std::string bytes;
};

// Reads the whole file at `path`. Anything but a regular file is unreadable (a FIFO would
// otherwise block the reader forever), and so is a file above `maxBytes`.
Loaded LoadFile(const std::string& path, std::size_t maxBytes);

bool WriteFully(int fd, std::string_view data);

std::string DirName(const std::string& path);

// Creates `dir` and any missing parents, private to the user (0700) as the XDG rules ask.
bool MakeFolders(const std::string& dir);

// The file a settings path stands for: the path itself, or where its chain of symbolic links
// ends, whether or not a file is there yet (a dotfiles link made before the first run points
// at nothing). False, with errno set, for a chain that goes round or is too long.
bool ResolveLinks(const std::string& path, std::string& target);

// Renames `from` to `to`. With `replace` false, only while nothing has the name `to`: false
// with errno EEXIST when something does (where the file system cannot say so atomically, a
// hard link does the same; where it has no hard links either, a plain rename is all there is).
bool PutInPlace(const std::string& from, const std::string& to, bool replace);

}  // namespace driftmere::files
