#include "startup/qt/XScreensaverFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/linux/RegularFile.h"

namespace driftmere {
namespace {

// A path as a message may show it: whatever a terminal would act on replaced.
std::string Shown(std::string_view path) {
    std::string shown;
    for (char c : path) shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return shown;
}

std::string DirName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A new file beside `target`, renamed over it: a reader (the xscreensaver daemon watches the
// file) sees the old text or the new, never part of either. Empty when done, else why not.
std::string ReplaceAtomically(const std::string& target, const std::string& text, mode_t mode) {
    std::string temp = DirName(target) + "/." + BaseName(target) + ".driftmere-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    std::string problem;
    if (::fchmod(fd, mode) != 0 || !WriteAll(fd, text) || ::fsync(fd) != 0)
        problem = std::strerror(errno);
    if (::close(fd) != 0 && problem.empty()) problem = std::strerror(errno);
    if (problem.empty() && ::rename(temp.c_str(), target.c_str()) != 0)
        problem = std::strerror(errno);
    if (!problem.empty()) {
        ::unlink(temp.c_str());
        return problem;
    }
    const int folder = ::open(DirName(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);  // the rename itself is durable only once the folder is synced
        ::close(folder);
    }
    return {};
}

}  // namespace

XScreensaverPaths DefaultXScreensaverPaths() {
    std::string home;
    const char* fromEnv = std::getenv("HOME");
    if (fromEnv != nullptr && fromEnv[0] == '/') {
        home = fromEnv;
    } else if (const passwd* pw = ::getpwuid(::getuid());
               pw && pw->pw_dir && pw->pw_dir[0] == '/') {
        home = pw->pw_dir;
    }
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    XScreensaverPaths paths{{}, "/etc/X11/app-defaults/XScreenSaver"};
    if (!home.empty()) paths.userFile = (home == "/" ? "" : home) + "/.xscreensaver";
    return paths;
}

int EditXScreensaverFile(ListEdit edit, const XScreensaverPaths& paths, std::ostream& out,
                         std::ostream& err) {
    const char* const done = edit == ListEdit::Add ? "add Driftmere to" : "take Driftmere out of";
    auto fail = [&](const std::string& why) {
        err << "driftmere: cannot " << done << " xscreensaver's list: " << why
            << "; nothing was changed\n";
        return 1;
    };
    if (paths.userFile.empty()) return fail("no home folder (HOME is not set)");

    // A link is followed to the file it leads to, which must then be there; the file must be
    // a plain one of the user's own, or replacing it would change more than its text.
    std::string target = paths.userFile;
    struct stat st {};
    bool exists = ::lstat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return fail(Shown(target) + ": " + std::strerror(errno));
    if (exists && S_ISLNK(st.st_mode)) {
        char* resolved = ::realpath(target.c_str(), nullptr);
        if (resolved == nullptr)
            return fail(Shown(target) + " is a symbolic link to nothing that can be read (" +
                        std::strerror(errno) + ")");
        target = resolved;
        std::free(resolved);
        if (::lstat(target.c_str(), &st) != 0)
            return fail(Shown(target) + ": " + std::strerror(errno));
    }
    if (exists && !S_ISREG(st.st_mode)) return fail(Shown(target) + " is not a plain file");
    if (exists && st.st_uid != ::geteuid()) return fail(Shown(target) + " belongs to another user");

    std::string text;
    if (exists) {
        const RegularFile file = ReadRegularFile(target, kMaxXScreensaverFileBytes);
        if (!file.problem.empty())
            return fail("cannot read " + Shown(target) + ": " + file.problem);
        text.assign(file.bytes.begin(), file.bytes.end());
    }

    ListResult result;
    std::string defaultsProblem;
    if (edit == ListEdit::Add) {
        std::optional<std::string> system;
        const RegularFile defaults = ReadRegularFile(paths.appDefaults, kMaxXScreensaverFileBytes);
        if (!defaults.problem.empty()) {
            defaultsProblem = defaults.problem;
        } else {
            system = ProgramsFromDefaults(
                std::string_view(defaults.bytes.data(), defaults.bytes.size()));
            if (!system) defaultsProblem = "it has no programs list";
        }
        result = WithDriftmere(text, system);
    } else {
        result = WithoutDriftmere(text);
    }

    const std::string shown = Shown(target);
    switch (result.outcome) {
        case ListOutcome::AlreadyThere:
            out << "Driftmere is already in xscreensaver's list (" << shown << ").\n";
            return 0;
        case ListOutcome::NotThere:
            out << "Driftmere is not in xscreensaver's list (" << shown
                << (exists ? "" : " is not there") << ").\n";
            return 0;
        case ListOutcome::NeedsDefaults:
            return fail(
                shown + (exists ? " has no programs list of its own" : " is not there yet") +
                ", and the system's list could not be read from " + Shown(paths.appDefaults) +
                " (" + defaultsProblem + "): is xscreensaver installed?");
        case ListOutcome::Changed:
            break;
    }
    if (result.text.size() > kMaxXScreensaverFileBytes)
        return fail("the new " + shown + " would be larger than " +
                    std::to_string(kMaxXScreensaverFileBytes) + " bytes");
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (const std::string problem = ReplaceAtomically(target, result.text, mode); !problem.empty())
        return fail("cannot write " + shown + ": " + problem);

    if (edit == ListEdit::Remove)
        out << "Took Driftmere out of xscreensaver's list in " << shown << ".\n";
    else if (!exists)
        out << "Made " << shown
            << " with the system's list of display modes and Driftmere at its end.\n";
    else
        out << "Added Driftmere to xscreensaver's list in " << shown << ".\n";
    if (edit == ListEdit::Add)
        out << "Pick it in xscreensaver-settings (\"Display Modes\"), or run it in turn with "
               "the others.\n";
    return 0;
}

std::optional<int> RunXScreensaverListEdit(const std::vector<std::string>& args) {
    const std::optional<ListEditRequest> request = ListEditFromArgs(args);
    if (!request) return std::nullopt;
    if (!request->refusal.empty()) {
        std::cerr << "driftmere: " << request->refusal << '\n';
        return 2;
    }
    return EditXScreensaverFile(request->edit, DefaultXScreensaverPaths(), std::cout, std::cerr);
}

}  // namespace driftmere
