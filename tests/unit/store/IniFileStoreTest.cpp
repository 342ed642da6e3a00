// The settings store on real folders, real files and real processes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "StoreFiles.h"
#include "settings/IniFileStore.h"
#include "settings/IniParse.h"
#include "settings/KeyTable.h"

namespace driftmere {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace storetest;

// Only a missing marker or another number starts the first run, which adds the missing keys in
// one replacement and replaces nothing; a marker that is no number counts as done.
TEST(IniFileStore, FirstRunFillsInOnlyMissingKeysAndOnlyWhenTheMarkerAsks) {
    TempDir dir;
    IniFileStore fresh(dir / "config/DriftmereVT/settings.ini");
    EXPECT_TRUE(EnsureFirstRun(fresh));
    EXPECT_FALSE(EnsureFirstRun(fresh));
    EXPECT_EQ(Mode(dir / "config/DriftmereVT"), 0700u);
    EXPECT_EQ(fresh.FileReplacements(), 1u);
    const std::string firstRun = Bytes(dir / "config/DriftmereVT/settings.ini");
    // Byte for byte the file a fresh first run has always written (ctest names the sources).
    if (const char* source = std::getenv("DRIFTMERE_SOURCE_DIR")) {
        EXPECT_EQ(firstRun, Bytes(std::string(source) + "/fuzz/seeds/settings/first-run.ini"));
    }
    const std::string mine = "[Settings]\nWindSpeed=3\nMessage=Back at 3pm\n";
    const struct {
        std::string start;
        bool firstRun;
    } cases[] = {{mine, true},
                 {mine + "[System]\nSetReg=1\n", true},
                 {mine + "[System]\nSetReg=70000\n", true},
                 {mine + "[System]\nSetReg=2 ; by hand\n", false},
                 {mine + "[System]\nSetReg=two\n", false},
                 {mine + "[system]\nsetreg = 2.4\n", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        Put(dir / "settings.ini", c.start);
        IniFileStore store(dir / "settings.ini");
        EXPECT_EQ(EnsureFirstRun(store), c.firstRun);
        const std::string after = Bytes(dir / "settings.ini");
        for (const ini::Entry& e : ini::Parse(c.start))  // nothing there replaced
            EXPECT_EQ(ini::Lookup(after, e.section, e.key), e.value) << e.key;
        EXPECT_EQ(store.FileReplacements(), c.firstRun ? 1u : 0u);
        EXPECT_EQ(store.Read("Settings", "Drafts"),
                  c.firstRun ? "2" : std::optional<std::string>());
        if (c.firstRun) {
            EXPECT_EQ(ini::Parse(after).size(), ini::Parse(firstRun).size());
        }
    }
    // The whole set written at once leaves what writing it key by key leaves.
    for (const std::string& start :
         {""s, "# mine\n[SETTINGS]\nwindspeed = 3\n\n[Music]\nmidi2=0\n[Other]\nx=1\n"s,
          "[music]\nMidi1=0\n[Settings]\nPwrSave=0\n[music]\nMidi2=0\nMidi2=5\n"s,
          "\xff\xfe[Settings\nWindSpeed\n=\n[System]\r\nSetReg=1\r\nClock=1"s}) {
        SCOPED_TRACE(start);
        Put(dir / "batch.ini", start);
        Put(dir / "one.ini", start);
        IniFileStore batch(dir / "batch.ini"), oneByOne(dir / "one.ini");
        WriteFirstRunSettings(batch);
        EXPECT_EQ(batch.FileReplacements(), 1u);
        for (const SettingKey& k : AllSettingKeys())
            oneByOne.Write(k.section == "music" ? "Music" : k.section, k.key, k.firstRun);
        EXPECT_EQ(Bytes(dir / "batch.ini"), Bytes(dir / "one.ini"));
    }
}

// Names match in any case, the first line for a key counts. A write keeps every other byte and the
// line's spelling; new keys go after the section's last key, ahead of the next section's comment.
TEST(IniFileStore, HandWrittenFileKeepsItsSpellingCommentsAndUnknownKeys) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    Put(path,
        "; mine\r\n[SETTINGS]\r\nwindspeed = 3\r\nUnknown=keep me\r\n# next\r\n\r\n"
        "[Music]\nMidi1=0\n[music]\nSoundOn=False\nMidi1=1");
    IniFileStore store(path);
    EXPECT_EQ(store.Read("settings", "WINDSPEED"), "3");
    EXPECT_EQ(store.Read("music", "midi1"), "0");
    EXPECT_TRUE(store.Write("Settings", "WindSpeed", "12"));
    EXPECT_TRUE(store.Write("settings", "drafts", "2"));
    EXPECT_TRUE(store.Write("Settings", "Message", "Hi, world; #1 = [best]"));
    EXPECT_TRUE(store.Write("MUSIC", "SoundOn", "True"));
    EXPECT_TRUE(store.Write("music", "midi2", "1"));
    EXPECT_TRUE(store.Write("System", "Clock", "0"));
    EXPECT_EQ(Bytes(path),
              "; mine\r\n[SETTINGS]\r\nwindspeed = 12\r\nUnknown=keep me\r\nDrafts=2\n"
              "Message=Hi, world; #1 = [best]\n# next\r\n\r\n[Music]\nMidi1=0\n"
              "Midi2=1\n[music]\nSoundOn=True\nMidi1=1\n\n[System]\nClock=0\n");
    // A new [music] section is spelled so whichever way the caller spells it.
    EXPECT_TRUE(IniFileStore(dir / "new.ini").Write("Music", "SoundOff", "0"));
    EXPECT_EQ(Bytes(dir / "new.ini"), "[music]\nSoundOff=0\n");
    // A UTF-8 byte-order mark is kept, and the section after it is found.
    const std::string bom = "\xEF\xBB\xBF";
    for (const auto& [start, after] :
         {std::pair{bom + "[music]\nSoundOn=False\n", bom + "[music]\nSoundOn=False\nSoundOff=0\n"},
          {bom, bom + "[music]\nSoundOff=0\n"}}) {
        Put(dir / "bom.ini", start);
        IniFileStore marked(dir / "bom.ini");
        EXPECT_EQ(marked.Read("music", "SoundOn"),
                  start.size() > 3 ? "False" : std::optional<std::string>());
        EXPECT_TRUE(marked.Write("Music", "SoundOff", "0"));
        EXPECT_EQ(Bytes(dir / "bom.ini"), after);
    }
}

TEST(IniFileStore, ReadsSeeEveryReplacementAtOnce) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    auto writeInChild = [&](const char* value) {
        return Finish(StartChild(
            [&] { return IniFileStore(path).Write("Settings", "WindSpeed", value) ? 0 : 1; }));
    };
    IniFileStore store(path);
    ASSERT_TRUE(store.Write("Settings", "WindSpeed", "11"));
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "11");
    // Another program, same size of file, well within one tick of the file system's clock.
    ASSERT_EQ(writeInChild("12"), 0);
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "12");
    // Edited in place by hand, its modification time put back an hour.
    const timespec old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    Put(path, "[Settings]\nWindSpeed=13\n");
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "13");

    // A settled file is read once for many reads, and still a replacement is seen, and a deletion
    // of the file and then of its folder while a program holds the store.
    IniFileStore settled(path, {.settleTime = std::chrono::nanoseconds(0)});
    EXPECT_EQ(settled.Read("Settings", "WindSpeed"), "13");
    EXPECT_EQ(settled.Read("Settings", "Drafts"), std::nullopt);
    EXPECT_EQ(settled.FileLoads(), 1u);
    ASSERT_EQ(writeInChild("14"), 0);
    EXPECT_EQ(settled.Read("Settings", "WindSpeed"), "14");
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_EQ(settled.Read("Settings", "WindSpeed"), std::nullopt);
    fs::remove_all(dir.path);
    EXPECT_TRUE(settled.Write("Settings", "Drafts", "3")) << settled.LastError();
    EXPECT_EQ(Bytes(path), "[Settings]\nDrafts=3\n");
}

