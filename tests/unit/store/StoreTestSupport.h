#pragma once
// Real folders, real files and real processes for the settings store's tests.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace driftmere::testing {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it at the end.
class TempDir {
  public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/dm-store-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        // A test may have left a folder read-only; open it up again so it can go.
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void PutFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Runs `body` in a child process that never returns into the test framework.
inline pid_t StartChild(const std::function<int()>& body) {
    std::fflush(nullptr);  // or the child would print the parent's buffered output again
    pid_t pid = ::fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = body();
        } catch (...) {
        }
        ::_exit(code);
    }
    return pid;
}

// The child's exit status, or 128 + the signal that ended it.
inline int Finish(pid_t pid) {
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Root may write anywhere, so refused writes are tried as "nobody" (uid 65534) when the suite
// runs as root, in a folder handed to that user.
inline int RunUnprivileged(const std::string& folder, const std::function<int()>& body) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && ::chown(folder.c_str(), kNobody, kNobody) != 0) return -2;
    return Finish(StartChild([&] {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) return 97;
        return body();
    }));
}

}  // namespace driftmere::testing
