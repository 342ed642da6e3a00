#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <random>

#include "settings/IniFileStore.h"
#include "settings/KeyTable.h"
#include "unit/store/StoreTestSupport.h"

namespace driftmere {
namespace {

using namespace std::string_literals;
using testing::FileBytes;
using testing::PutFile;
using testing::TempDir;

unsigned Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

bool IsLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The first-run set as one replacement leaves what a write per key leaves: the same keys
// updated in place and the same new lines in the same places, with one [music] section.
TEST(IniFileStore, FirstRunSetIsOneReplacementThatLeavesWhatAWritePerKeyLeaves) {
    TempDir dir;
    const std::string path = dir / "config/DriftmereVT/settings.ini";
    IniFileStore store(path);
    EXPECT_TRUE(EnsureFirstRun(store));
    EXPECT_FALSE(EnsureFirstRun(store));
    EXPECT_EQ(Mode(dir / "config/DriftmereVT"), 0700u);
    EXPECT_EQ(store.FileReplacements(), 1u);
    for (const std::string& start :
         {""s, "# mine\n[SETTINGS]\nwindspeed = 3\n\n[Music]\nmidi2=0\n[Other]\nx=1\n"s,
          "[System]\r\nSetReg=1\r\nClock=1"s,
          "[music]\nMidi1=0\n[Settings]\nPwrSave=0\n[music]\nMidi2=0\nMidi2=5\n"s,
          "\xff\xfe[Settings\nWindSpeed\n=\n"s}) {
        SCOPED_TRACE(start);
        PutFile(dir / "batch.ini", start);
        PutFile(dir / "one-by-one.ini", start);
        IniFileStore batch(dir / "batch.ini");
        WriteFirstRunSettings(batch);
        EXPECT_EQ(batch.FileReplacements(), 1u);
        IniFileStore oneByOne(dir / "one-by-one.ini");
        for (const SettingKey& k : AllSettingKeys())
            oneByOne.Write(k.section == "music" ? "Music" : k.section, k.key, k.firstRun);
        EXPECT_EQ(FileBytes(dir / "batch.ini"), FileBytes(dir / "one-by-one.ini"));
    }
}

TEST(IniFileStore, HandWrittenFileKeepsItsSpellingCommentsAndUnknownKeys) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    PutFile(path,
            "# my settings\n[SETTINGS]\nwindspeed = 3\nFavourite=blue\n\n[Mine]\nk=v ; note\n");
    IniFileStore store(path);
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "3");
    EXPECT_EQ(store.Read("mine", "K"), "v ; note");
    EXPECT_TRUE(store.Write("Settings", "WindSpeed", "15"));
    EXPECT_TRUE(store.Write("settings", "drafts", "-4"));
    EXPECT_TRUE(store.Write("Music", "SoundOff", "Never"));
    const std::string awkward = " two\nlines = [x] ; \\ \0\xff"s;
    EXPECT_TRUE(store.Write("Mine", "Message", awkward));
    EXPECT_EQ(IniFileStore(path).Read("mine", "message"), awkward);
    EXPECT_EQ(FileBytes(path),
              "# my settings\n[SETTINGS]\nwindspeed = 15\nFavourite=blue\nDrafts=-4\n\n"
              "[Mine]\nk=v ; note\nMessage=\\ two\\nlines = [x] ; \\\\ \\0\xff\n\n"
              "[music]\nSoundOff=Never\n");
    EXPECT_TRUE(store.LastError().empty());
}

