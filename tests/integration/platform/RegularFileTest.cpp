#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <cerrno>
#include <fstream>
#include <string>

#include "platform/linux/ExclusiveLock.h"
#include "platform/linux/RegularFile.h"

namespace driftmere {
namespace {

// Every file from outside goes through this one reader, whole (settings, songs, pictures) or
// only its head (a picture's size): each kind of path must end in bytes or a reason, at once.
TEST(RegularFile, ReadsWholeOrItsHeadAndRefusesWhatIsNotABoundedPlainFile) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + '/';
    std::ofstream(root + "ten") << "0123456789";
    ASSERT_EQ(mkfifo((root + "fifo").c_str(), 0600), 0);

    struct Case {
        std::string name;
        std::size_t maxBytes, headBytes;
        std::string bytes;
        int error;
    };
    const Case cases[] = {
        {"ten", 10, SIZE_MAX, "0123456789", 0},
        {"ten", 10, 4, "0123", 0},
        {"ten", 10, 64, "0123456789", 0},
        {"ten", 10, 0, "", 0},
        {"ten", 9, SIZE_MAX, "", EFBIG},
        {"ten", 9, 4, "", EFBIG},  // the bound is on the file, not on what is read of it
        {"missing", 10, SIZE_MAX, "", ENOENT},
        {"", 10, SIZE_MAX, "", EISDIR},
        {"fifo", 10, SIZE_MAX, "", EINVAL},  // a writer never comes: it must not be waited for
        {"fifo", 10, 4, "", EINVAL},
    };
    for (const Case& c : cases) {
        const RegularFile file = ReadRegularFile(root + c.name, c.maxBytes, c.headBytes);
        const std::string read(file.bytes.begin(), file.bytes.end());
        EXPECT_EQ(read, c.bytes) << c.name << ' ' << c.maxBytes << ' ' << c.headBytes;
        EXPECT_EQ(file.error, c.error) << c.name << ' ' << c.maxBytes << ' ' << c.headBytes;
        EXPECT_EQ(file.problem.empty(), c.error == 0) << c.name;
        EXPECT_EQ(file.tooLarge, c.error == EFBIG) << c.name;
        if (c.name == "ten") EXPECT_EQ(file.info.st_size, 10) << "the full size, also for a head";
    }
}

TEST(ExclusiveLock, OneHolderAtATimeAndEveryoneWhenThereIsNoLock) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/locks";
    int heard = 0;
    auto noLock = [&heard](const std::string&) { ++heard; };
    ExclusiveLock first(folder, true, "x.lock", noLock), second(folder, true, "x.lock", noLock);
    EXPECT_TRUE(first.TryTake());
    EXPECT_FALSE(second.TryTake());
    first.Release();
    EXPECT_TRUE(second.TryTake());
    EXPECT_FALSE(first.TryTake());
    EXPECT_EQ(heard, 0);

    // A folder others may enter is not trusted: no lock, every copy plays, told once.
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    ExclusiveLock a(folder, false, "y.lock", noLock), b(folder, false, "y.lock", noLock);
    EXPECT_TRUE(a.TryTake());
    EXPECT_TRUE(b.TryTake());
    a.Release();
    EXPECT_TRUE(a.TryTake());
    EXPECT_EQ(heard, 2);
}

}  // namespace
}  // namespace driftmere