TEST(IniFileStore, DamagedFilesNeverCrashItAndTheirBytesAreKept) {
    std::mt19937 random(7);
    std::string binary(64 << 10, '\0'), manyKeys, longValue(900u << 10, 'm');
    for (char& c : binary) c = static_cast<char>(random());
    while (manyKeys.size() < (900u << 10)) manyKeys += std::to_string(random()) + "=1\n";
    // Each with a key that reads back as written, invalid UTF-8 included.
    const std::string kinds[][3] = {
        {binary, "", ""},
        {manyKeys, "", ""},
        {"[Settings]\nMessage=" + longValue, "Message", longValue},
        {"[Settings]\nWindSpeed=\xc3\x28\xa0\xa1\nF\xff=\xfe\n", "WindSpeed", "\xc3\x28\xa0\xa1"}};
    for (const auto& [bytes, key, value] : kinds) {
        TempDir dir;
        Put(dir / "settings.ini", bytes);
        IniFileStore store(dir / "settings.ini");
        EXPECT_TRUE(key.empty() || store.Read("Settings", key) == value) << key;
        EXPECT_EQ(store.Read("System", "Clock"), std::nullopt);
        ASSERT_TRUE(store.Write("System", "Clock", "1")) << store.LastError();
        EXPECT_EQ(store.Read("System", "Clock"), "1");
        const std::string after = Bytes(dir / "settings.ini");
        EXPECT_TRUE(after.starts_with(bytes) && after.size() < bytes.size() + 30);
    }
}

