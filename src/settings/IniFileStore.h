#pragma once
// The settings store as one INI file (sections [Settings], [System] and [music]).
//
// Every Read looks at the file as it is now, so a value another program wrote is seen at once.
// The file is parsed once per version: while its bytes are those of the version last parsed, a
// read looks the key up in that parse, and while the file provably has not changed (its last
// change has settled) a read does not even read it again. Every Write, WriteAll or Update is a
// read-modify-write of the whole file under the writers' lock (FileLock.h), finished by writing
// a temporary file in the same folder, syncing it and renaming it over the old one. So a reader
// or a crash sees the old file or the new one, never half of one; two programs writing
// different keys lose neither; and a writer that dies at any instant leaves nothing behind that
// holds up the next (the kernel drops the lock with the process; the next lock holder removes
// its temporary file).
//
// A settings file that is a symbolic link (into a dotfiles repository, say) stays a link: the
// new version replaces the file at the end of the link, created there if it does not exist yet.
// The lock is never followed through a link: a "<file>.lock" that is a link, or anything but a
// plain file, makes every write fail with a message naming it.
//
// Plain POSIX, no toolkit. Nothing here throws: a failed read is an absent key, a failed write
// returns false with the reason in LastError().
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "settings/SettingsStore.h"

namespace driftmere {

class IniFileStore : public SettingsStore {
  public:
    // A file larger than this is not read at all (its keys read as absent) and never rewritten.
    // Every setting this program has fits in a few kilobytes.
    static constexpr std::size_t kMaxFileBytes = 1u << 20;

    struct Options {
        // A file changed again within this long of a read may look unchanged to stat
        // (timestamps are coarse, inode numbers get reused), so only a file whose last change
        // is older than this is kept between reads. The saver's ~35 reads at start then cost
        // one file read.
        std::chrono::nanoseconds settleTime = std::chrono::seconds(3);
        // How long a writer waits for the others. A live writer holds the lock for a few
        // milliseconds (a sync on a busy disk may take a good part of this) and a dead one
        // holds nothing, so only a stopped or hung process makes a writer wait this long; the
        // write then fails. The Control Box writes on its window's thread, so this is short.
        // Once a wait has been given up, later writes only take the lock when it is free,
        // until one gets it: the holder is stuck, and each change in the dialog must not
        // freeze the dialog again.
        std::chrono::nanoseconds lockPatience = std::chrono::milliseconds(400);
    };

    explicit IniFileStore(std::string path) : IniFileStore(std::move(path), Options{}) {}
    IniFileStore(std::string path, Options options);

    // ${XDG_CONFIG_HOME}/DriftmereVT/settings.ini, or ~/.config/... when XDG_CONFIG_HOME is
    // unset, empty or not an absolute path. Empty when no home folder can be found at all.
    static std::string DefaultPath();
    // The same rule over given environment values (nullptr = unset).
    static std::string DefaultPathFrom(const char* xdgConfigHome, const char* home);

    std::optional<std::string> Read(std::string_view section, std::string_view key) override;
    bool Write(std::string_view section, std::string_view key, std::string_view value) override;
    bool WriteAll(std::span<const SettingValue> values) override;
    bool Update(const SettingsChange& change) override;

    const std::string& Path() const { return path_; }
    // Why the last failed Write failed, as one line for the user; empty after a success.
    const std::string& LastError() const { return lastError_; }
    // How many times Read went to the disk for the file's bytes.
    std::size_t FileLoads() const { return fileLoads_; }
    // How many times a version of the file was parsed.
    std::size_t Parses() const { return parses_; }
    // How many times a new version of the file was put in place.
    std::size_t FileReplacements() const { return fileReplacements_; }

  private:
    // What identifies one version of the file on disk.
    struct Identity {
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        std::int64_t mtimeNs = 0;
        std::int64_t ctimeNs = 0;
        bool operator==(const Identity&) const = default;
    };
    // Each key's value by its section's and its own name in lower case (see IndexName): the
    // first line for a key in any section of that name, as ini::Lookup finds it.
    using Index = std::unordered_map<std::string, std::string>;
    struct Snapshot {
        Identity identity;
        std::string bytes;
        Index index;
    };

    // The file as it is now, or nullptr when there is none to read.
    const Snapshot* Current();
    // A snapshot of `bytes`, reusing the last parse when the bytes are the same.
    Snapshot SnapshotOf(std::string&& bytes, const Identity& identity);
    bool UpdateLocked(const SettingsChange& change);
    enum class Outcome { kDone, kFailed, kFileAppeared };
    // One read-modify-write of `target` through `temp`, the lock held.
    Outcome Rewrite(const std::string& target, const std::string& temp,
                    const SettingsChange& change);
    bool Fail(std::string what, int error);

    std::string path_;
    Options options_;
    std::string lastError_;
    // The last file read, reused while its identity is unchanged if it had settled when read.
    std::optional<Snapshot> cache_;
    bool cacheTrusted_ = false;
    // A wait for the lock was given up and no write has had it since.
    bool lockStuck_ = false;
    std::size_t fileLoads_ = 0;
    std::size_t parses_ = 0;
    std::size_t fileReplacements_ = 0;
};

}  // namespace driftmere