TEST(IniFileStore, ReadsSeeWhatOthersWroteAtOnce) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    IniFileStore store(path);
    ASSERT_TRUE(store.Write("Settings", "WindSpeed", "11"));
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "11");
    // Another program, same size of file, well within one tick of the file system's clock.
    auto writeInChild = [&](const char* value) {
        return testing::Finish(testing::StartChild(
            [&] { return IniFileStore(path).Write("Settings", "WindSpeed", value) ? 0 : 1; }));
    };
    ASSERT_EQ(writeInChild("12"), 0);
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "12");

    // Edited in place by hand, its modification time put back an hour: read again every time.
    timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    PutFile(path, "[Settings]\nWindSpeed=13\n");
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "13");
    const std::size_t loads = store.FileLoads();
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "13");
    EXPECT_EQ(store.FileLoads(), loads + 1);

    // A settled file is read once for many reads, and still every replacement is seen.
    IniFileStore settled(path, {.settleTime = std::chrono::nanoseconds(0)});
    for (int i = 0; i < 35; ++i) EXPECT_EQ(settled.Read("Settings", "WindSpeed"), "13");
    EXPECT_EQ(settled.Read("Settings", "Drafts"), std::nullopt);
    EXPECT_EQ(settled.FileLoads(), 1u);
    ASSERT_EQ(writeInChild("14"), 0);
    EXPECT_EQ(settled.Read("Settings", "WindSpeed"), "14");
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(settled.Read("Settings", "WindSpeed"), std::nullopt);
    // Deleted, and then its folder too, while a program holds the store: a write makes it anew.
    EXPECT_TRUE(settled.Write("Settings", "WindSpeed", "15"));
    std::filesystem::remove_all(dir.path());
    EXPECT_TRUE(settled.Write("Settings", "Drafts", "3")) << settled.LastError();
    EXPECT_EQ(FileBytes(path), "[Settings]\nDrafts=3\n");
}