// For the file or its lock: a folder, a FIFO, circular links, a file over the size bound; for the
// lock only, a dangling link and a link to someone's file. Reads see nothing, writes are refused
// naming the culprit, and nothing changes.
TEST(IniFileStore, WhatIsNoPlainFileIsNeitherFollowedNorWaitedOn) {
    TempDir dir;
    const std::string path = dir / "settings.ini", lock = path + ".lock";
    const std::string before = "[Settings]\nWindSpeed=4\n";
    Put(dir / "victim", "keep");
    auto link = [&](const std::string& to, const std::string& at) {
        return ::symlink(to.c_str(), at.c_str());
    };
    const std::function<int(const std::string&)> makers[] = {
        [&](const std::string& at) { return ::mkdir(at.c_str(), 0700); },
        [&](const std::string& at) { return ::mkfifo(at.c_str(), 0600); },
        [&](const std::string& at) { return link("round", at) + link(at, dir / "round"); },
        [&](const std::string& at) {
            Put(at, "");
            return ::truncate(at.c_str(), (1 << 20) + 1);
        },
        [&](const std::string& at) { return link(dir / "created-through-it", at); },
        [&](const std::string& at) { return link(dir / "victim", at); }};
    for (const bool theLock : {false, true}) {
        for (const auto& make : makers) {
            const long which = &make - makers;
            if (theLock ? which == 3 : which > 3) continue;
            SCOPED_TRACE(std::to_string(theLock) + " " + std::to_string(which));
            const std::string& culprit = theLock ? lock : path;
            if (theLock) Put(path, before);
            ASSERT_EQ(make(culprit), 0);
            const auto kind = fs::symlink_status(culprit).type();
            IniFileStore store(path);
            EXPECT_EQ(store.Read("Settings", "Drafts"), std::nullopt);
            EXPECT_FALSE(store.Write("Settings", "Drafts", "5"));
            EXPECT_NE(store.LastError().find(culprit), std::string::npos) << store.LastError();
            EXPECT_EQ(fs::symlink_status(culprit).type(), kind);
            EXPECT_TRUE(!theLock || Bytes(path) == before);
            EXPECT_FALSE(fs::exists(dir / "created-through-it"));
            EXPECT_EQ(Bytes(dir / "victim"), "keep");
            for (const std::string& left : {path, lock, dir / "round"}) fs::remove_all(left);
        }
    }
    EXPECT_TRUE(IniFileStore(path).Write("Settings", "WindSpeed", "5"));
    // No home at all: nothing to read, and the write says so instead of writing somewhere odd.
    EXPECT_EQ(IniFileStore("").Read("Settings", "WindSpeed"), std::nullopt);
    EXPECT_FALSE(IniFileStore("").Write("Settings", "WindSpeed", "3"));
}

// Written where the chain of links ends, even a file not there yet; every link stays a link. A
// file that was there keeps its mode; a new one is the owner's alone.
TEST(IniFileStore, ALinkedSettingsFileStaysALink) {
    TempDir dir;
    ASSERT_EQ(::mkdir((dir / "dotfiles").c_str(), 0700), 0);
    Put(dir / "dotfiles/driftmere.ini", "[Settings]\nWindSpeed=4\n");
    ASSERT_EQ(::chmod((dir / "dotfiles/driftmere.ini").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("dotfiles/driftmere.ini", (dir / "settings.ini").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "dotfiles/hop").c_str(), (dir / "chain.ini").c_str()), 0);
    ASSERT_EQ(::symlink("chained.ini", (dir / "dotfiles/hop").c_str()), 0);
    const std::pair<std::string, unsigned> cases[][2] = {
        {{"settings.ini", 0}, {"dotfiles/driftmere.ini", 0640}},
        {{"chain.ini", 0}, {"dotfiles/chained.ini", 0600}}};
    for (const auto& [link, target] : cases) {
        SCOPED_TRACE(link.first);
        IniFileStore linked(dir / link.first);
        EXPECT_TRUE(linked.Write("Settings", "WindSpeed", "9")) << linked.LastError();
        EXPECT_TRUE(fs::is_symlink(dir / link.first));
        EXPECT_EQ(Bytes(dir / target.first), "[Settings]\nWindSpeed=9\n");
        EXPECT_EQ(IniFileStore(dir / link.first).Read("Settings", "WindSpeed"), "9");
        EXPECT_EQ(Mode(dir / target.first), target.second);
    }
    EXPECT_TRUE(fs::is_symlink(dir / "dotfiles/hop"));
}

