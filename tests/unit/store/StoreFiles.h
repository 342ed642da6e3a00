#pragma once
// Folders, files and child processes for the settings store's tests.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "settings/IniParse.h"

namespace driftmere::storetest {

// A fresh folder, removed with everything in it (opened up again if a test made it read-only).
struct TempDir {
    std::string path = [] {
        const char* base = std::getenv("TMPDIR");
        std::string p = std::string(base && *base ? base : "/tmp") + "/dm-store-XXXXXX";
        return ::mkdtemp(p.data()) ? p : std::string();
    }();
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

inline std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
inline void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
inline unsigned Mode(const std::string& path) {
    return unsigned(std::filesystem::status(path).permissions() & std::filesystem::perms::mask);
}

// Runs `body` in a child process that never returns into the test framework.
inline pid_t StartChild(const std::function<int()>& body) {
    std::fflush(nullptr);  // or the child would print the parent's buffered output again
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit([&]() noexcept { return body(); }());  // a throw ends it, not a test
    return pid;
}
// The child's exit status, or 128 + the signal that ended it.
inline int Finish(pid_t pid) {
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// True when every line is a header, a key line or blank: a torn file is not.
inline bool WellFormed(const std::string& text) {
    ini::Scanner scanner(text);
    ini::Line line;
    while (scanner.Next(line))
        if (line.kind == ini::LineKind::kOther && line.end != line.begin) return false;
    return text.empty() || text.back() == '\n';
}

}  // namespace driftmere::storetest