TEST(IniFileStore, DamagedFilesNeverCrashItAndTheirBytesAreKept) {
    std::mt19937 random(7);
    std::string binary(64 << 10, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    std::string tenMegabytes;
    while (tenMegabytes.size() < (10u << 20))
        tenMegabytes += "Key" + std::to_string(random()) + "=1\n";
    // Each with a key that reads back as written from it, invalid UTF-8 included.
    const struct {
        std::string bytes, key, value;
    } kinds[] = {
        {binary, "", ""},
        {tenMegabytes, "", ""},
        {"[Settings]\nMessage=" + std::string(1u << 20, 'm'), "Message",
         std::string(1u << 20, 'm')},
        {"[Settings]\nWindSpeed=\xc3\x28\xa0\xa1\nFont\xff=\xfe\n", "WindSpeed",
         "\xc3\x28\xa0\xa1"},
        {"[Sett\0ings]\nWindSpeed=\0\n\0\0\0"s, "", ""},
    };
    for (const auto& garbage : kinds) {
        TempDir dir;
        const std::string path = dir / "settings.ini";
        PutFile(path, garbage.bytes);
        IniFileStore store(path);
        if (!garbage.key.empty()) {
            EXPECT_EQ(store.Read("Settings", garbage.key), garbage.value);
        }
        EXPECT_EQ(store.Read("System", "Clock"), std::nullopt);
        ASSERT_TRUE(store.Write("System", "Clock", "1")) << store.LastError();
        EXPECT_EQ(store.Read("System", "Clock"), "1");
        const std::string after = FileBytes(path);
        EXPECT_EQ(after.substr(0, garbage.bytes.size()), garbage.bytes);
        EXPECT_LT(after.size(), garbage.bytes.size() + 30);
    }
}

TEST(IniFileStore, WhatIsNotAFileItCanUseIsLeftAlone) {
    TempDir dir;
    // A folder where the file should be, a FIFO (which must not block the reader), a file
    // beyond the size bound, and links round in a circle: each reads as absent, refuses
    // writes, names itself in the error, and stays as it was.
    ASSERT_EQ(::mkdir((dir / "folder.ini").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    PutFile(dir / "huge.ini", "");
    std::filesystem::resize_file(dir / "huge.ini", IniFileStore::kMaxFileBytes + 1);
    ASSERT_EQ(::symlink("round.ini", (dir / "circle.ini").c_str()), 0);
    ASSERT_EQ(::symlink("circle.ini", (dir / "round.ini").c_str()), 0);
    for (const char* name : {"folder.ini", "fifo.ini", "huge.ini", "circle.ini"}) {
        IniFileStore store(dir / name);
        EXPECT_EQ(store.Read("Settings", "WindSpeed"), std::nullopt) << name;
        EXPECT_FALSE(store.Write("Settings", "WindSpeed", "3")) << name;
        EXPECT_NE(store.LastError().find(dir / name), std::string::npos) << store.LastError();
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "huge.ini"), IniFileStore::kMaxFileBytes + 1);
    EXPECT_TRUE(IsLink(dir / "circle.ini") && IsLink(dir / "round.ini"));

    // No home at all: nothing to read, and the write says so instead of writing somewhere odd.
    IniFileStore nowhere("");
    EXPECT_EQ(nowhere.Read("Settings", "WindSpeed"), std::nullopt);
    EXPECT_FALSE(nowhere.Write("Settings", "WindSpeed", "3"));
}

// A linked file is written where the chain of links ends, even when the file is not there yet
// (through a relative link, an absolute one, or both), and every link stays a link.
TEST(IniFileStore, ALinkedSettingsFileStaysALink) {
    TempDir dir;
    ASSERT_EQ(::mkdir((dir / "dotfiles").c_str(), 0700), 0);
    PutFile(dir / "dotfiles/driftmere.ini", "[Settings]\nWindSpeed=4\n");
    ASSERT_EQ(::symlink("dotfiles/driftmere.ini", (dir / "settings.ini").c_str()), 0);
    ASSERT_EQ(::symlink("dotfiles/new.ini", (dir / "dangling.ini").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "dotfiles/hop").c_str(), (dir / "chain.ini").c_str()), 0);
    ASSERT_EQ(::symlink("chained.ini", (dir / "dotfiles/hop").c_str()), 0);
    ASSERT_EQ(::chmod((dir / "dotfiles/driftmere.ini").c_str(), 0640), 0);
    // A file that was there keeps its mode; a new one is the owner's alone.
    const struct {
        const char *name, *target;
        unsigned mode;
    } cases[] = {{"settings.ini", "dotfiles/driftmere.ini", 0640},
                 {"dangling.ini", "dotfiles/new.ini", 0600},
                 {"chain.ini", "dotfiles/chained.ini", 0600}};
    for (const auto& c : cases) {
        IniFileStore linked(dir / c.name);
        EXPECT_TRUE(linked.Write("Settings", "WindSpeed", "9")) << linked.LastError();
        EXPECT_TRUE(IsLink(dir / c.name)) << c.name;
        EXPECT_EQ(FileBytes(dir / c.target), "[Settings]\nWindSpeed=9\n") << c.name;
        EXPECT_EQ(IniFileStore(dir / c.name).Read("Settings", "WindSpeed"), "9") << c.name;
        EXPECT_EQ(Mode(dir / c.target), c.mode) << c.name;
    }
    EXPECT_TRUE(IsLink(dir / "dotfiles/hop"));
}

TEST(IniFileStore, TheLockIsNeverFollowedNorWaitedOnWhenItIsNoPlainFile) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    const std::string lock = path + ".lock";
    PutFile(dir / "victim", "keep");
    // A dangling link (following it would create its target), a link to someone's file, a FIFO
    // (opening it for reading could block) and a folder.
    const std::function<int()> makers[] = {
        [&] { return ::symlink((dir / "created-through-lock").c_str(), lock.c_str()); },
        [&] { return ::symlink((dir / "victim").c_str(), lock.c_str()); },
        [&] { return ::mkfifo(lock.c_str(), 0600); },
        [&] { return ::mkdir(lock.c_str(), 0700); },
    };
    for (const auto& make : makers) {
        SCOPED_TRACE(&make - makers);
        PutFile(path, "[Settings]\nWindSpeed=4\n");
        ASSERT_EQ(make(), 0);
        IniFileStore store(path);
        EXPECT_FALSE(store.Write("Settings", "WindSpeed", "5"));
        EXPECT_NE(store.LastError().find(lock), std::string::npos) << store.LastError();
        EXPECT_EQ(FileBytes(path), "[Settings]\nWindSpeed=4\n");
        EXPECT_EQ(::access((dir / "created-through-lock").c_str(), F_OK), -1);
        EXPECT_EQ(FileBytes(dir / "victim"), "keep");
        std::filesystem::remove(lock);
    }
    EXPECT_TRUE(IniFileStore(path).Write("Settings", "WindSpeed", "5"));
}

