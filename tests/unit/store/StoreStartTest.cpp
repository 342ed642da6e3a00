// The settings store as a start uses it: the first-run rule against an editor saving the file,
// one parse for all the reads, and what a killed writer left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "StoreFiles.h"
#include "settings/IniFileStore.h"
#include "settings/KeyTable.h"
#include "startup/SaverSettings.h"

namespace driftmere {
namespace {

using namespace storetest;

// Editors save by renaming: the file is away for a moment, then back. A start that looks for
// the first-run marker in that moment must not write the first-run values over the file.
TEST(IniFileStoreProcesses, AFileRenamedAwayAndBackIsNeverResetByAStart) {
    TempDir dir;
    const std::string path = dir / "settings.ini", away = dir / "settings.ini~";
    const std::string mine = "[Settings]\nWindSpeed=3\nMessage=Back at 3pm\n[System]\nSetReg=2\n";
    Put(path, mine);
    // The editor saves until its pipe closes and reports each save on another.
    int stop[2], saved[2];
    ASSERT_EQ(::pipe(stop), 0);
    ASSERT_EQ(::pipe2(saved, O_NONBLOCK), 0);
    const pid_t editor = StartChild([&] {
        ::close(stop[1]);
        ::close(saved[0]);
        ::signal(SIGPIPE, SIG_IGN);  // the last report may find no reader
        ::fcntl(stop[0], F_SETFL, O_NONBLOCK);
        char byte = 0;
        while (::read(stop[0], &byte, 1) < 0 && errno == EAGAIN) {
            if (::rename(path.c_str(), away.c_str()) != 0) return 1;
            ::usleep(300);
            if (::rename(away.c_str(), path.c_str()) != 0) return 2;
            (void)!::write(saved[1], &byte, 1);
            ::usleep(300);
        }
        return 0;
    });
    ::close(stop[0]);
    ::close(saved[1]);
    // Savers start one after another while the editor saves 100 times.
    int starts = 0;
    for (int saves = 0; saves < 100; ++starts) {
        IniFileStore saver(path);
        EnsureFirstRun(saver);
        char got[64];
        const ssize_t n = ::read(saved[0], got, sizeof got);
        if (n > 0) saves += static_cast<int>(n);
    }
    ::close(stop[1]);
    ::close(saved[0]);
    ASSERT_EQ(Finish(editor), 0);
    EXPECT_GT(starts, 100);
    EXPECT_EQ(Bytes(path), mine);
}

// The saver's start on a file of nearly a megabyte that has only just been written: the
// first-run check and every setting's read cost one parse, and so do the store's own writes.
// Another program's change is parsed once when first read.
TEST(IniFileStore, AStartParsesTheFileOnce) {
    TempDir dir;
    const std::string path = dir / "settings.ini";
    std::string text = "[Settings]\nWindSpeed=3\n[System]\nSetReg=2\n[Other]\n";
    for (int n = 0; text.size() < 1'000'000; ++n)
        text += "K" + std::to_string(n) + "=" + std::string(40, 'v') + "\n";
    Put(path, text);
    IniFileStore store(path);
    EXPECT_FALSE(EnsureFirstRun(store));
    EXPECT_EQ(LoadSaverSettings(store).windSpeed, 3);
    EXPECT_EQ(store.Read("Other", "K7"), std::string(40, 'v'));
    EXPECT_EQ(store.Parses(), 1u);
    ASSERT_TRUE(store.Write("Settings", "Drafts", "4")) << store.LastError();
    EXPECT_EQ(store.Read("Settings", "Drafts"), "4");
    EXPECT_EQ(store.Parses(), 1u);

    ASSERT_EQ(Finish(StartChild(
                  [&] { return IniFileStore(path).Write("Settings", "WindSpeed", "5") ? 0 : 1; })),
              0);
    EXPECT_EQ(store.Read("Settings", "WindSpeed"), "5");
    EXPECT_EQ(store.Read("Settings", "Drafts"), "4");
    EXPECT_EQ(store.Parses(), 2u);
}

// A writer killed between writing its temporary file and renaming it leaves the file behind;
// the next program to take the lock removes it, even when it has nothing to change.
TEST(IniFileStore, ALeftoverTemporaryFileGoesWithTheNextLockHolder) {
    TempDir dir;
    const std::string path = dir / "settings.ini", temp = path + ".tmp";
    IniFileStore store(path);
    ASSERT_TRUE(EnsureFirstRun(store));
    const std::function<bool()> nextWrites[] = {
        [&] { return !EnsureFirstRun(store); },
        [&] { return store.Write("Settings", "WindSpeed", "11"); },
        [&] { return store.Write("Settings", "WindSpeed", "12"); }};
    for (const auto& write : nextWrites) {
        Put(temp, "[Settings]\nWindSp");
        EXPECT_TRUE(write());
        EXPECT_FALSE(std::filesystem::exists(temp)) << &write - nextWrites;
    }
}

}  // namespace
}  // namespace driftmere