// An unreadable file is not replaced by one holding a single key; a full disk is reported; no
// temporary file is left. Each in a child as an ordinary user; its exit code names the failed
// check.
TEST(IniFileStore, RefusedWritesSayFalseAndLeaveTheFileByteIdentical) {
    TempDir dir;
    const std::string path = dir / "settings.ini", before = "[Settings]\nWindSpeed=4\n";
    constexpr uid_t kNobody = 65534;
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(dir.path.c_str(), kNobody, kNobody) == 0);
    for (const bool fullDisk : {false, true}) {
        const int failed = Finish(StartChild([&] {
            if (root && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) return 1;
            Put(path, before);
            const rlimit limit{16, 16};
            ::signal(SIGXFSZ, SIG_IGN);
            if (fullDisk ? ::setrlimit(RLIMIT_FSIZE, &limit) : ::chmod(path.c_str(), 0200))
                return 2;
            IniFileStore store(path);
            if (store.Read("Settings", "WindSpeed").has_value() != fullDisk) return 3;
            if (store.Write("Settings", "Drafts", "5")) return 4;
            if (store.LastError().find(path) == std::string::npos) return 5;
            return ::access((path + ".tmp").c_str(), F_OK) == 0 ? 6 : 0;
        }));
        EXPECT_EQ(failed, 0) << (fullDisk ? "full disk" : "unreadable");
        ::chmod(path.c_str(), 0600);
        EXPECT_EQ(Bytes(path), before);
    }
}

TEST(IniFileStore, DefaultPathFollowsTheXdgRules) {
    const std::string home = "/home/ann/.config/DriftmereVT/settings.ini";
    // A relative or empty XDG_CONFIG_HOME is ignored; with no usable home there is no path.
    const std::tuple<const char*, const char*, std::string> cases[] = {
        {"/xdg", "/home/ann", "/xdg/DriftmereVT/settings.ini"},
        {"/xdg/", "/home/ann", "/xdg/DriftmereVT/settings.ini"},
        {"xdg", "/home/ann", home},
        {"", "/home/ann/", home},
        {nullptr, "/", "/.config/DriftmereVT/settings.ini"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""}};
    for (const auto& [xdg, user, path] : cases)
        EXPECT_EQ(IniFileStore::DefaultPathFrom(xdg, user), path)
            << (xdg ? xdg : "-") << " " << (user ? user : "-");
}

// While another program writes 500 keys, writers are killed at any instant: nothing is lost, each
// file is whole (well formed, no value cut short) and no lock is left behind.
TEST(IniFileStoreProcesses, WritersAtOnceLoseNothingAndOneKilledAtAnyInstantLeavesAWholeFile) {
    TempDir dir;
    const std::string path = dir / "settings.ini", padding(64 << 10, 'p');
    // Each write waits for the lock as long as it takes: on a loaded machine a writer that
    // writes again at once can keep the others waiting longer than the usual patience.
    const IniFileStore::Options patient{.lockPatience = std::chrono::seconds(30)};
    IniFileStore store(path, patient);
    ASSERT_TRUE(store.Write("Keep", "Padding", padding));
    const pid_t steady = StartChild([&] {
        IniFileStore mine(path, patient);
        for (int i = 0; i < 500; ++i)
            if (!mine.Write("Race", "R" + std::to_string(i), std::to_string(i))) return 1;
        return 0;
    });
    std::mt19937 random(2024);
    for (int kill = 0; kill < 200; ++kill) {
        const pid_t churner = StartChild([&] {
            IniFileStore mine(path, patient);
            for (unsigned n = 0;; ++n)
                mine.Write("Churn", "C" + std::to_string(n % 40),
                           std::string(50 + (n * 37) % 400, static_cast<char>('a' + n % 26)));
            return 0;
        });
        ::usleep(static_cast<useconds_t>(random() % 4000));
        ::kill(churner, SIGKILL);
        ASSERT_EQ(Finish(churner), 128 + SIGKILL);
        ASSERT_TRUE(store.Write("After", "Kill", std::to_string(kill))) << store.LastError();
        const std::string text = Bytes(path);
        ASSERT_TRUE(WellFormed(text)) << "after kill " << kill;
        for (const ini::Entry& e : ini::Parse(text)) {
            const bool whole = e.value.find_first_not_of(e.value[0]) == std::string::npos;
            ASSERT_TRUE(e.section != "Churn" || (e.value.size() >= 50 && whole)) << e.value;
        }
        ASSERT_EQ(store.Read("Keep", "Padding"), padding);
        ASSERT_EQ(store.Read("After", "Kill"), std::to_string(kill));
    }
    ASSERT_EQ(Finish(steady), 0);
    int missing = 0;
    for (int i = 0; i < 500; ++i)
        missing += store.Read("race", "R" + std::to_string(i)) != std::to_string(i);
    EXPECT_EQ(missing, 0);
}