// Each refusal runs in a child process as an ordinary user; its exit code names the check
// that failed.
TEST(IniFileStore, RefusedWritesSayFalseAndLeaveTheFileByteIdentical) {
    TempDir dir;
    const std::string folder = dir.path(), path = dir / "settings.ini";
    const std::string before = "[Settings]\nWindSpeed=4\n";
    auto refused = [&](IniFileStore& store) {
        if (store.Write("Settings", "Drafts", "5")) return 10;
        if (store.LastError().find(folder) == std::string::npos) return 11;
        if (FileBytes(path) != before) return 12;
        return ::access((path + ".tmp").c_str(), F_OK) == 0 ? 13 : 0;
    };
    const std::function<int(IniFileStore&)> cases[] = {
        // A read-only folder, with the lock file already there and without it.
        [&](IniFileStore& store) {
            if (!store.Write("Settings", "Drafts", "1")) return 1;
            PutFile(path, before);
            ::chmod(folder.c_str(), 0500);
            if (int failed = refused(store)) return failed;
            if (store.Read("Settings", "WindSpeed") != "4") return 2;
            ::chmod(folder.c_str(), 0700);
            ::unlink((path + ".lock").c_str());
            ::chmod(folder.c_str(), 0500);
            return refused(store);
        },
        // A file it may not read is not replaced by one holding a single key.
        [&](IniFileStore& store) {
            ::chmod(path.c_str(), 0200);
            if (store.Read("Settings", "WindSpeed") || store.Write("Settings", "Drafts", "5"))
                return 1;
            ::chmod(path.c_str(), 0600);
            return FileBytes(path) == before ? 0 : 2;
        },
        // A full disk, as a file size limit: the write stops part way through the temporary file.
        [&](IniFileStore& store) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{16, 16};
            return ::setrlimit(RLIMIT_FSIZE, &limit) != 0 ? 1 : refused(store);
        },
    };
    for (const auto& attempt : cases) {
        EXPECT_EQ(testing::RunUnprivileged(folder,
                                           [&] {
                                               PutFile(path, before);
                                               IniFileStore store(path);
                                               return attempt(store);
                                           }),
                  0)
            << "case " << &attempt - cases;
        ::chmod(folder.c_str(), 0700);
    }
}

TEST(IniFileStore, DefaultPathFollowsTheXdgRules) {
    const std::string home = "/home/ann/.config/DriftmereVT/settings.ini";
    // A relative or empty XDG_CONFIG_HOME is ignored; with no usable home there is no path.
    const struct {
        const char *xdg, *home;
        std::string path;
    } cases[] = {{"/xdg", "/home/ann", "/xdg/DriftmereVT/settings.ini"},
                 {"/xdg/", "/home/ann", "/xdg/DriftmereVT/settings.ini"},
                 {"xdg", "/home/ann", home},
                 {"", "/home/ann/", home},
                 {nullptr, "/", "/.config/DriftmereVT/settings.ini"},
                 {nullptr, nullptr, ""},
                 {nullptr, "relative", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(IniFileStore::DefaultPathFrom(c.xdg, c.home), c.path) << "case " << &c - cases;
}

}  // namespace
}  // namespace driftmere
