// The store's promises between programs, with real processes on real files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "settings/IniFileStore.h"
#include "settings/IniParse.h"
#include "unit/store/StoreTestSupport.h"

namespace driftmere {
namespace {

using testing::FileBytes;
using testing::Finish;
using testing::StartChild;
using testing::TempDir;

// True when every line of the text is a header, a key line or blank: a torn file is not.
bool WellFormed(const std::string& text) {
    ini::Scanner scanner(text);
    ini::Line line;
    while (scanner.Next(line))
        if (line.kind == ini::LineKind::kOther && line.end != line.begin) return false;
    return text.empty() || text.back() == '\n';
}

TEST(IniFileStoreProcesses, TwoWritersAtOnceLoseNothingAndReadersSeeWholeFiles) {
    TempDir dir;
    const std::string path = dir / "settings.ini", done = dir / "writers-done";
    IniFileStore store(path);
    // The padding makes each version of the file long enough to be seen half written, were
    // it ever written in place; the key after it must be there in every version.
    ASSERT_TRUE(store.Write("Settings", "Padding", std::string(64 << 10, 'p')));
    ASSERT_TRUE(store.Write("Settings", "Tail", "present"));
    auto writer = [&](char name) {
        return [&, name] {
            IniFileStore mine(path);
            for (int i = 0; i < 500; ++i) {
                const std::string key = name + std::to_string(i);
                if (!mine.Write("Race", key, key + "-value")) return 1;
            }
            return 0;
        };
    };
    const pid_t a = StartChild(writer('A')), b = StartChild(writer('B'));
    const pid_t reader = StartChild([&] {
        IniFileStore mine(path);
        long reads = 0;
        for (; ::access(done.c_str(), F_OK) != 0; ++reads, ::usleep(50))
            if (mine.Read("Settings", "Tail") != "present") return 1;
        return reads > 0 ? 0 : 2;
    });
    EXPECT_EQ(Finish(a), 0);
    EXPECT_EQ(Finish(b), 0);
    testing::PutFile(done, "");
    EXPECT_EQ(Finish(reader), 0);

    IniFileStore after(path);
    int missing = 0;
    for (char name : {'A', 'B'}) {
        for (int i = 0; i < 500; ++i) {
            const std::string key = name + std::to_string(i);
            missing += after.Read("race", key) != key + "-value";
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_TRUE(WellFormed(FileBytes(path)));
    EXPECT_EQ(ini::Parse(FileBytes(path)).size(), 1002u);
}

TEST(IniFileStoreProcesses, AWriterKilledAtAnyInstantNeitherCorruptsNorBlocks) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    IniFileStore store(path);
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(store.Write("Keep", "K" + std::to_string(i), "value " + std::to_string(i)));
    std::mt19937 random(2024);
    double longestMs = 0;
    for (int kill = 0; kill < 200; ++kill) {
        const pid_t churner = StartChild([&] {
            IniFileStore mine(path);
            for (unsigned n = 0;; ++n)
                mine.Write("Churn", "C" + std::to_string(n % 40),
                           std::string(50 + (n * 37) % 400, static_cast<char>('a' + n % 26)));
            return 0;
        });
        ::usleep(static_cast<useconds_t>(random() % 4000));
        ::kill(churner, SIGKILL);
        ASSERT_EQ(Finish(churner), 128 + SIGKILL);

        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(store.Write("After", "Kill", std::to_string(kill))) << store.LastError();
        longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(
                                            std::chrono::steady_clock::now() - start)
                                            .count());
        const std::string text = FileBytes(path);
        ASSERT_TRUE(WellFormed(text)) << "after kill " << kill;
        for (const ini::Entry& e : ini::Parse(text)) {
            if (e.section != "Churn") continue;
            ASSERT_GE(e.value.size(), 50u);
            ASSERT_EQ(e.value.find_first_not_of(e.value[0]), std::string::npos);
        }
        for (int i = 0; i < 20; ++i)
            ASSERT_EQ(store.Read("Keep", "K" + std::to_string(i)), "value " + std::to_string(i));
        ASSERT_EQ(store.Read("After", "Kill"), std::to_string(kill));
    }
    std::printf("[ measured ] the write after a kill took at most %.2f ms\n", longestMs);
    EXPECT_LT(longestMs, 5000.0);  // generous: the promise is a second, the machine is shared
}

TEST(IniFileStoreProcesses, AStoppedLockHolderMakesAWriteFailNotHang) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    const IniFileStore::Options patient{.lockPatience = std::chrono::milliseconds(200)};
    IniFileStore store(path, patient);
    ASSERT_TRUE(store.Write("Settings", "WindSpeed", "11"));
    const std::string before = FileBytes(path);

    // A program that took the lock and then stopped (as under a debugger).
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = StartChild([&] {
        const int fd = ::open((path + ".lock").c_str(), O_RDONLY);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0 || ::write(ready[1], "x", 1) != 1) return 1;
        for (;;) ::pause();
    });
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_FALSE(store.Write("Settings", "WindSpeed", "12"));
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_FALSE(store.Write("Settings", "Drafts", "3"));
    EXPECT_EQ(FileBytes(path), before);

    // Once it is gone, the waits given up on leave nothing held behind them.
    ::kill(holder, SIGKILL);
    EXPECT_EQ(Finish(holder), 128 + SIGKILL);
    EXPECT_TRUE(store.Write("Settings", "WindSpeed", "12")) << store.LastError();
    EXPECT_TRUE(IniFileStore(path, patient).Write("Settings", "Drafts", "3"));
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "12");
    ::close(ready[0]);
    ::close(ready[1]);
}

}  // namespace
}  // namespace driftmere
