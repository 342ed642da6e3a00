#pragma once
// `driftmere --add-to-xscreensaver` and `--remove-from-xscreensaver`: Driftmere's entry put in
// or taken out of the programs list of the user's ~/.xscreensaver (the text edit itself is in
// startup/XScreensaverList). The file is read without blocking and up to a bound, checked to
// be a plain file of the user's own, and replaced atomically: a new file in the same folder,
// renamed over the old one. A ~/.xscreensaver that is a symbolic link (into a dotfiles
// repository, say) stays one: the file it leads to is replaced.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "startup/XScreensaverList.h"

namespace driftmere {

struct XScreensaverPaths {
    std::string userFile;     // ~/.xscreensaver
    std::string appDefaults;  // the system's defaults, with the stock list
};

// The user's file under $HOME (or the password database's home when $HOME is not an absolute
// path), and Debian's app-defaults file. Empty userFile when no home folder can be found.
XScreensaverPaths DefaultXScreensaverPaths();

// Makes the edit and says what it did on `out`, or why not on `err`. Returns the exit status:
// 0 when the list is as asked (changed or already so), 1 when the file was left as it was
// because it could not be read, understood or replaced.
int EditXScreensaverFile(ListEdit edit, const XScreensaverPaths& paths, std::ostream& out,
                         std::ostream& err);

// The program's side of the two options: nullopt when the arguments name neither, else the
// exit status once the edit is made (2 when they come with other arguments).
std::optional<int> RunXScreensaverListEdit(const std::vector<std::string>& args);

// The largest ~/.xscreensaver or app-defaults file read; both are some tens of kilobytes.
inline constexpr std::size_t kMaxXScreensaverFileBytes = 1 << 20;

}  // namespace driftmere
