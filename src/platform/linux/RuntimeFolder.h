#pragma once
// Lock files in the user's private runtime folder. The kernel drops a lock when its holder ends,
// however it ends, so nothing stale is ever left behind: what counts is the lock held, never the
// file being there.
//
// The folder must be one only its user can write to, so no other user can plant a file there,
// link it elsewhere or hold a lock on it: $XDG_RUNTIME_DIR when that is such a folder, else a
// folder of our own in the user's home, ${XDG_STATE_HOME:-~/.cache}/driftmere/, made private;
// only when neither can be had, ${TMPDIR:-/tmp}/driftmere-<uid>/.
#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace driftmere {

// The lock file `name` in the runtime folder, opened (made when missing) without following a
// link or blocking, and checked once open. A descriptor to lock with flock, or -1 with `problem`
// saying why (for a warning) when no folder can be trusted (another user made it first, say).
int OpenRuntimeLockFile(const char* name, std::string& problem);
// The same in `folder`, which is made (private) when `makeFolder` and it is missing.
int OpenLockFileIn(const std::string& folder, bool makeFolder, const char* name,
                   std::string& problem);

// The folders tried for the locks, in order, from $XDG_RUNTIME_DIR, $XDG_STATE_HOME, the home
// folder and $TMPDIR (each null when unset); relative paths are ignored.
std::vector<std::string> LockFolderCandidates(const char* runtimeDir, const char* stateHome,
                                              const char* home, const char* tmpDir, uid_t uid);

// Why a folder, as fstat describes it once opened, cannot hold the locks of user `uid`: empty
// when it is a folder that user owns and nobody else may enter, read or write.
std::string LockFolderProblem(const struct stat& folder, uid_t uid);
// Why a lock file, as fstat describes it once opened, cannot be trusted: empty when it is a
// regular file `uid` owns.
std::string LockFileProblem(const struct stat& file, uid_t uid);

}  // namespace driftmere