// Texts and values made mostly of the characters that matter to the format (escapes included),
// and names that collide by case, by blanks and by escaping.
TEST(IniText, EditsOfRandomTextsReadBackAndDisturbNoOtherKey) {
    const std::string alphabet = "[]=\\;# \t\r\n\n\nnskSK01\xff\x01"s + '\0';
    const std::string names[] = {"", "s", "S", "k", "K", " k", "k=", "[s]", "\\", "#"};
    std::mt19937 random(11);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        if (pick(4) == 0) text = "\xEF\xBB\xBF[s]\nk=1\n";  // a byte-order mark stays first
        for (std::size_t n = pick(60); n > 0; --n) text += alphabet[pick(alphabet.size())];
        std::string value;
        for (std::size_t n = pick(6); n > 0; --n) value += alphabet[pick(alphabet.size())];
        const std::string& section = names[pick(std::size(names))];
        const std::string& key = names[1 + pick(std::size(names) - 1)];

        const std::string edited = ini::WithValue(text, section, key, value);
        ASSERT_EQ(ini::Lookup(edited, section, key), value) << "text: " << text;
        for (const std::string& s2 : names)
            for (const std::string& k2 : names) {
                if (!SameName(s2, section) || !SameName(k2, key)) {
                    ASSERT_EQ(ini::Lookup(edited, s2, k2), ini::Lookup(text, s2, k2))
                        << "text: " << text << " edited: " << edited;
                }
            }
        ini::Parse(edited);
    }
}

// A program that took the lock and stopped (as under a debugger) makes writes fail, not hang;
// once it lets go, the waits given up on leave nothing held behind them.
TEST(IniFileStoreProcesses, AStoppedLockHolderMakesAWriteFailNotHang) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    const IniFileStore::Options patient{.lockPatience = std::chrono::milliseconds(200)};
    IniFileStore store(path, patient);
    ASSERT_TRUE(store.Write("Settings", "WindSpeed", "11"));
    auto entries = [](const char* folder) {
        return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    };
    const int held = ::open((path + ".lock").c_str(), O_RDONLY | O_CLOEXEC);
    const auto threads = entries("/proc/self/task"), descriptors = entries("/proc/self/fd");
    ASSERT_EQ(::flock(held, LOCK_EX), 0);  // another open file: to the store, another program
    EXPECT_FALSE(store.Write("Settings", "WindSpeed", "12"));
    EXPECT_FALSE(store.Write("Settings", "Drafts", "3"));
    EXPECT_FALSE(IniFileStore(path).Write("Settings", "Drafts", "3"));  // the usual patience
    EXPECT_NE(store.LastError().find(path), std::string::npos) << store.LastError();
    EXPECT_EQ(Bytes(path), "[Settings]\nWindSpeed=11\n");
    // The waits given up on left no thread and no descriptor behind.
    EXPECT_EQ(entries("/proc/self/task"), threads);
    EXPECT_EQ(entries("/proc/self/fd"), descriptors);
    ::close(held);
    EXPECT_TRUE(store.Write("Settings", "WindSpeed", "12")) << store.LastError();
    EXPECT_TRUE(IniFileStore(path, patient).Write("Settings", "Drafts", "3"));
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "12");
}

}  // namespace
}  // namespace driftmere
